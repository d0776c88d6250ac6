// The reader started with a packet on its command line, and a second start
// that hands its packet to the reader already running on the program folder.

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include <gtest/gtest.h>

#include "platform/instance.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "platform/version.h"
#include "support/packet_builder.h"
#include "support/packet_zip.h"
#include "support/test_env.h"

extern char** environ;

namespace fs = std::filesystem;
using namespace korrin;

namespace {
std::string Packet(const std::string& bbsid) {
  std::string dir = test::NewTempDir("src");
  test::TPacketBuilder()
      .BBS(bbsid + " Board", bbsid)
      .Conference(1, "General")
      .Message(1, test::TPacketMessage().Subject("Hi").Body("Hello"))
      .WriteTo(dir);
  return test::ZipFolder(dir, test::NewTempDir("packets") + bbsid + ".QWK");
}

pid_t Start(const std::vector<std::string>& args) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  std::vector<std::string> all = {test::BinDir() + "korrin"};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (::posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
  return pid;
}

// The exit code, or -1 when the process is still running after `seconds`.
int WaitExit(pid_t pid, int seconds) {
  for (int i = 0; i < seconds * 20; ++i) {
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return -1;
}

bool WaitFor(const std::string& path, int seconds) {
  for (int i = 0; i < seconds * 20; ++i) {
    if (fs::exists(path)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

void Stop(pid_t pid) {
  ::kill(pid, SIGKILL);
  int status;
  ::waitpid(pid, &status, 0);
}
}  // namespace

TEST(CommandLine, OpensThePacketAndHandsLaterOnesToTheRunningReader) {
  if (!fs::exists(test::BinDir() + "korrin")) GTEST_SKIP() << "the reader is not built";
  {
    // Not a first start: no box waits for an answer.
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kProgramKey, true));
    reg.WriteString("Current Version", kVersionText);
    ASSERT_TRUE(reg.OpenKey(std::string(kProgramKey) + "\\Config\\Main", true));
    reg.WriteInteger("Display first message", 0);
  }
  const std::string home = ProgramFolder();
  const std::string first = Packet("FIRST");
  pid_t reader = Start({first});
  ASSERT_GT(reader, 0);
  // Opening leaves the post office folder with its copies, as the Open command does.
  EXPECT_TRUE(WaitFor(home + "FIRST/Control.dat", 30));
  EXPECT_TRUE(fs::is_directory(home + "FIRST/OutBox"));

  // A second start on the same program folder: no second reader.
  pid_t again = Start({});
  EXPECT_EQ(WaitExit(again, 20), 0);
  EXPECT_EQ(WaitExit(reader, 0), -1);  // still running
  Stop(reader);
  // The killed reader's socket stays behind; the next reader replaces it.
  const std::string socket = TempFolder() + InstanceName(home, static_cast<unsigned>(::getuid()));
  EXPECT_TRUE(fs::exists(socket));
  fs::remove(socket);

  // Started without a file, the reader takes the next start's packet.
  reader = Start({});
  // Listening once its socket is there.
  ASSERT_TRUE(WaitFor(socket, 30));
  const std::string second = Packet("SECOND");
  pid_t handing = Start({second});
  EXPECT_EQ(WaitExit(handing, 20), 0);
  EXPECT_TRUE(WaitFor(home + "SECOND/Control.dat", 30));
  Stop(reader);
}
