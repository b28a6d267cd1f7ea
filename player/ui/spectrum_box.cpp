#include "spectrum_box.h"

#include <QPainter>

#include <algorithm>

namespace lirra {

SpectrumBox::SpectrumBox(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("VisBox"));
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void SpectrumBox::showFrame(const SkinImage& frame, QPoint at) {
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
  at_ = at;
  repaint();
}

void SpectrumBox::clear() {
  image_.fill(seeThroughBlack_ ? Qt::transparent : Qt::black);
  repaint();
}

void SpectrumBox::setSeeThroughBlack(bool on) {
  seeThroughBlack_ = on;
  setAttribute(Qt::WA_OpaquePaintEvent, !on);
}

void SpectrumBox::paintEvent(QPaintEvent*) {
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
