#include "explorer/qt/main_form.h"

namespace korrin {

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
  setObjectName("MainForm");
  setWindowTitle("Korrin Mail Explorer");
  setGeometry(182, 79, 542, 411);
}

}  // namespace korrin
