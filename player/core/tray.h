// The tray icon. Not built yet: the steps are called where the order of events puts them
// and do nothing.
#pragma once

namespace lirra {

struct PlayerContext;

struct TrayState {};

void AddTrayIcon(PlayerContext& ctx);
void RemoveTrayIcon(PlayerContext& ctx);

}  // namespace lirra
