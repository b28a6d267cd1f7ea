// The main window's frame as the player's logic sees it (closing, raising, see-through,
// always on top, place and size, shape, the skin picture) and the pointer-tracking loops
// that move the borderless window by its drag area and size it by its two bottom grips.
#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>

#include <functional>
#include <memory>

#include "central_area.h"
#include "shell.h"

class QWidget;

class QSystemTrayIcon;

namespace lirra {

class MainWindowFrame : public WindowFrame {
 public:
  MainWindowFrame(QWidget& window, std::unique_ptr<CentralArea>& central) : window_(window), central_(central) {}

  void CloseMainWindow() override;
  void BringToFront() override;
  void SetAlphaBlend(bool on) override;
  void SetTopmost(bool on) override;
  uintptr_t WindowId() override;
  uintptr_t VideoWindowId() override;
  uintptr_t VisualWindowId() override;
  QSize NativeWindowSize(uintptr_t window) override;
  QRect WorkArea() override;
  QRect ScreenBounds() override;
  QRect Bounds() override;
  void Place(const QRect& bounds) override;
  void Minimise() override;
  bool IsMinimised() override;
  void SetShape(const WindowShape& shape) override;
  void SetSkinPicture(const SkinImage* picture) override;
  void SetColourKey(bool on) override;
  void SetCursorHidden(bool hidden) override;
  ForegroundWindow Foreground() override;
  void ShowTrayIcon(bool shown) override;
  void SetTrayTip(const QString& tip) override;
  void SetTaskbarButtonHidden(bool hidden) override;
  bool TrayHostAvailable() override;
  bool NativeWindowsDrawable() override;
  // The tray icon's clicks go to `left` (a left click) and `right`.
  void onTrayClicks(std::function<void()> left, std::function<void()> right);
  // `changed` runs when the desktop's tray comes or goes (looked at every 2 s: Qt tells
  // no one).
  void watchTrayHost(std::function<void(bool available)> changed);

  // The skin picture as the window paints it (null without a skin).
  const QImage& skinPicture() const { return skinPicture_; }
  bool colourKey() const { return colourKey_; }

  // The loops. A press starts one (false when the compositor took the move or resize
  // over, as on Wayland, where a client cannot place itself); each pointer move follows;
  // the release ends it and says whether it was running.
  enum class Grip { BottomLeft, BottomRight };
  bool beginMove(QPoint globalPos);
  bool beginResize(Grip grip, QPoint globalPos);
  // Returns the client size while resizing (for the layout step), empty while moving.
  QSize follow(QPoint globalPos);
  enum class Loop { None, Move, Resize };
  Loop end();
  bool resizing() const { return loop_ == Loop::Resize; }

 private:
  QWidget& window_;
  std::unique_ptr<CentralArea>& central_;  // once the controls exist
  QImage skinPicture_;
  QSystemTrayIcon* tray_ = nullptr;
  std::function<void()> trayLeft_, trayRight_;
  bool trayHostSeen_ = false;
  bool colourKey_ = false;
  Loop loop_ = Loop::None;
  Grip grip_ = Grip::BottomRight;
  QPoint pressedAt_;
  QRect startBounds_;
};

}  // namespace lirra
