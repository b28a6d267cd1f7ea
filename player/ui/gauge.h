// The borderless progress gauge: a bar in the fore colour over the back colour, no text.
#pragma once

#include <QColor>
#include <QWidget>

namespace lirra {

class Gauge : public QWidget {
  Q_OBJECT
 public:
  explicit Gauge(QWidget* parent = nullptr);

  void setRange(int maxValue);
  void setProgress(int value);
  int progress() const { return progress_; }
  int maxValue() const { return max_; }
  void setColors(const QColor& fore, const QColor& back);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int max_ = 100;
  int progress_ = 0;
  QColor fore_;
  QColor back_;
};

}  // namespace lirra
