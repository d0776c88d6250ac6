#include "session/reader_session.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "platform/paths.h"
#include "support/packet_builder.h"
#include "support/packet_zip.h"
#include "support/recording_prompts.h"
#include "support/test_env.h"

using namespace korrin;
namespace fs = std::filesystem;

namespace {
std::string DemoPacket(const std::string& name = "DEMO.QWK") {
  std::string dir = test::NewTempDir("src");
  test::TPacketBuilder()
      .BBS("Demo Board", "DEMO")
      .User("JANE READER")
      .Conference(1, "General")
      .Message(1, test::TPacketMessage().From("JOHN SMITH").Subject("Welcome").Body("Hello"))
      .WriteTo(dir);
  return test::ZipFolder(dir, test::NewTempDir("packets") + name);
}
}  // namespace

// The window's session records the packet's BBS as a post office; a session
// on a registry in memory that records nothing leaves no file behind, and
// both give their failures back instead of showing them.
TEST(ReaderSession, OpensPacketsWithOrWithoutRecordingAndReturnsFailures) {
  test::TRecordingPrompts prompts;
  const std::string packet = DemoPacket();
  {
    TReaderSession session;
    ASSERT_TRUE(session.CreateWorkFolder(test::NewTempDir("work")));
    EXPECT_TRUE(session.OpenFile(packet));
    EXPECT_TRUE(session.Tree().PacketLoaded());
    EXPECT_EQ(session.PostOffice().BBSID(), "DEMO");
    EXPECT_TRUE(fs::is_directory(ProgramFolder() + "DEMO"));
    session.RemoveWorkFolder();
  }
  fs::remove_all(ProgramFolder() + "DEMO");
  fs::remove(TRegistry::RegistryFileName());

  TSessionOptions options;
  options.RegistryFile = ":memory:";
  options.RecordPostOffice = false;
  TReaderSession quiet(options);
  const std::string parent = test::NewTempDir("tool");
  ASSERT_TRUE(quiet.CreateWorkFolder(parent));
  EXPECT_EQ(quiet.WorkFolder().rfind(parent, 0), 0u);
  // The steps one by one: unpacked into the work folder, read there.
  TUnpackOutcome unpacked = quiet.UnpackPacket(packet, false);
  EXPECT_TRUE(unpacked.Unpacked);
  EXPECT_TRUE(quiet.ReadPacketFolder(quiet.WorkFolder()));
  EXPECT_EQ(quiet.Tree().BBSID(), "DEMO");
  EXPECT_EQ(quiet.PostOffice().Count(), 0);
  EXPECT_FALSE(fs::exists(ProgramFolder() + "DEMO"));
  EXPECT_FALSE(fs::exists(TRegistry::RegistryFileName()));

  std::string junk = test::WriteFile(test::NewTempDir("junk") + "JUNK.QWK", "not an archive");
  TResult r = quiet.OpenFile(junk);  // closes the open packet first
  EXPECT_EQ(r.Text(), "Could not read mail packet - JUNK.QWK");
  EXPECT_EQ(quiet.OpenFile(test::WriteFile(test::NewTempDir("rep") + "DEMO.REP", "x")).Text(),
            "Reply packet does not contain any messages.");
  EXPECT_FALSE(quiet.Tree().PacketLoaded());
  EXPECT_TRUE(prompts.boxes.empty());
  quiet.RemoveWorkFolder();
  EXPECT_FALSE(fs::exists(quiet.WorkFolder()));
}
