// The installer. "setup" shows the wizard's pages; "setup --unattended
// --dest DIR [--group NAME]" runs the same steps without pages: the same
// checks, the messages on standard error, exit code 0 on success and
// non-zero on every failure (1 while the reader runs).

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "installer/console_prompts.h"
#include "installer/setup_controller.h"
#include "platform/paths.h"
#include "platform/random.h"

#ifdef KORRIN_SETUP_PAGES
#include <QApplication>

#include "installer/page_texts.h"
#include "installer/qt/tessel_wizard.h"
#include "platform/qt/qt_prompts.h"
#endif

namespace {

constexpr const char* kUsage =
    "usage: setup                  shows the installation pages\n"
    "       setup --unattended [--dest FOLDER] [--group NAME]\n"
    "  Installs the package of setup's own folder into FOLDER (default: the previous\n"
    "  installation, else the folder setup.inf names) with shortcuts in the group\n"
    "  NAME (default: the group setup.inf names; an empty NAME makes none).\n";

enum TExit { exOk = 0, exReaderRunning = 1, exUsage = 2, exNoWorkFolder = 3, exNoScript = 4, exPackage = 5,
             exDestination = 6, exSpace = 7, exInstall = 8, exWorkFolderLeft = 9 };

}  // namespace

int main(int argc, char** argv) {
  bool unattended = false;
  std::optional<std::string> dest, group;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--unattended") unattended = true;
    else if (a == "--dest" && i + 1 < argc) dest = argv[++i];
    else if (a == "--group" && i + 1 < argc) group = argv[++i];
    else if (a == "--help" || a == "-h") {
      std::fputs(kUsage, stdout);
      return exOk;
    } else {
      std::fprintf(stderr, "setup: unknown argument %s\n%s", a.c_str(), kUsage);
      return exUsage;
    }
  }
  if (!unattended) {
#ifdef KORRIN_SETUP_PAGES
    if (dest || group) {
      std::fprintf(stderr, "setup: --dest and --group need --unattended\n%s", kUsage);
      return exUsage;
    }
    korrin::Randomize();
    QApplication app(argc, argv);
    // Boxes take the wizard's caption; the pages keep their own captions
    // (no display name is set, so none is added to them).
    QApplication::setApplicationName(korrin::kWizardCaption);
    // The pages come and go one by one; setup ends when they are done.
    QApplication::setQuitOnLastWindowClosed(false);
    korrin::TQtPrompts prompts;
    korrin::SetPrompts(&prompts);
    int code = 0;
    {
      korrin::TTesselWizard wizard;
      prompts.SetParent(&wizard);
      code = wizard.Execute(korrin::ExecutableFolder());
    }
    korrin::SetPrompts(nullptr);
    return code;
#else
    std::fprintf(stderr, "setup: the installation pages are not part of this build\n%s", kUsage);
    return exUsage;
#endif
  }

  korrin::Randomize();
  korrin::TConsolePrompts prompts("setup", true);
  korrin::SetPrompts(&prompts);
  korrin::TSetupController setup(prompts);
  korrin::TSetupState& s = setup.State();

  switch (setup.Startup(korrin::ExecutableFolder(), false)) {
    case korrin::TStartup::suReaderRunning: return exReaderRunning;
    case korrin::TStartup::suNoTempFolder: return exNoWorkFolder;
    case korrin::TStartup::suContinue: break;
  }
  // Every way out from here removes the work folder.
  auto finish = [&](int code) {
    if (!setup.FinishSetup() && code == exOk) code = exWorkFolderLeft;
    return code;
  };
  if (!setup.ScriptRead()) return finish(exNoScript);
  if (dest && *dest != s.Destination) {
    // Somewhere else than a previous installation: an update only if it holds the program.
    s.Destination = *dest;
    s.SetupType = korrin::kSetupTypeInstallation;
  }
  if (group) s.Group = *group;
  setup.DetectUpdate(s.Destination);

  if (!setup.ListPackage()) return finish(exPackage);
  if (setup.CheckDestination() != korrin::TDestinationCheck::dcOk) return finish(exDestination);
  if (!setup.EnoughSpace()) {
    prompts.Error(setup.RequiredSpaceText() + " " + setup.FreeSpaceText());
    return finish(exSpace);
  }
  bool ok = setup.InstallFiles();
  if (ok && !s.Group.empty() && prompts.ConfirmYesNo(setup.ShortcutQuestion())) ok = setup.MakeShortcuts();
  setup.EndInstalling(ok);
  if (!ok) return finish(exInstall);
  std::fprintf(stderr, "setup: %s: Setup is finnished installing %s on your system.\n", s.SetupType.c_str(),
               s.ProductName.c_str());
  return finish(exOk);
}
