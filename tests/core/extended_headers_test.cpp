// Packets of today's doors: the extended headers file, character sets,
// lenient conference lists, packets without index files and damaged reply
// files.

#include "engine/extended_headers.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "archive/xceed_zip.h"
#include "engine/board_settings.h"
#include "engine/door_control.h"
#include "engine/header_texts.h"
#include "engine/mail_list.h"
#include "engine/mail_tree.h"
#include "engine/message_scan.h"
#include "engine/messages_file.h"
#include "engine/packet_lifecycle.h"
#include "engine/qwk_index.h"
#include "engine/qwk_msg.h"
#include "engine/qwk_post_office.h"
#include "engine/to_reader.h"
#include "platform/charset.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "support/packet_builder.h"
#include "support/packet_zip.h"
#include "support/recording_prompts.h"
#include "support/test_env.h"

using namespace korrin;
using test::TPacketBuilder;
using test::TPacketMessage;
namespace fs = std::filesystem;

namespace {

// The board's set is process-wide: every test leaves code page 437 behind.
struct BoardCharset {
  explicit BoardCharset(const std::string& set) { SetCurrentBoardCharset(set); }
  ~BoardCharset() { SetCurrentBoardCharset(kCharsetCp437); }
};

TConfRec Conf(int number, const std::string& name = "Conf") {
  TConfRec r;
  r.Name = name;
  r.IndexFile = TPacketBuilder::IndexName(number);
  r.Ordinal = 1;
  return r;
}

std::string Hex(int64_t v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%llx", static_cast<long long>(v));
  return buf;
}

std::vector<std::string> Captions(const TMailTree& tree) {
  std::vector<std::string> out;
  for (auto* n : tree.Nodes())
    if (n->Record && n->Record->Kind == TFolderKind::fkConference) out.push_back(n->Caption);
  return out;
}

}  // namespace

TEST(ExtendedHeaders, SectionsWithBothKeyFormsMixedLineEndsAndDamage) {
  TExtendedHeaders h;
  h.OpenText(
      "[80]\r\nMessage-ID: <4.1@testbbs>\r\nSubject: This is a very long subject!!!\r\nTo: All\nFrom: Felonius\n"
      "\n[100]\nSubject = Second = with equals\nSender = Somebody Else\r\nutf8 = TRUE\n"
      "[ 180 ]\nTo:\nIn-Reply-To: <4.1@testbbs>\n"
      "[zz]\nSubject: not a section name, still the one before\n"
      "[80]\nSubject: a second section for 80 does not win\n"
      "no key here\n[200]");
  EXPECT_EQ(h.Count(), 4u);
  auto a = h.Find(0x80);
  ASSERT_TRUE(a);
  EXPECT_EQ(a->Subject, "This is a very long subject!!!");
  EXPECT_EQ(a->To, "All");
  EXPECT_EQ(a->From, "Felonius");
  EXPECT_EQ(a->MessageID, "<4.1@testbbs>");
  EXPECT_FALSE(a->Utf8);
  auto b = h.Find(0x100);
  ASSERT_TRUE(b);
  EXPECT_EQ(b->Subject, "Second = with equals");
  EXPECT_EQ(b->From, "Somebody Else");  // "Sender" stands in for a missing From
  EXPECT_TRUE(b->Utf8);
  auto c = h.Find(0x180);
  ASSERT_TRUE(c);
  EXPECT_EQ(c->To, "");
  EXPECT_EQ(c->InReplyTo, "<4.1@testbbs>");
  EXPECT_EQ(c->Subject, "not a section name, still the one before");
  auto d = h.Find(0x200);  // a name at the very end: an empty section
  ASSERT_TRUE(d);
  EXPECT_TRUE(d->Subject.empty());
  EXPECT_FALSE(h.Find(0x280));
  EXPECT_FALSE(h.Find(-1));

  // What the reply builder writes reads back the same.
  TExtendedHeader w;
  w.To = "Somebody with a name longer than the field";
  w.Subject = "Line\r\nbreaks become blanks";
  w.Utf8 = true;
  TExtendedHeaders back;
  back.OpenText(FormatHeaderSection(0x2a80, w));
  auto r = back.Find(0x2a80);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->To, w.To);
  EXPECT_EQ(r->Subject, "Line  breaks become blanks");
  EXPECT_TRUE(r->Utf8);
}

TEST(ExtendedHeaders, LargeFileIsIndexedAcrossReadChunks) {
  // Sections of varying length cross the 64 KB reads at every place.
  std::string text;
  for (int i = 0; i < 6000; ++i) {
    int64_t offset = 128 * (i + 1);
    text += "[" + Hex(offset) + "]" + (i % 3 ? "\n" : "\r\n") + "Subject: subject number " + std::to_string(i) +
            std::string(static_cast<size_t>(i % 97), 'x') + "\nTo: reader " + std::to_string(i) + "\n";
  }
  std::string path = test::WriteFile(test::NewTempDir("h") + "HEADERS.DAT", text);
  TExtendedHeaders h;
  ASSERT_TRUE(h.Open(path));
  EXPECT_EQ(h.Count(), 6000u);
  for (int i : {0, 1, 511, 512, 2999, 5998, 5999}) {
    auto s = h.Find(128 * (i + 1));
    ASSERT_TRUE(s) << i;
    EXPECT_EQ(s->Subject, "subject number " + std::to_string(i) + std::string(static_cast<size_t>(i % 97), 'x'));
    EXPECT_EQ(s->To, "reader " + std::to_string(i));
  }
  EXPECT_FALSE(h.Find(100));
}

TEST(ExtendedHeaders, RecordListAndFinderTakeTheLongFields) {
  const std::string longSubject = "A subject far longer than the twenty-five characters of the header";
  const std::string longFrom = "Somebody With A Very Long Name Indeed";
  TPacketBuilder b;
  b.Conference(1, "General")
      .Message(1, TPacketMessage().From(longFrom.substr(0, 25)).Subject(longSubject.substr(0, 25)).Body("Hello"))
      .Message(1, TPacketMessage().From("NO SECTION").Subject("Short one").Body("Plain"))
      .Message(1, TPacketMessage().Subject("Caf\xC3\xA9 au lait").Body("na\xC3\xAFve \xE2\x82\xAC"));
  const int64_t first = BlockOffset(b.BlockOf(1, 0)), third = BlockOffset(b.BlockOf(1, 2));
  b.File("HEADERS.DAT", "[" + Hex(first) + "]\r\nSubject: " + longSubject + "\r\nFrom = " + longFrom +
                            "\nMessage-ID: <1@board>\nIn-Reply-To: <0@board>\n\n[" + Hex(third) + "]\nUtf8: true\n");
  std::string dir = b.WriteTo(test::NewTempDir("p"));

  TQWKMsg msg;
  ASSERT_TRUE(msg.LoadFromPacket(dir, 1, Conf(1)));
  EXPECT_EQ(msg.LongSubject(), longSubject);
  EXPECT_EQ(msg.LongFrom(), longFrom);
  EXPECT_EQ(msg.MessageID(), "<1@board>");
  EXPECT_EQ(msg.InReplyTo(), "<0@board>");
  EXPECT_EQ(msg.Charset(), kCharsetCp437);
  // No section: the header fields stand, nothing of the message before stays.
  ASSERT_TRUE(msg.LoadFromPacket(dir, 2, Conf(1)));
  EXPECT_TRUE(msg.LongSubject().empty());
  EXPECT_TRUE(msg.MessageID().empty());
  EXPECT_EQ(TrimRight(msg.Subject()), "Short one");
  ASSERT_TRUE(msg.LoadFromPacket(dir, 3, Conf(1)));
  EXPECT_EQ(msg.Charset(), kCharsetUtf8);
  EXPECT_EQ(DecodeToUtf8(msg.Text().at(0), msg.Charset()), "na\xC3\xAFve \xE2\x82\xAC");

  TMailTree tree;
  tree.SetDirectory(dir);
  TMailList list;
  list.SetTextCase(TTextCase::tcAsIs);
  list.SetMailTree(&tree);
  tree.Select(TMailTree::FindChildByCaption(tree.InBox(), "1 General"));
  list.Refill();
  ASSERT_EQ(list.Rows().size(), 3u);
  EXPECT_EQ(list.Rows()[0].SubItems[0], longFrom);
  EXPECT_EQ(list.Rows()[0].SubItems[2], longSubject);
  EXPECT_EQ(list.Rows()[1].SubItems[2], "Short one");
  EXPECT_EQ(list.Rows()[2].Charset, kCharsetUtf8);
  EXPECT_EQ(list.Rows()[0].Charset, "");
}

TEST(Charsets, ConversionThroughTheSystemConverter) {
  EXPECT_EQ(CanonicalCharset("latin-1"), "ISO-8859-1");
  EXPECT_EQ(CanonicalCharset(" IBMPC "), "CP437");
  EXPECT_EQ(CanonicalCharset("utf8"), "UTF-8");
  EXPECT_EQ(CanonicalCharset("cp866"), "CP866");
  EXPECT_EQ(CanonicalCharset("NO-SUCH-SET"), "");
  EXPECT_EQ(CanonicalCharset(""), "");
  ASSERT_GE(CharsetChoices().size(), 5u);
  EXPECT_EQ(CharsetChoices()[0].Name, "CP437");

  EXPECT_EQ(DecodeToUtf8("Caf\xE9", "ISO-8859-1"), "Caf\xC3\xA9");
  EXPECT_EQ(DecodeToUtf8("\x8F\xE0\xA8\xA2\xA5\xE2", "CP866"), "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82");
  EXPECT_EQ(DecodeToUtf8("\x82", "CP437"), "\xC3\xA9");
  // Broken UTF-8 shows replacement characters, never passes through.
  EXPECT_EQ(DecodeToUtf8("a\xC3(b\xFF", "UTF-8"), "a\xEF\xBF\xBD(b\xEF\xBF\xBD");
  // A byte that is no character of the set.
  EXPECT_EQ(DecodeToUtf8("a\x81z", "CP1252"), "a\xEF\xBF\xBDz");

  std::string replaced;
  EXPECT_EQ(EncodeFromUtf8("Caf\xC3\xA9 \xE2\x82\xAC", "ISO-8859-1", '?', &replaced), "Caf\xE9 ?");
  EXPECT_EQ(replaced, "\xE2\x82\xAC");
  replaced.clear();
  EXPECT_EQ(EncodeFromUtf8("\xD0\x9F \xE2\x82\xAC", "UTF-8", '?', &replaced), "\xD0\x9F \xE2\x82\xAC");
  EXPECT_TRUE(replaced.empty());
  EXPECT_EQ(EncodeFromUtf8("\xC3\xA9", "CP437"), "\x82");
}

TEST(Charsets, KludgeFlagAndBoardDecideTheMessagesSet) {
  TPacketBuilder b;
  b.Conference(1, "General")
      .Message(1, TPacketMessage().Body("\x01" "CHRS: LATIN-1 2\nCaf\xE9"))
      .Message(1, TPacketMessage().Body("@CHARSET: cp866\n\x8F\xE0\xA8\xA2\xA5\xE2"))
      .Message(1, TPacketMessage().Body("\x01" "CHRS: NOSUCHSET 2\nplain"))
      .Message(1, TPacketMessage().Subject("Caf\xC3\xA9").Body("\x01" "CHRS: LATIN-1 2\nflagged"));
  b.File("headers.dat", "[" + Hex(BlockOffset(b.BlockOf(1, 3))) + "]\nUtf8: true\n");
  std::string dir = b.WriteTo(test::NewTempDir("p"));
  TQWKMsg msg;
  ASSERT_TRUE(msg.LoadFromPacket(dir, 1, Conf(1)));
  EXPECT_EQ(msg.Charset(), "ISO-8859-1");
  EXPECT_EQ(DecodeToUtf8(msg.Text().back(), msg.Charset()), "Caf\xC3\xA9");
  ASSERT_TRUE(msg.LoadFromPacket(dir, 2, Conf(1)));
  EXPECT_EQ(msg.Charset(), "CP866");
  ASSERT_TRUE(msg.LoadFromPacket(dir, 3, Conf(1)));
  EXPECT_EQ(msg.Charset(), "CP437");  // an unknown set: the board's
  ASSERT_TRUE(msg.LoadFromPacket(dir, 4, Conf(1)));
  EXPECT_EQ(msg.Charset(), "UTF-8");  // the flag wins over the kludge
  EXPECT_EQ(DecodeToUtf8(TrimRight(msg.Subject()), msg.Charset()), "Caf\xC3\xA9");

  // A board set to Latin-1: messages that say nothing are read in it.
  std::string po = test::NewTempDir("po");
  TBoardSettings s;
  s.Charset = "latin1";
  ASSERT_TRUE(WriteBoardSettings(po, s));
  EXPECT_EQ(ReadBoardSettings(po).Charset, "ISO-8859-1");
  EXPECT_FALSE(ChangeBoardCharset(po, "NO-SUCH-SET"));
  BoardCharset guard("CP437");
  ASSERT_TRUE(ChangeBoardCharset(po, "ISO-8859-1"));
  EXPECT_EQ(CurrentBoardCharset(), "ISO-8859-1");
  ASSERT_TRUE(msg.LoadFromPacket(dir, 3, Conf(1)));
  EXPECT_EQ(msg.Charset(), "ISO-8859-1");
  ASSERT_TRUE(msg.LoadFromPacket(dir, 2, Conf(1)));
  EXPECT_EQ(msg.Charset(), "CP866");  // the kludge still wins
}

TEST(LenientPackets, ConferencesWithoutNumberLinesOrWithUnmatchedNumbers) {
  // Names follow the count directly; conference numbers are implied from 0.
  std::string dir = TPacketBuilder()
                        .ControlRaw("MultiConf BBS\r\nLondon\r\n000\r\nSysop\r\n00000,MULTICNF\r\n01-11-2026,10:00:00\r\n"
                                    "DEMO USER\r\n\r\n0\r\n3\r\n1\r\nMain Board\r\nGeneral Discussion\r\n")
                        .Message(0, TPacketMessage().Subject("First"))
                        .Message(1, TPacketMessage().Subject("Second"))
                        .Message(7, TPacketMessage().Subject("Unlisted"))
                        .WriteTo(test::NewTempDir("p"));
  TMailTree tree;
  tree.SetDirectory(dir);
  EXPECT_EQ(Captions(tree), (std::vector<std::string>{"0 Main Board", "1 General Discussion", "Conference 7"}));
  EXPECT_EQ(tree.Identity().ConferencesReceived, 3);

  // Numbered entries whose numbers match no index file.
  std::string dir2 = TPacketBuilder()
                         .Conference(3, "Three", false)
                         .ConferenceLines("ABC", "Not a number")
                         .Message(4, TPacketMessage())
                         .Message(300, TPacketMessage())
                         .WriteTo(test::NewTempDir("p"));
  TMailTree tree2;
  tree2.SetDirectory(dir2);
  EXPECT_EQ(Captions(tree2), (std::vector<std::string>{"Conference 4", "Conference 300"}));

  // An index whose records all point into bodies or beyond the file (a door
  // counting blocks wrongly) is rebuilt from messages.dat; one with a record
  // that reaches a message is left as it is.
  TPacketBuilder b;
  b.Conference(1, "One").Conference(2, "Two")
      .Message(1, TPacketMessage().Subject("first").Body(std::string(200, 'a')))
      .Message(2, TPacketMessage().Subject("second").Body(std::string(200, 'b')))
      .Message(2, TPacketMessage().Subject("third"));
  b.IndexBytes(2, test::IndexRecord(b.BlockOf(2, 0) + 1, 2) + test::IndexRecord(b.BlockOf(2, 1) + 7, 2));
  b.AppendIndexBytes(1, test::IndexRecord(999, 1));
  std::string dir3 = b.WriteTo(test::NewTempDir("p"));
  const std::string sound = test::ReadFile(dir3 + "001.ndx");
  EXPECT_EQ(BrokenIndexFiles(dir3), (std::vector<std::string>{"002.ndx"}));
  EXPECT_EQ(RepairIndexFiles(dir3), 1);
  EXPECT_EQ(test::ReadFile(dir3 + "001.ndx"), sound);
  EXPECT_TRUE(BrokenIndexFiles(dir3).empty());
  TQWKMsg msg;
  ASSERT_TRUE(msg.LoadFromPacket(dir3, 2, Conf(2)));
  EXPECT_EQ(TrimRight(msg.Subject()), "third");
}

TEST(LenientPackets, PacketWithoutIndexFilesVotingRecordsAndNulPadding) {
  TPacketBuilder b;
  b.Conference(2, "Two")
      .Conference(5, "Five")
      .Message(2, TPacketMessage().Subject("a").Body(std::string(300, 'x')).NulPadding())
      .Message(5, TPacketMessage().Subject("b"))
      .Message(2, TPacketMessage().Status('V').RawBody(""))
      .Message(2, TPacketMessage().Subject("c").NulPadding());
  std::string dir = b.WriteTo(test::NewTempDir("p"));
  for (auto& e : fs::directory_iterator(dir))
    if (e.path().extension() == ".ndx") fs::remove(e.path());
  // Trailing padding after the last message is no message either.
  {
    std::string m = test::ReadFile(dir + "messages.dat") + std::string(256, '\0');
    test::WriteFile(dir + "messages.dat", m);
  }
  auto confs = ScanMessageConferences(dir);
  ASSERT_EQ(confs.size(), 2u);
  EXPECT_EQ(confs[2], (std::vector<int64_t>{b.BlockOf(2, 0), b.BlockOf(2, 2)}));
  EXPECT_EQ(confs[5], (std::vector<int64_t>{b.BlockOf(5, 0)}));
  EXPECT_EQ(WriteIndexFilesFromMessages(dir), 2);
  EXPECT_EQ(WriteIndexFilesFromMessages(dir), 0);  // once there are index files, never again

  TMailTree tree;
  tree.SetDirectory(dir);
  EXPECT_EQ(Captions(tree), (std::vector<std::string>{"2 Two", "5 Five"}));
  TQWKMsg msg;
  ASSERT_TRUE(msg.LoadFromPacket(dir, 2, Conf(2)));
  EXPECT_EQ(TrimRight(msg.Subject()), "c");
  ASSERT_TRUE(msg.LoadFromPacket(dir, 1, Conf(2)));
  ASSERT_FALSE(msg.Text().empty());
  EXPECT_EQ(msg.Text().back(), std::string(300, 'x'));  // NUL padding is no text
}

namespace {
struct ReplyWorld {
  test::TRecordingPrompts prompts;
  TMailTree tree;
  TQWKPostOffice po;
  TQWKMsg msg;
  TToReader toReader;
  TDoorControl door;
  TXceedZip zip;
  TPacketLifecycle life{tree, po, msg, toReader, door, zip};
  std::string work = test::NewTempDir("work");
  std::string replies = test::NewTempDir("replies");
  ReplyWorld() {
    zip.SetPluginFolder(test::BinDir());
    tree.SetPostoffice(&po);
    po.SetFilename("PO.CFG");
    life.SetTempDirectory(work);
    life.SetRepliesFolder(replies);
  }
  ~ReplyWorld() { SetCurrentBoardCharset(kCharsetCp437); }
  std::string OutBox() { return ProgramFolder() + "DEMO/OutBox/"; }
};
}  // namespace

TEST(ReplyPackets, ExtendedHeadersGoOutAndComeBack) {
  ReplyWorld w;
  std::string src = test::NewTempDir("src");
  TPacketBuilder().BBS("Demo Board", "DEMO").Conference(1, "General").Message(1, TPacketMessage())
      .File("HEADERS.DAT", "[80]\nSubject: x\n").WriteTo(src);
  ASSERT_TRUE(w.life.OpenPacket(test::ZipFolder(src, test::NewTempDir("pk") + "DEMO.QWK")));
  EXPECT_TRUE(ReadBoardSettings(w.po.PostOfficeDirectory()).HeadersFile);
  ASSERT_TRUE(ChangeBoardCharset(w.po.PostOfficeDirectory(), "UTF-8"));

  const std::string longSubject = "A reply whose subject does not fit the header field at all";
  TQWKMsg out;
  out.SetMsgTo("ALL");
  out.SetMsgFROM("Jane Reader");
  out.SetSubject(longSubject);
  out.SetConference(1);
  out.SetText({"Plain text"});
  ASSERT_TRUE(out.SaveToFile(w.OutBox() + "a.qms"));
  out.SetSubject("Short");
  out.SetText({"Gr\xC3\xBC\xC3\x9F" "e"});
  ASSERT_TRUE(out.SaveToFile(w.OutBox() + "b.qms"));
  out.SetText({"nothing to say"});
  ASSERT_TRUE(out.SaveToFile(w.OutBox() + "c.qms"));
  ASSERT_TRUE(w.life.CreateReplyPacket(w.life.ReplyPacketPath()));

  // The archive carries the reply file and one section per reply that needs it.
  std::string unpacked = test::NewTempDir("rep");
  w.zip.SetZipFileName(w.life.ReplyPacketPath());
  w.zip.SetExtractDirectory(ExcludeTrailingBackslash(unpacked));
  w.zip.SetFilesToProcess({"*.*"});
  ASSERT_EQ(w.zip.Extract(0), TXceedZip::xcdSuccess);
  auto headersPath = FindFileNoCase(unpacked, "headers.dat");
  ASSERT_TRUE(headersPath);
  TExtendedHeaders h;
  ASSERT_TRUE(h.Open(*headersPath));
  EXPECT_EQ(h.Count(), 2u);
  TBlockFile reply;
  ASSERT_TRUE(reply.Open(*FindFileNoCase(unpacked, "DEMO.msg"), TOpenMode::omRead));
  reply.Seek(128);
  TQWKMsg back;
  std::vector<std::string> subjects;
  std::vector<std::string> sets;
  while (!reply.Eof() && back.ReadFrom(reply, &h)) {
    subjects.push_back(LongerText(back.LongSubject(), back.Subject()));
    sets.push_back(back.Charset());
  }
  ASSERT_EQ(subjects.size(), 3u);
  EXPECT_EQ(subjects[0], longSubject);
  EXPECT_EQ(sets[1], "UTF-8");

  // Opening the reply packet puts the long subject back into the Out Box.
  ASSERT_TRUE(w.life.OpenReplyPacket(w.life.ReplyPacketPath()));
  bool found = false;
  for (auto& e : fs::directory_iterator(w.OutBox())) {
    if (e.path().extension() != ".qms") continue;
    TQWKMsg m;
    ASSERT_TRUE(m.LoadFromFile(e.path().string(), TConfRec{}));
    found = found || LongerText(m.LongSubject(), m.Subject()) == longSubject;
  }
  EXPECT_TRUE(found);
}

TEST(ReplyPackets, DamagedReplyFilesAreReportedNotListed) {
  std::string dir = test::NewTempDir("r");
  EXPECT_EQ(ReplyFileDamage(test::WriteFile(dir + "SHORT.MSG", "abcde")),
            "SHORT.MSG: damaged reply file (shorter than one block)");
  std::string good = test::ReplyFileBytes("DEMO", {{TPacketMessage().Body("one\ntwo"), 1}});
  EXPECT_FALSE(ReplyFileDamage(test::WriteFile(dir + "GOOD.MSG", good)));
  EXPECT_FALSE(ReplyFileDamage(test::WriteFile(dir + "EMPTY.MSG", good.substr(0, 128))));
  EXPECT_FALSE(ReplyFileDamage(test::WriteFile(dir + "PAD.MSG", good + std::string(100, '\0'))));
  EXPECT_EQ(ReplyFileDamage(test::WriteFile(dir + "CUT.MSG", good.substr(0, good.size() - 128))),
            "CUT.MSG: damaged reply file (a message's blocks are missing)");
  EXPECT_EQ(ReplyFileDamage(test::WriteFile(dir + "HALF.MSG", good + "partial header")),
            "HALF.MSG: damaged reply file (a message's blocks are missing)");

  // The reader says so in its box and keeps the reply packet.
  ReplyWorld w;
  std::string src = test::NewTempDir("src");
  TPacketBuilder().BBS("Demo Board", "DEMO").Conference(1, "General").Message(1, TPacketMessage()).WriteTo(src);
  ASSERT_TRUE(w.life.OpenPacket(test::ZipFolder(src, test::NewTempDir("pk") + "DEMO.QWK")));
  std::string repSrc = test::NewTempDir("repsrc");
  test::WriteFile(repSrc + "DEMO.MSG", "abcde");
  std::string rep = test::ZipFolder(repSrc, w.replies + "DEMO.rep");
  EXPECT_FALSE(w.life.OpenReplyPacket(rep));
  ASSERT_FALSE(w.prompts.Texts().empty());
  EXPECT_EQ(w.prompts.Texts().back(), "DEMO.MSG: damaged reply file (shorter than one block)");
  EXPECT_TRUE(fs::exists(rep));
}
