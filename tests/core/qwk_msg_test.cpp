#include "engine/qwk_msg.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "engine/messages_file.h"
#include "engine/qwk_blocks.h"
#include "engine/to_reader.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "engine/tessel_mime.h"
#include "support/packet_builder.h"
#include "support/recording_prompts.h"
#include "support/test_env.h"

using namespace korrin;
using namespace korrin::test;
namespace fs = std::filesystem;

namespace {

TConfRec Conf(int number, const std::string& name) {
  TConfRec r;
  r.Name = name;
  r.IndexFile = TPacketBuilder::IndexName(number);
  r.Ordinal = 1;
  r.Kind = TFolderKind::fkConference;
  return r;
}

TConfRec OutBox() {
  TConfRec r;
  r.Name = kOutBoxName;
  r.Kind = TFolderKind::fkOutBox;
  return r;
}

std::vector<std::string> Lines(std::initializer_list<const char*> l) { return {l.begin(), l.end()}; }

// A body of `size` characters in lines of 70.
std::vector<std::string> BigBody(size_t size) {
  std::vector<std::string> lines;
  size_t n = 0;
  for (int i = 0; n < size; ++i) {
    std::string l = "line " + std::to_string(i) + " ";
    l.append(69 - l.size(), static_cast<char>('a' + i % 26));
    lines.push_back(l);
    n += l.size() + 1;
  }
  return lines;
}

// Writes the record into a fresh file and reads it back into `back`.
void RoundTrip(TQWKMsg& msg, TQWKMsg& back) {
  std::string path = NewTempDir("rt") + "m.qms";
  ASSERT_TRUE(msg.SaveToFile(path));
  ASSERT_TRUE(back.LoadFromFile(path, OutBox()));
}

}  // namespace

TEST(QWKMsg, LoadFromPacketReadsFieldsBodyAndMarksRead) {
  TPacketBuilder b;
  b.Conference(5, "General")
      .Message(5, TPacketMessage().Status('+').Number("42").To("JOHN SMITH").From("mary o'neil").Subject("Hello")
                      .Refer("41").Password("secret").Body("Line 1\nLine 2"))
      .Message(5, TPacketMessage().Status('Q').Body("Second"))
      .ToReader({"AREA 5 aP"});
  std::string dir = b.WriteTo(NewTempDir("pkt"));
  TToReader ext;
  TQWKMsg msg;
  msg.SetQWKExtCTRL(&ext);
  int headers = 0, texts = 0;
  msg.SetOnHDRChange([&](TQWKMsg* s) { EXPECT_EQ(s, &msg); ++headers; });
  msg.SetOnTextChange([&](TQWKMsg*) { ++texts; });

  ASSERT_TRUE(msg.LoadFromPacket(dir, 1, Conf(5, "General")));
  EXPECT_EQ(headers, 1);
  EXPECT_EQ(texts, 1);
  EXPECT_EQ(ext.Directory(), dir);
  EXPECT_TRUE(msg.QWKE());
  EXPECT_EQ(msg.AreaFlags(), afa | afP);
  EXPECT_EQ(msg.IndexCount(), 2);
  EXPECT_EQ(msg.BlockNumber(), b.BlockOf(5, 0));
  EXPECT_EQ(msg.Status(), tStatus::sPrivate);
  EXPECT_FALSE(msg.WasRead());
  EXPECT_EQ(msg.Number() + msg.PostDate() + msg.PostTime(), "42     01-15-2413:45");
  EXPECT_EQ(msg.MsgTo(), "John Smith" + std::string(15, ' '));
  EXPECT_EQ(msg.MsgFROM(), "Mary O'neil" + std::string(14, ' '));
  EXPECT_EQ(msg.Password() + msg.ReferNum(), "secret      41      ");
  EXPECT_EQ(msg.Conference(), 5);
  EXPECT_EQ(msg.Text(), Lines({"Line 1", "Line 2"}));  // the blanks filling the block are no line
  EXPECT_EQ(msg.Blocks(), 2);
  // "tmpR.txt" holds the body with carriage returns, without the fill.
  EXPECT_EQ(ReadFile(ProgramFolder() + "tmpR.txt"), "Line 1\rLine 2\r");
  // The read marker went into messages.dat, nothing else changed.
  std::string dat = ReadFile(PathNoCase(dir, "messages.dat"));
  std::string expected = b.MessagesDat();
  expected[BlockOffset(b.BlockOf(5, 0)) + 125] = 'R';
  EXPECT_EQ(dat, expected);
  std::string exported = NewTempDir("x") + "body.txt";
  ASSERT_TRUE(msg.ExportBody(exported));
  EXPECT_EQ(ReadFile(exported), "Line 1\rLine 2\r" + std::string(114, ' '));

  // A status character outside the table keeps the status and counts as unread.
  ASSERT_TRUE(msg.LoadFromPacket(dir, 2, Conf(5, "General")));
  EXPECT_EQ(msg.Status(), tStatus::sPrivate);
  EXPECT_FALSE(msg.WasRead());
  EXPECT_EQ(msg.Text(), Lines({"Second"}));

  // Outside the index nothing is read; a missing index gives false.
  ASSERT_TRUE(msg.LoadFromPacket(dir, 3, Conf(5, "General")));
  EXPECT_EQ(msg.Text(), Lines({"Second"}));
  EXPECT_FALSE(msg.LoadFromPacket(dir, 1, Conf(7, "Other")));
  EXPECT_EQ(texts, 2);
}

TEST(QWKMsg, MissingMessagesFileAndDamagedIndexRecords) {
  TRecordingPrompts prompts;
  TPacketBuilder b;
  b.Conference(1, "Main")
      .Message(1, TPacketMessage().Body("Good"))
      .Message(1, TPacketMessage().Body("x").IndexBlock(0))
      .Message(1, TPacketMessage().Body("y").IndexBlock(-3))
      .Message(1, TPacketMessage().Body("z").IndexBlock(90000));
  std::string dir = b.WriteTo(NewTempDir("pkt"));
  TQWKMsg msg;
  ASSERT_TRUE(msg.LoadFromPacket(dir, 1, Conf(1, "Main")));
  for (int n = 2; n <= 4; ++n) EXPECT_FALSE(msg.LoadFromPacket(dir, n, Conf(1, "Main"))) << n;
  EXPECT_EQ(msg.Text(), Lines({"Good"}));

  fs::remove(PathNoCase(dir, "messages.dat"));
  EXPECT_FALSE(msg.LoadFromPacket(dir, 1, Conf(1, "Main")));
  EXPECT_EQ(prompts.Texts(), std::vector<std::string>{"Could not read file - Messages.DAT"});
  EXPECT_EQ(msg.Text(), Lines({"Good"}));  // the record keeps its content
}

TEST(QWKMsg, LongBodiesAreKeptWhole) {
  // Far beyond the 28671 bytes that used to be kept; 62,720 characters is
  // the largest Out Box message with an attachment.
  for (size_t size : {28671u, 28800u, 62720u, 100000u}) {
    TQWKMsg msg;
    msg.SetMsgTo("SOMEONE");
    msg.SetText(BigBody(size));
    std::vector<std::string> lines = msg.Text();
    TQWKMsg back;
    RoundTrip(msg, back);
    EXPECT_EQ(back.Text(), lines) << size;
    // Through a packet as well.
    std::string body;
    for (const auto& l : lines) body += l + "\n";
    body.pop_back();
    std::string dir = TPacketBuilder().Conference(3, "C").Message(3, TPacketMessage().Body(body)).WriteTo(NewTempDir());
    ASSERT_TRUE(back.LoadFromPacket(dir, 1, Conf(3, "C")));
    EXPECT_EQ(back.Text(), lines) << size;
  }
}

TEST(QWKMsg, ExtendedHeaderLines) {
  TQWKMsg msg;
  std::string box = NewTempDir("box");
  WriteBoxFile(box,
               TPacketMessage().Body("To: someone.with.a.long.address@example.com\nFrom: Another Person With Long Name\n"
                                     "Date: Mon, 1 Jan 2024\nCC: a@x.org,b@y.org,\nc@z.org,\nd@w.org\n\nBody text\n"
                                     "Later To: stays"),
               0, "a.qms");
  ASSERT_TRUE(msg.LoadFromFile(box + "a.qms", OutBox()));
  EXPECT_EQ(msg.LongTo(), "someone.with.a.long.address@example.com");
  EXPECT_EQ(msg.LongFrom(), "Another Person With Long Name");
  EXPECT_EQ(msg.CarbonCopies(), "a@x.org,b@y.org,c@z.org,d@w.org");
  EXPECT_EQ(msg.Text(), Lines({"", "Body text", "Later To: stays"}));
  EXPECT_EQ(msg.IndexPosition(), 0);
  EXPECT_EQ(msg.ConfRecord().Kind, TFolderKind::fkOutBox);

  // Only the first To: line found (from the bottom) is kept; later passes delete the others.
  WriteBoxFile(box, TPacketMessage().Body("TO: first\nto: second\nSubject: S\nHello"), 0, "b.qms");
  ASSERT_TRUE(msg.LoadFromFile(box + "b.qms", OutBox()));
  EXPECT_EQ(msg.LongTo(), "second");
  EXPECT_EQ(msg.LongSubject(), "S");
  EXPECT_EQ(msg.Text(), Lines({"Hello"}));
  // A message without a CC line does not inherit the copies of the one before.
  EXPECT_EQ(msg.CarbonCopies(), "");

  // Thousands of header lines are all taken, the copies run to the empty line.
  std::string many;
  for (int i = 0; i < 20000; ++i) many += "To: t" + std::to_string(i) + "\nFrom: f\nSubject: s\nDate: d\n";
  WriteBoxFile(box, TPacketMessage().Body(many + "CC: a,\nb\n\nBody"), 0, "c.qms");
  ASSERT_TRUE(msg.LoadFromFile(box + "c.qms", OutBox()));
  EXPECT_EQ(msg.Text(), Lines({"", "Body"}));
  EXPECT_EQ(msg.CarbonCopies(), "a,b");
  EXPECT_EQ(msg.LongSubject(), "s");
}

TEST(QWKMsg, KilledMessageBanner) {
  EXPECT_EQ(KilledBanner().size(), 300u);
  EXPECT_EQ(KilledBanner().find("           *****************************************\r\n", 179), 179u);
  EXPECT_EQ(KilledBanner().substr(233, 65), std::string(65, ' '));
  std::string box = NewTempDir("box");
  WriteBoxFile(box, TPacketMessage().Killed().Body("Gone"), 0, "k.qms");
  WriteBoxFile(box, TPacketMessage().Killed().BlockField("1"), 0, "e.qms");
  TQWKMsg msg;
  ASSERT_TRUE(msg.LoadFromFile(box + "k.qms", OutBox()));
  EXPECT_FALSE(msg.Alive());
  std::vector<std::string> expected = KilledBannerLines();
  ASSERT_EQ(expected.size(), 9u);
  EXPECT_EQ(expected[2], "           WARNING! ");
  expected.push_back("Gone");
  EXPECT_EQ(msg.Text(), expected);

  // Written again the banner is not part of the message.
  TQWKMsg back;
  RoundTrip(msg, back);
  EXPECT_EQ(back.Text(), expected);
  EXPECT_FALSE(back.Alive());

  ASSERT_TRUE(msg.LoadFromFile(box + "e.qms", OutBox()));
  EXPECT_EQ(msg.Text(), KilledBannerLines());
}

TEST(QWKMsg, KludgeLines) {
  // Kludge lines are lines of their own and do not count; the gateway block
  // above the last "X-Mail"... line is replaced by one empty line in packet
  // messages.
  std::string body = std::string("Subject: A subject that is long enough to count\n") + "\x01MSGID: 1:2/3\n" +
                     "?@PATH: x\n" + "Path: a!b\n" + "Organization: Org\n" + "X-Mailer: Tool 1.0\n" + "\n" + "Hello";
  TPacketBuilder b;
  b.Conference(2, "Net").Message(2, TPacketMessage().Body(body));
  std::string dir = b.WriteTo(NewTempDir());
  TQWKMsg msg;
  ASSERT_TRUE(msg.LoadFromPacket(dir, 1, Conf(2, "Net")));
  // Counted lines before the X-Mailer line: Subject, "?@PATH" (no kludge
  // word), Path, Organization; the MSGID kludge is not counted.
  EXPECT_EQ(msg.KludgePosition(), 4);
  EXPECT_EQ(msg.LongSubject(), "A subject that is long enough to count");
  EXPECT_EQ(msg.Text(), Lines({"", "X-Mailer: Tool 1.0", "", "Hello"}));
  std::string tmp = ReadFile(ProgramFolder() + "tmpR.txt");
  EXPECT_EQ(tmp.substr(47, 29), std::string("\r\x01MSGID: 1:2/3\r?@PATH: x\rPath"));

  // Never joined: a kludge line and an "@" kludge word stay lines; the
  // viewers hide them unless asked; a kludge just above the gateway line
  // stays with it.
  TPacketBuilder k;
  k.Conference(2, "Net").Message(2, TPacketMessage().Body("\x01MSGID: 1:2/3 abcdef\n@VIA: somewhere\nText\n"
                                                          "@tzutc: 0100\n@TZX: no kludge\nend"));
  k.Message(2, TPacketMessage().Body("Above\n\x01PID: x\nX-Mailer: y\n\nBody"));
  dir = k.WriteTo(NewTempDir());
  ASSERT_TRUE(msg.LoadFromPacket(dir, 1, Conf(2, "Net")));
  EXPECT_EQ(msg.Text(),
            Lines({"\x01MSGID: 1:2/3 abcdef", "@VIA: somewhere", "Text", "@tzutc: 0100", "@TZX: no kludge", "end"}));
  EXPECT_EQ(VisibleLines(msg.Text(), false), Lines({"Text", "@TZX: no kludge", "end"}));
  EXPECT_EQ(VisibleLines(msg.Text(), true), msg.Text());
  EXPECT_FALSE(IsKludgeLine("@VIAduct"));
  EXPECT_FALSE(IsKludgeLine("c@z.org"));
  EXPECT_TRUE(IsKludgeLine("@PATH"));
  ASSERT_TRUE(msg.LoadFromPacket(dir, 2, Conf(2, "Net")));
  EXPECT_EQ(msg.Text(), Lines({"", "\x01PID: x", "X-Mailer: y", "", "Body"}));

  // A box file is read line for line: nothing is joined (addresses like
  // c@z.org have "@" second) and the lines the user wrote above such a line stay.
  std::string box = NewTempDir("box");
  WriteBoxFile(box, TPacketMessage().Body("See the mail below:\nc@z.org\nX-Mailer: Tool\nMime-Version: 1.0\n\nText"), 0, "m.qms");
  ASSERT_TRUE(msg.LoadFromFile(box + "m.qms", OutBox()));
  EXPECT_EQ(msg.KludgePosition(), 3);
  EXPECT_EQ(msg.Text(), Lines({"See the mail below:", "c@z.org", "X-Mailer: Tool", "Mime-Version: 1.0", "", "Text"}));
}

TEST(QWKMsg, WriteToLayout) {
  TQWKMsg msg;
  msg.SetStatus(tStatus::sPrivate);
  msg.SetWasRead(true);
  msg.SetPostDate("02-29-24");
  msg.SetPostTime("9:05");
  msg.SetMsgTo("someone.with.a.very.long.address@example.com");
  msg.SetMsgFROM("JOHN DOE");
  msg.SetSubject("A subject longer than twenty-five characters");
  msg.SetReferNum("77");
  msg.SetConference(300);
  msg.SetCarbonCopies("alpha@example.com,beta@example.com,gamma@example.com,delta@example.com,epsilon@example.com");
  msg.SetTagline("Tagline here");
  msg.SetTairline("Korrin v1 . 3");
  msg.SetText(Lines({"", "", "Body line", "--- Korrin v1 . 3"}));
  std::string path = NewTempDir("w") + "m.qms";
  ASSERT_TRUE(msg.SaveToFile(path));
  EXPECT_EQ(msg.PostTime(), "09:05");
  EXPECT_EQ(msg.Text(), Lines({"CC: alpha@example.com,beta@example.com,gamma@example.com,delta@example.com,",
                               "epsilon@example.com", "", "To: someone.with.a.very.long.address@example.com",
                               "Subject: A subject longer than twenty-five characters", "", "Body line", "",
                               " \xFETagline here", "", "--- Korrin v1 . 3", ""}));
  std::string bytes = ReadFile(path);
  std::string text = BodyText(msg.Text());
  int32_t count = static_cast<int32_t>(text.size() / 128 + 2);
  EXPECT_EQ(msg.Blocks(), count);
  ASSERT_EQ(bytes.size(), static_cast<size_t>(count) * 128);
  EXPECT_EQ(bytes[0], '*');
  EXPECT_EQ(bytes.substr(1, 20), "300    02-29-2409:05");
  EXPECT_EQ(bytes.substr(21, 25), "someone.with.a.very.long.");
  EXPECT_EQ(bytes.substr(46, 25), "John Doe                 ");
  EXPECT_EQ(bytes.substr(108, 14), "77      " + std::to_string(count) + std::string(6 - std::to_string(count).size(), ' '));
  EXPECT_EQ(bytes.substr(122, 6), "\xE1\x2C\x01   ");
  std::string encoded = text;
  for (auto& c : encoded)
    if (c == '\r') c = '\xE3';
  EXPECT_EQ(bytes.substr(128, encoded.size()), encoded);
  EXPECT_EQ(bytes.substr(128 + encoded.size()), std::string(bytes.size() - 128 - encoded.size(), ' '));

  // A trailing colon goes; an empty text is the header alone with "0".
  TQWKMsg empty;
  empty.SetPostTime("12:30:");
  std::string p2 = NewTempDir("w") + "e.qms";
  ASSERT_TRUE(empty.SaveToFile(p2));
  bytes = ReadFile(p2);
  ASSERT_EQ(bytes.size(), 128u);
  EXPECT_EQ(bytes.substr(16, 5), "12:30");
  EXPECT_EQ(bytes.substr(116, 6), "0     ");
  EXPECT_EQ(empty.Blocks(), 0);
}

TEST(QWKMsg, WrittenMessageReadsBackWhole) {
  TQWKMsg msg;
  msg.SetMsgTo("someone.with.a.very.long.address@example.com");
  msg.SetMsgFROM("A Sender With A Rather Long Name");
  msg.SetSubject("Re: a subject that does not fit the header");
  msg.SetPostDate("03-01-24");
  msg.SetPostTime("10:00");
  msg.SetConference(12);
  std::string many;
  for (int i = 0; i < 40; ++i) many += "person" + std::to_string(i) + "@example.com,";
  many.pop_back();
  msg.SetCarbonCopies(many);  // far more than seven lines of copies
  msg.SetTagline("My tagline");
  msg.SetTairline("Korrin v1 . 3");
  std::vector<std::string> body = BigBody(100000);
  msg.SetText(body);

  TQWKMsg back;
  RoundTrip(msg, back);
  EXPECT_EQ(back.LongTo(), "someone.with.a.very.long.address@example.com");
  EXPECT_EQ(back.LongFrom(), "A Sender With A Rather Long Name");
  EXPECT_EQ(back.LongSubject(), "Re: a subject that does not fit the header");
  EXPECT_EQ(back.CarbonCopies(), many);
  EXPECT_EQ(back.Conference(), 12);
  EXPECT_EQ(back.PostDate(), "03-01-24");
  std::vector<std::string> expected = {"", ""};
  expected.insert(expected.end(), body.begin(), body.end());
  for (const char* l : {"", " \xFEMy tagline", "", "--- Korrin v1 . 3", ""}) expected.push_back(l);
  EXPECT_EQ(back.Text(), expected);

  // Read and written again (the reply packet does it): the long texts and
  // the copies stay, the tear line and tagline are not doubled.
  back.SetTairline("Korrin v1 . 3");
  TQWKMsg again;
  RoundTrip(back, again);
  EXPECT_EQ(again.LongTo(), back.LongTo());
  EXPECT_EQ(again.LongFrom(), back.LongFrom());
  EXPECT_EQ(again.LongSubject(), back.LongSubject());
  EXPECT_EQ(again.CarbonCopies(), many);
  EXPECT_EQ(again.Text(), expected);
  // A new short recipient drops the long text of the old one.
  again.SetMsgTo("Bob");
  TQWKMsg third;
  RoundTrip(again, third);
  EXPECT_EQ(third.LongTo(), "");
  EXPECT_EQ(third.MsgTo(), "Bob" + std::string(22, ' '));
}

TEST(QWKMsg, ForwardBlock) {
  std::string box = NewTempDir("box");
  WriteBoxFile(box, TPacketMessage().To("ALL").From("JANE ROE").Subject("Original topic").Body("Text"), 0, "f.qms");
  TQWKMsg msg;
  msg.SetForwardMessage(true);
  ASSERT_TRUE(msg.LoadFromFile(box + "f.qms", OutBox()));
  EXPECT_EQ(msg.MsgTo(), "");
  EXPECT_EQ(msg.ForwardHDR().OrigFrom, "Jane Roe" + std::string(17, ' '));
  EXPECT_EQ(msg.ForwardHDR().OrigDate, "01-15-24 13:45");
  EXPECT_EQ(msg.ForwardHDR().OrigSubject, "Original topic           ");
  msg.SetMsgTo("Friend");
  TQWKMsg back;
  RoundTrip(msg, back);
  EXPECT_EQ(back.Text(), (std::vector<std::string>{"", "* Originally From:  Jane Roe" + std::string(17, ' '),
                                                    "* Originally To:    All" + std::string(22, ' '),
                                                    "* Original Subject: Original topic" + std::string(11, ' '),
                                                    "* Original Date:  01-15-24 13:45", "", "Text"}));
}

// A body the probe passes reads at its block exactly as through the index:
// the probe sees every line the record treats differently in a packet.
TEST(QWKMsg, PacketLineProbeAndBodiesReadAtTheirBlock) {
  EXPECT_FALSE(BodyHasPacketLines("text\xe3\x01MSGID: 1"));
  EXPECT_FALSE(BodyHasPacketLines("?@PATH: x"));
  EXPECT_TRUE(BodyHasPacketLines("a\xe3X-Mailer: y\xe3"));
  EXPECT_TRUE(BodyHasPacketLines("NNTP-Posting-Host"));
  EXPECT_FALSE(BodyHasPacketLines("@@ not joined\xe3x-mailer lower case\xe3X-Mai"));
  EXPECT_FALSE(BodyHasPacketLines(""));

  const std::vector<std::string> bodies = {"Plain\nlines", "c@z.org\nText", "\x01MSGID: 1\nText",
                                           "X-Mailer: Tool\n\nHello", "@@ a\nb", std::string(600, 'x')};
  TPacketBuilder b;
  b.Conference(1, "General");
  for (const auto& body : bodies) b.Message(1, TPacketMessage().Body(body));
  std::string dir = b.WriteTo(NewTempDir());
  TMessagesFile messages;
  ASSERT_TRUE(messages.Open(dir));
  std::string buffer;
  const std::vector<bool> probed = {false, false, false, true, false, false};
  for (size_t i = 0; i < bodies.size(); ++i) {
    const int64_t block = b.BlockOf(1, i);
    std::string_view raw = messages.ReadBody(block, buffer);
    EXPECT_EQ(raw.substr(0, 4), std::string_view(bodies[i]).substr(0, 4)) << i;
    EXPECT_EQ(raw.size() % 128, 0u) << i;
    EXPECT_EQ(BodyHasPacketLines(raw), probed[i]) << i;
    TQWKMsg indexed, atBlock;
    ASSERT_TRUE(indexed.LoadFromPacket(dir, static_cast<int>(i + 1), Conf(1, "General")));
    messages.File().Seek(BlockOffset(block));
    ASSERT_TRUE(atBlock.ReadFrom(messages.File()));
    if (!probed[i]) {
      EXPECT_EQ(indexed.Text(), atBlock.Text()) << i;
    }
  }
  EXPECT_TRUE(messages.ReadBody(messages.Size() / 128 + 5, buffer).empty());
}

TEST(QWKMsg, ReplyFileReadSequentially) {
  std::string file = WriteFile(NewTempDir() + "TESTBBS.MSG",
                               ReplyFileBytes("TESTBBS", {{TPacketMessage().Subject("One").Body("1"), 1},
                                                          {TPacketMessage().Subject("Two").BlockField("ab"), 2},
                                                          {TPacketMessage().Subject("Three").Body("3\n33"), 3}}));
  TBlockFile f;
  ASSERT_TRUE(f.Open(file, TOpenMode::omRead));
  f.Seek(128);
  TQWKMsg msg;
  std::vector<std::string> subjects;
  while (msg.ReadFrom(f)) subjects.push_back(TrimRight(msg.Subject()));
  EXPECT_EQ(subjects, (std::vector<std::string>{"One", "Two", "Three"}));
  EXPECT_EQ(msg.Text(), Lines({"3", "33"}));
  EXPECT_EQ(f.Position(), f.Size());
}

TEST(QWKMsg, ShrunkPacketAndBadBlockCounts) {
  TRecordingPrompts prompts;
  TPacketBuilder b;
  b.Conference(1, "Main")
      .Message(1, TPacketMessage().Body("first"))
      .Message(1, TPacketMessage().Body(std::string(1000, 'q')).BlockField("99999"))
      .Message(1, TPacketMessage().Body("last"));
  std::string dir = b.WriteTo(NewTempDir());
  std::string dat = PathNoCase(dir, "messages.dat");
  TQWKMsg msg;
  // A block count beyond the end of the file reads what is there.
  ASSERT_TRUE(msg.LoadFromPacket(dir, 2, Conf(1, "Main")));
  ASSERT_FALSE(msg.Text().empty());
  EXPECT_EQ(msg.Text()[0], std::string(1000, 'q'));
  // The file shrank: the last header is gone, the second one cut in its body.
  fs::resize_file(dat, static_cast<uintmax_t>(BlockOffset(b.BlockOf(1, 1)) + 128 + 300));
  EXPECT_FALSE(msg.LoadFromPacket(dir, 3, Conf(1, "Main")));
  ASSERT_TRUE(msg.LoadFromPacket(dir, 2, Conf(1, "Main")));
  EXPECT_EQ(msg.Text(), std::vector<std::string>{std::string(300, 'q')});
  // The marker is never written past the end.
  fs::resize_file(dat, static_cast<uintmax_t>(BlockOffset(b.BlockOf(1, 1)) + 100));
  EXPECT_TRUE(msg.LoadFromPacket(dir, 2, Conf(1, "Main")));
  EXPECT_EQ(fs::file_size(dat), static_cast<uintmax_t>(BlockOffset(b.BlockOf(1, 1)) + 100));
  EXPECT_TRUE(prompts.boxes.empty());
}

TEST(QWKMsg, MimeCodecGivesTheDisplayedLines) {
  TTesselMime mime;
  TQWKMsg msg;
  msg.SetMimeCTRL(&mime);
  std::string box = NewTempDir("box");
  WriteBoxFile(box,
               TPacketMessage().Body("Intro\nMIME-Version: 1.0\nContent-Type: text/plain\n\nShown\n\n--B\n"
                                     "Content-Type: image/gif; name=\"a.gif\"\nContent-Transfer-Encoding: base64\n\n"
                                     "R0lGODlh\n\nAfter"),
               0, "m.qms");
  ASSERT_TRUE(msg.LoadFromFile(box + "m.qms", OutBox()));
  EXPECT_EQ(mime.FileNames(), std::vector<std::string>{"a.gif"});
  std::vector<std::string> shown = mime.TextLines();
  ASSERT_FALSE(shown.empty());
  if (TrimRight(shown.back()).empty()) shown.pop_back();  // the blanks that fill the block
  EXPECT_EQ(msg.Text(), shown);
  EXPECT_EQ(msg.Text().back(), "After");
  EXPECT_EQ(ReadFile(ProgramFolder() + "tmpmime.txt").substr(0, 7), "Intro\r\n");
  // The body file keeps everything.
  EXPECT_NE(ReadFile(ProgramFolder() + "tmpR.txt").find("R0lGODlh"), std::string::npos);

  WriteBoxFile(box, TPacketMessage().Body("Plain\ntext"), 0, "p.qms");
  ASSERT_TRUE(msg.LoadFromFile(box + "p.qms", OutBox()));
  EXPECT_EQ(msg.Text(), Lines({"Plain", "text"}));
}

TEST(QWKMsg, FailuresLeaveFilesAlone) {
  TRecordingPrompts prompts;
  TQWKMsg msg;
  EXPECT_FALSE(msg.LoadFromFile(TestRoot() + "none.qms", OutBox()));
  EXPECT_EQ(prompts.Texts().back(), "Could not read file - \n" + TestRoot() + "none.qms");

  // "tmpS.txt" cannot be written: nothing of the message is written and the
  // box file that was there stays.
  std::string path = WriteFile(NewTempDir() + "old.qms", "old contents");
  fs::create_directories(ProgramFolder() + "tmpS.txt");
  msg.SetText(Lines({"new"}));
  EXPECT_FALSE(msg.SaveToFile(path));
  EXPECT_EQ(prompts.Texts().back(), "Error writing message to tmp file.");
  EXPECT_EQ(ReadFile(path), "old contents");
  EXPECT_EQ(fs::directory_iterator(fs::path(path).parent_path())->path(), fs::path(path));  // no leftover
}

// A received uuencoded file whose data lines have "@" as second character
// (every line's first byte is 0x80), followed by one empty line and text on
// a last line without line end, padded with blanks.
TEST(QWKMsg, ReceivedUuencodedFileDecodesAndTheTextAfterItShows) {
  std::string dir = NewTempDir();
  std::string data;
  for (int i = 0; i < 500; ++i) data.push_back(static_cast<char>(i % 45 == 0 ? 0x80 : (i * 7) & 0xFF));
  WriteFile(dir + "data.bin", data);
  TTesselMime codec;
  codec.SetEncodingType(TEncodingType::etUU);
  codec.EncodeFile(dir + "data.bin", dir + "part", "", 1 << 30, 1 << 30);
  std::string raw = "See the file:\xE3";
  for (const auto& l : SplitLines(ReadFile(TTesselMime::PartFileName(dir + "part", 1)))) {
    if (l.size() > 2 && l[0] == 'M') EXPECT_EQ(l[1], '@');
    raw += l + "\xE3";
  }
  raw += "\xE3" "After the file.";
  raw.append(128 - raw.size() % 128, ' ');
  std::string pkt = TPacketBuilder().Conference(1, "Files").Message(1, TPacketMessage().RawBody(raw)).WriteTo(NewTempDir());
  TQWKMsg msg;
  msg.SetMimeCTRL(&codec);
  ASSERT_TRUE(msg.LoadFromPacket(pkt, 1, Conf(1, "Files")));
  EXPECT_EQ(msg.Text(), Lines({"See the file:", "", "After the file."}));
  EXPECT_EQ(codec.FileNames(), Lines({"data.bin"}));
  ASSERT_TRUE(codec.ExtractFile(ProgramFolder() + "tmpR.txt", dir + "out.bin", "data.bin"));
  EXPECT_EQ(ReadFile(dir + "out.bin"), data);
  // Without a codec the last line has no pad blanks either.
  TQWKMsg plain;
  ASSERT_TRUE(plain.LoadFromPacket(pkt, 1, Conf(1, "Files")));
  EXPECT_EQ(plain.Text().back(), "After the file.");
}
