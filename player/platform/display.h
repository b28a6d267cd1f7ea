// Whether the program has a display to show its window on, checked before Qt starts (Qt
// would abort with a core dump rather than explain).
#pragma once

#include <string>

namespace lirra {

// Returns true when a window can be shown: an explicit Qt platform other than X11 was
// chosen (QT_QPA_PLATFORM), or the X server named by DISPLAY accepts a connection.
// Otherwise false, with a plain explanation in `why`.
bool HasDisplay(std::string* why);

}  // namespace lirra
