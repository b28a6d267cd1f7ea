// Moving and sizing the borderless window: where a drag lands (snapped to the work area's
// edges), the ladder of sizes a grip resize ends on, and the layout steps of every size
// change. The window runs the pointer-tracking loops; these are their end steps.
#pragma once

#include <QRect>
#include <QSize>

namespace lirra {

struct PlayerContext;
struct SkinImage;

// Where a window dropped at `window` settles: within the margin (10 pixels, or the
// room left when the window is nearly as wide as the work area) of an edge it moves onto it.
QPoint SnapDroppedWindow(const QRect& window, const QRect& workArea);

// The ladder size a grip resize ends on. `videoWindow` is the video's natural window
// (picture + frame, limited to the work area), empty without a video; a frame skin is
// never cut.
QSize GripLadderSize(QSize client, QSize videoWindow, const SkinImage* frameSkin);

// The video's natural window: its picture plus the frame (14 by 23), each side limited to
// the work area; empty without a picture.
QSize VideoWindowSize(PlayerContext& ctx);

// Puts the window at `bounds` (position and client size) and keeps them.
void PlaceWindow(PlayerContext& ctx, const QRect& bounds);

// A move or resize loop starts: a plug-in start asked for meanwhile waits for its end.
void BeginWindowDrag(PlayerContext& ctx);
// At the end of a loop: runs a plug-in start that was asked for during it; says whether.
bool RunDeferredVisStart(PlayerContext& ctx);
// The end of a move by the drag area.
void FinishMove(PlayerContext& ctx);
// Which grip a resize was dragged by.
enum class ResizeGrip { BottomRight, BottomLeft };
// The end of a resize by either grip: the ladder size at a place snapped to the work area.
// The edge across from the grip stays where it is (the right edge for the bottom-left grip).
void FinishGripResize(PlayerContext& ctx, ResizeGrip grip = ResizeGrip::BottomRight);
// Every size change: the skin's region, the spectrum's size and the video's picture follow.
// Sizes below the design size are not laid out. Returns whether it laid out.
bool FormResize(PlayerContext& ctx, QSize client);

}  // namespace lirra
