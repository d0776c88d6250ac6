#pragma once
// The big picture button of the explorer toolbars: a picture above a bold
// caption, flat until the mouse is over it, raised while hovered, sunken
// while pressed, greyed while disabled.

#include <QAbstractButton>
#include <QIcon>

#include "widgets/mail_images.h"

namespace korrin {

class TExplorerButton : public QAbstractButton {
  Q_OBJECT
public:
  explicit TExplorerButton(QWidget* parent = nullptr);
  TExplorerButton(const QString& caption, const QIcon& glyph, QWidget* parent = nullptr);
  TExplorerButton(const QString& caption, TMailImage image, QWidget* parent = nullptr);

  // The caption is the button's text; a "&" marks the mnemonic letter.
  QString Caption() const { return text(); }
  void SetCaption(const QString& caption);
  void SetGlyph(const QIcon& glyph);
  void SetImage(TMailImage image) { SetGlyph(MailImage(image)); }
  // Picture size in pixels (32 by default).
  int GlyphSize() const { return glyphSize_; }
  void SetGlyphSize(int size);
  // True while the mouse is over an enabled button.
  bool IsHot() const { return hot_; }

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void changeEvent(QEvent* event) override;

private:
  void SetHot(bool hot);

  int glyphSize_ = 32;
  bool hot_ = false;
};

}  // namespace korrin
