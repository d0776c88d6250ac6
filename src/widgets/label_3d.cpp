#include "widgets/label_3d.h"

#include <QPainter>

#include <algorithm>

namespace korrin {

TLabel3D::TLabel3D(const QString& text, QWidget* parent) : QLabel(text, parent) {}

void TLabel3D::SetShadowColor(const QColor& color) {
  shadow_ = color;
  update();
}

void TLabel3D::SetShadowDepth(int depth) {
  depth_ = std::max(0, depth);
  updateGeometry();
  update();
}

QSize TLabel3D::sizeHint() const { return QLabel::sizeHint() + QSize(depth_, depth_); }

void TLabel3D::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setFont(font());
  const QRect area = contentsRect().adjusted(0, 0, -depth_, -depth_);
  const int flags = static_cast<int>(alignment()) | (wordWrap() ? Qt::TextWordWrap : 0);
  if (depth_ > 0) {
    p.setPen(shadow_);
    p.drawText(area.translated(depth_, depth_), flags, text());
  }
  p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
  p.drawText(area, flags, text());
}

}  // namespace korrin
