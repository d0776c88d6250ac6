#include "engine/qwk_blocks.h"

#include <filesystem>
#include <regex>

#include <gtest/gtest.h>

#include "engine/messages_file.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "support/packet_builder.h"
#include "support/recording_prompts.h"
#include "support/test_env.h"

using namespace korrin;
using namespace korrin::test;

namespace {
TQWKHeader SampleHeader() {
  TQWKHeader h;
  h.SetStatus(tStatus::sPrivate, false);
  h.SetNumber("300");
  h.SetConference(300);
  h.SetDate("01-02-24");
  h.SetTime("09:30");
  h.SetTo("SOMEONE WITH A NAME LONGER THAN TWENTY FIVE");
  h.SetFrom("ME");
  h.SetSubject("Subject");
  h.SetAlive(true);
  return h;
}
}  // namespace

TEST(QWKBlocks, BodyTextAndBlockCounts) {
  EXPECT_EQ(BodyText({"a\r\n", "b\n", "c\r", "d\n\n", "e\r\r"}), "a\rb\rc\rd\n\re\r\r");
  EXPECT_EQ(BlockCountFor({}), 0);
  EXPECT_EQ(BlockCountFor({""}), 2);
  EXPECT_EQ(BlockCountFor({std::string(126, 'x')}), 2);
  EXPECT_EQ(BlockCountFor({std::string(127, 'x')}), 3);  // exactly 128 bytes: one more block of blanks
  EXPECT_EQ(BlockCountFor({std::string(200, 'x'), std::string(55, 'y')}), 4);

  // One line of 127 characters: header, a full body block, a block of blanks.
  TQWKHeader h = SampleHeader();
  std::string bytes = EncodeMessage(h, {std::string(127, 'x')});
  ASSERT_EQ(bytes.size(), 3 * 128u);
  EXPECT_EQ(h.BlockCountText(), "3     ");
  EXPECT_EQ(bytes.substr(116, 6), "3     ");
  EXPECT_EQ(bytes.substr(128, 128), std::string(127, 'x') + "\xE3");
  EXPECT_EQ(bytes.substr(256), std::string(128, ' '));

  // The header as written: conference 300 as text and as little-endian bytes, fields cut to 25.
  EXPECT_EQ(bytes[0], '+');
  EXPECT_EQ(bytes.substr(1, 7), "300    ");
  EXPECT_EQ(static_cast<unsigned char>(bytes[123]), 0x2C);
  EXPECT_EQ(static_cast<unsigned char>(bytes[124]), 0x01);
  EXPECT_EQ(bytes.substr(21, 25), "SOMEONE WITH A NAME LONGE");
  EXPECT_EQ(static_cast<unsigned char>(bytes[122]), 0xE1);

  // Carriage returns become 0xE3, line feeds blanks; a message without lines is its header alone.
  TQWKHeader h2 = SampleHeader();
  std::string mixed = EncodeMessage(h2, {"one\rtwo\nthree"});
  EXPECT_EQ(mixed.substr(128, 14), "one\xE3two three\xE3");
  TQWKHeader h3 = SampleHeader();
  std::string none = EncodeMessage(h3, {});
  EXPECT_EQ(none.size(), 128u);
  EXPECT_EQ(none.substr(116, 6), "0     ");
}

TEST(QWKBlocks, ReplyFileRoundTrip) {
  TRecordingPrompts prompts;
  std::string path = TestRoot() + ReplyFileName("MYBBS");
  EXPECT_EQ(ExtractFileName(path), "MYBBS.msg");
  {
    TBlockFile f;
    ASSERT_TRUE(f.Open(path, TOpenMode::omCreate));
    std::string first = ReplyFileFirstBlock("  MYBBS ");
    EXPECT_EQ(first, "MYBBS" + std::string(123, ' '));
    ASSERT_TRUE(f.Write(first));
    TQWKHeader a = SampleHeader(), b = SampleHeader(), c = SampleHeader();
    EXPECT_EQ(WriteMessage(f, a, {"first", std::string(300, 'l')}), 4);
    EXPECT_EQ(WriteMessage(f, b, {}), 0);
    EXPECT_EQ(WriteMessage(f, c, {"last"}), 2);
  }
  // Walking the file message by message with the block spans.
  TBlockFile f;
  ASSERT_TRUE(f.Open(path, TOpenMode::omRead));
  EXPECT_EQ(f.Size(), (1 + 4 + 1 + 2) * 128);
  char block[128];
  ASSERT_EQ(f.Read(block, 128), 128u);
  EXPECT_EQ(ReplyFileBBSID(std::string_view(block, 128)), "MYBBS");
  std::vector<std::string> bodies;
  while (!f.Eof()) {
    ASSERT_EQ(f.Read(block, 128), 128u);
    TQWKHeader h(std::string_view(block, 128));
    std::string body;
    ReadBodyPieces(f, h.BodyLength(), [&](std::string_view piece) {
      body += piece;
      return true;
    });
    bodies.push_back(TrimRight(body));
  }
  EXPECT_EQ(bodies, (std::vector<std::string>{"first\xE3" + std::string(300, 'l') + "\xE3", "", "last\xE3"}));
  EXPECT_TRUE(prompts.boxes.empty());
}

TEST(QWKBlocks, BodyPiecesStopAtTheEnd) {
  std::string path = WriteFile(TestRoot() + "big.bin", std::string(10000, 'b'));
  TBlockFile f;
  ASSERT_TRUE(f.Open(path, TOpenMode::omRead));
  std::vector<size_t> sizes;
  int64_t got = ReadBodyPieces(f, 1 << 20, [&](std::string_view p) {
    sizes.push_back(p.size());
    return true;
  });
  EXPECT_EQ(got, 10000);
  EXPECT_EQ(sizes, (std::vector<size_t>{4096, 4096, 1808}));
  f.Seek(0);
  sizes.clear();
  EXPECT_EQ(ReadBodyPieces(f, 5000, [&](std::string_view p) {
              sizes.push_back(p.size());
              return false;
            }),
            4096);
  EXPECT_EQ(sizes.size(), 1u);
}

TEST(QWKBlocks, BoxFiles) {
  TRecordingPrompts prompts;
  std::string box = NewTempDir("OutBox");
  std::string path = NewBoxFilePath(box);
  EXPECT_TRUE(std::regex_match(ExtractFileName(path), std::regex("([a-y][0-8]){4}\\.qms")));
  EXPECT_EQ(ExtractFilePath(path), box);
  TQWKHeader h = SampleHeader();
  EXPECT_EQ(WriteBoxFile(path, h, {"Hello", "World"}), 2);
  EXPECT_EQ(std::filesystem::file_size(path), 256u);

  TQWKHeader back;
  ASSERT_TRUE(ReadBoxHeader(path, back));
  EXPECT_EQ(back, h);
  EXPECT_FALSE(ReadBoxHeader(box + "none.qms", back));
  EXPECT_EQ(back.Raw(), std::string(128, ' '));

  std::string out = TestRoot() + "export.txt";
  ASSERT_TRUE(ExportBodyFromFile(path, out));
  EXPECT_EQ(ReadFile(out), "Hello\rWorld\r" + std::string(116, ' '));
  // A box file written by someone else, with a short header.
  std::string shortBox = WriteFile(box + "short.qms", "*1");
  ASSERT_TRUE(ReadBoxHeader(shortBox, back));
  EXPECT_EQ(back.StatusChar(), '*');
  EXPECT_EQ(back.BlockCount(), 0);
  EXPECT_TRUE(prompts.boxes.empty());

  EXPECT_FALSE(ExportBodyFromFile(box + "none.qms", out));
  EXPECT_FALSE(ExportBodyFromFile(path, TestRoot() + "no/such/folder/x.txt"));
  EXPECT_EQ(prompts.Texts(), (std::vector<std::string>{"Could not read file - \n" + box + "none.qms",
                                                       "Could not write file - " + TestRoot() + "no/such/folder/x.txt"}));
  // A box folder that is gone: the message is not lost silently.
  prompts.boxes.clear();
  TQWKHeader h2 = SampleHeader();
  EXPECT_EQ(WriteBoxFile(TestRoot() + "gone/x.qms", h2, {"text"}), -1);
  EXPECT_EQ(prompts.Texts(), (std::vector<std::string>{"Error writing message to tmp file."}));
}
