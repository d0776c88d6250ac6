// The mail reader: wiring only.

#include <QApplication>

#include "explorer/qt/main_form.h"
#include "platform/prompts.h"
#include "platform/qt/qt_platform.h"
#include "platform/qt/qt_prompts.h"
#include "platform/random.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Korrin");
  QApplication::setApplicationDisplayName("Korrin");
  korrin::Randomize();

  korrin::TQtPrompts prompts;
  korrin::SetPrompts(&prompts);
  korrin::TQtShell shell;
  korrin::SetShell(&shell);

  korrin::TMainForm form;
  prompts.SetParent(&form);
  form.show();
  int rc = QApplication::exec();
  korrin::SetPrompts(nullptr);
  korrin::SetShell(nullptr);
  return rc;
}
