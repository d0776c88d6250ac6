// The wizard's page order, Back targets, the exit question, installing, the
// free-space rule and starting the installed program, run against scripted
// pages.

#include <deque>
#include <filesystem>
#include <vector>

#include <gtest/gtest.h>

#include "installer/page_texts.h"
#include "installer/setup_controller.h"
#include "installer/setup_wizard.h"
#include "platform/paths.h"
#include "platform/shell.h"
#include "support/recording_prompts.h"
#include "support/test_env.h"
#include "installer_test_helpers.h"

using namespace korrin;
namespace fs = std::filesystem;

namespace {

using P = TSetupPage;
using R = TPageResult;

// Pages that answer from a script; an unscripted page is cancelled and an
// unscripted exit question answered with Exit, so every run ends.
class TScriptedPages : public TWizardPages {
public:
  TPageResult ShowPage(TSetupPage page) override {
    shown.push_back(page);
    if (onShow) onShow(page);
    if (results.empty()) return R::prCancel;
    R r = results.front();
    results.pop_front();
    return r;
  }
  bool ConfirmExit() override {
    shown.push_back(kExitQuestion);
    if (exits.empty()) return true;
    bool e = exits.front();
    exits.pop_front();
    return e;
  }
  void ShowProgress(bool show) override { progress.push_back(show); }

  static constexpr P kExitQuestion = static_cast<P>(99);
  std::deque<R> results;
  std::deque<bool> exits;
  std::vector<P> shown;
  std::vector<bool> progress;
  std::function<void(P)> onShow;
};

class TFakeShell : public Shell {
public:
  int OpenDocument(const std::string&, const std::string&) override { return kShellOk; }
  int StartProgram(const std::string& program, const std::vector<std::string>&, const std::string&) override {
    started.push_back(program);
    return fs::exists(program) ? kShellOk : kShellFileNotFound;
  }
  std::vector<std::string> started;
};

class InstallerWizard : public ::testing::Test {
protected:
  void SetUp() override {
    setupDir = test::NewTempDir("setup");
    dest = test::TestRoot() + "apps/Korrin";
    test::WriteFile(setupDir + "setup.inf", "[Product]\nName=Korrin offline mail reader\nVersion=1.3\nMainEXE=korrin\n"
                                            "ProgGroup=Korrin\nDestDir=" + dest + "\n"
                                            "[InstallFiles]\nFile0=korrin,Korrin\nFile1=readme.txt\n");
    test::MakeZip(setupDir + "install.lib", "z.writestr('korrin', 'k' * 5000)\nz.writestr('readme.txt', 'r' * 100)\n");
  }
  void Start(const std::string& boot = {}) {
    if (!boot.empty()) {
      std::string inf = test::ReadFile(setupDir + "setup.inf");
      test::WriteFile(setupDir + "setup.inf", "[Boot]\n" + boot + inf);
    }
    setup.Zip().XZ().SetPluginFolder(test::BinDir());
    ASSERT_EQ(setup.Startup(setupDir), TStartup::suContinue);
  }
  int Run() {
    TSetupWizard wizard(setup, pages, prompts, shell);
    return wizard.Run();
  }

  std::string setupDir, dest;
  test::TRecordingPrompts prompts;
  TSetupController setup{prompts};
  TScriptedPages pages;
  TFakeShell shell;
};

}  // namespace

TEST(InstallerPages, SequenceAndBackTargetsFollowTheFlags) {
  TSetupState s;
  // All flags off: welcome, destination, summary; no Back on the welcome page.
  EXPECT_EQ(FirstPage(s), P::spWelcome);
  EXPECT_EQ(NextPage(s, P::spWelcome), P::spDestination);
  EXPECT_EQ(NextPage(s, P::spDestination), P::spSummary);
  EXPECT_EQ(NextPage(s, P::spSummary), std::nullopt);
  EXPECT_EQ(BackPage(s, P::spWelcome), std::nullopt);
  EXPECT_EQ(BackPage(s, P::spDestination), P::spWelcome);
  EXPECT_EQ(BackPage(s, P::spSummary), P::spDestination);
  EXPECT_EQ(BackPage(s, P::spFinish), std::nullopt);

  // Only the licence: Back from the destination goes to it.
  s.License = true;
  EXPECT_EQ(NextPage(s, P::spWelcome), P::spLicense);
  EXPECT_EQ(NextPage(s, P::spLicense), P::spDestination);
  EXPECT_EQ(BackPage(s, P::spDestination), P::spLicense);
  // Only the read-me: it follows the welcome page and Back returns there.
  s.License = false;
  s.ReadMe = true;
  EXPECT_EQ(NextPage(s, P::spWelcome), P::spReadme);
  EXPECT_EQ(BackPage(s, P::spReadme), P::spWelcome);
  EXPECT_EQ(BackPage(s, P::spDestination), P::spReadme);

  // Everything on: the logo page first, without Back.
  s.License = s.Splash = s.Logo = s.Background = true;
  EXPECT_EQ(FirstPage(s), P::spLogo);
  EXPECT_EQ(BackPage(s, P::spLogo), std::nullopt);
  EXPECT_EQ(NextPage(s, P::spLogo), P::spWelcome);
  EXPECT_EQ(BackPage(s, P::spWelcome), P::spLogo);
  EXPECT_EQ(NextPage(s, P::spLicense), P::spReadme);
  EXPECT_EQ(BackPage(s, P::spReadme), P::spLicense);
  EXPECT_EQ(BackPage(s, P::spDestination), P::spReadme);
}

TEST_F(InstallerWizard, BackAndNextWalkThePagesAndCancelResumesEachPage) {
  Start("License=1\nReadMe=1\nSplash=1\n");
  // Forward, back from every page, a cancel that resumes on every page, then
  // an exit from the summary.
  pages.results = {R::prBack,   R::prNext,  // logo: Back is disabled, stays
                   R::prBack,   R::prNext,   R::prNext,  // welcome -> logo -> welcome -> licence
                   R::prBack,   R::prNext,   R::prNext,  // licence -> welcome -> licence -> read-me
                   R::prBack,   R::prNext,   R::prNext,  // read-me -> licence -> read-me -> destination
                   R::prBack,   R::prNext,               // destination -> read-me -> destination
                   R::prCancel, R::prNext,               // destination: cancel, resume, next
                   R::prBack,   R::prNext,               // summary -> destination -> summary
                   R::prCancel, R::prCancel};            // summary: resume, then exit
  pages.exits = {false, false, true};
  EXPECT_EQ(Run(), 0);
  const P X = TScriptedPages::kExitQuestion;
  EXPECT_EQ(pages.shown,
            (std::vector<P>{P::spLogo, P::spLogo, P::spWelcome, P::spLogo, P::spWelcome, P::spLicense, P::spWelcome,
                            P::spLicense, P::spReadme, P::spLicense, P::spReadme, P::spDestination, P::spReadme,
                            P::spDestination, X, P::spDestination, P::spSummary, P::spDestination, P::spSummary, X,
                            P::spSummary, X}));
  EXPECT_TRUE(pages.progress.empty());
  EXPECT_FALSE(fs::exists(dest + "/korrin"));
  // Exit removed the work folder.
  EXPECT_FALSE(fs::exists(test::TestRoot() + "windows/temp/tamwiz.tmp"));

  // Cancel on the first page and on the licence page (its "&No") resume there.
  TSetupController again(prompts);
  again.Zip().XZ().SetPluginFolder(test::BinDir());
  ASSERT_EQ(again.Startup(setupDir), TStartup::suContinue);
  TScriptedPages p2;
  p2.results = {R::prCancel, R::prNext, R::prNext, R::prCancel};
  p2.exits = {false, true};
  TSetupWizard w2(again, p2, prompts, shell);
  EXPECT_EQ(w2.Run(), 0);
  EXPECT_EQ(p2.shown, (std::vector<P>{P::spLogo, X, P::spLogo, P::spWelcome, P::spLicense, X}));
}

TEST_F(InstallerWizard, DestinationChecksKeepThePageAndInstallingEndsOnTheFinishPage) {
  Start();
  // A network path, then the setup folder itself, then the real destination.
  int round = 0;
  pages.onShow = [&](P page) {
    if (page != P::spDestination) return;
    setup.State().Destination = round == 0 ? std::string("//server/share") : round == 1 ? setupDir : dest;
    ++round;
  };
  pages.results = {R::prNext, R::prNext, R::prNext, R::prNext, R::prNext, R::prNext};
  prompts.answers = {TBoxAnswer::baYes};  // the shortcuts
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(pages.shown, (std::vector<P>{P::spWelcome, P::spDestination, P::spDestination, P::spDestination,
                                         P::spSummary, P::spFinish}));
  EXPECT_EQ(prompts.Texts(TBoxKind::bkWarning),
            (std::vector<std::string>{"You must enter a valid directory path",
                                      "This temporary directory will be removed when installation is complete."}));
  EXPECT_TRUE(prompts.Shown("Create group folder icons for Korrin offline mail reader in Korrin?"));
  EXPECT_EQ(pages.progress, (std::vector<bool>{true, false}));
  EXPECT_EQ(test::ReadFile(dest + "/korrin"), std::string(5000, 'k'));
  EXPECT_TRUE(fs::exists(test::TestRoot() + "programs/Korrin/Korrin.desktop"));
  EXPECT_TRUE(setup.State().InstallationComplete);
  // "&Run" started the installed program.
  EXPECT_EQ(shell.started, std::vector<std::string>{dest + "/korrin"});
  EXPECT_FALSE(fs::exists(test::TestRoot() + "windows/temp/tamwiz.tmp"));
}

TEST_F(InstallerWizard, FailuresAreNeverReportedAsFinished) {
  Start();
  // No package: the listing fails, the exit question comes, Resume returns
  // to the destination page.
  fs::rename(setupDir + "install.lib", setupDir + "install.old");
  setup.State().Destination = dest;
  pages.results = {R::prNext, R::prNext, R::prNext};
  pages.exits = {false, true};
  EXPECT_EQ(Run(), 0);
  const P X = TScriptedPages::kExitQuestion;
  EXPECT_EQ(pages.shown, (std::vector<P>{P::spWelcome, P::spDestination, X, P::spDestination, X}));
  EXPECT_TRUE(prompts.Shown("Required installation file INSTALL.LIB not found"));
  EXPECT_FALSE(setup.State().InstallationComplete);
}

TEST_F(InstallerWizard, FailedExtractionReturnsToTheSummaryAndARetryStartsFromZero) {
  Start();
  setup.State().Destination = dest;
  setup.State().Group.clear();
  // A folder stands where a file goes: the extraction skips the file and
  // fails; the user makes room and installs again.
  fs::create_directories(dest + "/readme.txt");
  int summaries = 0;
  pages.onShow = [&](P page) {
    if (page == P::spSummary && ++summaries == 2) fs::remove(dest + "/readme.txt");
  };
  pages.results = {R::prNext, R::prNext, R::prNext, R::prNext, R::prCancel};
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(pages.shown,
            (std::vector<P>{P::spWelcome, P::spDestination, P::spSummary, P::spSummary, P::spFinish}));
  EXPECT_EQ(prompts.Texts(), std::vector<std::string>{"Some files were skipped while extracting ."});
  EXPECT_EQ(pages.progress, (std::vector<bool>{true, false, true, false}));
  EXPECT_TRUE(setup.State().InstallationComplete);
  EXPECT_EQ(test::ReadFile(dest + "/readme.txt"), std::string(100, 'r'));
  EXPECT_EQ(setup.Zip().Progress().DoneBytes(), 5000 + 100);
  EXPECT_TRUE(shell.started.empty());  // "&Exit" on the finish page
}

TEST_F(InstallerWizard, FreeSpaceRuleAndUpdateDetection) {
  Start();
  TSetupState& s = setup.State();
  s.Destination = dest;
  ASSERT_TRUE(setup.ListPackage());
  EXPECT_EQ(s.TotalSize, 5100);
  EXPECT_TRUE(setup.EnoughSpace());
  EXPECT_EQ(setup.RequiredSpaceText(), "Installation reguires 4 Kb of disk space.");
  // A package larger than the disk: Install gives the summary again and
  // nothing is installed.
  pages.onShow = [&](P page) {
    if (page == P::spSummary) s.TotalSize = int64_t{1} << 62;
  };
  pages.results = {R::prNext, R::prNext, R::prNext, R::prCancel};
  EXPECT_EQ(Run(), 0);
  EXPECT_FALSE(setup.EnoughSpace());
  EXPECT_EQ(pages.shown, (std::vector<P>{P::spWelcome, P::spDestination, P::spSummary, P::spSummary,
                                         TScriptedPages::kExitQuestion}));
  EXPECT_TRUE(pages.progress.empty());
  EXPECT_FALSE(fs::exists(dest + "/korrin"));

  // Update mode: a folder that holds the main program, whatever its case.
  TSetupState u;
  u.MainEXE = "bin/korrin";
  u.ProductName = "Korrin offline mail reader";
  const std::string old = test::NewTempDir("old");
  test::WriteFile(old + "KORRIN", "x");
  EXPECT_EQ(BrowsedDestination(u, ExcludeTrailingBackslash(old)), ExcludeTrailingBackslash(old));
  EXPECT_EQ(BrowsedDestination(u, "/opt"), "/opt/Korrin offline mail reader");
  EXPECT_EQ(BrowsedDestination(u, "/"), "/Korrin offline mail reader");
  EXPECT_FALSE(setup.DetectUpdate(test::NewTempDir("new")));
  EXPECT_EQ(s.SetupType, kSetupTypeInstallation);
  EXPECT_TRUE(setup.DetectUpdate(old));
  EXPECT_EQ(s.SetupType, kSetupTypeUpdate);
  EXPECT_EQ(SummaryTexts(s).NextCaption, "&Update");
  EXPECT_EQ(SummaryTexts(s).Hint, "Click Update to continue setup or click Cancel to exit Setup");
  EXPECT_EQ(DestinationTexts(s, true).DirLabel, "Previous installation directory");
}

TEST_F(InstallerWizard, RunWithAMissingProgramShowsItsError) {
  Start();
  setup.State().Destination = dest;
  TPosixShell real;
  TSetupWizard wizard(setup, pages, prompts, real);
  EXPECT_EQ(wizard.RunProgram(), kShellFileNotFound);
  ASSERT_EQ(prompts.boxes.size(), 1u);
  EXPECT_EQ(prompts.boxes[0].kind, TBoxKind::bkPlain);
  EXPECT_EQ(prompts.boxes[0].text, "Error:2 executing Korrin offline mail reader");
}

TEST(InstallerPages, TextsAreBuiltFromTheScript) {
  TSetupState s;
  s.ProductName = "Korrin offline mail reader";
  s.Version = "1.3";
  s.Vendor = "Halvane";
  s.Author = "H. Author";
  s.Destination = "/home/someone/a-very-long-folder-name-for-programs/Korrin offline mail reader";
  EXPECT_EQ(WelcomeTexts(s).Installer, "Halvane's Installation Wizard v1.3");
  EXPECT_EQ(WelcomeTexts(s).Rights, "allrights reserved by H. Author");
  EXPECT_EQ(ReadmeHeading(s),
            "Additional info from Halvane reguarding the use of Korrin offline mail reader version 1.3.");
  TSummaryTexts t = SummaryTexts(s);
  EXPECT_EQ(t.NextCaption, "&Install");
  EXPECT_EQ(t.Destination, "/.../Korrin offline mail reader");
  EXPECT_EQ(t.GroupText, "No group folder was selected so no icons for Korrin offline mail reader will be created.");
  s.Group = "Korrin";
  t = SummaryTexts(s);
  EXPECT_EQ(t.GroupText, "Korrin offline mail reader icons will be installed into the following group folder");
  EXPECT_EQ(t.Group, "Korrin");
}
