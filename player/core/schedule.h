// The smart mode's schedule text: "PNAABBCCDD", the chance P in N of playing on a day and
// two windows of whole hours, [DD, AA) and [BB, CC).
#pragma once

#include <QString>

#include <optional>

namespace lirra {

inline constexpr char kDefaultSchedule[] = "1213152208";

// The hour at which the daily decision is taken for a valid schedule (-1: never), or
// nothing when the text is not a valid schedule.
std::optional<int> ValidateSchedule(const QString& text);

}  // namespace lirra
