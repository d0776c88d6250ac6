#include "session/file_drop.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "engine/mail_tree.h"
#include "engine/qwk_post_office.h"
#include "platform/instance.h"
#include "platform/paths.h"
#include "session/reader_session.h"
#include "support/packet_builder.h"
#include "support/packet_zip.h"
#include "support/recording_prompts.h"
#include "support/test_env.h"

using namespace korrin;
namespace fs = std::filesystem;

namespace {
std::string Packet(const std::string& bbsid, const std::string& folder) {
  std::string dir = test::NewTempDir("src");
  test::TPacketBuilder()
      .BBS(bbsid + " Board", bbsid)
      .Conference(1, "General")
      .Message(1, test::TPacketMessage().Subject("Hi").Body("Hello"))
      .WriteTo(dir);
  return test::ZipFolder(dir, folder + bbsid + ".QWK");
}

// A reply packet of one message for the board.
std::string ReplyPacket(const std::string& bbsid, const std::string& path) {
  std::string dir = test::NewTempDir("rep");
  test::WriteFile(dir + bbsid + ".msg",
                  test::ReplyFileBytes(bbsid, {{test::TPacketMessage().To("SYSOP").Subject("Reply").Body("Back"), 1}}));
  return test::ZipFolder(dir, path);
}

size_t OutBoxCount(const std::string& bbsid) {
  size_t n = 0;
  std::error_code ec;
  for (auto& e : fs::directory_iterator(ProgramFolder() + bbsid + "/OutBox", ec))
    if (e.path().extension() == ".qms") ++n;
  return n;
}
}  // namespace

TEST(FileDrop, DroppedPathAndReplyPacketNames) {
  const std::string dir = test::NewTempDir("drop");
  const std::string spaced = test::WriteFile(dir + "my packet.qwk", "x");
  EXPECT_EQ(DroppedPath({spaced}), spaced);
  EXPECT_EQ(DroppedPath({dir + "my", "packet.qwk"}), spaced);  // split at its blank
  EXPECT_EQ(DroppedPath({dir + "none.qwk"}), "");
  EXPECT_EQ(DroppedPath({dir}), "");  // a folder is no file
  EXPECT_EQ(DroppedPath({}), "");
  EXPECT_EQ(ReplyPacketBBSID("/x/y/DEMO.REP"), "DEMO");
  EXPECT_EQ(ReplyPacketBBSID("/x/.rep"), "");
}

// Packets, the current post office's reply packet, another board's and an
// unknown board's, as the window's drop target hands them over.
TEST(FileDrop, OpensPacketsAndReplyPacketsOfTheirBoards) {
  test::TRecordingPrompts prompts;
  TReaderSession session;
  ASSERT_TRUE(session.CreateWorkFolder(test::NewTempDir("work")));
  const std::string replies = test::NewTempDir("replies");
  session.Lifecycle().SetRepliesFolder(replies);
  const std::string packets = test::NewTempDir("packets");

  // Two boards known; ALPHA's packet open.
  EXPECT_EQ(OpenDroppedFile(session, Packet("BETA", packets)), TDropOutcome::doPacket);
  std::vector<std::string> opened;
  TDropHooks hooks;
  hooks.OpenPacket = [&](const std::string& p) {
    opened.push_back(p);
    return session.Lifecycle().OpenPacket(p);
  };
  const std::string alpha = Packet("ALPHA", packets);
  EXPECT_EQ(OpenDroppedFile(session, alpha, hooks), TDropOutcome::doPacket);
  EXPECT_EQ(opened, std::vector<std::string>{alpha});
  EXPECT_EQ(session.PostOffice().BBSID(), "ALPHA");
  EXPECT_TRUE(fs::exists(ProgramFolder() + "ALPHA/Control.dat"));

  // The open packet's own reply packet is read without closing the packet.
  ReplyPacket("ALPHA", replies + "ALPHA.rep");
  EXPECT_EQ(OpenDroppedFile(session, replies + "ALPHA.rep"), TDropOutcome::doReplyPacket);
  EXPECT_TRUE(session.Tree().PacketLoaded());
  EXPECT_EQ(OutBoxCount("ALPHA"), 1u);
  EXPECT_FALSE(fs::exists(replies + "ALPHA.rep"));

  // Another board's reply packet: the packet closes, BETA becomes current.
  int changed = 0;
  hooks.PostOfficeChanged = [&] { ++changed; };
  const std::string beta = ReplyPacket("BETA", test::NewTempDir("dl") + "beta.rep");
  EXPECT_EQ(OpenDroppedFile(session, beta, hooks), TDropOutcome::doReplyPacket);
  EXPECT_FALSE(session.Tree().PacketLoaded());
  EXPECT_EQ(session.PostOffice().BBSID(), "BETA");
  EXPECT_EQ(session.Tree().BBSID(), "BETA");
  EXPECT_EQ(changed, 1);
  EXPECT_EQ(OutBoxCount("BETA"), 1u);

  // An unknown board: the warning, and BETA stays current.
  prompts.boxes.clear();
  const std::string unknown = ReplyPacket("GAMMA", test::NewTempDir("dl") + "GAMMA.REP");
  EXPECT_EQ(OpenDroppedFile(session, unknown, hooks), TDropOutcome::doNoPostOffice);
  ASSERT_EQ(prompts.boxes.size(), 1u);
  EXPECT_EQ(prompts.boxes[0].kind, TBoxKind::bkWarning);
  EXPECT_EQ(prompts.boxes[0].text, "A postoffice maching the name of the reply packetcould not be found.");
  EXPECT_EQ(session.PostOffice().BBSID(), "BETA");
  EXPECT_TRUE(fs::exists(unknown));

  // A packet that is kept open when its close is refused.
  ASSERT_EQ(OpenDroppedFile(session, alpha), TDropOutcome::doPacket);
  session.Lifecycle().RunCloseDialog = [](bool) { return TCloseAnswer{}; };
  EXPECT_EQ(OpenDroppedFile(session, beta), TDropOutcome::doIgnored);  // read and gone already
  EXPECT_EQ(OpenDroppedFile(session, Packet("BETA", packets)), TDropOutcome::doKeptPacket);
  EXPECT_EQ(session.Tree().BBSID(), "ALPHA");
  session.RemoveWorkFolder();
}

TEST(Instance, NamesAndRequests) {
  EXPECT_EQ(InstanceName("/home/u/korrin/", 1000), InstanceName("/home/u/korrin", 1000));
  EXPECT_EQ(InstanceName("/home/u/x/../korrin", 1000), InstanceName("/home/u/korrin", 1000));
  EXPECT_NE(InstanceName("/home/u/korrin", 1000), InstanceName("/home/u/korrin2", 1000));
  EXPECT_NE(InstanceName("/home/u/korrin", 1000), InstanceName("/home/u/korrin", 1001));
  EXPECT_LT(InstanceName("/a", 1).size(), 40u);  // fits a socket path

  const std::vector<std::string> paths = {"/tmp/A B.QWK", "/tmp/\n odd.rep", ""};
  const std::string request = EncodeOpenRequest(paths);
  bool bad = true;
  // Arriving piece by piece: nothing until it is whole.
  for (size_t n = 0; n < request.size(); ++n) {
    EXPECT_FALSE(DecodeOpenRequest(request.substr(0, n), bad)) << n;
    EXPECT_FALSE(bad) << n;
  }
  EXPECT_EQ(DecodeOpenRequest(request, bad), paths);
  EXPECT_EQ(DecodeOpenRequest(EncodeOpenRequest({}), bad), std::vector<std::string>{});
  for (const std::string& junk : {std::string("GET / HTTP/1.0\r\n"), request + "x", std::string("KORRIN-OPEN\n99999\n"),
                                 std::string("KORRIN-OPEN\n1\n5\nabcdefg\n"), std::string("KORRIN-OPEN\n1\n-1\n"),
                                 std::string("KORRIN-OPEN\n12345678901\n")}) {
    EXPECT_FALSE(DecodeOpenRequest(junk, bad));
    EXPECT_TRUE(bad) << junk;
  }

  EXPECT_EQ(CommandLineFile("DEMO.QWK", "/home/u"), "/home/u/DEMO.QWK");
  EXPECT_EQ(CommandLineFile("../p/DEMO.QWK", "/home/u"), "/home/p/DEMO.QWK");
  EXPECT_EQ(CommandLineFile("/abs/X.REP", "/home/u"), "/abs/X.REP");
  EXPECT_FALSE(CommandLineFile("-platform", "/home/u"));
  EXPECT_FALSE(CommandLineFile("", "/home/u"));
}
