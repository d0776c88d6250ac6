#include "explorer/qt/screen_placement.h"

#include <QGuiApplication>
#include <QScreen>

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

}  // namespace korrin
