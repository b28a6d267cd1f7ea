#include "schedule.h"

#include "list_states.h"
#include "play_order.h"
#include "player_context.h"
#include "playlist_library.h"
#include "spectrum.h"
#include "track_opening.h"

namespace lirra {

namespace {

constexpr int kHourClockMs = 1000;
constexpr int kLongVideoSeconds = 600;

struct Schedule {
  int p, n, aa, bb, cc, dd;
};

// The ten digits "PNAABBCCDD" read, or nothing when they are not a valid schedule.
std::optional<Schedule> ParseSchedule(const QString& text) {
  if (text.size() < 10) return std::nullopt;
  for (int i = 0; i < 10; ++i)
    if (!text.at(i).isDigit() || text.at(i).unicode() > '9') return std::nullopt;
  const auto digit = [&](int i) { return text.at(i).unicode() - '0'; };
  const auto pair = [&](int i) { return digit(i) * 10 + digit(i + 1); };
  const Schedule w{digit(0), digit(1), pair(2), pair(4), pair(6), pair(8)};
  if (w.p == 0 || w.n < w.p || w.aa < w.dd || w.bb < w.aa || w.cc < w.bb || w.cc > 24) return std::nullopt;
  return w;
}

constexpr int kErrorBoxLooks = 30;  // 3 s: a box still to come shows while the library loads

// The hour tick: fires at second 0 of an hour, or at second 1 when no tick came in second 0;
// once an hour, however many ticks land in those seconds.
bool HourTickFires(PlayerContext& ctx) {
  const QDateTime now = ctx.now();
  const int s = now.time().minute() * 60 + now.time().second();
  const int64_t hour = now.date().toJulianDay() * 24 + now.time().hour();
  if (s > 1 || ctx.schedule.lastHourTick == hour) return false;
  ctx.schedule.lastHourTick = hour;
  return true;
}

// Starting at the top of an hour: the selection, or the library's current list.
void StartScheduledPlay(PlayerContext& ctx) {
  PlayerState& s = ctx.state;
  if (s.Timer1On) return;
  if (ctx.list.firstSelected() >= 0) s.NextIndex = ctx.list.firstSelected();
  if (!s.MListVisible || s.NextIndex == s.PlayingIndex) {
    ScanListFolder(ctx);
    if (s.CurrentListFile.isEmpty()) return;
    ChooseNext(ctx);
  }
  s.StartMode = kStartList;
  PlayCurrent(ctx);
}

// Outside the windows a playing track stops, except a stream, a file played alone, and a
// video shown that is long (a film) or of unknown length.
void StopScheduledPlay(PlayerContext& ctx) {
  PlayerState& s = ctx.state;
  if (!s.Timer1On || s.CurrentIsNetwork || s.StartMode == kStartSingleFile) return;
  if (s.VideoShown && (s.TrackSeconds <= 0 || s.TrackSeconds >= kLongVideoSeconds)) return;
  ctx.setTimer1(false);
  StopPlayback(ctx);
  ctx.schedule.stopReason = StopReason::Schedule;
  ShowStoppedState(ctx);
  if (s.EngineReady && s.VisIndex == 1) ClearPeaks(ctx);
}

}  // namespace

bool ScheduleDecision(PlayerContext& ctx, ScheduleQuestion question) {
  PlayerState& s = ctx.state;
  const bool pending = std::exchange(s.PlayNowPending, false);
  const QTime now = ctx.now().time();
  const int h = now.hour(), m = now.minute();
  if (question == ScheduleQuestion::StartThisHour && (pending || h == s.ScheduleStartHour)) return true;
  const Schedule w = ParseSchedule(s.SmartModeSpec).value_or(*ParseSchedule(QString::fromLatin1(kDefaultSchedule)));
  // The final hour of a window that the other window does not follow at once.
  const bool lastHour = (w.aa != w.bb && h == w.aa - 1) || (w.cc != w.dd + 24 && h == w.cc - 1);
  const bool arming = question == ScheduleQuestion::ArmNextHour;
  if (lastHour && (question == ScheduleQuestion::AutoStartAllowed || arming) && m >= 30) return arming;
  if ((w.dd <= h && h < w.aa) || (w.bb <= h && h < w.cc)) {
    if (arming) return !lastHour;
    return ctx.randomBelow(w.n) < w.p;
  }
  if (h == w.cc) s.PlayToday = false;
  return arming && m >= 30;
}

std::optional<int> ValidateSchedule(const QString& text) {
  const std::optional<Schedule> w = ParseSchedule(text);
  if (!w) return std::nullopt;
  if (w->dd < w->aa) return w->dd;
  if (w->bb < w->cc) return w->bb;
  return -1;
}

void SetScheduleTimer(PlayerContext& ctx, bool on, int intervalMs) {
  ScheduleState& sc = ctx.schedule;
  if (intervalMs == kLookForErrorBoxMs) sc.errorBoxLooks = 0;
  if (intervalMs > 0 && intervalMs != sc.intervalMs) {
    sc.intervalMs = intervalMs;
    ctx.shell.timers.SetTimerInterval(TimerId::Timer2, intervalMs);
  }
  sc.timerOn = on;
  ctx.shell.timers.SetTimer(TimerId::Timer2, on);
}

void ScheduleTimer(PlayerContext& ctx) {
  PlayerState& s = ctx.state;
  if (ctx.schedule.intervalMs == kLookForErrorBoxMs) {
    // Right after the video library opened something: its error box, if it shows one,
    // goes at once; once the medium plays, or a while after a load that failed without
    // one, there is none to come and the hour clock goes on.
    if (s.VideoActive || ctx.shell.dialogs.CloseVideoLibraryErrorBox() ||
        ++ctx.schedule.errorBoxLooks >= kErrorBoxLooks)
      SetScheduleTimer(ctx, true, kHourClockMs);
    return;
  }
  if (!s.AutoStart || !s.DisplayUpdates || !HourTickFires(ctx)) return;
  const int h = ctx.now().time().hour();
  if (!s.PlayToday && h == s.ScheduleStartHour) {
    s.PlayToday = ScheduleDecision(ctx, ScheduleQuestion::PlayDay);
    if (!s.PlayToday) ctx.shell.captions.SetWindowTitle(ctx.tr("今日停播", "Stop playing today"));
  }
  if (s.PlayToday && ScheduleDecision(ctx, ScheduleQuestion::StartThisHour))
    StartScheduledPlay(ctx);
  else
    StopScheduledPlay(ctx);
}

}  // namespace lirra
