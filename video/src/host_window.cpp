#include "host_window.h"

#include <QApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QStyleHints>
#include <QMimeData>
#include <QPointer>
#include <QUrl>
#include <QMessageBox>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QKeyEvent>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace orvana {

QWidget* HostWidget(uintptr_t window) {
  if (!window || !qobject_cast<QApplication*>(QCoreApplication::instance())) return nullptr;
  return QWidget::find(static_cast<WId>(window));
}

bool ClientSize(uintptr_t window, int32_t* width, int32_t* height) {
  const QWidget* w = HostWidget(window);
  if (!w) return false;
  *width = w->width();
  *height = w->height();
  return true;
}

bool WindowExists(uintptr_t window) {
  if (HostWidget(window)) return true;
  auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
  if (!connection) return true;
  xcb_generic_error_t* error = nullptr;
  xcb_get_geometry_reply_t* reply =
      xcb_get_geometry_reply(connection, xcb_get_geometry(connection, static_cast<xcb_drawable_t>(window)), &error);
  std::free(error);
  const bool exists = reply != nullptr;
  std::free(reply);
  return exists;
}

void ShowMessageBox(uintptr_t owner, const std::string& text, const std::string& caption, BoxIcon icon) {
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
    std::fprintf(stderr, "orvana: %s: %s\n", caption.c_str(), text.c_str());
    return;
  }
  const QMessageBox::Icon shown = icon == BoxIcon::Error     ? QMessageBox::Critical
                                  : icon == BoxIcon::Warning ? QMessageBox::Warning
                                                             : QMessageBox::Information;
  QMessageBox box(shown, QString::fromStdString(caption), QString::fromStdString(text), QMessageBox::Ok,
                  HostWidget(owner));
  box.exec();
}

int32_t ShowAboutBox(uintptr_t owner) {
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return 0;
  QDialog about(HostWidget(owner));
  about.setWindowTitle(QStringLiteral("About Orvana..."));
  auto* icon = new QLabel;
  icon->setPixmap(about.style()->standardIcon(QStyle::SP_MediaPlay).pixmap(32, 32));
  auto* lines = new QVBoxLayout;
  for (const char* text : {"Orvana - DirectShow Media", "Version 6,7,8,9,10", "\u00a9 The Lirra developers"})
    lines->addWidget(new QLabel(QString::fromUtf8(text)));
  auto* ok = new QPushButton(QStringLiteral("OK"));
  ok->setDefault(true);
  QObject::connect(ok, &QPushButton::clicked, &about, [&about] { about.done(1); });
  auto* layout = new QHBoxLayout(&about);
  layout->addWidget(icon, 0, Qt::AlignTop);
  layout->addLayout(lines);
  layout->addWidget(ok, 0, Qt::AlignTop);
  const int closed = about.exec();
  return closed == QDialog::Rejected ? 1 : closed;  // the close button ends it like OK
}

}  // namespace orvana

namespace orvana {

namespace {

QWidget* ChildOf(uintptr_t child) { return HostWidget(child); }

// The input of the picture's window while it is a full-screen window of its own: the host
// window gets it (mouse positions in its own coordinates), so a host that leaves full
// screen on a double click or a key can.
class VideoInputDrain : public QObject {
 public:
  VideoInputDrain(QWidget* child, QWidget* owner, std::function<void()> closedByUser)
      : QObject(child), child_(child), owner_(owner), closedByUser_(std::move(closedByUser)) {
    child->installEventFilter(this);
  }

  bool eventFilter(QObject*, QEvent* event) override {
    if (!child_->isWindow() || !owner_) return false;
    switch (event->type()) {
      case QEvent::MouseButtonDblClick:
        return true;  // told below, the same way whether or not the window system says so
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseMove: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        Forward(mouse->type(), *mouse);
        if (mouse->type() == QEvent::MouseButtonPress) {
          // A second press soon after the first, close to it, is a double click too.
          const bool twice = sincePress_.isValid() && mouse->button() == lastButton_ &&
                             sincePress_.elapsed() < QGuiApplication::styleHints()->mouseDoubleClickInterval() &&
                             (mouse->globalPosition() - lastPress_).manhattanLength() <=
                                 QGuiApplication::styleHints()->mouseDoubleClickDistance();
          if (twice) Forward(QEvent::MouseButtonDblClick, *mouse);
          sincePress_.invalidate();
          if (!twice) sincePress_.start();
          lastButton_ = mouse->button();
          lastPress_ = mouse->globalPosition();
        }
        return true;
      }
      case QEvent::Wheel: {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        QWheelEvent moved(owner_->mapFromGlobal(wheel->globalPosition()), wheel->globalPosition(), wheel->pixelDelta(),
                          wheel->angleDelta(), wheel->buttons(), wheel->modifiers(), wheel->phase(), wheel->inverted());
        QCoreApplication::sendEvent(owner_, &moved);
        return true;
      }
      case QEvent::KeyPress:
      case QEvent::KeyRelease: {
        std::unique_ptr<QEvent> copy(event->clone());
        QCoreApplication::sendEvent(owner_, copy.get());
        return true;
      }
      case QEvent::Close:
        // Closed by the user (the window manager's close): back into the host window.
        event->ignore();
        SetVideoChildFullScreen(static_cast<uintptr_t>(child_->winId()), false);
        if (closedByUser_) closedByUser_();
        return true;
      default:
        return false;
    }
  }

 private:
  void Forward(QEvent::Type type, const QMouseEvent& mouse) {
    QMouseEvent moved(type, owner_->mapFromGlobal(mouse.globalPosition()), mouse.globalPosition(), mouse.button(),
                      mouse.buttons(), mouse.modifiers(), mouse.pointingDevice());
    QCoreApplication::sendEvent(owner_, &moved);
  }

  QWidget* child_;
  QPointer<QWidget> owner_;
  QElapsedTimer sincePress_;  // since the last press that was not the second of a double click
  Qt::MouseButton lastButton_ = Qt::NoButton;
  QPointF lastPress_;
  std::function<void()> closedByUser_;
};

}  // namespace

uintptr_t CreateVideoChild(uintptr_t owner, std::function<void()> closedByUser) {
  QWidget* parent = HostWidget(owner);
  if (!parent) return 0;
  auto* child = new QWidget(parent);
  new VideoInputDrain(child, parent, std::move(closedByUser));
  child->setObjectName(QStringLiteral("OrvanaVideoWindow"));
  child->setAttribute(Qt::WA_NativeWindow);
  child->setAttribute(Qt::WA_DontCreateNativeAncestors);
  QPalette pal = child->palette();
  pal.setColor(QPalette::Window, Qt::black);
  child->setPalette(pal);
  child->setAutoFillBackground(true);
  child->hide();
  return static_cast<uintptr_t>(child->winId());
}

void PlaceVideoChild(uintptr_t child, int32_t x, int32_t y, int32_t width, int32_t height, bool visible) {
  QWidget* w = ChildOf(child);
  if (!w || w->isFullScreen()) return;
  w->setGeometry(x, y, width, height);
  w->setVisible(visible);
}

void DestroyVideoChild(uintptr_t child) {
  if (QWidget* w = ChildOf(child)) delete w;
}

bool VideoChildFullScreen(uintptr_t child) {
  const QWidget* w = ChildOf(child);
  return w && w->isWindow() && w->isFullScreen();
}

void SetVideoChildFullScreen(uintptr_t child, bool on) {
  QWidget* w = ChildOf(child);
  if (!w) return;
  if (on) {
    w->setProperty("orvanaOwner", QVariant::fromValue(static_cast<QObject*>(w->parentWidget())));
    w->setParent(nullptr, Qt::Window | Qt::FramelessWindowHint);
    w->showFullScreen();
  } else if (auto* owner = qobject_cast<QWidget*>(w->property("orvanaOwner").value<QObject*>())) {
    w->setParent(owner);
    w->show();
    owner->activateWindow();
    owner->setFocus();
  }
}

bool ResizeWindow(uintptr_t window, int32_t width, int32_t height) {
  QWidget* w = HostWidget(window);
  if (!w) return false;
  w->resize(width, height);
  return true;
}

}  // namespace orvana

namespace orvana {

namespace {

class DropTarget : public QObject {
 public:
  DropTarget(QWidget* window, void (*callback)(const char*))
      : QObject(window), window_(window), callback_(callback), acceptedBefore_(window->acceptDrops()) {
    window->setAcceptDrops(true);
    window->installEventFilter(this);
  }
  ~DropTarget() override {
    if (window_) window_->setAcceptDrops(acceptedBefore_);
  }

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    switch (event->type()) {
      case QEvent::DragEnter:
      case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (drag->mimeData()->hasText() || drag->mimeData()->hasUrls()) drag->acceptProposedAction();
        return true;
      }
      case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const QByteArray text = DroppedText(drop->mimeData()).toUtf8();
        if (text.isEmpty()) return true;  // not text: ignored
        drop->acceptProposedAction();
        if (callback_) callback_(text.constData());
        return true;
      }
      default:
        return false;
    }
  }

 private:
  // Plain text as dropped; dragged files as their paths (addresses as they are), one per line.
  static QString DroppedText(const QMimeData* data) {
    if (data->hasUrls()) {
      QStringList lines;
      for (const QUrl& url : data->urls()) lines << (url.isLocalFile() ? url.toLocalFile() : url.toString());
      return lines.join(QStringLiteral("\r\n"));
    }
    return data->hasText() ? data->text() : QString();
  }

  QPointer<QWidget> window_;
  void (*callback_)(const char*);
  bool acceptedBefore_;
};

}  // namespace

// The target lives with its window; the handle notices when the window went first. Without
// a callback there is nothing to take drops for: the host's own drag handling stays.
void* InstallDropTarget(uintptr_t window, void (*callback)(const char* text)) {
  QWidget* w = callback ? HostWidget(window) : nullptr;
  return w ? new QPointer<DropTarget>(new DropTarget(w, callback)) : nullptr;
}

void RemoveDropTarget(void* target) {
  auto* handle = static_cast<QPointer<DropTarget>*>(target);
  if (!handle) return;
  delete handle->data();
  delete handle;
}

}  // namespace orvana
