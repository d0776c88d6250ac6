// Packets written by other BBS programs (../shared/real-packets beside the
// project): every one opens, lists and shows its messages through
// korrin-tool and the folder tree. Skipped when the folder is absent, as in
// a user's clone.

#include <filesystem>
#include <sstream>

#include <gtest/gtest.h>

#include "archive/xceed_zip.h"
#include "engine/mail_tree.h"
#include "engine/message_scan.h"
#include "korrin_tool/tool_commands.h"
#include "support/test_env.h"

using namespace korrin;
namespace fs = std::filesystem;

namespace {

std::string RealPackets() {
  const char* env = std::getenv("KORRIN_SOURCE_DIR");
  fs::path source = env && *env ? fs::path(env) : fs::path(__FILE__).parent_path().parent_path().parent_path();
  fs::path dir = source / ".." / "shared" / "real-packets";
  std::error_code ec;
  return fs::is_directory(dir, ec) ? fs::weakly_canonical(dir).string() + "/" : std::string();
}

#define NEED_REAL_PACKETS(dir)                                                             \
  const std::string dir = RealPackets();                                                   \
  if (dir.empty()) GTEST_SKIP() << "../shared/real-packets is absent: real packets not tested"

struct TRun {
  int code;
  std::string out, err;
};

TRun Tool(std::vector<std::string> args) {
  std::ostringstream out, err;
  int code = tool::RunTool(args, out, err);
  return {code, out.str(), err.str()};
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The conference captions of the tree of an unpacked packet.
std::vector<std::string> TreeConferences(const std::string& archive) {
  std::string dir = test::NewTempDir("real");
  TXceedZip zip;
  zip.SetPluginFolder(test::BinDir());
  zip.SetZipFileName(archive);
  zip.SetExtractDirectory(dir.substr(0, dir.size() - 1));
  zip.SetFilesToProcess({"*.*"});
  EXPECT_EQ(zip.Extract(0), TXceedZip::xcdSuccess) << archive;
  RepairIndexFiles(dir);
  TMailTree tree;
  tree.SetPersonalConference(true);
  tree.SetDirectory(dir);
  std::vector<std::string> out;
  for (auto* n : tree.Nodes())
    if (n->Record && n->Record->Kind == TFolderKind::fkConference) out.push_back(n->Caption);
  return out;
}

}  // namespace

TEST(RealPackets, LongSubjectOfTheExtendedHeadersFile) {
  NEED_REAL_PACKETS(dir);
  const std::string packet = dir + "vision-3-bbs/vision3/TESTBBS.QWK";
  TRun list = Tool({"list", packet});
  ASSERT_EQ(list.code, 0) << list.err;
  EXPECT_TRUE(Has(list.out, "This is a very long subject!!!")) << list.out;
  TRun show = Tool({"show", packet, "--conference", "1", "--message", "1", "--json"});
  ASSERT_EQ(show.code, 0) << show.err;
  EXPECT_TRUE(Has(show.out, "\"subject\": \"This is a very long subject!!!\"")) << show.out;
  EXPECT_TRUE(Has(show.out, "\"messageId\": \"<4.1@testbbs>\"")) << show.out;
  std::string mbox = test::NewTempDir("mbox") + "out.mbox";
  TRun exported = Tool({"export", packet, "--mbox", mbox});
  ASSERT_EQ(exported.code, 0) << exported.err;
  const std::string text = test::ReadFile(mbox);
  EXPECT_TRUE(Has(text, "Message-ID: <4.1@testbbs>")) << text;
  EXPECT_TRUE(Has(text, "Subject: This is a very long subject!!!")) << text;
  EXPECT_EQ(TreeConferences(packet).size(), 1u);
}

TEST(RealPackets, ConferenceListsWithoutNumberLinesReachEveryMessage) {
  NEED_REAL_PACKETS(dir);
  const std::string multi = dir + "QwkNet/MULTICNF.QWK";
  EXPECT_EQ(TreeConferences(multi), (std::vector<std::string>{"0 Main Board", "1 General Discussion"}));
  TRun list = Tool({"list", multi});
  ASSERT_EQ(list.code, 0) << list.err;
  EXPECT_FALSE(Has(list.out, "cannot be read")) << list.out;
  TRun second = Tool({"show", multi, "--conference", "1", "--message", "2"});
  ASSERT_EQ(second.code, 0) << second.err;
  EXPECT_TRUE(Has(second.out, "Replying in the same conference.")) << second.out;
  for (const char* name : {"QwkNet/DEMO1.QWK", "QwkNet/ANSI_DEMO.QWK"}) {
    const std::string packet = dir + name;
    std::vector<std::string> confs = TreeConferences(packet);
    ASSERT_EQ(confs.size(), 1u) << name;
    EXPECT_EQ(confs[0].rfind("0 ", 0), 0u) << confs[0];
    TRun show = Tool({"show", packet, "--conference", "0", "--message", "1"});
    EXPECT_EQ(show.code, 0) << name << show.err;
    EXPECT_TRUE(Has(show.out, "From :     Sysop")) << show.out;
  }
}

TEST(RealPackets, VisionPacketAndItsReplies) {
  NEED_REAL_PACKETS(dir);
  const std::string packet = dir + "vision-3-bbs/vision3/VISION3.QWK";
  TRun list = Tool({"list", packet, "--conference", "1"});
  ASSERT_EQ(list.code, 0) << list.err;
  EXPECT_TRUE(Has(list.out, "Hello world")) << list.out;
  TRun personal = Tool({"list", packet, "--personal"});
  EXPECT_EQ(personal.code, 0) << personal.err;

  TRun replies = Tool({"replies", dir + "vision-3-bbs/vision3/VISION3.REP"});
  ASSERT_EQ(replies.code, 0) << replies.err;
  EXPECT_TRUE(Has(replies.out, "Re: Welcome")) << replies.out;

  TRun damaged = Tool({"replies", dir + "vision-3-bbs/malformed/TRUNCATED.REP"});
  EXPECT_EQ(damaged.code, 1);
  EXPECT_EQ(damaged.err, "korrin-tool: VISION3.MSG: damaged reply file (shorter than one block)\n");
  EXPECT_TRUE(damaged.out.empty()) << damaged.out;
}

TEST(RealPackets, UnpackedPacketWhoseMessagesFileIsLost) {
  NEED_REAL_PACKETS(dir);
  const std::string tmp = dir + "SharpQWKReader-tremyen/TMP";
  TRun bare = Tool({"info", tmp});
  EXPECT_EQ(bare.code, 1);
  EXPECT_TRUE(Has(bare.err, "no messages.dat")) << bare.err;

  // With the one block that survives, the packet opens: every conference,
  // every record listed as one that cannot be read.
  std::string folder = test::NewTempDir("tmp");
  for (auto& e : fs::directory_iterator(tmp)) fs::copy_file(e.path(), folder + e.path().filename().string());
  fs::copy_file(dir + "SharpQWKReader-tremyen/tmp-d9d7a29/MESSAGES.DAT", folder + "MESSAGES.DAT");
  for (auto& e : fs::directory_iterator(folder)) fs::permissions(e.path(), fs::perms::owner_write, fs::perm_options::add);
  TRun info = Tool({"info", folder, "--json"});
  ASSERT_EQ(info.code, 0) << info.err;
  EXPECT_TRUE(Has(info.out, "10001.NDX")) << info.out.substr(0, 2000);
  TRun list = Tool({"list", folder, "--conference", "10001"});
  EXPECT_EQ(list.code, 0) << list.err;
  TMailTree tree;
  tree.SetDirectory(folder);
  int conferences = 0;
  for (auto* n : tree.Nodes()) conferences += n->Record && n->Record->Kind == TFolderKind::fkConference;
  EXPECT_GE(conferences, 135);
}
