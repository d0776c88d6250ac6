#include "widgets/window_parts.h"

#include <QFrame>

namespace korrin {

QVBoxLayout* SetToolbarCentral(QMainWindow* window, QWidget* toolbar) {
  auto* central = new QWidget(window);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(toolbar);
  auto* line = new QFrame(central);
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);
  layout->addWidget(line);
  window->setCentralWidget(central);
  return layout;
}

void AddActions(QMenu* menu, std::initializer_list<QAction*> actions) {
  for (QAction* a : actions) {
    if (a) menu->addAction(a);
    else menu->addSeparator();
  }
}

}  // namespace korrin
