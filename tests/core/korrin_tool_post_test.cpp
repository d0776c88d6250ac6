// korrin-tool post and build-reply: a message written from a script goes
// through the editor's classes into the post office's Out Box, and the reply
// packet is built as the window builds it.

#include <filesystem>
#include <sstream>

#include <gtest/gtest.h>

#include "engine/posting_order.h"
#include "engine/qwk_header.h"
#include "korrin_tool/tool_commands.h"
#include "korrin_tool/tool_post.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "support/packet_builder.h"
#include "support/packet_zip.h"
#include "support/test_env.h"

using namespace korrin;
namespace fs = std::filesystem;

namespace {
struct TRun {
  int code;
  std::string out, err;
};

TRun Script(std::vector<std::string> args, const std::string& input = {}) {
  std::istringstream in(input);
  std::ostringstream out, err;
  int code = tool::RunPostCommand(args, in, out, err);
  return {code, out.str(), err.str()};
}

// The subjects of the reply packet's messages, in its order.
std::vector<std::string> Subjects(const std::string& replyPacket) {
  std::ostringstream out, err;
  EXPECT_EQ(tool::RunTool({"replies", replyPacket}, out, err), 0) << err.str();
  std::vector<std::string> subjects;
  for (const auto& line : SplitLines(out.str()))
    for (const char* s : {"Script one", "Script two", "Script three"})
      if (line.find(s) != std::string::npos) subjects.push_back(s);
  return subjects;
}
}  // namespace

TEST(KorrinToolPost, PostsThroughTheEditorAndBuildsTheReplyPacket) {
  std::string src = test::TPacketBuilder()
                        .BBS("Script Board", "SCRIPT")
                        .User("JANE READER")
                        .Conference(1, "General")
                        .Conference(3, "Announcements")
                        .Message(1, test::TPacketMessage().Subject("Hi").Body("Hello"))
                        .WriteTo(test::NewTempDir("src"));
  std::string packet = test::ZipFolder(src, test::NewTempDir("packets") + "SCRIPT.QWK");
  std::string body = test::WriteFile(test::NewTempDir("body") + "body.txt", "First line\ncaf\xC3\xA9\n");
  const std::string outBox = ProgramFolder() + "SCRIPT/OutBox/";

  TRun r = Script({"post", packet, "--conference", "3", "--to", "All", "--subject", "Script one", "--file", body});
  ASSERT_EQ(r.code, 0) << r.err;
  auto files = BoxFilesInPostingOrder(outBox);
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(r.out, files[0] + "\n");
  std::string bytes = test::ReadFile(files[0]);
  TQWKHeader h(bytes.substr(0, 128));
  EXPECT_EQ(h.Conference(), 3);
  EXPECT_EQ(TrimRight(h.To()), "All");
  EXPECT_EQ(TrimRight(h.From()), "Jane Reader");
  EXPECT_NE(bytes.find("First line\xE3" "caf\x82\xE3"), std::string::npos);  // code page 437, plain text

  // The text from standard input; private; validation on standard error.
  r = Script({"post", packet, "--conference=1", "--to", "Sysop", "--subject", "Script two", "--private"}, "Second\n");
  ASSERT_EQ(r.code, 0) << r.err;
  r = Script({"post", packet, "--conference", "1", "--to", " ", "--subject", "No one"}, "x");
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("You can not send a message without a recipient."), std::string::npos) << r.err;
  r = Script({"post", packet, "--conference", "9", "--to", "All", "--subject", "Nowhere"}, "x");
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(Script({"post", packet, "--to", "All", "--subject", "x"}).code, 2);
  EXPECT_EQ(BoxFilesInPostingOrder(outBox).size(), 2u);

  r = Script({"build-reply", packet});
  ASSERT_EQ(r.code, 0) << r.err;
  const std::string rep = ProgramFolder() + "SCRIPT.rep";
  EXPECT_EQ(r.out, rep + "\n");
  EXPECT_TRUE(BoxFilesInPostingOrder(outBox).empty());
  EXPECT_EQ(Subjects(rep), (std::vector<std::string>{"Script one", "Script two"}));

  // Not uploaded yet: its messages go into the new one, before the new message.
  ASSERT_EQ(Script({"post", packet, "--conference", "1", "--to", "All", "--subject", "Script three"}, "3").code, 0);
  r = Script({"build-reply", packet, "--uploaded", "no"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(Subjects(rep), (std::vector<std::string>{"Script one", "Script two", "Script three"}));
  EXPECT_EQ(Script({"build-reply", packet}).code, 1);  // nothing to send
  EXPECT_EQ(Script({"build-reply", packet, "--uploaded", "maybe"}).code, 2);
}

TEST(KorrinToolPost, KludgeLinesHiddenInTextShownOnRequestAndHeadersInTheMailbox) {
  std::string src = test::TPacketBuilder()
                        .BBS("Net Board", "NETB")
                        .Conference(2, "Net")
                        .Message(2, test::TPacketMessage().Subject("Routed").Body(
                                        "\x01MSGID: 1:2/3 abcdef\n@VIA: somewhere\nThe text.\n\x01PID: Tool 1"))
                        .WriteTo(test::NewTempDir("src"));
  auto run = [](std::vector<std::string> args) {
    std::ostringstream out, err;
    int code = tool::RunTool(args, out, err);
    EXPECT_EQ(code, 0) << err.str();
    return out.str();
  };
  std::string shown = run({"show", src, "--conference", "2", "--message", "1"});
  EXPECT_NE(shown.find("The text."), std::string::npos);
  EXPECT_EQ(shown.find("MSGID"), std::string::npos);
  EXPECT_EQ(shown.find("VIA"), std::string::npos);
  shown = run({"show", src, "--conference", "2", "--message", "1", "--kludges"});
  EXPECT_NE(shown.find("MSGID: 1:2/3 abcdef\n@VIA: somewhere\nThe text."), std::string::npos) << shown;

  std::string mbox = test::NewTempDir("mbox") + "out.mbox";
  run({"export", src, "--mbox", mbox});
  std::string text = test::ReadFile(mbox);
  EXPECT_NE(text.find("\nX-FTN-MSGID: 1:2/3 abcdef\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\nX-FTN-VIA: somewhere\n"), std::string::npos);
  EXPECT_NE(text.find("\nX-FTN-PID: Tool 1\n"), std::string::npos);
  EXPECT_EQ(text.find("@VIA"), std::string::npos);
  EXPECT_NE(text.find("The text."), std::string::npos);
}
