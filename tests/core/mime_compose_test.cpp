#include "reading/mime_compose.h"
#include "engine/posting_order.h"

#include <algorithm>
#include <filesystem>
#include <random>

#include <gtest/gtest.h>

#include "archive/xceed_zip.h"
#include "engine/block_file.h"
#include "engine/door_control.h"
#include "engine/mail_tree.h"
#include "engine/packet_lifecycle.h"
#include "engine/qwk_blocks.h"
#include "engine/qwk_msg.h"
#include "engine/qwk_post_office.h"
#include "engine/to_reader.h"
#include "platform/paths.h"
#include "platform/random.h"
#include "engine/tessel_mime.h"
#include "support/packet_builder.h"
#include "support/packet_zip.h"
#include "support/recording_prompts.h"
#include "support/test_env.h"

using namespace korrin;
namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

namespace {
std::string RandomBytes(size_t n, unsigned seed) {
  std::mt19937 gen(seed);
  std::string s(n, '\0');
  for (auto& c : s) c = static_cast<char>(gen() & 0xFF);
  return s;
}

// The Out Box files in the order the reply packet takes them.
Lines BoxFiles(const std::string& folder) { return BoxFilesInPostingOrder(folder); }

Lines LoadText(const std::string& file) {
  TQWKMsg msg;
  TConfRec rec;
  rec.Kind = TFolderKind::fkOutBox;
  EXPECT_TRUE(msg.LoadFromFile(file, rec));
  return msg.Text();
}

// Joins the texts of messages as a reader of the parts would, and lets the
// codec take the attachment out of them.
std::string Decode(const std::vector<Lines>& messages, const std::string& name) {
  std::string joined;
  for (const auto& m : messages)
    for (const auto& l : m) joined += l + "\r\n";
  std::string dir = test::NewTempDir("decode");
  test::WriteFile(dir + "joined.txt", joined);
  TTesselMime codec;
  EXPECT_TRUE(codec.ExtractFile(dir + "joined.txt", dir + "out.bin", name)) << name;
  return test::ReadFile(dir + "out.bin");
}

// Equality of decoded bytes, reported briefly.
::testing::AssertionResult SameBytes(const std::string& got, const std::string& want) {
  if (got == want) return ::testing::AssertionSuccess();
  size_t at = 0;
  while (at < got.size() && at < want.size() && got[at] == want[at]) ++at;
  return ::testing::AssertionFailure() << got.size() << " bytes instead of " << want.size() << ", first difference at "
                                       << at;
}

int Count(const std::vector<Lines>& messages, const std::string& line) {
  int n = 0;
  for (const auto& m : messages) n += static_cast<int>(std::count(m.begin(), m.end(), line));
  return n;
}

struct Composer {
  test::TRecordingPrompts prompts;
  TQWKMsg msg;
  TTesselMime codec;
  TMimeCompose compose;
  std::string packet = test::NewTempDir("packet");
  std::string outBox = test::NewTempDir("outbox");
  std::vector<Lines> composed;  // each message's text as handed to the save
  int failAt = -1;              // the save that fails

  explicit Composer(bool mime) {
    msg.SetMsgTo("All");
    msg.SetMsgFROM("Jane Reader");
    msg.SetSubject("Files");
    compose.SetMimeCTRL(&codec);
    compose.SetMessage(&msg);
    compose.SetUseMime(mime);
    compose.SetPacketFolder(packet);
    compose.SaveToOutBox = [this](const Lines& text) -> std::optional<std::string> {
      if (static_cast<int>(composed.size()) == failAt) return std::nullopt;
      composed.push_back(text);
      return SaveRecordToOutBox(msg, outBox, text, std::time(nullptr));
    };
  }

  std::vector<Lines> ReadBack() {
    std::vector<Lines> out;
    for (const auto& f : BoxFiles(outBox)) out.push_back(LoadText(f));
    return out;
  }
};
}  // namespace

TEST(MimeCompose, FramingOfTextOnlyMessages) {
  Composer mime(true);
  // "Use Mime" on: still plain text, which every reader shows as written.
  ASSERT_TRUE(mime.compose.Post({"Hello", "there", "\x9A\xFC caf\x82"}, {}));
  EXPECT_EQ(mime.composed.at(0), (Lines{"Hello", "there", "\x9A\xFC caf\x82"}));
  EXPECT_EQ(mime.ReadBack().at(0), (Lines{"Hello", "there", "\x9A\xFC caf\x82"}));
  Composer plain(false);
  ASSERT_TRUE(plain.compose.Post({"Hello", "there"}, {}));
  EXPECT_EQ(plain.composed.at(0), (Lines{"Hello", "there"}));  // no added lines
  EXPECT_EQ(BoxFiles(plain.outBox).size(), 1u);

  EXPECT_EQ(TMimeCompose::DropQuestion("/home/me/My File.ZIP", true),
            "Insert /home/me/My File.ZIP as a mime encode file attachment?");
  EXPECT_EQ(TMimeCompose::DropQuestion("a.txt", false), "Insert a.txt as a uuencode file attachment?");
  EXPECT_EQ(TMimeCompose::AttachmentCaption("/home/me/My File.ZIP"), "my file.zip");
  EXPECT_EQ(TMimeCompose::PartBaseName("/x/archive.tar.gz"), "archive");
  EXPECT_EQ(TMimeCompose::PartBaseName("/x/README"), "README");
  EXPECT_EQ(TMimeCompose::PartBaseName("/x/.profile"), "attach");
}

TEST(MimeCompose, OneSmallAttachmentGivesOneMessageClosedTwice) {
  Composer c(true);
  std::string file = test::WriteFile(test::NewTempDir("src") + "note.txt", RandomBytes(30, 1));
  ASSERT_TRUE(c.compose.Post({"See the file."}, {file}));
  ASSERT_EQ(c.composed.size(), 1u);
  const std::string& b = c.compose.MessageBoundary();
  const Lines& m = c.composed[0];
  Lines head(m.begin(), m.begin() + 13);
  EXPECT_EQ(head, (Lines{"", "[This is a multi-part message in MIME format.]", "", "MIME-Version: 1.0",
                         "Content-Type: multipart/mixed; boundary=" + b, "", "", "--" + b,
                         "Content-type: text/plain; charset=IBM437", "Content-Transfer-Encoding: 8bit",
                         "", "See the file.", ""}));
  Lines part(m.begin() + 13, m.begin() + 17);
  EXPECT_EQ(part, (Lines{"--" + b, "Content-Type: application/octet-stream; name=\"note.txt\"",
                         "Content-Transfer-Encoding: base64", ""}));
  Lines tail(m.end() - 6, m.end());
  EXPECT_EQ(tail[0].size(), 40u);
  EXPECT_EQ(Lines(tail.begin() + 1, tail.end()), (Lines{"", "--" + b + "--", "", "--" + b + "--", ""}));
  // Part files are gone after posting.
  EXPECT_TRUE(fs::is_empty(c.packet));
  // Read back with a codec: the text part shows, the file is listed and decodes.
  TQWKMsg back;
  TTesselMime codec;
  back.SetMimeCTRL(&codec);
  TConfRec rec;
  rec.Kind = TFolderKind::fkOutBox;
  ASSERT_TRUE(back.LoadFromFile(BoxFiles(c.outBox).at(0), rec));
  EXPECT_NE(std::find(back.Text().begin(), back.Text().end(), "See the file."), back.Text().end());
  EXPECT_EQ(codec.FileNames(), (Lines{"note.txt"}));
  EXPECT_TRUE(SameBytes(Decode(c.ReadBack(), "note.txt"), test::ReadFile(file)));
}

TEST(MimeCompose, AttachmentsOfEverySizeComeBackWholeInBothForms) {
  for (bool mime : {true, false}) {
    for (size_t size : {0, 30, 45, 90, 100000, 1000000}) {
      SCOPED_TRACE((mime ? "mime " : "uu ") + std::to_string(size));
      Composer c(mime);
      std::string data = RandomBytes(size, static_cast<unsigned>(size) + 3);
      std::string file = test::WriteFile(test::NewTempDir("src") + "Data.Bin", data);
      ASSERT_TRUE(c.compose.Post({"A short text."}, {file}));
      auto messages = c.ReadBack();
      ASSERT_EQ(messages.size(), c.composed.size());
      EXPECT_TRUE(SameBytes(Decode(messages, "Data.Bin"), data));
      EXPECT_EQ(Count(messages, "A short text."), 1);
      // Every message stays within the budget: the line that reaches it is
      // the last, and only the codec's part header and the delimiters come on top.
      for (const auto& m : c.composed) EXPECT_LE(TMimeCompose::TextLength(m), kMessageBudget + 61 + 250);
      if (size == 100000 && mime) {
        ASSERT_EQ(messages.size(), 3u);
        const std::string closing = "--" + c.compose.MessageBoundary() + "--";
        EXPECT_EQ(c.composed[1].end()[-1], closing);  // the codec closes each later part
        EXPECT_EQ(c.composed[1].end()[-2], "");
        EXPECT_GE(TMimeCompose::TextLength(c.composed[1]), kMessageBudget);
        EXPECT_EQ(Count({c.composed[2]}, closing), 2);
      }
      if (size == 1000000) {
        EXPECT_GE(messages.size(), 22u);
      }
      EXPECT_TRUE(fs::is_empty(c.packet));
      EXPECT_TRUE(c.prompts.boxes.empty());
    }
  }
}

TEST(MimeCompose, OlderPartFilesOfTheSameNameAreNeverPosted) {
  Composer c(true);
  // An earlier posting of a large "report" left five part files (in any case).
  for (const char* n : {"report.01", "report.02", "report.03", "REPORT.04", "Report.05"})
    test::WriteFile(c.packet + n, "QUJD\r\nold part\r\n");
  test::WriteFile(c.packet + "report.txt.keep", "not a part");
  test::WriteFile(c.packet + "reportx.01", "another base name");
  std::string data = RandomBytes(500, 9);
  std::string file = test::WriteFile(test::NewTempDir("src") + "report.txt", data);
  ASSERT_TRUE(c.compose.Post({"New report."}, {file}));
  auto messages = c.ReadBack();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_TRUE(SameBytes(Decode(messages, "report.txt"), data));
  EXPECT_EQ(Count(messages, "old part"), 0);
  EXPECT_FALSE(fs::exists(c.packet + "report.02"));
  EXPECT_FALSE(fs::exists(c.packet + "REPORT.04"));
  EXPECT_TRUE(fs::exists(c.packet + "report.txt.keep"));
  EXPECT_TRUE(fs::exists(c.packet + "reportx.01"));

  // A file in the work folder that is itself named like a part file is
  // encoded, not overwritten or removed.
  Composer d(false);
  std::string inside = test::WriteFile(d.packet + "data.01", data);
  ASSERT_TRUE(d.compose.Post({"x"}, {inside}));
  EXPECT_EQ(test::ReadFile(inside), data);
  EXPECT_TRUE(SameBytes(Decode(d.ReadBack(), "data.01"), data));
}

TEST(MimeCompose, SeveralAttachmentsSendTheTextOnceAndEachArrivesWhole) {
  for (bool mime : {true, false}) {
    SCOPED_TRACE(mime ? "mime" : "uu");
    Composer c(mime);
    c.msg.SetTagline("Time flies like an arrow");
    std::string dir = test::NewTempDir("src");
    std::string big = RandomBytes(150000, 1), small = RandomBytes(700, 2), empty;
    std::string a = test::WriteFile(dir + "big.dat", big);
    std::string b = test::WriteFile(dir + "small.gif", small);
    std::string e = test::WriteFile(dir + "empty", empty);
    auto paths = c.compose.PostMessages({"One text for all three."}, {a, b, e});
    ASSERT_TRUE(paths.has_value());

    // The Out Box in name order is the posting order.
    EXPECT_EQ(*paths, BoxFiles(c.outBox));
    auto messages = c.ReadBack();
    ASSERT_EQ(messages.size(), c.composed.size());
    ASSERT_EQ(messages.size(), 6u);  // four for big.dat, one each for the others
    for (size_t i = 0; i < messages.size(); ++i) {
      Lines expected = c.composed[i];
      while (!expected.empty() && expected.front().empty()) expected.erase(expected.begin());
      ASSERT_GE(messages[i].size(), expected.size());
      EXPECT_TRUE(std::equal(expected.begin(), expected.end(), messages[i].begin())) << i;
    }
    EXPECT_EQ(Count(messages, "One text for all three."), 1);

    // Each attachment decodes from its own messages alone.
    EXPECT_TRUE(SameBytes(Decode({messages.begin(), messages.begin() + 4}, "big.dat"), big));
    EXPECT_TRUE(SameBytes(Decode({messages[4]}, "small.gif"), small));
    EXPECT_TRUE(SameBytes(Decode({messages[5]}, "empty"), empty));
    // The tagline stands only after the end of each series.
    const std::string tag = std::string(" ") + kTaglineMark + "Time flies like an arrow";
    for (size_t i = 0; i < messages.size(); ++i) EXPECT_EQ(Count({messages[i]}, tag), i >= 3 ? 1 : 0) << i;
    EXPECT_EQ(c.msg.Tagline(), "Time flies like an arrow");
    EXPECT_TRUE(fs::is_empty(c.packet));
  }
}

TEST(MimeCompose, AFailedPostingLeavesNothingInTheOutBox) {
  std::string dir = test::NewTempDir("src");
  std::string big = test::WriteFile(dir + "big.dat", RandomBytes(200000, 4));
  {
    Composer c(true);
    ASSERT_FALSE(c.compose.Post({"text"}, {big, dir + "missing.txt"}));
    EXPECT_EQ(c.composed.size(), 5u);  // the first attachment was saved ...
    EXPECT_TRUE(BoxFiles(c.outBox).empty());  // ... and taken back
    EXPECT_EQ(c.prompts.Texts(TBoxKind::bkError), Lines{"Could not read file - " + dir + "missing.txt"});
    EXPECT_TRUE(fs::is_empty(c.packet));
  }
  {
    Composer c(false);
    c.failAt = 2;  // the third message cannot be saved
    ASSERT_FALSE(c.compose.Post({"text"}, {big}));
    EXPECT_TRUE(BoxFiles(c.outBox).empty());
    EXPECT_TRUE(fs::is_empty(c.packet));
  }
  {
    // Without a packet folder the part files go to a private folder, never
    // the current one.
    Composer c(true);
    c.compose.SetPacketFolder("");
    auto before = fs::current_path();
    ASSERT_TRUE(c.compose.Post({"text"}, {big}));
    EXPECT_EQ(BoxFiles(c.outBox).size(), 5u);
    EXPECT_FALSE(fs::exists(before / "big.01"));
  }
}

TEST(MimeCompose, AMegabyteAttachmentTravelsThroughTheReplyPacket) {
  test::TRecordingPrompts prompts;
  TMailTree tree;
  TQWKPostOffice po;
  TQWKMsg mainMsg;
  TToReader toReader;
  TDoorControl door;
  TXceedZip zip;
  zip.SetPluginFolder(test::BinDir());
  tree.SetPostoffice(&po);
  po.SetFilename("PO.CFG");
  TPacketLifecycle life(tree, po, mainMsg, toReader, door, zip);
  std::string work = test::NewTempDir("work"), replies = test::NewTempDir("replies");
  life.SetTempDirectory(work);
  life.SetRepliesFolder(replies);
  life.SetMoveToSentBox(false);

  std::string src = test::NewTempDir("pkt");
  test::TPacketBuilder()
      .BBS("Demo Board", "DEMO")
      .User("JANE READER")
      .Conference(1, "General")
      .Message(1, test::TPacketMessage().From("JOHN").To("ALL").Subject("Hi").Body("Hello"))
      .WriteTo(src);
  ASSERT_TRUE(life.OpenPacket(test::ZipFolder(src, src + "DEMO.QWK")));

  TQWKMsg msg;
  msg.SetMsgTo("All");
  msg.SetSubject("The whole file");
  msg.SetTagline("Sent in parts");
  TTesselMime codec;
  TMimeCompose compose;
  compose.SetMimeCTRL(&codec);
  compose.SetMessage(&msg);
  compose.SetPacketFolder(work);
  compose.SaveToOutBox = [&](const Lines& text) {
    return SaveRecordToOutBox(msg, life.OutBoxFolder(), text, std::time(nullptr));
  };
  std::string data = RandomBytes(1000000, 77);
  std::string file = test::WriteFile(test::NewTempDir("att") + "archive.zip", data);
  ASSERT_TRUE(compose.Post({"The archive, in parts."}, {file}));
  Lines before;
  for (const auto& f : BoxFiles(life.OutBoxFolder())) before.push_back(test::ReadFile(f));
  ASSERT_GE(before.size(), 22u);

  ASSERT_TRUE(life.CreateReplyPacket(life.ReplyPacketPath()));
  EXPECT_TRUE(BoxFiles(life.OutBoxFolder()).empty());
  // The reply file carries the parts in their order.
  std::string copy = test::NewTempDir("copy");
  fs::copy_file(life.ReplyPacketPath(), copy + "DEMO.rep");
  TXceedZip unpacker;
  unpacker.SetPluginFolder(test::BinDir());
  unpacker.SetZipFileName(copy + "DEMO.rep");
  unpacker.SetExtractDirectory(copy);
  unpacker.SetFilesToProcess({"*.msg"});
  ASSERT_EQ(unpacker.Extract(0), 0);
  TBlockFile reply;
  ASSERT_TRUE(reply.Open(copy + ReplyFileName("DEMO"), TOpenMode::omRead));
  reply.Seek(128);  // the first block names the BBS
  std::vector<Lines> inPacket;
  TQWKMsg reader;
  while (!reply.Eof() && reader.ReadFrom(reply)) inPacket.push_back(reader.Text());
  ASSERT_EQ(inPacket.size(), before.size());
  for (auto& m : inPacket) reader.Text() = m, reader.RemoveTearLine(), m = reader.Text();
  EXPECT_TRUE(SameBytes(Decode(inPacket, "archive.zip"), data));

  // Back into the Out Box: the same messages, and the attachment decodes.
  ASSERT_TRUE(life.OpenReplyPacket(life.ReplyPacketPath()));
  auto back = BoxFiles(life.OutBoxFolder());
  ASSERT_EQ(back.size(), before.size());
  std::vector<Lines> texts;
  for (const auto& f : back) texts.push_back(LoadText(f));
  // The Out Box names are new: the parts are put in the reply file's order.
  std::vector<Lines> ordered;
  for (const auto& m : inPacket) {
    auto it = std::find(texts.begin(), texts.end(), m);
    ASSERT_NE(it, texts.end());
    ordered.push_back(*it);
  }
  EXPECT_TRUE(SameBytes(Decode(ordered, "archive.zip"), data));
  EXPECT_TRUE(prompts.boxes.empty()) << prompts.Texts()[0];
}
