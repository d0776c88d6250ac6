#include "widgets/explorer_button.h"

#include <QEnterEvent>
#include <QPainter>
#include <QStyle>
#include <QRegularExpression>
#include <QStyleOption>

#include <algorithm>

namespace korrin {

namespace {
constexpr int kMarginX = 6, kMarginY = 4, kGap = 2;

QFont CaptionFont(const QFont& base) {
  QFont f = base;
  f.setBold(true);
  return f;
}
}  // namespace

TExplorerButton::TExplorerButton(QWidget* parent) : QAbstractButton(parent) {
  setFocusPolicy(Qt::TabFocus);
  setAttribute(Qt::WA_Hover);
  setCursor(Qt::ArrowCursor);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

TExplorerButton::TExplorerButton(const QString& caption, const QIcon& glyph, QWidget* parent)
    : TExplorerButton(parent) {
  SetCaption(caption);
  SetGlyph(glyph);
}

TExplorerButton::TExplorerButton(const QString& caption, TMailImage image, QWidget* parent)
    : TExplorerButton(caption, MailImage(image), parent) {}

void TExplorerButton::SetCaption(const QString& caption) {
  setText(caption);
  updateGeometry();
  update();
}

void TExplorerButton::SetGlyph(const QIcon& glyph) {
  setIcon(glyph);
  update();
}

void TExplorerButton::SetGlyphSize(int size) {
  glyphSize_ = qBound(8, size, 256);
  setIconSize(QSize(glyphSize_, glyphSize_));
  updateGeometry();
  update();
}

QSize TExplorerButton::sizeHint() const {
  QFontMetrics fm(CaptionFont(font()));
  QString caption = text();
  caption.remove(QRegularExpression("&(?!&)"));
  int w = std::max(fm.horizontalAdvance(caption), glyphSize_) + 2 * kMarginX;
  int h = glyphSize_ + kGap + fm.height() + 2 * kMarginY;
  return {std::max(w, 52), h};
}

QSize TExplorerButton::minimumSizeHint() const { return sizeHint(); }

void TExplorerButton::SetHot(bool hot) {
  hot = hot && isEnabled();
  if (hot_ == hot) return;
  hot_ = hot;
  update();
}

void TExplorerButton::enterEvent(QEnterEvent* event) {
  SetHot(true);
  QAbstractButton::enterEvent(event);
}

void TExplorerButton::leaveEvent(QEvent* event) {
  SetHot(false);
  QAbstractButton::leaveEvent(event);
}

void TExplorerButton::changeEvent(QEvent* event) {
  if (event->type() == QEvent::EnabledChange) {
    if (!isEnabled()) SetHot(false);
    else if (underMouse()) SetHot(true);
    update();
  }
  QAbstractButton::changeEvent(event);
}

void TExplorerButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QPalette& pal = palette();
  const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  const bool down = isDown() || isChecked();
  const bool enabled = isEnabled();

  // Flat at rest, so the toolbar's picture shows through; a soft highlight and
  // a raised edge while hovered, a sunken edge while pressed.
  if (enabled && (hot_ || down)) {
    QColor glow = pal.color(QPalette::Highlight);
    glow.setAlpha(down ? 70 : 38);
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawRoundedRect(frame, 3, 3);
    QColor light = pal.color(QPalette::Light), dark = pal.color(QPalette::Dark);
    if (down) std::swap(light, dark);
    p.setRenderHint(QPainter::Antialiasing, false);
    QRect r = rect().adjusted(0, 0, -1, -1);
    p.setPen(light);
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(dark);
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
    p.setRenderHint(QPainter::Antialiasing);
  }
  if (hasFocus() && enabled) {
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    focus.rect = rect().adjusted(2, 2, -2, -2);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &p, this);
  }

  const int shift = down && enabled ? 1 : 0;
  QFont captionFont = CaptionFont(font());
  QFontMetrics fm(captionFont);
  const int contentHeight = glyphSize_ + kGap + fm.height();
  const int top = (height() - contentHeight) / 2 + shift;
  QPixmap glyph = icon().pixmap(QSize(glyphSize_, glyphSize_), devicePixelRatioF(),
                                enabled ? (hot_ ? QIcon::Active : QIcon::Normal) : QIcon::Disabled);
  if (!glyph.isNull()) {
    QSizeF logical = glyph.deviceIndependentSize();
    p.drawPixmap(QPointF((width() - logical.width()) / 2.0 + shift, top + (glyphSize_ - logical.height()) / 2.0),
                 glyph);
  }

  p.setFont(captionFont);
  QRect textRect(shift, top + glyphSize_ + kGap, width(), fm.height());
  const int flags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextShowMnemonic;
  if (enabled) {
    p.setPen(pal.color(QPalette::ButtonText));
    p.drawText(textRect, flags, text());
  } else {
    // Engraved grey, the classic disabled look.
    p.setPen(pal.color(QPalette::Light));
    p.drawText(textRect.translated(1, 1), flags, text());
    p.setPen(pal.color(QPalette::Disabled, QPalette::WindowText));
    p.drawText(textRect, flags, text());
  }
}

}  // namespace korrin
