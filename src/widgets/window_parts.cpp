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

void AddNamedActions(QMenu* menu, const std::map<std::string, QAction*>& actions,
                     std::initializer_list<const char*> names) {
  for (const char* n : names) {
    if (std::string(n) == "-") {
      menu->addSeparator();
    } else {
      menu->addAction(actions.at(n));
    }
  }
}

}  // namespace korrin
