#include "vis_box.h"

#include <QGuiApplication>
#include <QPainter>

#include <xcb/xcb.h>

#include <algorithm>
#include <memory>

#include "display.h"
#include "x11_frame_output.h"

namespace lirra {

// A native child window that takes each spectrum frame straight from its pixel buffer.
// Thirty frames a second through Qt's back buffer cost more than drawing them (a
// conversion, a repaint pass, a flush and a completion round trip per frame). Used only
// where the result looks the same: X11, one device pixel per pixel, opaque black.
class DirectSurface : public QWidget {
 public:
  explicit DirectSurface(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_NativeWindow);
    setAttribute(Qt::WA_PaintOnScreen);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);
  }
  QPaintEngine* paintEngine() const override { return nullptr; }

  void present(const SkinImage& frame, QPoint at) {
    if (!output_) {
      // Qt's window must exist on the server before another connection draws into it: sent
      // is not enough, as the server may serve the other connection first.
      const auto window = static_cast<uint32_t>(winId());
      if (auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()) WaitForX11Server(x11->connection());
      output_ = std::make_unique<X11FrameOutput>(window);
    }
    // Black around the frame when it moved or shrank.
    const QRect shown(at, QSize(frame.width, frame.height));
    if (shown != shownAt_) {
      const QRect all = rect();
      output_->fill(0, 0, all.width(), shown.top(), 0);
      output_->fill(0, shown.bottom() + 1, all.width(), all.bottom() - shown.bottom(), 0);
      output_->fill(0, shown.top(), shown.left(), shown.height(), 0);
      output_->fill(shown.right() + 1, shown.top(), all.right() - shown.right(), shown.height(), 0);
      shownAt_ = shown;
    }
    output_->show(frame.pixels.data(), frame.width, frame.height, at.x(), at.y());
    output_->flush();
    blank_ = false;
  }

  // All black; the next frame goes out whole.
  void clear() {
    if (!output_) return;
    output_->fill(0, 0, width(), height(), 0);
    output_->invalidate();
    output_->flush();
    blank_ = true;
  }

 protected:
  // The native window is made anew when the top-level's flags change (always on top) or
  // it is re-parented: the output draws into the new one from the next frame on.
  bool event(QEvent* e) override {
    if (e->type() == QEvent::WinIdChange) {
      output_.reset();
      shownAt_ = {};
    }
    return QWidget::event(e);
  }
  // Exposed: black, and the last frame again from the output's own copy.
  void paintEvent(QPaintEvent*) override {
    if (!output_) return;
    output_->fill(0, 0, width(), height(), 0);
    if (!blank_) output_->resend();
    output_->flush();
  }

 private:
  std::unique_ptr<X11FrameOutput> output_;
  QRect shownAt_;
  bool blank_ = true;
};

SpectrumBox::SpectrumBox(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("VisBox"));
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

SpectrumBox::~SpectrumBox() = default;

void SpectrumBox::showFrame(const SkinImage& frame, QPoint at) {
  at_ = at;
  if (!isVisible()) return;
  if (useDirectSurface()) {
    surface_->present(frame, at);
    return;
  }
  const QImage::Format format = seeThroughBlack_ ? QImage::Format_ARGB32 : QImage::Format_RGB32;
  if (image_.size() != QSize(frame.width, frame.height) || image_.format() != format)
    image_ = QImage(frame.width, frame.height, format);
  for (int y = 0; y < frame.height; ++y) {
    auto* row = reinterpret_cast<QRgb*>(image_.scanLine(y));
    const Rgb* from = frame.pixels.data() + static_cast<size_t>(y) * frame.width;
    if (seeThroughBlack_)
      std::transform(from, from + frame.width, row, [](Rgb c) { return c == 0 ? 0u : 0xFF000000u | c; });
    else
      std::transform(from, from + frame.width, row, [](Rgb c) { return 0xFF000000u | c; });
  }
  repaint();
}

void SpectrumBox::clear() {
  image_.fill(seeThroughBlack_ ? Qt::transparent : Qt::black);
  if (!isVisible()) return;
  if (useDirectSurface())
    surface_->clear();
  else
    repaint();
}

bool SpectrumBox::useDirectSurface() {
  const bool fits = !seeThroughBlack_ && devicePixelRatioF() == 1.0 && QGuiApplication::platformName() == u"xcb";
  if (fits != (surface_ != nullptr)) {
    delete surface_;
    surface_ = nullptr;
    if (fits) {
      surface_ = new DirectSurface(this);
      surface_->setGeometry(rect());
      surface_->show();
    }
  }
  return fits;
}

void SpectrumBox::setSeeThroughBlack(bool on) {
  seeThroughBlack_ = on;
  setAttribute(Qt::WA_OpaquePaintEvent, !on);
}

void SpectrumBox::resizeEvent(QResizeEvent*) {
  if (surface_) surface_->setGeometry(rect());  // the surface is exposed and redraws itself
}

void SpectrumBox::paintEvent(QPaintEvent*) {
  if (surface_) return;  // the surface draws itself
  QPainter painter(this);
  if (seeThroughBlack_) {
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(rect(), Qt::transparent);
  } else {
    painter.fillRect(rect(), Qt::black);
  }
  painter.drawImage(at_, image_);
}

}  // namespace lirra
