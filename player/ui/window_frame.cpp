#include "window_frame.h"

#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>
#include <QPainter>
#include <QPixmap>
#include <QPolygonF>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QRegion>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include "app_icon.h"
#include "display.h"
#include "vis_box.h"

namespace lirra {

namespace {
const QSize kSmallest = kDesignClientSize;
}

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
  if (window_.windowFlags().testFlag(Qt::WindowStaysOnTopHint) == on) return;
  Qt::WindowFlags flags = window_.windowFlags();
  flags.setFlag(Qt::WindowStaysOnTopHint, on);
  if (QWindow* shown = window_.windowHandle()) {
    // Told to the window system as it stands: the widget's own flag change would make the
    // window anew and lose the native windows inside it (the spectrum's, the video's).
    window_.overrideWindowFlags(flags);
    shown->setFlags(flags);
    return;
  }
  window_.setWindowFlags(flags);
}

uintptr_t MainWindowFrame::WindowId() { return static_cast<uintptr_t>(window_.winId()); }
namespace {
// These windows are handed to other connections, which draw into them or place windows of
// their own inside: they must exist on the server first (a plug-in placed in a window that
// does not exist yet would end up as a window of its own on the desktop).
uintptr_t MadeOnTheServer(WId window) {
  if (auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()) WaitForX11Server(x11->connection());
  return static_cast<uintptr_t>(window);
}
}  // namespace

uintptr_t MainWindowFrame::VideoWindowId() { return MadeOnTheServer(central_->videoWindowId()); }
uintptr_t MainWindowFrame::VisualWindowId() { return MadeOnTheServer(central_->visualPanel()->winId()); }

QSize MainWindowFrame::NativeWindowSize(uintptr_t window) {
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  if (!x11 || !window) return {};
  const WindowSize size = NativeX11WindowSizeOf(x11->connection(), static_cast<uint32_t>(window));
  return {size.width, size.height};
}

QRect MainWindowFrame::WorkArea() {
  const QScreen* s = window_.screen() ? window_.screen() : QGuiApplication::primaryScreen();
  return s ? s->availableGeometry() : QRect(0, 0, 1280, 800);
}

QRect MainWindowFrame::ScreenBounds() {
  const QScreen* s = window_.screen() ? window_.screen() : QGuiApplication::primaryScreen();
  return s ? s->geometry() : QRect(0, 0, 1280, 800);
}

QRect MainWindowFrame::Bounds() { return {window_.pos(), window_.size()}; }

void MainWindowFrame::Place(const QRect& bounds) { window_.setGeometry(bounds); }

void MainWindowFrame::Minimise() { window_.showMinimized(); }
bool MainWindowFrame::IsMinimised() { return window_.isMinimized(); }

void MainWindowFrame::SetShape(const WindowShape& shape) {
  QRegion region(0, 0, shape.client.width(), shape.client.height());
  if (shape.seeThroughRow >= 0) region -= QRect(0, shape.seeThroughRow, shape.client.width(), 1);
  for (const QPoint& p : shape.cutPixels) region -= QRect(p, QSize(1, 1));
  window_.setMask(region);
}

void MainWindowFrame::SetSkinPicture(const SkinImage* picture) {
  if (picture) {
    QImage image(picture->width, picture->height, QImage::Format_RGB32);
    for (int y = 0; y < picture->height; ++y)
      std::copy_n(picture->pixels.data() + static_cast<size_t>(y) * picture->width, picture->width,
                  reinterpret_cast<QRgb*>(image.scanLine(y)));
    skinPicture_ = std::move(image);  // RGB32 ignores the top byte: 0x00RRGGBB reads as opaque
  } else {
    skinPicture_ = QImage();
  }
  window_.update();
}

void MainWindowFrame::SetColourKey(bool on) {
  if (colourKey_ == on) return;
  colourKey_ = on;
  // The visual area's black background is the key: transparent while on, where the window
  // can be see-through at all (a compositor runs).
  QWidget* visual = central_->visualPanel();
  QPalette pal = visual->palette();
  const bool seeThrough = on && window_.testAttribute(Qt::WA_TranslucentBackground);
  pal.setColor(QPalette::Window, seeThrough ? QColor(Qt::transparent) : QColor(Qt::black));
  visual->setPalette(pal);
  central_->visBox()->setSeeThroughBlack(seeThrough);
  window_.update();
}

ForegroundWindow MainWindowFrame::Foreground() {
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  if (!x11) return {};
  const ActiveWindow active = ActiveX11Window(x11->connection());
  return {active.window != 0 && active.window == static_cast<uint32_t>(window_.winId()),
          QString::fromStdString(active.title)};
}

void MainWindowFrame::ShowTrayIcon(bool shown) {
  if (!shown) {
    delete tray_;
    tray_ = nullptr;
    return;
  }
  if (tray_) return;
  tray_ = new QSystemTrayIcon(QIcon(QPixmap::fromImage(PaintAppIcon(32))), &window_);
  tray_->setToolTip(QStringLiteral("Lirra"));
  QObject::connect(tray_, &QSystemTrayIcon::activated, &window_, [this](QSystemTrayIcon::ActivationReason why) {
    if (why == QSystemTrayIcon::Trigger && trayLeft_) trayLeft_();
    if (why == QSystemTrayIcon::Context && trayRight_) trayRight_();
  });
  tray_->show();
}

void MainWindowFrame::SetTrayTip(const QString& tip) {
  if (tray_) tray_->setToolTip(tip);
}

void MainWindowFrame::SetTaskbarButtonHidden(bool hidden) {
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  if (x11) SetX11SkipTaskbar(x11->connection(), static_cast<uint32_t>(window_.winId()), hidden);
}

bool MainWindowFrame::NativeWindowsDrawable() { return QGuiApplication::platformName() == QLatin1String("xcb"); }

bool MainWindowFrame::TrayHostAvailable() { return QSystemTrayIcon::isSystemTrayAvailable(); }

void MainWindowFrame::watchTrayHost(std::function<void(bool available)> changed) {
  auto* watch = new QTimer(&window_);
  watch->setInterval(2000);
  QObject::connect(watch, &QTimer::timeout, &window_, [this, changed = std::move(changed)] {
    const bool available = TrayHostAvailable();
    if (available != trayHostSeen_) changed(trayHostSeen_ = available);
  });
  trayHostSeen_ = TrayHostAvailable();
  watch->start();
}

void MainWindowFrame::onTrayClicks(std::function<void()> left, std::function<void()> right) {
  trayLeft_ = std::move(left);
  trayRight_ = std::move(right);
}

void MainWindowFrame::SetCursorHidden(bool hidden) {
  if (hidden)
    window_.setCursor(Qt::BlankCursor);
  else
    window_.unsetCursor();
}

bool MainWindowFrame::beginMove(QPoint globalPos) {
  // Where the compositor places windows (Wayland), it runs the move itself.
  if (QGuiApplication::platformName() != QLatin1String("xcb") && window_.windowHandle() &&
      window_.windowHandle()->startSystemMove())
    return false;
  loop_ = Loop::Move;
  pressedAt_ = globalPos;
  startBounds_ = Bounds();
  return true;
}

bool MainWindowFrame::beginResize(Grip grip, QPoint globalPos) {
  const Qt::Edges edges = Qt::BottomEdge | (grip == Grip::BottomLeft ? Qt::LeftEdge : Qt::RightEdge);
  if (QGuiApplication::platformName() != QLatin1String("xcb") && window_.windowHandle() &&
      window_.windowHandle()->startSystemResize(edges))
    return false;
  loop_ = Loop::Resize;
  grip_ = grip;
  pressedAt_ = globalPos;
  startBounds_ = Bounds();
  return true;
}

QSize MainWindowFrame::follow(QPoint globalPos) {
  const QPoint d = globalPos - pressedAt_;
  if (loop_ == Loop::Move) {
    window_.move(startBounds_.topLeft() + d);
    return {};
  }
  if (loop_ != Loop::Resize) return {};
  QRect r = startBounds_;
  r.setHeight(std::max(kSmallest.height(), startBounds_.height() + d.y()));
  if (grip_ == Grip::BottomRight) {
    r.setWidth(std::max(kSmallest.width(), startBounds_.width() + d.x()));
  } else {
    const int width = std::max(kSmallest.width(), startBounds_.width() - d.x());
    r.setLeft(startBounds_.right() + 1 - width);
    r.setWidth(width);
  }
  window_.setGeometry(r);
  return r.size();
}

MainWindowFrame::Loop MainWindowFrame::end() { return std::exchange(loop_, Loop::None); }

}  // namespace lirra
