// The tray icon. Not written yet: its steps are called at start-up and close and do
// nothing.
#pragma once

namespace lirra {

struct PlayerContext;

struct TrayState {};

void AddTrayIcon(PlayerContext& ctx);
void RemoveTrayIcon(PlayerContext& ctx);

}  // namespace lirra
