// The smart mode's schedule text: "PNAABBCCDD", the chance P in N of playing on a day and
// two windows of whole hours, [DD, AA) and [BB, CC).
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

struct ScheduleState {};

// The smart mode's decision. Not built yet: every question is answered "no" except
// whether an automatic start may run, which is allowed.
bool ScheduleDecision(PlayerContext& ctx, ScheduleQuestion question);

// The hour at which the daily decision is taken for a valid schedule (-1: never), or
// nothing when the text is not a valid schedule.
std::optional<int> ValidateSchedule(const QString& text);

}  // namespace lirra
