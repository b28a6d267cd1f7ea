#include "schedule.h"

namespace lirra {

bool ScheduleDecision(PlayerContext&, ScheduleQuestion question) {
  return question == ScheduleQuestion::AutoStartAllowed;
}

std::optional<int> ValidateSchedule(const QString& text) {
  if (text.size() < 10) return std::nullopt;
  for (int i = 0; i < 10; ++i)
    if (!text.at(i).isDigit() || text.at(i).unicode() > '9') return std::nullopt;
  const auto digit = [&](int i) { return text.at(i).unicode() - '0'; };
  const auto pair = [&](int i) { return digit(i) * 10 + digit(i + 1); };
  const int p = digit(0), n = digit(1);
  const int aa = pair(2), bb = pair(4), cc = pair(6), dd = pair(8);
  if (p == 0 || n < p || aa < dd || bb < aa || cc < bb || cc > 24) return std::nullopt;
  if (dd < aa) return dd;
  if (bb < cc) return bb;
  return -1;
}

}  // namespace lirra
