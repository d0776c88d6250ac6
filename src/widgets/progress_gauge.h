#pragma once
// A boxed progress gauge: a sunken strip of N boxes that fill from the left
// as the value goes from 0 to 100.

#include <QWidget>

namespace korrin {

class TProgressGauge : public QWidget {
  Q_OBJECT
public:
  explicit TProgressGauge(QWidget* parent = nullptr);

  int Value() const { return value_; }
  // Clamped to 0..100.
  void SetValue(int value);
  int Boxes() const { return boxes_; }
  // At least 1 (39 by default).
  void SetBoxes(int boxes);
  // The number of boxes drawn filled: Boxes() * Value() / 100, rounded down.
  int FilledBoxes() const;
  QColor BoxColor() const { return color_; }
  void SetBoxColor(const QColor& color);

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

signals:
  void ValueChanged(int value);

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  int value_ = 0;
  int boxes_ = 39;
  QColor color_{0, 0, 160};
};

}  // namespace korrin
