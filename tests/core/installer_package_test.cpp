// The setup package end to end: built by the package script, installed
// unattended into temporary folders, started, installed again (an update),
// and uninstalled until only the user's files are left.

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <thread>

#include <gtest/gtest.h>

#include "installer/setup_folders.h"
#include "installer/uninstall_record.h"
#include "platform/ini_file.h"
#include "platform/registry.h"
#include "platform/version.h"
#include "support/test_env.h"
#include "installer_test_helpers.h"

using namespace korrin;
namespace fs = std::filesystem;

namespace {

std::string SourceDir() {
  const char* src = std::getenv("KORRIN_SOURCE_DIR");
  return src != nullptr && *src != 0 ? std::string(src) : std::string(KORRIN_SOURCE_TREE);
}

// The installed programs run as a user would run them: no program folder or
// plugin folder given, so they find both beside themselves.
std::string RunInstalled(const std::string& command, int* status) {
  return test::RunShell("env -u KORRIN_HOME -u KORRIN_PLUGIN_DIR " + command, status);
}

std::set<std::string> FilesBelow(const std::string& dir) {
  std::set<std::string> out;
  std::error_code ec;
  for (auto& e : fs::recursive_directory_iterator(dir, ec)) out.insert(e.path().lexically_relative(dir).string());
  return out;
}

pid_t StartReader(const std::string& program, const std::string& log) {
  pid_t pid = ::fork();
  if (pid == 0) {
    ::unsetenv("KORRIN_HOME");
    ::unsetenv("KORRIN_PLUGIN_DIR");
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    FILE* f = std::freopen(log.c_str(), "w", stdout);
    if (f != nullptr) ::dup2(::fileno(stdout), 2);
    ::execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  return pid;
}

}  // namespace

TEST(InstallerPackage, InstallsUpdatesAndUninstalls) {
  const std::string bin = test::BinDir();
  if (!fs::exists(bin + "korrin")) GTEST_SKIP() << "the reader is not built (KORRIN_BUILD_UI=OFF)";
  const std::string root = test::TestRoot();
  const std::string package = root + "package/";
  int status = -1;
  std::string log = test::RunShell(test::Quote(SourceDir() + "/scripts/make-setup-package") + " " +
                                       test::Quote(bin) + " " + test::Quote(package),
                                   &status);
  ASSERT_EQ(status, 0) << log;
  EXPECT_EQ(FilesBelow(package),
            (std::set<std::string>{"setup", "setup.inf", "setup.lib", "install.lib", "libxcdunzip.so"}));

  const std::string dest = root + "apps/Korrin offline mail reader";
  const std::string setup = test::Quote(package + "setup") + " --unattended --dest " + test::Quote(dest);
  log = RunInstalled(setup + " --group Korrin", &status);
  ASSERT_EQ(status, 0) << log;
  EXPECT_NE(log.find("Installation: Setup is finnished installing Korrin offline mail reader"), std::string::npos)
      << log;

  // The files, the uninstaller and no work folder left.
  const std::set<std::string> installed{"korrin", "korrin-tool", "libxcdzip.so", "libxcdunzip.so", "korrin.ini",
                                        "korrin.svg", "korrin-tool.svg", "readme.txt", "license.txt",
                                        "korrin-tool.txt", "unwizard.inf"};
  EXPECT_EQ(FilesBelow(dest), installed);
  EXPECT_EQ(::access((dest + "/korrin").c_str(), X_OK), 0);
  EXPECT_EQ(::access((root + "windows/TAMUNWIZ.EXE").c_str(), X_OK), 0);
  EXPECT_FALSE(fs::exists(root + "windows/temp/tamwiz.tmp"));

  // The uninstall entry, script and shortcuts.
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(std::string(kUninstallKey) + "Korrin offline mail reader", false));
  EXPECT_EQ(reg.ReadString("Path"), dest);
  const std::string uninstall = reg.ReadString("UninstallString");
  EXPECT_EQ(uninstall, root + "windows/TAMUNWIZ.EXE " + dest);
  TIniFile inf(dest + "/unwizard.inf");
  EXPECT_EQ(inf.ReadString("Remove", "File count", ""), "11");  // the uninstaller too
  EXPECT_EQ(inf.ReadString("Remove", "Group Name", ""), "Korrin");
  EXPECT_EQ(inf.ReadString("Windowsfiles", "File0", ""), "TAMUNWIZ.EXE");
  const std::string group = root + "programs/Korrin/";
  EXPECT_EQ(inf.ReadString("Remove", "Link0", ""), group + "Korrin offline mail reader.desktop");
  EXPECT_EQ(inf.ReadString("Remove", "Link1", ""), group + "Korrin tool.desktop");
  EXPECT_EQ(DesktopEntryProgram(test::ReadFile(group + "Korrin offline mail reader.desktop")), dest + "/korrin");
  EXPECT_EQ(DesktopEntryProgram(test::ReadFile(group + "Korrin tool.desktop")), dest + "/korrin-tool");

  // The installed tool runs and finds its plugins beside it.
  const std::string tool = test::Quote(dest + "/korrin-tool");
  log = RunInstalled(tool + " --help", &status);
  EXPECT_EQ(status, 0) << log;
  EXPECT_NE(log.find("korrin-tool"), std::string::npos);
  log = test::RunShell(test::Quote(bin + "qwkgen") + " --out " + test::Quote(root + "packet") +
                           " --messages 5 --zip " + test::Quote(root + "GENBBS.QWK"),
                       &status);
  ASSERT_EQ(status, 0) << log;
  log = RunInstalled(tool + " info " + test::Quote(root + "GENBBS.QWK"), &status);
  EXPECT_EQ(status, 0) << log;

  // The installed reader marks itself running; setup refuses meanwhile.
  pid_t reader = StartReader(dest + "/korrin", root + "reader.log");
  ASSERT_GT(reader, 0);
  bool marked = false;
  for (int i = 0; i < 300 && !marked; ++i) {
    marked = ReaderRunningId(reg) == reader;
    if (!marked) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  EXPECT_TRUE(marked) << test::ReadFile(root + "reader.log");
  EXPECT_EQ(::waitpid(reader, nullptr, WNOHANG), 0) << "the reader ended: " << test::ReadFile(root + "reader.log");
  log = RunInstalled(setup, &status);
  EXPECT_EQ(status, 1) << log;
  EXPECT_NE(log.find("Setup can not install this software while it is running."), std::string::npos) << log;

  // It crashes: the flag it left no longer blocks setup.
  ::kill(reader, SIGKILL);
  ::waitpid(reader, nullptr, 0);
  EXPECT_EQ(ReaderRunningId(reg), 0);

  // The user's files: a post office and changed settings.
  test::WriteFile(dest + "/PO.CFG", "GENBBS\n");
  test::WriteFile(dest + "/GENBBS/OutBox/a1b2c3d4.qms", "my reply");
  test::WriteFile(dest + "/korrin.ini", "[Main]\nTop=40\n");
  test::WriteFile(dest + "/korrin", "damaged");

  // Installed again: found as an update, the program mended, the settings kept.
  log = RunInstalled(setup + " --group Korrin", &status);
  ASSERT_EQ(status, 0) << log;
  EXPECT_NE(log.find("Update: Setup is finnished"), std::string::npos) << log;
  EXPECT_GT(fs::file_size(dest + "/korrin"), 100000u);
  EXPECT_EQ(test::ReadFile(dest + "/korrin.ini"), "[Main]\nTop=40\n");
  EXPECT_EQ(test::ReadFile(dest + "/GENBBS/OutBox/a1b2c3d4.qms"), "my reply");

  // Uninstalled by the entry's own command line (the folder holds blanks).
  log = RunInstalled(uninstall, &status);
  EXPECT_EQ(status, 0) << log;
  EXPECT_EQ(FilesBelow(dest), (std::set<std::string>{"PO.CFG", "GENBBS", "GENBBS/OutBox", "GENBBS/OutBox/a1b2c3d4.qms"}));
  EXPECT_FALSE(fs::exists(root + "programs/Korrin"));
  EXPECT_FALSE(fs::exists(root + "windows/TAMUNWIZ.EXE"));
  EXPECT_FALSE(reg.KeyExists(std::string(kUninstallKey) + "Korrin offline mail reader"));
  EXPECT_NE(log.find("Files that setup did not install remain in " + dest), std::string::npos) << log;
}
