#include "explorer/qt/splash_form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QTimer>

#include "platform/qt/qt_prompts.h"

#include <cmath>

#include "explorer/settings.h"

namespace korrin {

namespace {

constexpr int kClientWidth = 532, kClientHeight = 349;
constexpr int kTickMs = 50;
constexpr int kLastTick = 10;  // the splash goes when the count exceeds this

QFont Face(QFont::StyleHint hint, const char* family, double pixels, int weight = QFont::Normal) {
  QFont f(family);
  f.setStyleHint(hint, QFont::PreferAntialias);
  f.setPixelSize(std::max(1, static_cast<int>(std::lround(pixels))));
  f.setWeight(static_cast<QFont::Weight>(weight));
  return f;
}

// A small deterministic generator for the star field, so the picture is the same every time.
struct TSeq {
  uint32_t state = 0x2545F491u;
  double Next() {
    state = state * 1664525u + 1013904223u;
    return (state >> 8) / 16777216.0;
  }
};

}  // namespace

void PaintKorrinEmblem(QPainter& p, const QRectF& box) {
  p.save();
  const double s = std::min(box.width() / 160.0, box.height() / 120.0);
  p.translate(box.center().x() - 80 * s, box.center().y() - 60 * s);
  p.scale(s, s);
  p.setRenderHint(QPainter::Antialiasing);

  // Signal arcs rising from the envelope's corner.
  for (int i = 0; i < 3; ++i) {
    QColor arc(120, 200, 255, 210 - i * 55);
    p.setPen(QPen(arc, 5 - i, Qt::SolidLine, Qt::RoundCap));
    double r = 18 + i * 14;
    p.drawArc(QRectF(122 - r, 26 - r, 2 * r, 2 * r), 0 * 16, 90 * 16);
  }
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(160, 220, 255));
  p.drawEllipse(QPointF(122, 26), 4.5, 4.5);

  // The envelope.
  QRectF env(8, 36, 118, 76);
  QLinearGradient paper(env.topLeft(), env.bottomRight());
  paper.setColorAt(0, QColor(252, 248, 236));
  paper.setColorAt(1, QColor(214, 205, 184));
  p.setPen(QPen(QColor(60, 52, 40), 2));
  p.setBrush(paper);
  p.drawRoundedRect(env, 4, 4);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(120, 108, 88), 1.6));
  p.drawLine(env.bottomLeft() + QPointF(4, -3), QPointF(env.center().x(), env.top() + 46));
  p.drawLine(env.bottomRight() + QPointF(-4, -3), QPointF(env.center().x(), env.top() + 46));
  QLinearGradient flap(env.topLeft(), QPointF(env.left(), env.top() + 44));
  flap.setColorAt(0, QColor(255, 253, 246));
  flap.setColorAt(1, QColor(226, 218, 198));
  p.setBrush(flap);
  p.setPen(QPen(QColor(60, 52, 40), 2));
  QPainterPath flapPath;
  flapPath.moveTo(env.left() + 2, env.top() + 2);
  flapPath.lineTo(env.center().x(), env.top() + 44);
  flapPath.lineTo(env.right() - 2, env.top() + 2);
  p.drawPath(flapPath);
  // Wax seal.
  QRadialGradient seal(QPointF(env.center().x() - 3, env.top() + 40), 14);
  seal.setColorAt(0, QColor(235, 90, 70));
  seal.setColorAt(1, QColor(150, 30, 24));
  p.setBrush(seal);
  p.setPen(QPen(QColor(110, 20, 16), 1.2));
  p.drawEllipse(QPointF(env.center().x(), env.top() + 44), 11, 11);
  p.setPen(QPen(QColor(255, 210, 190), 2));
  p.setFont(Face(QFont::Serif, "Serif", 14, QFont::Bold));
  p.drawText(QRectF(env.center().x() - 11, env.top() + 33, 22, 22), Qt::AlignCenter, "K");
  p.restore();
}

QPixmap TSplashForm::Picture(const QSize& size) {
  QPixmap pm(size);
  pm.fill(Qt::black);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  const double sx = size.width() / double(kClientWidth), sy = size.height() / double(kClientHeight);
  p.scale(sx, sy);
  const QRectF all(0, 0, kClientWidth, kClientHeight);

  // Night sky.
  QLinearGradient sky(all.topLeft(), all.bottomLeft());
  sky.setColorAt(0, QColor(14, 26, 52));
  sky.setColorAt(0.65, QColor(6, 10, 24));
  sky.setColorAt(1, QColor(0, 0, 0));
  p.fillRect(all, sky);
  QRadialGradient glow(QPointF(128, 150), 170);
  glow.setColorAt(0, QColor(40, 110, 170, 120));
  glow.setColorAt(1, QColor(40, 110, 170, 0));
  p.fillRect(all, glow);

  // Stars, and a few of them joined into a network of boards.
  TSeq seq;
  p.setPen(Qt::NoPen);
  for (int i = 0; i < 140; ++i) {
    QPointF at(seq.Next() * kClientWidth, seq.Next() * 240);
    double r = 0.4 + seq.Next() * 1.1;
    p.setBrush(QColor(200, 220, 255, 60 + int(seq.Next() * 150)));
    p.drawEllipse(at, r, r);
  }
  const QPointF nodes[] = {{300, 40}, {352, 22}, {410, 48}, {468, 28}, {505, 70}, {440, 90}, {372, 78}};
  p.setPen(QPen(QColor(90, 160, 230, 90), 1));
  const int links[][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 6}, {6, 0}, {2, 6}, {2, 5}, {1, 6}};
  for (const auto& l : links) p.drawLine(nodes[l[0]], nodes[l[1]]);
  for (const QPointF& n : nodes) {
    QRadialGradient dot(n, 5);
    dot.setColorAt(0, QColor(190, 230, 255, 230));
    dot.setColorAt(1, QColor(190, 230, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(dot);
    p.drawEllipse(n, 5, 5);
  }

  // A terminal session in the background.
  p.setFont(Face(QFont::Monospace, "Monospace", 11));
  const char* session[] = {"ATDT 555 0142", "CONNECT 28800/ARQ", "Packing your mail ... done",
                           "Sending MAINBBS.QWK", "Transfer complete. NO CARRIER"};
  for (int i = 0; i < 5; ++i) {
    p.setPen(QColor(90, 220, 120, 70 - i * 6));
    p.drawText(QPointF(22, 232 + i * 15), session[i]);
  }

  PaintKorrinEmblem(p, QRectF(40, 70, 180, 140));

  // The name, in gold.
  QFont title = Face(QFont::Serif, "Serif", 70, QFont::Bold);
  QPainterPath name;
  name.addText(QPointF(238, 168), title, "Korrin");
  QLinearGradient gold(QPointF(0, 112), QPointF(0, 170));
  gold.setColorAt(0, QColor(255, 240, 190));
  gold.setColorAt(0.5, QColor(232, 184, 80));
  gold.setColorAt(1, QColor(160, 104, 30));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 150));
  p.drawPath(name.translated(3, 4));
  p.setBrush(gold);
  p.setPen(QPen(QColor(90, 56, 10), 1));
  p.drawPath(name);

  QFont sub = Face(QFont::SansSerif, "Sans", 17, QFont::DemiBold);
  sub.setLetterSpacing(QFont::AbsoluteSpacing, 3.5);
  p.setFont(sub);
  p.setPen(QColor(150, 200, 245));
  p.drawText(QPointF(244, 198), "PACKET EXPLORER");
  p.setFont(Face(QFont::SansSerif, "Sans", 12));
  p.setPen(QColor(170, 180, 200));
  p.drawText(QPointF(245, 222), "Offline mail for bulletin board systems");

  // A gold rule above the version line, and the maker.
  QLinearGradient rule(QPointF(60, 0), QPointF(472, 0));
  rule.setColorAt(0, QColor(232, 184, 80, 0));
  rule.setColorAt(0.5, QColor(232, 184, 80, 220));
  rule.setColorAt(1, QColor(232, 184, 80, 0));
  p.setPen(QPen(QBrush(rule), 1.2));
  p.drawLine(QPointF(60, 300), QPointF(472, 300));
  p.setFont(Face(QFont::SansSerif, "Sans", 10));
  p.setPen(QColor(120, 128, 145));
  p.drawText(QRectF(0, 328, kClientWidth - 12, 16), Qt::AlignRight | Qt::AlignVCenter, "Halvane Software Development");
  return pm;
}

TSplashForm::TSplashForm(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setObjectName("SplashForm");
  setAttribute(Qt::WA_DeleteOnClose);
  setAttribute(Qt::WA_QuitOnClose, false);
  setFixedSize(kClientWidth, kClientHeight);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::black);
  setPalette(pal);
  setAutoFillBackground(true);

  Image1 = new QLabel(this);
  Image1->setObjectName("Image1");
  Image1->setGeometry(0, 0, kClientWidth, kClientHeight);
  Image1->setPixmap(Picture(QSize(kClientWidth, kClientHeight)));

  VersionLabel = new QLabel(this);
  VersionLabel->setObjectName("VersionLabel");
  VersionLabel->setText(QStringLiteral("Version  ") + QString::fromUtf8(kVersionText));
  VersionLabel->setAlignment(Qt::AlignCenter);
  QFont f = VersionLabel->font();
  f.setBold(true);
  f.setPixelSize(13);
  VersionLabel->setFont(f);
  VersionLabel->setStyleSheet("color: rgb(225, 230, 240); background: transparent;");
  VersionLabel->setGeometry(0, 306, kClientWidth, 20);

  Timer1 = new QTimer(this);
  Timer1->setObjectName("Timer1");
  Timer1->setInterval(kTickMs);
  connect(Timer1, &QTimer::timeout, this, &TSplashForm::Timer1Timer);
  Centre();
}

void TSplashForm::Centre() {
  QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  QRect area = screen->availableGeometry();
  move(area.left() + (area.width() - width()) / 2, area.top() + (area.height() - height()) / 2);
}

void TSplashForm::StartTimer() { Timer1->start(); }

bool TSplashForm::TimerEnabled() const { return Timer1->isActive(); }

void TSplashForm::Timer1Timer() {
  if (ticks_ > kLastTick) return;  // already on its way out
  QCoreApplication::processEvents();
  ++ticks_;
  if (ticks_ > kLastTick) {
    Timer1->stop();
    hide();
    deleteLater();
  }
}

void TSplashForm::ReleaseStayOnTop() {
  if (!(windowFlags() & Qt::WindowStaysOnTopHint)) return;
  bool visible = isVisible();
  setWindowFlag(Qt::WindowStaysOnTopHint, false);  // hides the window
  if (visible) show();
}

void TSplashForm::KeepDialogsAbove(TQtPrompts& prompts, QPointer<TSplashForm> splash) {
  prompts.SetBeforeDialog([splash] {
    if (splash && splash->isVisible()) splash->hide();
  });
}

void TSplashForm::closeEvent(QCloseEvent* event) {
  Timer1->stop();
  event->accept();  // released through WA_DeleteOnClose
}

}  // namespace korrin
