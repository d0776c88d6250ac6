// The uninstaller removes what setup installed and nothing else.

#include <unistd.h>

#include <filesystem>
#include <set>

#include <gtest/gtest.h>

#include "installer/setup_folders.h"
#include "installer/uninstall_record.h"
#include "installer/uninstaller.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "platform/version.h"
#include "support/recording_prompts.h"
#include "support/test_env.h"

using namespace korrin;
namespace fs = std::filesystem;

namespace {

// An installation as setup leaves it, with the user's files beside it.
struct TInstalled {
  std::string dest = test::TestRoot() + "apps/Korrin";
  std::string windows = test::TestRoot() + "windows/";
  std::string programs = test::TestRoot() + "programs/";
  TSetupState state;

  TInstalled() {
    state.ProductName = "Korrin offline mail reader";
    state.MainEXE = "korrin";
    state.Destination = dest;
    state.WindowsFolder = ExcludeTrailingBackslash(windows);
    state.ProgramsFolder = ExcludeTrailingBackslash(programs);
    state.Group = "Mail/Korrin";
    state.InstallFiles = {"bin/korrin,Korrin", "korrin.ini", "*.html", "../outside"};
    state.WindowsFiles = {"TAMUNWIZ.EXE"};
    for (const char* f : {"korrin", "korrin.ini", "help.html"}) test::WriteFile(dest + "/" + f, f);
    test::WriteFile(windows + "TAMUNWIZ.EXE", "uninstaller");
    test::WriteFile(test::TestRoot() + "apps/outside", "not ours");
    WriteUninstallScript(state);
    CreateShortcuts(state);
    TRegistry reg;
    WriteUninstallRecord(state, reg);
  }
};

}  // namespace

TEST(InstallerUninstall, RemovesOnlyWhatSetupInstalled) {
  TInstalled in;
  test::WriteFile(in.dest + "/PO.CFG", "MYBBS\n");
  test::WriteFile(in.programs + "Mail/Other.desktop", "[Desktop Entry]\nExec=\"/usr/bin/other\"\n");
  test::TRecordingPrompts prompts;
  TRegistry reg;
  TUninstaller u(in.dest, reg, prompts);
  EXPECT_FALSE(u.Run());  // the pattern entry stays and is reported

  EXPECT_EQ(prompts.Texts(TBoxKind::bkError), std::vector<std::string>{"Could not remove " + in.dest + "/*.html"});
  EXPECT_TRUE(u.FolderKept());
  std::set<std::string> left;
  for (auto& e : fs::directory_iterator(in.dest)) left.insert(e.path().filename().string());
  EXPECT_EQ(left, (std::set<std::string>{"PO.CFG", "help.html"}));
  EXPECT_EQ(test::ReadFile(test::TestRoot() + "apps/outside"), "not ours");
  EXPECT_FALSE(fs::exists(in.windows + "TAMUNWIZ.EXE"));
  // The group folder goes, its parent stays while it holds another entry.
  EXPECT_FALSE(fs::exists(in.programs + "Mail/Korrin"));
  EXPECT_TRUE(fs::exists(in.programs + "Mail/Other.desktop"));
  EXPECT_FALSE(reg.KeyExists(std::string(kUninstallKey) + in.state.ProductName));
}

TEST(InstallerUninstall, LeavesWhatBelongsToOthers) {
  TInstalled in;
  const std::string link = in.programs + "Mail/Korrin/Korrin.desktop";
  // The shortcut now starts another program; the entry names another folder;
  // another product's entry uses the same uninstaller.
  test::WriteFile(link, "[Desktop Entry]\nExec=\"/opt/elsewhere/korrin\"\n");
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(std::string(kUninstallKey) + in.state.ProductName, false));
  reg.WriteString("Path", test::TestRoot() + "apps/Newer");
  ASSERT_TRUE(reg.OpenKey(std::string(kUninstallKey) + "Other product", true));
  reg.WriteString("UninstallString", in.windows + "TAMUNWIZ.EXE /opt/other");
  reg.CloseKey();

  test::TRecordingPrompts prompts;
  TUninstaller u(in.dest, reg, prompts);
  EXPECT_FALSE(u.Run());
  EXPECT_TRUE(fs::exists(link));
  EXPECT_TRUE(fs::exists(in.windows + "TAMUNWIZ.EXE"));
  EXPECT_TRUE(reg.KeyExists(std::string(kUninstallKey) + in.state.ProductName));
  EXPECT_FALSE(fs::exists(in.dest + "/korrin"));
}

TEST(InstallerUninstall, RefusesWithoutScriptOrWhileTheReaderRuns) {
  test::TRecordingPrompts prompts;
  TRegistry reg;
  std::string empty = test::NewTempDir("empty");
  TUninstaller none(empty, reg, prompts);
  EXPECT_FALSE(none.Run());
  EXPECT_EQ(prompts.Texts(), std::vector<std::string>{"Could not read file - " + empty + "unwizard.inf"});
  EXPECT_TRUE(fs::exists(empty));

  TInstalled in;
  ASSERT_TRUE(reg.OpenKey(std::string(kProgramKey) + "\\Main", true));
  reg.WriteInteger("Status", static_cast<int32_t>(::getpid()));
  prompts.boxes.clear();
  TUninstaller running(in.dest, reg, prompts);
  EXPECT_FALSE(running.Run());
  EXPECT_EQ(prompts.Texts(TBoxKind::bkInformation), std::vector<std::string>{kReaderRunningText});
  EXPECT_TRUE(fs::exists(in.dest + "/korrin"));
}
