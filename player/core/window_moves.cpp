#include "window_moves.h"

#include <algorithm>
#include <utility>

#include "player_context.h"
#include "settings.h"
#include "skin.h"
#include "window_options.h"

namespace lirra {

namespace {

constexpr int kSnapMargin = 10;
constexpr QSize kVideoFrame{14, 23};  // the side strips and the caption and bottom strips

// Snaps one axis: `a` onto `near` or onto `far` when strictly within the margin.
int SnapAxis(int a, int size, int near, int extent) {
  int m = extent - size;
  if (m == 0 || m > kSnapMargin) m = kSnapMargin;
  if (a > near - m && a < near + m) a = near;
  const int far = near + extent - size;
  if (a > far - m && a < far + m) a = far;
  return a;
}

int LadderWidth(int w, int videoWidth) {
  if (w > 560) return videoWidth > 640 ? videoWidth : 640;
  if (w > 420) return 480;
  if (w > 315) return 360;
  if (w > 232) return 270;
  return 195;
}

int LadderHeight(int h, QSize video) {
  if (video.height() >= 480 && h > 315) return h > 420 ? video.height() : video.width() * 9 / 16;
  if (h > 315) return 360;
  if (h > 235) return 270;
  if (h > 175) return 200;
  if (h > 128) return 150;
  return 109;
}

}  // namespace

QPoint SnapDroppedWindow(const QRect& window, const QRect& work) {
  return {SnapAxis(window.left(), window.width(), work.left(), work.width()),
          SnapAxis(window.top(), window.height(), work.top(), work.height())};
}

QSize GripLadderSize(QSize client, QSize video, const SkinImage* frameSkin) {
  QSize size(LadderWidth(client.width(), video.width()), LadderHeight(client.height(), video));
  if (frameSkin && IsFrameSkin(*frameSkin)) size = size.expandedTo({frameSkin->width, frameSkin->height});
  return size;
}

QSize VideoWindowSize(PlayerContext& ctx) {
  if (!ctx.state.VideoShown || !ctx.libs.video.bound()) return {};
  OrvanaVideoInfo info{};
  ctx.libs.video.GetVideoInfo(&info);
  const QRect work = ctx.shell.frame.WorkArea();
  return QSize(info.width, info.height).grownBy({0, 0, kVideoFrame.width(), kVideoFrame.height()})
      .boundedTo(work.size());
}

void PlaceWindow(PlayerContext& ctx, const QRect& bounds) {
  ctx.shell.frame.Place(bounds);
  KeepWindowPosition(ctx, bounds.left(), bounds.top());
  FormResize(ctx, bounds.size());
}

void FinishMove(PlayerContext& ctx) {
  PlayerState& s = ctx.state;
  s.SettingsDirty = true;
  s.CentreOnShow = false;
  const QRect bounds = ctx.shell.frame.Bounds();
  const QPoint snapped = SnapDroppedWindow(bounds, ctx.shell.frame.WorkArea());
  if (snapped != bounds.topLeft()) PlaceWindow(ctx, QRect(snapped, bounds.size()));
  RunDeferredVisStart(ctx);
}

void BeginWindowDrag(PlayerContext& ctx) { ctx.state.DragInProgress = true; }

bool RunDeferredVisStart(PlayerContext& ctx) {
  ctx.state.DragInProgress = false;
  if (!std::exchange(ctx.vis.StartDeferred, false)) return false;
  StartVisPlugin(ctx);
  return true;
}

void FinishGripResize(PlayerContext& ctx, ResizeGrip grip) {
  PlayerState& s = ctx.state;
  const QRect bounds = ctx.shell.frame.Bounds();
  const SkinImage* skin = ctx.skin.SkinLoaded && ctx.skin.SkinBitmap ? &*ctx.skin.SkinBitmap : nullptr;
  const QSize size = GripLadderSize(bounds.size(), VideoWindowSize(ctx), skin);
  // The drag changed the size even when it ended on a rung of the ladder: kept at close.
  s.SettingsDirty = true;
  s.CentreOnShow = false;
  if (size == bounds.size()) {
    RunDeferredVisStart(ctx);
    return;
  }
  const QRect work = ctx.shell.frame.WorkArea();
  const int from = grip == ResizeGrip::BottomLeft ? bounds.right() + 1 - size.width() : bounds.left();
  const int left = SnapToWorkArea(s, from, size.width(), true, work);
  const int top = SnapToWorkArea(s, bounds.top(), size.height(), false, work);
  PlaceWindow(ctx, QRect(left, top, size.width(), size.height()));
  ApplyWindowShape(ctx);
  ctx.shell.captions.FitTitleWidth();
  if (!RunDeferredVisStart(ctx)) ResizeVisPlugin(ctx);
}

bool FormResize(PlayerContext& ctx, QSize client) {
  KeepClientSize(ctx, client.width(), client.height());
  if (client.width() < kDesignClientSize.width() || client.height() < kDesignClientSize.height()) return false;
  if (ctx.skin.SkinLoaded) BuildSkinRegion(ctx, client);
  SetupSpectrum(ctx);
  if (ctx.state.VideoShown && ctx.libs.video.bound()) ctx.libs.video.SetWindowResize();
  return true;
}

}  // namespace lirra
