#include "gauge.h"

#include <QPainter>

#include <algorithm>

namespace lirra {

Gauge::Gauge(QWidget* parent) : QWidget(parent), fore_(Qt::green), back_(Qt::black) {}

void Gauge::setRange(int maxValue) {
  max_ = std::max(1, maxValue);
  progress_ = std::clamp(progress_, 0, max_);
  update();
}

void Gauge::setProgress(int value) {
  progress_ = std::clamp(value, 0, max_);
  update();
}

void Gauge::setColors(const QColor& fore, const QColor& back) {
  fore_ = fore;
  back_ = back;
  update();
}

void Gauge::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), back_);
  const int filled = static_cast<int>(static_cast<qint64>(width()) * progress_ / max_);
  if (filled > 0) p.fillRect(0, 0, filled, height(), fore_);
}

}  // namespace lirra
