#include "window_frame.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace lirra {

// Queued: the player may ask while it is in the middle of showing or ticking.
void MainWindowFrame::CloseMainWindow() {
  QMetaObject::invokeMethod(&window_, &QWidget::close, Qt::QueuedConnection);
}

void MainWindowFrame::BringToFront() {
  if (window_.isMinimized()) window_.showNormal();
  window_.raise();
  window_.activateWindow();
}

void MainWindowFrame::SetAlphaBlend(bool on) { window_.setWindowOpacity(on ? 192.0 / 255.0 : 1.0); }

void MainWindowFrame::SetTopmost(bool on) {
  // Changing window flags hides the window; put it back where it was.
  const QPoint at = window_.pos();
  const bool visible = window_.isVisible();
  window_.setWindowFlag(Qt::WindowStaysOnTopHint, on);
  if (visible) {
    window_.move(at);
    window_.show();
  }
}

uintptr_t MainWindowFrame::WindowId() { return static_cast<uintptr_t>(window_.winId()); }
uintptr_t MainWindowFrame::VideoWindowId() { return central_->videoWindowId(); }

QRect MainWindowFrame::WorkArea() {
  const QScreen* s = window_.screen() ? window_.screen() : QGuiApplication::primaryScreen();
  return s ? s->availableGeometry() : QRect(0, 0, 1280, 800);
}

}  // namespace lirra
