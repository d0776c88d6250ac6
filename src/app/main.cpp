// The mail reader: wiring only.

#include <QApplication>
#include <QEvent>
#include <QPointer>

#include <unistd.h>

#include "explorer/qt/help_window.h"
#include "explorer/qt/main_form.h"
#include "explorer/qt/splash_form.h"
#include "platform/prompts.h"
#include "platform/qt/qt_platform.h"
#include "platform/qt/qt_prompts.h"
#include "platform/registry.h"
#include "platform/version.h"

namespace {

// While the reader runs, "Status" under its key + "\Main" holds its process
// id, so that setup does not replace its files meanwhile; a flag left by a
// reader that crashed names a process that is gone. Cleared at exit unless
// another reader has marked itself since.
class TRunningMark {
public:
  TRunningMark() { Write(true); }
  ~TRunningMark() { Write(false); }

private:
  static void Write(bool running) {
    try {
      korrin::TRegistry reg;
      if (!reg.OpenKey(std::string(korrin::kProgramKey) + "\\Main", running)) return;
      const int32_t pid = static_cast<int32_t>(::getpid());
      if (running) reg.WriteInteger("Status", pid);
      else if (reg.GetDataType("Status") == korrin::TRegDataType::rdInteger && reg.ReadInteger("Status") == pid)
        reg.WriteInteger("Status", 0);
    } catch (const std::exception&) {
      // Without the mark only setup's check is weaker; the reader runs on.
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  TRunningMark running;
  QApplication::setApplicationName("Korrin");
  QGuiApplication::setDesktopFileName("korrin");  // ties windows to the menu entry and its icon

  korrin::TQtPrompts prompts;
  korrin::SetPrompts(&prompts);
  korrin::TQtShell shell;
  korrin::SetShell(&shell);
  korrin::THelp::InstallF1Handler();

  QPointer<korrin::TSplashForm> splash = new korrin::TSplashForm;  // frees itself after its last tick
  korrin::TSplashForm::KeepDialogsAbove(prompts, splash);
  splash->show();
  splash->repaint();
  QApplication::processEvents();

  int rc;
  {
    korrin::TMainForm form;
    prompts.SetParent(&form);
    // While the splash is up, leaving the main window puts it back in the normal window order.
    struct Deactivate : QObject {
      QPointer<korrin::TSplashForm>& splash;
      explicit Deactivate(QPointer<korrin::TSplashForm>& s) : splash(s) {}
      bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::WindowDeactivate && splash) splash->ReleaseStayOnTop();
        return false;
      }
    } deactivate(splash);
    form.installEventFilter(&deactivate);
    form.show();
    if (splash) splash->StartTimer();
    rc = QApplication::exec();
    prompts.SetParent(nullptr);
  }
  korrin::THelp::CloseWindow();
  korrin::SetPrompts(nullptr);
  korrin::SetShell(nullptr);
  return rc;
}
