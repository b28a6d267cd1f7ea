// The smart mode's clock: one Timer2 hour tick (the decision and the stop check it runs)
// and one ScheduleDecision, in microseconds.
#include <QDateTime>

#include <chrono>
#include <cstdio>
#include <vector>

#include "bench_support.h"
#include "player_context.h"
#include "recording_shell.h"
#include "schedule.h"

namespace {

using Clock = std::chrono::steady_clock;

template <typename Work>
double MedianMicroseconds(Work work) {
  std::vector<double> samples;
  for (int round = 0; round < 21; ++round) {
    constexpr int kCalls = 10000;
    const auto t0 = Clock::now();
    for (int i = 0; i < kCalls; ++i) work();
    samples.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count() / kCalls);
  }
  return lirra::bench::Median(samples);
}

}  // namespace

int main() {
  lirra::testing::RecordingShell shell;
  lirra::PlayerContext ctx(shell);
  ctx.state.AutoStart = true;
  ctx.state.PlayToday = true;
  const QDateTime topOfHour(QDate(2026, 12, 8), QTime(10, 0, 0));
  ctx.now = [&] { return topOfHour; };
  ctx.randomBelow = [](int) { return 1; };  // an unlucky draw: the tick goes on to the stop check
  std::printf("schedule_decision_us_median %.3f\n", MedianMicroseconds([&] {
                (void)lirra::ScheduleDecision(ctx, lirra::ScheduleQuestion::StartThisHour);
              }));
  std::printf("timer2_hour_tick_us_median %.3f (a tick that fires: decision and stop check)\n",
              MedianMicroseconds([&] {
                ctx.schedule.lastHourTick = -1;
                lirra::ScheduleTimer(ctx);
              }));
  return 0;
}
