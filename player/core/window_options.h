// The window's two options on the keyboard, see-through (Insert) and always on top (T),
// and the window's size and place, which the settings keep.
#pragma once

#include "player_context.h"

namespace lirra {

void pmTranspClick(PlayerContext& ctx);
void pmOnTopClick(PlayerContext& ctx);
// Right click on lbPower: minimise.
void lbPowerMouseUp(PlayerContext& ctx);
// The application was minimised, restored, activated (the main window in front or not).
void ApplicationMinimised(PlayerContext& ctx);
void ApplicationRestored(PlayerContext& ctx);
// The desktop's tray came or went: a minimised window keeps a way back.
void TrayHostChanged(PlayerContext& ctx, bool available);
void ApplicationActivated(PlayerContext& ctx, bool mainWindowInFront);
// On every activation of the main window: with the list shown the window's alpha follows
// the see-through option again.
void ApplyListAlpha(PlayerContext& ctx);
// The window's client size and its place on the screen, as they are now.
void KeepClientSize(PlayerContext& ctx, int width, int height);
void KeepWindowPosition(PlayerContext& ctx, int left, int top);

}  // namespace lirra
