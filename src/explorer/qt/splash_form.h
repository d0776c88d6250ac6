#pragma once
// The splash window shown while the program starts: a borderless, black,
// stay-on-top window with the program's picture and its version. Once the
// main window enables its timer it removes itself after eleven 50 ms ticks.

#include <QPointer>
#include <QWidget>

class QLabel;
class QPainter;
class QTimer;

namespace korrin {

class TQtPrompts;

class TSplashForm : public QWidget {
  Q_OBJECT
public:
  explicit TSplashForm(QWidget* parent = nullptr);

  // Enables the 50 ms timer (the main window does this at the end of its creation).
  void StartTimer();
  bool TimerEnabled() const;
  // One tick: lets pending events run and counts; the eleventh hides the
  // window and releases it.
  void Timer1Timer();
  int TickCount() const { return ticks_; }
  // Puts the window back in the normal window order (no longer on top).
  void ReleaseStayOnTop();
  // Every box and dialog of `prompts` first hides the splash, so that none
  // opens underneath it.
  static void KeepDialogsAbove(TQtPrompts& prompts, QPointer<TSplashForm> splash);
  // Centres the window on the screen that holds the cursor.
  void Centre();

  // The splash picture at any size.
  static QPixmap Picture(const QSize& size);

protected:
  void closeEvent(QCloseEvent* event) override;

private:
  QLabel* Image1;
  QLabel* VersionLabel;
  QTimer* Timer1;
  int ticks_ = 0;
};

// The program's emblem, an envelope sending signal arcs, fitted into `box`.
void PaintKorrinEmblem(QPainter& p, const QRectF& box);

}  // namespace korrin
