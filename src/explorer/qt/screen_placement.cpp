#include "explorer/qt/screen_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace korrin {

std::vector<TScreenArea> ScreenAreas() {
  std::vector<TScreenArea> out;
  QList<QScreen*> screens = QGuiApplication::screens();
  if (QScreen* primary = QGuiApplication::primaryScreen()) {
    screens.removeAll(primary);
    screens.prepend(primary);
  }
  for (QScreen* s : screens) {
    const QRect r = s->availableGeometry();
    out.push_back({r.left(), r.top(), r.width(), r.height()});
  }
  return out;
}

TWindowPlacement PlacementOf(const QWidget* window) {
  const QRect r = window->normalGeometry().isValid() ? window->normalGeometry() : window->geometry();
  TWindowPlacement p{r.left(), r.top(), r.width(), r.height(), TWindowState::wsNormal};
  if (window->isMaximized()) p.WindowState = TWindowState::wsMaximized;
  if (window->isMinimized()) p.WindowState = TWindowState::wsMinimized;
  return p;
}

void RestorePlacement(QWidget* window, const TWindowPlacement& p, int minWidth, int minHeight) {
  window->setGeometry(p.Left, p.Top, std::max(p.Width, minWidth), std::max(p.Height, minHeight));
  if (p.WindowState == TWindowState::wsMaximized) window->setWindowState(Qt::WindowMaximized);
  if (p.WindowState == TWindowState::wsMinimized) window->setWindowState(Qt::WindowMinimized);
}

}  // namespace korrin
