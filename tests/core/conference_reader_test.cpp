#include "engine/conference_reader.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "engine/qwk_blocks.h"
#include "platform/text.h"
#include "support/packet_builder.h"
#include "support/recording_prompts.h"
#include "support/test_env.h"

using namespace korrin;
using namespace korrin::test;

TEST(QWKHeader, FieldsStatusAndBlockCount) {
  std::string raw = EncodeMessageBytes(TPacketMessage()
                                           .Status('*')
                                           .Number("4711")
                                           .Date("12-31-99")
                                           .Time("23:59")
                                           .To("A VERY LONG RECIPIENT NAME THAT IS CUT")
                                           .From("JOHN SMITH")
                                           .Subject("Re: hello")
                                           .Password("secret")
                                           .Refer("4700")
                                           .Body("x")
                                           .Killed()
                                           .ReadMark(),
                                       300)
                        .substr(0, 128);
  TQWKHeader h(raw);
  EXPECT_EQ(h.StatusChar(), '*');
  EXPECT_EQ(h.Number(), "4711   ");
  EXPECT_EQ(h.Date(), "12-31-99");
  EXPECT_EQ(h.Time(), "23:59");
  EXPECT_EQ(h.To(), "A VERY LONG RECIPIENT NAM");
  EXPECT_EQ(TrimRight(h.From()), "JOHN SMITH");
  EXPECT_EQ(h.Password(), "secret      ");
  EXPECT_EQ(TrimRight(h.ReferNum()), "4700");
  EXPECT_EQ(h.BlockCount(), 2);
  EXPECT_EQ(h.BodyLength(), 128);
  EXPECT_TRUE(h.Killed());
  EXPECT_EQ(h.Conference(), 300);
  EXPECT_TRUE(h.MarkedRead());

  // The block field: blanks and NULs skipped; anything else that is not a number counts as 0.
  struct {
    const char* field;
    int32_t count;
    int64_t body;
    int64_t span;
  } cases[] = {{"      ", 0, 0, 1}, {" 12   ", 12, 1408, 12}, {"1 2   ", 12, 1408, 12}, {"abc   ", 0, 0, 1},
               {"1", 1, 0, 1},      {"-5    ", -5, 0, 1},     {"999999", 999999, 999998LL * 128, 999999}};
  for (const auto& c : cases) {
    h.SetField(qwkhdr::kBlocks, qwkhdr::kBlocksLen, c.field);
    EXPECT_EQ(h.BlockCount(), c.count) << c.field;
    EXPECT_EQ(h.BodyLength(), c.body) << c.field;
    EXPECT_EQ(h.BlockSpan(), c.span) << c.field;
  }
  h.SetField(qwkhdr::kBlocks, qwkhdr::kBlocksLen, std::string("3\0\0\0\0\0", 6));
  EXPECT_EQ(h.BlockCount(), 3);
  h.SetBlockCount(0);
  EXPECT_EQ(h.BlockCountText(), "0     ");

  // Status characters read and written.
  struct {
    char c;
    bool known;
    tStatus status;
    bool read;
  } status[] = {{' ', true, tStatus::sPublic, false},   {'-', true, tStatus::sPublic, true},
                {'+', true, tStatus::sPrivate, false},  {'*', true, tStatus::sPrivate, true},
                {'~', true, tStatus::sSysop, true},     {'`', true, tStatus::sSysop, false},
                {'!', true, tStatus::sPassword, false}, {'#', true, tStatus::sPassword, false},
                {'$', true, tStatus::sPassword, false}, {'%', true, tStatus::sPassword, false},
                {'^', true, tStatus::sPassword, false}, {'X', false, tStatus::sPublic, false}};
  for (const auto& s : status) {
    auto d = DecodeStatusChar(s.c);
    EXPECT_EQ(d.Known, s.known) << s.c;
    if (s.known) {
      EXPECT_EQ(d.Status, s.status) << s.c;
    }
    EXPECT_EQ(d.WasRead, s.read) << s.c;
  }
  EXPECT_EQ(EncodeStatusChar(tStatus::sPrivate, true), '*');
  EXPECT_EQ(EncodeStatusChar(tStatus::sPrivate, false), '+');
  EXPECT_EQ(EncodeStatusChar(tStatus::sSysop, true), '-');
  EXPECT_EQ(EncodeStatusChar(tStatus::sPassword, false), ' ');
  EXPECT_EQ(TQWKHeader().Raw(), std::string(128, ' '));
  EXPECT_EQ(TQWKHeader("ab").Raw(), "ab" + std::string(126, ' '));
}

TEST(ConferenceReader, ReadsHeadersThroughTheIndexInAnyCase) {
  TRecordingPrompts prompts;
  TPacketBuilder b;
  b.Conference(300, "Big").Conference(2, "Small").NameCase(TNameCase::ncUpper);
  for (int i = 0; i < 40; ++i)
    b.Message(i % 2 ? 300 : 2, TPacketMessage()
                                   .From("SENDER " + std::to_string(i))
                                   .Subject("Subject " + std::to_string(i))
                                   .Body(std::string(static_cast<size_t>(i * 37), 'x') + "\nend")
                                   .ReadMark(i % 3 == 0));
  std::string dir = b.WriteTo(NewTempDir("pkt"));

  TConferenceReader conf;
  ASSERT_TRUE(conf.Open(dir, "300.ndx"));
  ASSERT_EQ(conf.Count(), 20);
  for (int n = 1; n <= 20; ++n) {
    int i = 2 * n - 1;
    ASSERT_TRUE(conf.IsReadable(n));
    EXPECT_EQ(conf.BlockNumber(n), b.BlockOf(300, static_cast<size_t>(n - 1)));
    TQWKHeader h;
    ASSERT_TRUE(conf.ReadHeader(n, h));
    EXPECT_EQ(TrimRight(h.From()), "SENDER " + std::to_string(i));
    EXPECT_EQ(h.Conference(), 300);  // the index holds only the low byte 0x2C, which is ignored
    EXPECT_EQ(h.MarkedRead(), i % 3 == 0);
  }
  // Random order reads the same.
  TQWKHeader h;
  ASSERT_TRUE(conf.ReadHeader(17, h));
  EXPECT_EQ(TrimRight(h.Subject()), "Subject 33");
  ASSERT_TRUE(conf.ReadHeader(2, h));
  EXPECT_EQ(TrimRight(h.Subject()), "Subject 3");
  EXPECT_TRUE(prompts.boxes.empty());
}

TEST(ConferenceReader, UnusableRecordsKeepTheirRow) {
  TRecordingPrompts prompts;
  TPacketBuilder b;
  b.Conference(1, "One")
      .Message(1, TPacketMessage().Subject("first"))
      .Message(1, TPacketMessage().Subject("zero").IndexBlock(0))
      .Message(1, TPacketMessage().Subject("negative").IndexBlock(-7))
      .Message(1, TPacketMessage().Subject("huge").IndexNumber({0xFF, 0xFF, 0x7F, 0xFF}))
      .Message(1, TPacketMessage().Subject("past end").IndexBlock(100000))
      .Message(1, TPacketMessage().Subject("last"))
      .AppendIndexBytes(1, "\x00\x00");  // a cut-off record
  std::string dir = b.WriteTo(NewTempDir("pkt"));
  TConferenceReader conf;
  ASSERT_TRUE(conf.Open(dir, "001.ndx"));
  ASSERT_EQ(conf.Count(), 6);
  std::vector<bool> readable;
  for (int n = 1; n <= 6; ++n) readable.push_back(conf.IsReadable(n));
  EXPECT_EQ(readable, (std::vector<bool>{true, false, false, false, false, true}));
  TQWKHeader h;
  for (int n = 2; n <= 5; ++n) {
    EXPECT_FALSE(conf.ReadHeader(n, h));
    EXPECT_EQ(h.Raw(), std::string(128, ' '));
    EXPECT_FALSE(conf.MarkRead(n, h));
  }
  ASSERT_TRUE(conf.ReadHeader(6, h));
  EXPECT_EQ(TrimRight(h.Subject()), "last");
  EXPECT_FALSE(conf.IsReadable(7));
  EXPECT_FALSE(conf.IsReadable(0));

  // messages.dat empty beside its index files: nothing readable, nothing breaks.
  TPacketBuilder e;
  e.Conference(1, "One").Message(1, TPacketMessage()).Message(1, TPacketMessage()).MessagesRaw("");
  std::string dir2 = e.WriteTo(NewTempDir("pkt"));
  TConferenceReader empty;
  ASSERT_TRUE(empty.Open(dir2, "001.ndx"));
  EXPECT_EQ(empty.Count(), 2);
  EXPECT_FALSE(empty.IsReadable(1));
  EXPECT_FALSE(empty.ReadHeader(2, h));
  EXPECT_TRUE(prompts.boxes.empty());
  EXPECT_FALSE(empty.ExportBody(1, TestRoot() + "out.txt"));
  EXPECT_EQ(prompts.Texts(), (std::vector<std::string>{"Could not read file - Messages.DAT"}));
}

TEST(ConferenceReader, BodiesPastTheEndAndNulPadding) {
  TRecordingPrompts prompts;
  TPacketBuilder b;
  b.Conference(1, "One")
      .Message(1, TPacketMessage().Body("Hello\nWorld").NulPadding())
      .Message(1, TPacketMessage().Body("short").BlockField("50"));  // claims far more than the file holds
  std::string dir = b.WriteTo(NewTempDir("pkt"));
  TConferenceReader conf;
  ASSERT_TRUE(conf.Open(dir, "001.ndx"));
  std::string out = TestRoot() + "body.txt";
  ASSERT_TRUE(conf.ExportBody(1, out));
  EXPECT_EQ(ReadFile(out), "Hello\rWorld\r" + std::string(128 - 12, '\0'));  // NULs are kept as they are
  ASSERT_TRUE(conf.ExportBody(2, out));
  EXPECT_EQ(ReadFile(out), "short\r" + std::string(122, ' '));

  TQWKHeader h;
  ASSERT_TRUE(conf.ReadHeader(2, h));
  int64_t block = *conf.BlockNumber(2);
  EXPECT_EQ(h.BodyLength(), 49 * 128);
  EXPECT_EQ(conf.Messages().BodyLengthInFile(block, h), 128);

  // A file cut inside the last header: the header is padded, the body is empty.
  TPacketBuilder t;
  t.Conference(1, "One").Message(1, TPacketMessage().Subject("cut here").Body("gone")).TruncateMessages(128 + 90);
  std::string dir2 = t.WriteTo(NewTempDir("pkt"));
  TConferenceReader cut;
  ASSERT_TRUE(cut.Open(dir2, "001.ndx", TOpenMode::omReadWrite));
  ASSERT_TRUE(cut.ReadHeader(1, h));
  EXPECT_EQ(TrimRight(h.Subject()), "cut here");
  EXPECT_EQ(h.Raw().substr(90), std::string(38, ' '));
  EXPECT_EQ(cut.Messages().BodyLengthInFile(2, h), 0);
  EXPECT_FALSE(cut.MarkRead(1, h));  // the marker lies past the end; the file is not extended
  EXPECT_EQ(std::filesystem::file_size(dir2 + "messages.dat"), 218u);
  EXPECT_TRUE(prompts.boxes.empty());
}

TEST(ConferenceReader, MarkReadChangesOnlyTheMarker) {
  TPacketBuilder b;
  b.Conference(1, "One").Message(1, TPacketMessage().Body("a")).Message(1, TPacketMessage().Body("b"));
  std::string dir = b.WriteTo(NewTempDir("pkt"));
  std::string before = ReadFile(dir + "messages.dat");
  {
    TConferenceReader conf;
    ASSERT_TRUE(conf.Open(dir, "001.ndx", TOpenMode::omReadWrite));
    TQWKHeader h;
    ASSERT_TRUE(conf.ReadHeader(2, h));
    EXPECT_FALSE(h.MarkedRead());
    ASSERT_TRUE(conf.MarkRead(2, h));
    ASSERT_TRUE(conf.ReadHeader(2, h));  // the read-ahead window sees the change
    EXPECT_TRUE(h.MarkedRead());
  }
  std::string after = ReadFile(dir + "messages.dat");
  ASSERT_EQ(after.size(), before.size());
  size_t offset = static_cast<size_t>(BlockOffset(b.BlockOf(1, 1))) + 125;
  for (size_t i = 0; i < after.size(); ++i)
    if (i != offset) {
      ASSERT_EQ(after[i], before[i]) << i;
    }
  EXPECT_EQ(after[offset], 'R');

  // Marking through a read-only file fails without touching it.
  TConferenceReader ro;
  ASSERT_TRUE(ro.Open(dir, "001.ndx"));
  TQWKHeader h;
  ro.ReadHeader(1, h);
  EXPECT_FALSE(ro.MarkRead(1, h));
}

TEST(ConferenceReader, MissingFilesAreReported) {
  TRecordingPrompts prompts;
  std::string dir = TPacketBuilder().Conference(1, "One").NoMessagesFile().WriteTo(NewTempDir("pkt"));
  TConferenceReader conf;
  EXPECT_FALSE(conf.Open(dir, "001.ndx"));
  EXPECT_EQ(prompts.Texts(), (std::vector<std::string>{"Could not read file - Messages.DAT"}));

  std::string dir2 = TPacketBuilder().Conference(1, "One", false).WriteTo(NewTempDir("pkt"));
  prompts.boxes.clear();
  ASSERT_TRUE(conf.Open(dir2, "001.ndx"));
  EXPECT_EQ(conf.Count(), 0);
  EXPECT_EQ(prompts.Texts(), (std::vector<std::string>{"Could not read file " + dir2 + "001.ndx"}));

  TMessagesFile quiet;
  prompts.boxes.clear();
  EXPECT_FALSE(quiet.Open(dir, TOpenMode::omRead, false));
  EXPECT_FALSE(quiet.Open("", TOpenMode::omRead, false));
  EXPECT_TRUE(prompts.boxes.empty());
}
