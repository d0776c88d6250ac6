// setup's windows clicked through offscreen: every page with its texts, the
// exit question, the folder picker, update mode, the free-space rule, the
// progress page fed by a real extraction, and a whole installation of the
// generated package that the uninstaller then removes.

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>

#include <gtest/gtest.h>

#include "../core/installer_test_helpers.h"
#include "installer/qt/setup_pages.h"
#include "installer/qt/status_form.h"
#include "installer/qt/tessel_wizard.h"
#include "installer/setup_zip.h"
#include "platform/ini_file.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/version.h"
#include "support/qt_modal.h"
#include "support/recording_prompts.h"
#include "support/test_env.h"
#include "widgets/back_drop.h"
#include "widgets/browse_directory_dlg.h"
#include "widgets/label_3d.h"
#include "widgets/progress_gauge.h"

using namespace korrin;
namespace fs = std::filesystem;

// Texts show as text when a comparison fails.
void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

// Answers the modal windows as they appear, one step each, in order. A
// window that was not expected fails the test and is answered with Exit or
// Cancel, so the wizard always ends.
class TPageDriver : public QObject {
public:
  using Action = std::function<void(QWidget*)>;
  TPageDriver() {
    timer_.setInterval(5);
    connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });
    timer_.start();
  }
  ~TPageDriver() override { EXPECT_TRUE(steps_.empty()) << steps_.size() << " steps left"; }
  TPageDriver& On(const QString& name, Action action) {
    steps_.push_back({name, std::move(action)});
    return *this;
  }
  std::vector<QString> seen;

private:
  struct Step {
    QString name;
    Action action;
  };
  void Tick() {
    QWidget* w = QApplication::activeModalWidget();
    if (w == nullptr || !w->isVisible()) return;
    for (const auto& h : handled_)
      if (h == w) return;
    handled_.emplace_back(w);
    seen.push_back(w->objectName());
    if (steps_.empty() || steps_.front().name != w->objectName()) {
      ADD_FAILURE() << "unexpected window " << w->objectName().toStdString();
      Later([w = QPointer<QWidget>(w)] {
        if (w && !test::ClickButton(w, "ExitBtn"))
          if (auto* d = qobject_cast<QDialog*>(w.data())) d->reject();
      });
      return;
    }
    Step step = steps_.front();
    steps_.pop_front();
    step.action(w);
  }
  static void Later(std::function<void()> f) { QTimer::singleShot(0, qApp, std::move(f)); }

  QTimer timer_;
  std::deque<Step> steps_;
  std::vector<QPointer<QWidget>> handled_;
};

// Presses a button once the current handler has returned.
void Press(QWidget* w, const char* name) {
  auto* b = test::Find<QAbstractButton>(w, name);
  ASSERT_NE(b, nullptr) << name << " in " << w->objectName().toStdString();
  QTimer::singleShot(0, b, [b] { b->click(); });
}

QString Text(QWidget* w, const char* name) {
  auto* l = test::Find<QLabel>(w, name);
  return l != nullptr ? l->text() : QString("<no %1>").arg(name);
}

std::string Shot(QWidget* w, const QString& name) { return test::GrabToPng(w, name).toStdString(); }

class TRecordingShell : public Shell {
public:
  int OpenDocument(const std::string&, const std::string&) override { return kShellOk; }
  int StartProgram(const std::string& program, const std::vector<std::string>&, const std::string&) override {
    started.push_back(program);
    return fs::exists(program) ? kShellOk : kShellFileNotFound;
  }
  std::vector<std::string> started;
};

// The wizard with the progress page's figures and gauges recorded.
class TRecordingWizard : public TTesselWizard {
public:
  void ShowProgress(bool show) override {
    TTesselWizard::ShowProgress(show);
    if (!show) return;
    shot = Shot(StatusForm(), "setup-07-progress");
    Setup().Zip().Progress().SetOnProgress([this](const TProgressFigures& f) {
      StatusForm()->ShowFigures(f);
      figures.push_back(f);
      if (f.OverallPercent >= 50 && midShot.empty()) midShot = Shot(StatusForm(), "setup-07c-progress-half");
      installed.push_back(StatusForm()->InstalledGauge->Value());
      fileTexts.push_back(StatusForm()->FileLabel->text().toStdString());
    });
  }
  std::vector<TProgressFigures> figures;
  std::vector<int> installed;
  std::vector<std::string> fileTexts;
  std::string shot, midShot;
};

const char* kSvg = "<svg xmlns='http://www.w3.org/2000/svg' width='120' height='80'><rect width='120' height='80' "
                   "fill='#2050a0'/></svg>";

// A setup folder with every page switched on: script, pictures and texts
// in "setup.lib", three program files in "install.lib".
std::string MakeSetupFolder(const std::string& destDir) {
  const std::string dir = test::NewTempDir("package");
  test::WriteFile(dir + "setup.inf",
                  "[Boot]\nLicense=1\nReadMe=1\nSplash=1\nLogo=1\nBackground=1\n"
                  "[Product]\nName=Korrin offline mail reader\nVersion=1.3\nVendor=Halvane Software Development\n"
                  "Author=Halvane Software Development\nMainEXE=korrin\nProgGroup=Korrin\nDestDir=" +
                      destDir +
                      "\n[Bitmaps]\nSplash=splash.svg\nLogo=logo.svg\nBackground=background.svg\n"
                      "[TextFiles]\nLicense=license.txt\nReadme=readme.txt\n"
                      "[InstallFiles]\nFile0=korrin,Korrin offline mail reader\nFile1=korrin.ini\nFile2=data.bin\n");
  test::MakeZip(dir + "setup.lib", std::string("svg = \"") + kSvg +
                                       "\"\nfor n in ('splash.svg', 'logo.svg', 'background.svg'): z.writestr(n, svg)\n"
                                       "z.writestr('license.txt', 'LICENCE TERMS\\n' * 80)\n"
                                       "z.writestr('readme.txt', 'Read me first.\\n')\n");
  test::MakeZip(dir + "install.lib", "z.writestr('korrin', '#!/bin/sh\\n' + 'k' * 3000)\n"
                                     "z.writestr('korrin.ini', '[Main]\\n')\nz.writestr('data.bin', 'd' * 200000)\n");
  return dir;
}

std::string SourceDir() {
  const char* src = std::getenv("KORRIN_SOURCE_DIR");
  return src != nullptr && *src != 0 ? std::string(src) : std::string(KORRIN_SOURCE_TREE);
}

}  // namespace

TEST(SetupWizard, EveryPageInOrderWithExitQuestionFolderPickerAndRun) {
  test::TRecordingPrompts prompts;
  TRecordingShell shell;
  SetShell(&shell);
  const std::string root = test::TestRoot();
  const std::string package = MakeSetupFolder(root + "user/korrin");
  const std::string apps = test::NewTempDir("apps");
  const std::string dest = apps + "Korrin offline mail reader";
  std::vector<std::string> shots;
  QPointer<QWidget> destPage;

  TRecordingWizard wizard;
  TPageDriver driver;
  driver
      .On("LogoDlg",
          [&](QWidget* w) {
            EXPECT_TRUE(wizard.isVisible());
            EXPECT_GT(wizard.width(), 0) << wizard.height();
            shots.push_back(Shot(&wizard, "setup-00-backdrop"));
            shots.push_back(Shot(w, "setup-01-logo"));
            EXPECT_EQ(w->windowTitle(), "Welcome");
            EXPECT_FALSE(test::Find<QPushButton>(w, "BackBtn")->isEnabled());
            EXPECT_TRUE(test::Find<QLabel>(w, "SplashImage")->pixmap().isNull() == false);
            EXPECT_TRUE(w->windowFlags() & Qt::WindowStaysOnTopHint);
            EXPECT_FALSE(w->windowFlags() & Qt::WindowCloseButtonHint);
            Press(w, "CancelBtn");
          })
      .On("ExitDlg",
          [&](QWidget* w) {
            shots.push_back(Shot(w, "setup-02-exit-question"));
            EXPECT_EQ(w->windowTitle(), "Halvane's Installation Wizard");
            EXPECT_EQ(Text(w, "WarningLabel"), "WARNING   Setup is not complete. If you exit Setup, Korrin offline "
                                               "mail reader will not be installed correctly.");
            EXPECT_EQ(Text(w, "CopiedLabel"), "If files have been copied over a previous version of Korrin offline "
                                              "mail reader.  It may not function correctly.");
            EXPECT_EQ(test::Find<QPushButton>(w, "ResumeBtn")->text(), "&Resume");
            Press(w, "ResumeBtn");
          })
      .On("LogoDlg", [&](QWidget* w) { Press(w, "NextBtn"); })
      .On("WelcomeDlg",
          [&](QWidget* w) {
            shots.push_back(Shot(w, "setup-03-welcome"));
            EXPECT_EQ(Text(w, "TypeLabel"), "Installation");
            EXPECT_EQ(Text(w, "TitleLabel"), "Korrin offline mail reader version 1.3");
            EXPECT_EQ(Text(w, "InstallerLabel"), "Halvane's Installation Wizard v1.3");
            EXPECT_EQ(Text(w, "RightsLabel"), "allrights reserved by Halvane Software Development");
            EXPECT_EQ(Text(w, "WelcomeLabel"), "Welcome to the Korrin offline mail reader Setup program.");
            EXPECT_NE(test::Find<QLabel>(w, "Picture"), nullptr);  // the logo
            EXPECT_TRUE(test::Find<QPushButton>(w, "BackBtn")->isEnabled());
            Press(w, "NextBtn");
          })
      .On("LicenseDlg",
          [&](QWidget* w) {
            shots.push_back(Shot(w, "setup-04-license"));
            EXPECT_EQ(w->windowTitle(), "Software License Agreement");
            auto* memo = test::Find<QPlainTextEdit>(w, "LicenseMemo");
            EXPECT_TRUE(memo->isReadOnly());
            EXPECT_TRUE(memo->toPlainText().startsWith("LICENCE TERMS\nLICENCE TERMS"));
            EXPECT_EQ(test::Find<QPushButton>(w, "CancelBtn")->text(), "&No");
            Press(w, "CancelBtn");  // "&No": the exit question
          })
      .On("ExitDlg", [&](QWidget* w) { Press(w, "ResumeBtn"); })
      .On("LicenseDlg", [&](QWidget* w) { Press(w, "NextBtn"); })
      .On("ReadmeDlg",
          [&](QWidget* w) {
            shots.push_back(Shot(w, "setup-05-readme"));
            EXPECT_EQ(Text(w, "HeadingLabel"), "Additional info from Halvane Software Development reguarding the use "
                                               "of Korrin offline mail reader version 1.3.");
            EXPECT_EQ(test::Find<QPlainTextEdit>(w, "ReadmeMemo")->toPlainText(), "Read me first.\n");
            Press(w, "BackBtn");
          })
      .On("LicenseDlg", [&](QWidget* w) { Press(w, "NextBtn"); })
      .On("ReadmeDlg", [&](QWidget* w) { Press(w, "NextBtn"); })
      .On("Wizard",
          [&](QWidget* w) {
            shots.push_back(Shot(w, "setup-06-destination"));
            EXPECT_FALSE(w->windowFlags() & Qt::WindowStaysOnTopHint);
            auto* edit = test::Find<QLineEdit>(w, "InstallEdit");
            EXPECT_EQ(edit->text().toStdString(), root + "user/korrin");
            EXPECT_EQ(Text(w, "InfoLabel"), "Korrin offline mail reader files will be installed into the following "
                                            "directory.");
            EXPECT_EQ(Text(w, "DirLabel"), "Select directory to install program files into");
            EXPECT_EQ(Text(w, "GroupLabel"),
                      "Korrin offline mail reader icons will be installed into the following group folder.");
            EXPECT_EQ(test::Find<QComboBox>(w, "GroupEdit")->currentText(), "Korrin");
            destPage = w;
            Press(w, "BrowseBtn");
          })
      .On("BrowseDirectoryDlg",
          [&](QWidget* w) {
            auto* dlg = static_cast<TBrowseDirectoryDlg*>(w);
            EXPECT_EQ(dlg->windowTitle(), "Browse for Folder");
            EXPECT_EQ(dlg->Title(), "Select folder to create program directory in:");
            dlg->SetDirectory(QString::fromStdString(apps));
            EXPECT_EQ(Text(w, "StatusLabel").toStdString() + "/", apps);
            shots.push_back(Shot(w, "setup-06b-folder-picker"));
            Press(w, "OKBtn");
            // Back on the destination page: the chosen folder + the product
            // name, once the picker has closed.
            auto* poll = new QTimer(qApp);
            auto tries = std::make_shared<int>(0);
            QObject::connect(poll, &QTimer::timeout, [&, poll, tries] {
              if (!destPage) return;
              const std::string now = test::Find<QLineEdit>(destPage, "InstallEdit")->text().toStdString();
              if (now != dest && ++*tries < 500) return;
              poll->stop();
              poll->deleteLater();
              EXPECT_EQ(now, dest);
              Press(destPage, "NextBtn");
            });
            poll->start(10);
          })
      .On("Summery", [&](QWidget* w) { Press(w, "BackBtn"); })
      .On("Wizard",
          [&](QWidget* w) {
            // The page shows what it stored when it closed.
            EXPECT_EQ(test::Find<QLineEdit>(w, "InstallEdit")->text().toStdString(), dest);
            Press(w, "NextBtn");
          })
      .On("Summery",
          [&](QWidget* w) {
            shots.push_back(Shot(w, "setup-07-summary"));
            EXPECT_EQ(w->windowTitle(), "Summery");
            EXPECT_EQ(Text(w, "TypeLabel"), "Installation");
            const QString shown = Text(w, "DestLabel");
            EXPECT_TRUE(shown.startsWith("/.../") && shown.endsWith("/Korrin offline mail reader") &&
                        shown.size() <= 40)
                << shown.toStdString();
            EXPECT_EQ(test::Find<QLabel>(w, "DestLabel")->toolTip().toStdString(), dest);
            EXPECT_EQ(Text(w, "GroupNameLabel"), "Korrin");
            EXPECT_EQ(Text(w, "RequiredLabel"), "Installation reguires 198 Kb of disk space.");
            EXPECT_TRUE(Text(w, "FreeLabel").startsWith("There is "));
            EXPECT_EQ(Text(w, "HintLabel"), "Click Install to continue setup or click Cancel to exit Setup");
            auto* next = test::Find<QPushButton>(w, "NextBtn");
            EXPECT_EQ(next->text(), "&Install");
            EXPECT_TRUE(next->isEnabled());
            Press(w, "NextBtn");
          })
      .On("FinnishedForm", [&](QWidget* w) {
        shots.push_back(Shot(w, "setup-08-finish"));
        EXPECT_EQ(Text(w, "DoneLabel"), "Setup is finnished installing Korrin offline mail reader on your system.");
        EXPECT_EQ(Text(w, "RunLabel"), "To run the installed program, click \"Run\"");
        EXPECT_EQ(Text(w, "ExitLabel"), "To exit  setup, click Exit.");
        // The program is gone before Run is pressed: its error, then the end.
        fs::remove(dest + "/korrin");
        Press(w, "RunBtn");
      });
  EXPECT_EQ(wizard.Execute(package), 0);
  SetShell(nullptr);

  EXPECT_EQ(prompts.Texts(), (std::vector<std::string>{
                                 "Create group folder icons for Korrin offline mail reader in Korrin?",
                                 "Error:2 executing Korrin offline mail reader"}));
  EXPECT_EQ(shell.started, std::vector<std::string>{dest + "/korrin"});
  // The backdrop with its label and picture.
  EXPECT_EQ(wizard.windowTitle(), "Halvane's Installation Wizard");
  EXPECT_EQ(wizard.SetupLabel->text(), "Korrin offline mail reader Setup");
  EXPECT_FALSE(wizard.Image1->pixmap().isNull());
  // The progress page was fed by the extraction: the file label, the gauges
  // rising to a full package.
  ASSERT_FALSE(wizard.figures.empty());
  EXPECT_EQ(wizard.fileTexts.front(), "Installing \"korrin\".");
  EXPECT_EQ(wizard.installed.back(), 100);
  EXPECT_TRUE(std::is_sorted(wizard.installed.begin(), wizard.installed.end()));
  EXPECT_EQ(test::ReadFile(dest + "/data.bin").size(), 200000u);
  EXPECT_FALSE(fs::exists(root + "windows/temp/tamwiz.tmp"));
  shots.push_back(wizard.shot);
  for (const std::string& s : shots) EXPECT_TRUE(fs::exists(s)) << s;
}

TEST(SetupWizard, UpdateModeAndTheFreeSpaceRule) {
  test::TRecordingPrompts prompts;
  const std::string old = test::NewTempDir("old");
  test::WriteFile(old + "korrin", "x");
  const std::string package = MakeSetupFolder(test::TestRoot() + "user/elsewhere");
  // Switch the script's optional pages off: welcome, destination, summary.
  test::WriteFile(package + "setup.inf",
                  "[Product]\nName=Korrin offline mail reader\nVersion=1.3\nMainEXE=korrin\nDestDir=" + old + "\n"
                  "[InstallFiles]\nFile0=korrin\n");

  TTesselWizard wizard;
  TPageDriver driver;
  driver
      .On("WelcomeDlg",
          [&](QWidget* w) {
            EXPECT_EQ(Text(w, "TypeLabel"), "Update");
            EXPECT_FALSE(test::Find<QPushButton>(w, "BackBtn")->isEnabled());
            EXPECT_EQ(test::Find<QLabel>(w, "Picture"), nullptr);  // no "Logo" flag
            Press(w, "NextBtn");
          })
      .On("Wizard",
          [&](QWidget* w) {
            Shot(w, "setup-06c-destination-update");
            EXPECT_FALSE(test::Find<QLineEdit>(w, "InstallEdit")->isEnabled());
            EXPECT_FALSE(test::Find<QPushButton>(w, "BrowseBtn")->isEnabled());
            EXPECT_EQ(Text(w, "DirLabel"), "Previous installation directory");
            EXPECT_EQ(Text(w, "InfoLabel"), "Setup has detected a previous installation of the Korrin offline mail "
                                            "reader. Files will be installed or update in the following directory.");
            // No group: the summary says so.
            test::Find<QComboBox>(w, "GroupEdit")->setEditText("");
            Press(w, "NextBtn");
          })
      .On("Summery",
          [&](QWidget* w) {
            Shot(w, "setup-07b-summary-update");
            EXPECT_EQ(Text(w, "TypeLabel"), "Update");
            EXPECT_EQ(test::Find<QPushButton>(w, "NextBtn")->text(), "&Update");
            EXPECT_EQ(Text(w, "HintLabel"), "Click Update to continue setup or click Cancel to exit Setup");
            EXPECT_EQ(Text(w, "GroupTextLabel"),
                      "No group folder was selected so no icons for Korrin offline mail reader will be created.");
            Press(w, "CancelBtn");
          })
      .On("ExitDlg", [&](QWidget* w) { Press(w, "ExitBtn"); });
  EXPECT_EQ(wizard.Execute(package), 0);
  EXPECT_FALSE(wizard.Image1->isVisible());  // no "Background" flag
  EXPECT_TRUE(prompts.Texts().empty());

  // Typing a previous installation's folder switches the page to update mode.
  TSetupController& setup = wizard.Setup();
  setup.State().SetupType = kSetupTypeInstallation;
  setup.State().Destination = test::TestRoot() + "user/new";
  {
    TWizard page(nullptr, setup);
    EXPECT_TRUE(page.InstallEdit->isEnabled());
    page.InstallEdit->setText(QString::fromStdString(old).chopped(1));
    EXPECT_TRUE(page.UpdateMode());
    EXPECT_FALSE(page.InstallEdit->isEnabled());
    EXPECT_EQ(setup.State().SetupType, kSetupTypeUpdate);
  }
  // A package larger than the disk: Install is disabled.
  setup.State().TotalSize = int64_t{1} << 62;
  {
    TSummery page(nullptr, setup);
    EXPECT_FALSE(page.NextBtn->isEnabled());
  }
  setup.State().TotalSize = 1023;
  {
    TSummery page(nullptr, setup);
    EXPECT_TRUE(page.NextBtn->isEnabled());
    EXPECT_EQ(test::Find<QLabel>(&page, "RequiredLabel")->text(), "Installation reguires 0 Kb of disk space.");
  }
}

TEST(SetupWizard, ReaderRunningEndsWithCodeOne) {
  test::TRecordingPrompts prompts;
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(std::string(kProgramKey) + "\\Main", true));
  reg.WriteInteger("Status", 1);
  TTesselWizard wizard;
  EXPECT_EQ(wizard.Execute(MakeSetupFolder("/nowhere")), 1);
  EXPECT_EQ(prompts.Texts(), std::vector<std::string>{"Setup can not install this software while it is running.\r\n "
                                                      "Close the Korrin off-line mail reader and run setup again."});
  EXPECT_FALSE(wizard.isVisible());
}

TEST(SetupPackage, WholeInstallationClickedThroughAndUninstalled) {
  const std::string bin = test::BinDir();
  if (!fs::exists(bin + "korrin")) GTEST_SKIP() << "the reader is not built";
  const std::string root = test::TestRoot();
  const std::string package = root + "package/";
  int status = -1;
  std::string log = test::RunShell(test::Quote(SourceDir() + "/scripts/make-setup-package") + " " +
                                       test::Quote(bin) + " " + test::Quote(package),
                                   &status);
  ASSERT_EQ(status, 0) << log;

  test::TRecordingPrompts prompts;
  TRecordingShell shell;
  SetShell(&shell);
  const std::string dest = root + "apps/Korrin";
  TRecordingWizard wizard;
  TPageDriver driver;
  driver.On("LogoDlg", [](QWidget* w) { Press(w, "NextBtn"); })
      .On("WelcomeDlg", [](QWidget* w) { Press(w, "NextBtn"); })
      .On("LicenseDlg",
          [](QWidget* w) {
            EXPECT_TRUE(test::Find<QPlainTextEdit>(w, "LicenseMemo")->toPlainText().contains("License Agreement"));
            Press(w, "NextBtn");
          })
      .On("ReadmeDlg", [](QWidget* w) { Press(w, "NextBtn"); })
      .On("Wizard",
          [&](QWidget* w) {
            test::Find<QLineEdit>(w, "InstallEdit")->setText(QString::fromStdString(dest));
            Press(w, "NextBtn");
          })
      .On("Summery", [](QWidget* w) { Press(w, "NextBtn"); })
      .On("FinnishedForm", [](QWidget* w) { Press(w, "RunBtn"); });
  EXPECT_EQ(wizard.Execute(package), 0);
  SetShell(nullptr);

  // Installed, with its shortcuts, and started by "&Run".
  EXPECT_EQ(prompts.Texts(), std::vector<std::string>{
                                 "Create group folder icons for Korrin offline mail reader in Korrin?"});
  EXPECT_EQ(shell.started, std::vector<std::string>{dest + "/korrin"});
  EXPECT_EQ(::access((dest + "/korrin").c_str(), X_OK), 0);
  EXPECT_TRUE(fs::exists(root + "programs/Korrin/Korrin offline mail reader.desktop"));
  EXPECT_EQ(TIniFile(dest + "/unwizard.inf").ReadString("Remove", "File count", ""), "11");
  ASSERT_FALSE(wizard.figures.empty());
  EXPECT_EQ(wizard.installed.back(), 100);
  EXPECT_TRUE(std::is_sorted(wizard.installed.begin(), wizard.installed.end()));

  // The uninstaller the entry names removes it all.
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Korrin offline mail reader",
                          false));
  EXPECT_EQ(reg.ReadString("UninstallString"), root + "windows/TAMUNWIZ.EXE " + dest);
  log = test::RunShell(test::Quote(root + "windows/TAMUNWIZ.EXE") + " " + test::Quote(dest), &status);
  EXPECT_EQ(status, 0) << log;
  EXPECT_FALSE(fs::exists(dest));
  EXPECT_FALSE(fs::exists(root + "programs/Korrin"));
  EXPECT_FALSE(fs::exists(root + "windows/TAMUNWIZ.EXE"));
}
