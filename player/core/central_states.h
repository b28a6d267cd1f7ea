// The central area's two states, the track list and the visual area (the spectrum, a
// visualisation plug-in or a video's picture), how the user moves between them, the clicks
// on the visual area and the video's full-screen switch.
#pragma once

#include <QPoint>

#include "shell.h"
#include "window_layout.h"

namespace lirra {

struct PlayerContext;
struct PlayerState;


// The visual area's panel at the window's current client size.
QRect VisualAreaBounds(const PlayerState& s);

void ShowTrackList(PlayerContext& ctx);
void ShowVisualArea(PlayerContext& ctx);

// Double click on the drag area: list <-> visual area, only while a track drives the
// display (engine sound or a video).
void lbMoveDblClick(PlayerContext& ctx);

// The pointer over the title strip or the visual area with no button held: the
// application's active state is sampled, so the click that activates the window does not
// also step the visualisation. Over lbTitle the title takes its hover colour
// (lbTitleMouseEnter); elsewhere it gets its own colour back (lbTitleMouseLeave).
void VisPanelMouseMove(PlayerContext& ctx, ControlId sender, bool applicationActive);
// The pointer came over a frame label (lbMove, lbSkinName, lbNext, lbPower, lbProgress), or
// left it.
void lbNextMouseEnter(PlayerContext& ctx);
void lbNextMouseLeave(PlayerContext& ctx);
// A click on the title strip or the visual area. `sender` is lbTmp1, lbTitle, lbTmp2,
// VisPanel, lbProgress, or VisPanel also for its paint box; `pos` is relative to VisPanel.
void VisPanelMouseUp(PlayerContext& ctx, ControlId sender, PointerButton button, QPoint pos);

// Right click on a video: first fit the window to the picture, then full screen, then back.
void SwitchVideoFullScreen(PlayerContext& ctx);
// Puts the window back at its bounds from before full screen.
void LeaveVideoFullScreen(PlayerContext& ctx);

}  // namespace lirra
