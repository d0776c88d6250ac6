// The mail reader: wiring only.

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QPointer>
#include <QTimer>

#include <unistd.h>

#include <cstdio>

#include "explorer/qt/help_window.h"
#include "explorer/qt/main_form.h"
#include "explorer/qt/single_instance.h"
#include "explorer/qt/splash_form.h"
#include "platform/instance.h"
#include "platform/paths.h"
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
  QApplication::setApplicationName("Korrin");
  QGuiApplication::setDesktopFileName("korrin");  // ties windows to the menu entry and its icon

  // A packet or reply packet named on the command line is opened as a
  // dropped one; a reader already running on this program folder takes it.
  std::vector<std::string> files;
  const QStringList args = QApplication::arguments();
  for (qsizetype i = 1; i < args.size(); ++i)
    if (auto f = korrin::CommandLineFile(korrin::ToUtf8(args[i]), korrin::ToUtf8(QDir::currentPath())))
      files.push_back(*f);
  korrin::TSingleInstance instance(
      QString::fromStdString(korrin::InstanceName(korrin::ProgramFolder(), static_cast<unsigned>(::getuid()))));
  switch (instance.Start(files)) {
    case korrin::TSingleInstance::TStart::tsHandedOver: return 0;
    case korrin::TSingleInstance::TStart::tsNoAnswer:
      std::fprintf(stderr, "korrin: the reader running on %s does not answer.\n", korrin::ProgramFolder().c_str());
      return 1;
    case korrin::TSingleInstance::TStart::tsFirst: break;
  }
  TRunningMark running;

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
    instance.SetOnFiles([&form](const std::vector<std::string>& paths) {
      form.BringMainToFront();
      if (!paths.empty()) form.OpenWhenIdle(paths.front());
    });
    if (!files.empty()) QTimer::singleShot(0, &form, [&form, path = files.front()] { form.OpenWhenIdle(path); });
    rc = QApplication::exec();
    instance.SetOnFiles(nullptr);
    prompts.SetParent(nullptr);
  }
  korrin::THelp::CloseWindow();
  korrin::SetPrompts(nullptr);
  korrin::SetShell(nullptr);
  return rc;
}
