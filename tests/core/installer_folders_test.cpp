// Destination check, work folder, finishing and the running check.

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "installer/setup_controller.h"
#include "installer/setup_folders.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "platform/version.h"
#include "support/recording_prompts.h"
#include "support/test_env.h"

using namespace korrin;
namespace fs = std::filesystem;

TEST(InstallerFolders, DestinationMustBeAnAbsoluteLocalPath) {
  test::TRecordingPrompts prompts;
  const std::string setupDir = test::NewTempDir("Setup");
  for (std::string bad : {"", "relative/dir", "\\\\server\\share", "//server/share", "C:\\Korrin"}) {
    prompts.boxes.clear();
    EXPECT_EQ(CheckDestination(bad, setupDir, prompts), TDestinationCheck::dcAgain) << bad;
    EXPECT_EQ(prompts.Texts(TBoxKind::bkWarning), std::vector<std::string>{"You must enter a valid directory path"});
  }
  prompts.boxes.clear();
  std::string upper = setupDir;
  upper.replace(upper.find("Setup"), 5, "SETUP");
  EXPECT_EQ(CheckDestination(upper, setupDir, prompts), TDestinationCheck::dcAgain);
  EXPECT_EQ(prompts.Texts(TBoxKind::bkWarning),
            std::vector<std::string>{"This temporary directory will be removed when installation is complete."});
}

TEST(InstallerFolders, DestinationCreatesEveryLevel) {
  test::TRecordingPrompts prompts;
  std::string root = test::NewTempDir("dest");
  // Deeper than four levels: every one is made.
  std::string deep = root + "a/b/c/d/e/f";
  EXPECT_EQ(CheckDestination(deep, "/nowhere", prompts), TDestinationCheck::dcOk);
  EXPECT_TRUE(fs::is_directory(deep));
  EXPECT_TRUE(prompts.boxes.empty());
  EXPECT_EQ(CheckDestination(deep + "/", "/nowhere", prompts), TDestinationCheck::dcOk);

  // A level that is a file cannot be made.
  test::WriteFile(root + "file", "x");
  EXPECT_EQ(CheckDestination(root + "file/sub/more", "/nowhere", prompts), TDestinationCheck::dcFailed);
  EXPECT_EQ(prompts.Texts(), std::vector<std::string>{"Cannot create directory. Please check syntax" + root + "file"});
  EXPECT_FALSE(fs::exists(root + "file/sub"));

  // The controller adds its notice to a failure.
  TSetupController setup(prompts);
  prompts.boxes.clear();
  setup.State().Destination = root + "file/x";
  EXPECT_EQ(setup.CheckDestination(), TDestinationCheck::dcFailed);
  ASSERT_EQ(prompts.boxes.size(), 2u);
  EXPECT_EQ(prompts.boxes[1].text, "Setup encountered a problem creating \r\ndestination directory.");
  EXPECT_EQ(prompts.boxes[1].kind, TBoxKind::bkInformation);
}

TEST(InstallerFolders, WorkFolderIsPrivateAndRecoveredOnlyWhenOurs) {
  test::TRecordingPrompts prompts;
  std::string windows = test::NewTempDir("windows");
  TWorkFolder w = ChooseTempFolder(windows, prompts);
  ASSERT_TRUE(w.Ok);
  EXPECT_EQ(w.Work, windows + "temp/tamwiz.tmp/");
  EXPECT_FALSE(w.Recovered);
  EXPECT_TRUE(prompts.boxes.empty());
  struct stat st;
  ASSERT_EQ(::stat((windows + "temp").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 077, 0u);

  // A run that ended early left it: reused with a notice.
  test::WriteFile(w.Work + "splash.svg", "<svg/>");
  w = ChooseTempFolder(windows, prompts);
  EXPECT_TRUE(w.Recovered);
  EXPECT_EQ(prompts.Texts(TBoxKind::bkPlain), std::vector<std::string>{"Trying to recover from aborted installation"});
  EXPECT_TRUE(fs::exists(w.Work + "splash.svg"));

  // A temporary folder others may write to: a fresh folder elsewhere, never reused.
  prompts.boxes.clear();
  ::chmod((windows + "temp").c_str(), 0777);
  TWorkFolder fresh = ChooseTempFolder(windows, prompts);
  ASSERT_TRUE(fresh.Ok);
  EXPECT_TRUE(prompts.boxes.empty());
  EXPECT_FALSE(fresh.Recovered);
  EXPECT_EQ(fresh.Work.rfind(TempFolder(), 0), 0u);
  EXPECT_NE(fresh.Work, ChooseTempFolder(windows, prompts).Work);

  // A work folder that is a link is not ours either.
  std::string other = test::NewTempDir("windows2");
  fs::create_directories(other + "temp");
  ::chmod((other + "temp").c_str(), 0700);
  fs::create_directory_symlink(test::NewTempDir("elsewhere"), other + "temp/tamwiz.tmp");
  w = ChooseTempFolder(other, prompts);
  EXPECT_FALSE(w.Recovered);
  EXPECT_NE(w.Work, other + "temp/tamwiz.tmp/");

  // The work folder cannot be had at all.
  std::string blocked = test::NewTempDir("blocked");
  test::WriteFile(blocked + "temp", "a file");
  prompts.boxes.clear();
  EXPECT_FALSE(ChooseTempFolder(blocked, prompts).Ok);
  EXPECT_EQ(prompts.Texts(TBoxKind::bkPlain), std::vector<std::string>{"Error determining temporary directory"});
}

TEST(InstallerFolders, FinishSetupEmptiesAndRemovesTheWorkFolder) {
  test::TRecordingPrompts prompts;
  std::string work = test::NewTempDir("work");
  test::WriteFile(work + "a.txt", "a");
  test::WriteFile(work + "b.svg", "b");
  EXPECT_TRUE(FinishSetup(work, prompts));
  EXPECT_FALSE(fs::exists(work));
  EXPECT_TRUE(prompts.boxes.empty());

  // A folder that cannot be removed is reported.
  work = test::NewTempDir("work");
  fs::create_directories(work + "sub/x");
  EXPECT_FALSE(FinishSetup(work, prompts));
  EXPECT_EQ(prompts.Texts(TBoxKind::bkPlain), std::vector<std::string>{"Error removing temporary directory"});
}

namespace {

void SetStatus(TRegistry& reg, int32_t value) {
  ASSERT_TRUE(reg.OpenKey(std::string(kProgramKey) + "\\Main", true));
  reg.WriteInteger("Status", value);
}

}  // namespace

TEST(InstallerFolders, RunningCheckTrustsOnlyALiveProcess) {
  test::TRecordingPrompts prompts;
  TRegistry reg;
  EXPECT_FALSE(ReaderIsRunning(reg, prompts));

  SetStatus(reg, static_cast<int32_t>(::getpid()));
  EXPECT_EQ(ReaderRunningId(reg), ::getpid());
  EXPECT_TRUE(ReaderIsRunning(reg, prompts));
  EXPECT_EQ(prompts.Texts(TBoxKind::bkInformation), std::vector<std::string>{kReaderRunningText});

  // The reader crashed: its process is gone, the flag stayed.
  pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ASSERT_GT(child, 0);
  ::waitpid(child, nullptr, 0);
  SetStatus(reg, child);
  EXPECT_EQ(ReaderRunningId(reg), 0);

  SetStatus(reg, 0);
  EXPECT_EQ(ReaderRunningId(reg), 0);
  // A plain flag without a process id still counts.
  SetStatus(reg, 1);
  EXPECT_EQ(ReaderRunningId(reg), 1);
  reg.WriteString("Status", std::to_string(::getpid()));
  EXPECT_EQ(ReaderRunningId(reg), ::getpid());
  reg.WriteString("Status", "");
  EXPECT_EQ(ReaderRunningId(reg), 0);

  // The controller stops at the check, before any folder is made.
  SetStatus(reg, static_cast<int32_t>(::getpid()));
  TSetupController setup(prompts);
  EXPECT_EQ(setup.Startup(test::NewTempDir("setup")), TStartup::suReaderRunning);
  EXPECT_FALSE(fs::exists(test::TestRoot() + "windows/temp"));
}
