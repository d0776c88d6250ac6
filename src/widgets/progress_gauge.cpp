#include "widgets/progress_gauge.h"

#include <QPainter>

#include <algorithm>

namespace korrin {

namespace {
constexpr int kBorder = 2, kGap = 1;
}

TProgressGauge::TProgressGauge(QWidget* parent) : QWidget(parent) {
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void TProgressGauge::SetValue(int value) {
  value = qBound(0, value, 100);
  if (value == value_) return;
  value_ = value;
  update();
  emit ValueChanged(value_);
}

void TProgressGauge::SetBoxes(int boxes) {
  boxes = std::max(1, boxes);
  if (boxes == boxes_) return;
  boxes_ = boxes;
  updateGeometry();
  update();
}

int TProgressGauge::FilledBoxes() const { return boxes_ * value_ / 100; }

void TProgressGauge::SetBoxColor(const QColor& color) {
  color_ = color;
  update();
}

QSize TProgressGauge::sizeHint() const { return {2 * kBorder + boxes_ * 6, 2 * kBorder + 14}; }

QSize TProgressGauge::minimumSizeHint() const { return {2 * kBorder + boxes_ * 2, 2 * kBorder + 6}; }

void TProgressGauge::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QPalette& pal = palette();
  // Sunken well.
  QRect r = rect().adjusted(0, 0, -1, -1);
  p.fillRect(rect(), pal.color(QPalette::Base).darker(104));
  p.setPen(pal.color(QPalette::Dark));
  p.drawLine(r.topLeft(), r.topRight());
  p.drawLine(r.topLeft(), r.bottomLeft());
  p.setPen(pal.color(QPalette::Light));
  p.drawLine(r.bottomLeft(), r.bottomRight());
  p.drawLine(r.topRight(), r.bottomRight());

  const QRect inner = rect().adjusted(kBorder, kBorder, -kBorder, -kBorder);
  if (inner.width() <= 0 || inner.height() <= 0) return;
  const int filled = FilledBoxes();
  const QColor on = isEnabled() ? color_ : pal.color(QPalette::Disabled, QPalette::WindowText);
  QColor off = on;
  off.setAlpha(28);
  // Boxes share the width exactly: box i spans [x(i), x(i+1) - gap).
  for (int i = 0; i < boxes_; ++i) {
    int x0 = inner.left() + i * inner.width() / boxes_;
    int x1 = inner.left() + (i + 1) * inner.width() / boxes_ - kGap;
    if (x1 <= x0) x1 = x0 + 1;
    QRect box(x0, inner.top(), x1 - x0, inner.height());
    if (i < filled) {
      QLinearGradient shade(box.topLeft(), box.bottomLeft());
      shade.setColorAt(0, on.lighter(150));
      shade.setColorAt(0.45, on);
      shade.setColorAt(1, on.darker(130));
      p.fillRect(box, shade);
    } else {
      p.fillRect(box, off);
    }
  }
}

}  // namespace korrin
