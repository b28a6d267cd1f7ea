// The tray icon: its tip, and what its clicks do (bring the window back, hide it, start or
// stop playback); and ForegroundIsFree, whether the player's window counts as being in
// front (the desktop and visualisation windows are harmless).
#pragma once

#include <QString>

namespace lirra {

struct PlayerContext;

struct TrayState {
  bool buttonDown = false;         // TrayButtonDown
  bool foregroundWasFree = false;  // ForegroundIsFree, sampled while the pointer moved over the icon
};

void AddTrayIcon(PlayerContext& ctx);
void RemoveTrayIcon(PlayerContext& ctx);
// The icon's tip, cut to 63 characters.
void SetTrayTip(PlayerContext& ctx, const QString& tip);
// The tip while idle: "Lirra|RightClk to Play"; while playing: the title + "|RightClk to Stop".
QString IdleTrayTip(const PlayerContext& ctx);
QString PlayingTrayTip(const PlayerContext& ctx, const QString& windowTitle);

bool ForegroundIsFree(PlayerContext& ctx);

// The icon's mouse messages.
void TrayMouseMove(PlayerContext& ctx);
void TrayLeftDown(PlayerContext& ctx);
void TrayLeftUp(PlayerContext& ctx);
void TrayRightUp(PlayerContext& ctx);

}  // namespace lirra
