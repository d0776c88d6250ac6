#pragma once
// A backdrop that fills its area with a vertical gradient from one colour to
// another (a deep blue fading to black unless told otherwise). Child widgets
// lie on top of it.

#include <QColor>
#include <QWidget>

namespace korrin {

class TBackDrop : public QWidget {
  Q_OBJECT
public:
  explicit TBackDrop(QWidget* parent = nullptr);

  QColor StartColor() const { return start_; }
  QColor EndColor() const { return end_; }
  // The colour at the top and at the bottom.
  void SetColors(const QColor& start, const QColor& end);
  // The colour drawn at a height between 0 (top) and 1 (bottom).
  QColor ColorAt(double position) const;

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  QColor start_{0, 0, 255};
  QColor end_{0, 0, 0};
};

}  // namespace korrin
