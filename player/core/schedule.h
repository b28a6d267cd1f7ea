// The smart mode: unattended play inside two daily windows of whole hours, started at the
// top of an hour with a chance of P in N and stopped at the top of an hour outside them.
// The schedule text "PNAABBCCDD" gives the chance and the windows [DD, AA) and [BB, CC).
// Its clock, Timer2, first closes a stray error box of the video library.
#pragma once

#include <QString>

#include <optional>

namespace lirra {

inline constexpr char kDefaultSchedule[] = "1213152208";

struct PlayerContext;

// What the schedule is asked.
enum class ScheduleQuestion {
  AutoStartAllowed = 0,  // may a "/AUTO" start run now
  PlayDay = 1,           // is today a play day (the daily draw)
  StartThisHour = 2,     // start playing at this hour
  ArmNextHour = 3,       // arm a start for the next hour tick (PlayNowPending)
};

// Why playback last stopped (Timer2's tag): an ordinary stop, the schedule, or the tray.
enum class StopReason { Ordinary = 0, Schedule = 1, Tray = 2 };

// Timer2's interval right after the video library opened something: its error box is
// looked for (and closed) this often.
constexpr int kLookForErrorBoxMs = 100;

struct ScheduleState {
  bool timerOn = false;       // Timer2
  int intervalMs = 1000;      // kLookForErrorBoxMs while looking for the video library's error box
  int64_t lastHourTick = -1;  // the hour (counted from an epoch) whose tick fired last
  int errorBoxLooks = 0;      // ticks spent looking for the video library's error box
  StopReason stopReason = StopReason::Ordinary;
};

// The smart mode's decision (ScheduleDecision). Clears PlayNowPending whatever is asked.
bool ScheduleDecision(PlayerContext& ctx, ScheduleQuestion question);

// The hour at which the daily decision is taken for a valid schedule (-1: never), or
// nothing when the text is not a valid schedule.
std::optional<int> ValidateSchedule(const QString& text);

// Timer2 on or off, with its interval.
void SetScheduleTimer(PlayerContext& ctx, bool on, int intervalMs = 0);
// Timer2's tick (ScheduleTimer): the error box, then the hour ticks of the smart mode.
void ScheduleTimer(PlayerContext& ctx);

}  // namespace lirra
