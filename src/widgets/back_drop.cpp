#include "widgets/back_drop.h"

#include <QPainter>

#include <algorithm>

namespace korrin {

TBackDrop::TBackDrop(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAutoFillBackground(false);
}

void TBackDrop::SetColors(const QColor& start, const QColor& end) {
  start_ = start;
  end_ = end;
  update();
}

QColor TBackDrop::ColorAt(double position) const {
  const double t = std::clamp(position, 0.0, 1.0);
  auto mix = [t](int a, int b) { return static_cast<int>(a + (b - a) * t + 0.5); };
  return QColor(mix(start_.red(), end_.red()), mix(start_.green(), end_.green()), mix(start_.blue(), end_.blue()));
}

void TBackDrop::paintEvent(QPaintEvent*) {
  QPainter p(this);
  // Bands of one colour each, as many as the height allows (at most 256),
  // so that the fade looks the same on every display depth.
  const int h = std::max(1, height());
  const int bands = std::clamp(h / 2, 1, 256);
  for (int i = 0; i < bands; ++i) {
    const int y0 = i * h / bands;
    const int y1 = (i + 1) * h / bands;
    p.fillRect(0, y0, width(), y1 - y0, ColorAt(bands == 1 ? 0.0 : static_cast<double>(i) / (bands - 1)));
  }
}

}  // namespace korrin
