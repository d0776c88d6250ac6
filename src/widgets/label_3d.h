#pragma once
// A label whose text is drawn raised: a shadow in a darker colour lies a few
// pixels below and to the right of the text.

#include <QLabel>

namespace korrin {

class TLabel3D : public QLabel {
  Q_OBJECT
public:
  explicit TLabel3D(const QString& text = {}, QWidget* parent = nullptr);

  QColor ShadowColor() const { return shadow_; }
  void SetShadowColor(const QColor& color);
  int ShadowDepth() const { return depth_; }
  // 0 draws no shadow.
  void SetShadowDepth(int depth);

  QSize sizeHint() const override;

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  QColor shadow_{0, 0, 0};
  int depth_ = 3;
};

}  // namespace korrin
