#include "tray.h"

namespace lirra {

void AddTrayIcon(PlayerContext&) {}
void RemoveTrayIcon(PlayerContext&) {}

}  // namespace lirra
