#include <gtest/gtest.h>

#include <filesystem>

#include "engine/mail_tree.h"
#include "engine/qwk_msg.h"
#include "engine/qwk_post_office.h"
#include "engine/to_reader.h"
#include "engine/mail_list.h"
#include "platform/paths.h"
#include "platform/random.h"
#include "platform/text.h"
#include "reading/msg_view_commands.h"
#include "reading/msg_view_header.h"
#include "reading/msg_view_navigator.h"
#include "reading/msg_view_print.h"
#include "engine/tessel_mime.h"
#include "reading/text_finder.h"
#include "support/packet_builder.h"
#include "support/recording_prompts.h"
#include "support/test_env.h"

using namespace korrin;
namespace fs = std::filesystem;

TEST(MsgViewHeader, LongDateFormAndItsFallback) {
  // Dashes, month first, two-digit year: the year falls within 50 years of now.
  EXPECT_EQ(DateLabelText("12-05-97", "14:30", TDateOrder::doMDY, 2025), "Friday December 5 1997 at 2:30 PM");
  EXPECT_EQ(DateLabelText("01-15-24", "00:05", TDateOrder::doMDY, 2025), "Monday January 15 2024 at 12:05 AM");
  EXPECT_EQ(DateLabelText("06-01-70", "12:00", TDateOrder::doMDY, 2025), "Sunday June 1 2070 at 12:00 PM");
  // The last separator found decides; other orders; trailing blanks.
  EXPECT_EQ(DateLabelText("05.12.97", "9:07   ", TDateOrder::doDMY, 2025), "Friday December 5 1997 at 9:07 AM");
  EXPECT_EQ(DateLabelText("1997/12/5", "11:59 PM", TDateOrder::doYMD, 2025), "Friday December 5 1997 at 11:59 PM");
  EXPECT_EQ(DateSeparatorOf("1-2/3.4"), '.');
  EXPECT_EQ(DateSeparatorOf("19971205"), '\0');
  // Unparsable: the raw date, two blanks, the raw time.
  EXPECT_EQ(DateLabelText("02-30-97", "14:30", TDateOrder::doMDY, 2025), "02-30-97  14:30");
  EXPECT_EQ(DateLabelText("13-05-97", "14:30", TDateOrder::doMDY, 2025), "13-05-97  14:30");
  EXPECT_EQ(DateLabelText("12-05-97", "25:00", TDateOrder::doMDY, 2025), "12-05-97  25:00");
  EXPECT_EQ(DateLabelText("19971205", "14:30", TDateOrder::doMDY, 2025), "19971205  14:30");
  EXPECT_EQ(DateLabelText("ab-cd-ef", "", TDateOrder::doMDY, 2025), "ab-cd-ef  ");
  EXPECT_EQ(DateLabelText("", "", TDateOrder::doMDY, 2025), "  ");
  // A date without a time is midnight.
  EXPECT_EQ(DateLabelText("02-29-24", "", TDateOrder::doMDY, 2025), "Thursday February 29 2024 at 12:00 AM");
}

TEST(MsgViewHeader, ConferenceFlagsStatusAndNumbers) {
  EXPECT_EQ(ConfLabelText("General", 5, TFolderKind::fkConference), "General");
  EXPECT_EQ(ConfLabelText("", 5, TFolderKind::fkOutBox), "Conference 5    \"Out Box\"");
  EXPECT_EQ(ConfLabelText("", 7, TFolderKind::fkSaveBox), "Conference 7    \"Save Box\"");
  EXPECT_EQ(ConfLabelText("", 0, TFolderKind::fkSentBox), "Conference 0    \"Sent Box\"");
  EXPECT_EQ(ConfLabelText("", 3, TFolderKind::fkConference), "Conference 3");

  EXPECT_EQ(ExLabelText(afP | afE | afL), "Local EchoMail Private ");
  EXPECT_EQ(ExLabelText(afAmp | afB | afZ | afa | afk), "No replies No replies Allows attached files ");
  EXPECT_EQ(ExLabelText(0), "");
  uint32_t all = 0;
  for (char c : std::string("LNEIUBPOXRZHA&")) all |= AreaFlagOfLetter(c);
  EXPECT_EQ(ExLabelText(all),
            "Local NetMail EchoMail Internet Newsgroup No replies Private Public General Read only No replies "
            "Handles only Alias allowed Allows attached files ");

  EXPECT_EQ(StatusLabelText(tStatus::sPublic), "P U B L I C");
  EXPECT_EQ(StatusLabelText(tStatus::sPrivate), "P R I V A T E");
  EXPECT_FALSE(StatusLabelText(tStatus::sSysop));
  EXPECT_EQ(MsgNumText(3, 12), "3 of 12");
  EXPECT_EQ(NumberPanelText("1234"), "Host Message #1234");
}

namespace {
// A packet with two conferences; conference 2 carries the flags L, E and P
// and its first message a long sender in its extended header.
std::string FlagPacket() {
  std::string dir = test::NewTempDir("packet");
  test::TPacketBuilder()
      .BBS("Demo Board", "DEMO")
      .Conference(1, "General")
      .Conference(2, "Echoes")
      .Message(1, test::TPacketMessage().From("JOHN SMITH").Subject("One").Body("First"))
      .Message(2, test::TPacketMessage()
                      .From("BARTHOLOMEW VON SOMEWHERE")
                      .Status('*')
                      .Date("12-05-97")
                      .Time("14:30")
                      .Number("4711")
                      .Body("From: Bartholomew von Somewhere-Else the Third\nHello"))
      .Message(2, test::TPacketMessage().From("MARY").Subject("Three").Body("x"))
      .ToReader({"AREA 2 LEP"})
      .WriteTo(dir);
  return dir;
}
}  // namespace

TEST(MsgViewHeader, TextsOfARecordReadFromThePacketAndFromABox) {
  std::string dir = FlagPacket();
  TToReader ext;
  TQWKMsg msg;
  msg.SetQWKExtCTRL(&ext);
  TConfRec conf{"Echoes", "002.ndx", 2, "", TFolderKind::fkConference};
  ASSERT_TRUE(msg.LoadFromPacket(dir, 1, conf));
  TMsgViewHeader h = MsgViewHeader(msg, 7, 9, TDateOrder::doMDY, 2025);
  EXPECT_EQ(h.Date, "Friday December 5 1997 at 2:30 PM");
  EXPECT_EQ(h.From, "Bartholomew von Somewhere-Else the Third");  // the longer, extended form
  EXPECT_EQ(h.To, "All");
  EXPECT_EQ(h.Conf, "Echoes");
  EXPECT_EQ(h.Ex, "Local EchoMail Private ");
  EXPECT_EQ(h.Status, "P R I V A T E");
  EXPECT_EQ(h.MsgNum, "1 of 2");  // the index position, not the list row
  EXPECT_EQ(h.NumberPanel, "Host Message #4711");

  std::string box = test::NewTempDir("box");
  std::string file = test::WriteBoxFile(box, test::TPacketMessage().To("SYSOP").Subject("Mine"), 2, "a1a1a1a1.qms");
  TConfRec outbox{"Out Box", "", 0, file, TFolderKind::fkOutBox};
  msg.SetConfName("");
  ASSERT_TRUE(msg.LoadFromFile(file, outbox));
  h = MsgViewHeader(msg, 2, 5, TDateOrder::doMDY, 2025);
  EXPECT_EQ(h.Conf, "Conference 2    \"Out Box\"");
  EXPECT_EQ(h.MsgNum, "3 of 5");  // the main list's row and count
  EXPECT_EQ(h.Status, "P U B L I C");
}

TEST(MsgViewPrint, PageLayoutColumnsAndWrapping) {
  TQWKMsg msg;
  msg.SetPostDate("12-05-97");
  msg.SetPostTime("14:30");
  msg.SetNumber("4711");
  msg.SetMsgFROM("Joe");
  msg.SetMsgTo("All");
  msg.SetSubject("Hello");
  msg.SetReferNum("12");
  msg.SetConfName("General");
  auto lines = TMsgViewPrint::PageLines(msg, 2, 9, {"Body line", "> quoted"});
  ASSERT_EQ(lines.size(), 10u);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(lines[static_cast<size_t>(i)], "");
  const std::string m(5, ' ');
  EXPECT_EQ(lines[3], m + "Date: 12-05-97 (14:30)" + std::string(28, ' ') + "Number: 4711# 2 of 9");
  EXPECT_EQ(lines[4], m + "From: Joe" + std::string(41, ' ') + "Refer#: 12");
  EXPECT_EQ(lines[5], m + "  To: All" + std::string(41, ' ') + "Status: PUBLIC");
  EXPECT_EQ(lines[6], m + "Subj: Hello" + std::string(39, ' ') + "Conf: ( General )");
  EXPECT_EQ(lines[7], m + std::string(80, '-'));
  EXPECT_EQ(lines[8], m + "Body line");
  EXPECT_EQ(lines[9], m + "> quoted");

  // A 50-character sender: "Refer#: " follows at once; private status.
  msg.SetMsgFROM(std::string(44, 'x') + "@b.org");
  msg.SetStatus(tStatus::sPrivate);
  lines = TMsgViewPrint::PageLines(msg, 1, 1, {});
  EXPECT_EQ(lines[4], m + "From: " + std::string(44, 'x') + "@b.orgRefer#: 12");
  EXPECT_EQ(lines[5].substr(55), "Status: PRIVATE");

  EXPECT_EQ(TMsgViewPrint::Wrap("abcdefg", 3), (std::vector<std::string>{"abc", "def", "g"}));
  EXPECT_EQ(TMsgViewPrint::Wrap("", 3), (std::vector<std::string>{""}));
  EXPECT_EQ(TMsgViewPrint::Wrap("ab", 0), (std::vector<std::string>{"a", "b"}));
  auto pages = TMsgViewPrint::Pages({"1", "2", "3456", "7"}, 2, 2);
  ASSERT_EQ(pages.size(), 3u);
  EXPECT_EQ(pages[1], (std::vector<std::string>{"34", "56"}));
  EXPECT_EQ(pages[2], (std::vector<std::string>{"7"}));
}

TEST(MsgViewCommands, StatesCaptionsAndContacts) {
  auto s = MsgViewStates(TFolderKind::fkConference, false, true);
  EXPECT_TRUE(s.Copy && s.PrevNextConf && s.Reply && s.Forward && s.Save);
  s = MsgViewStates(TFolderKind::fkSentBox, false, false);
  EXPECT_FALSE(s.Copy || s.PrevNextConf || s.Reply || s.Save);
  EXPECT_TRUE(s.Forward);
  s = MsgViewStates(TFolderKind::fkOutBox, false, false);
  EXPECT_TRUE(s.Reply);
  EXPECT_FALSE(s.Forward || s.Save);
  s = MsgViewStates(TFolderKind::fkConference, true, true);
  EXPECT_FALSE(s.Copy || s.PrevNextConf || s.Reply || s.Forward || s.Save);

  EXPECT_EQ(ReplyButtonHint(TFolderKind::fkOutBox), "Edit message|");
  EXPECT_EQ(ReplyButtonHint(TFolderKind::fkSaveBox), "Reply to Author|");
  TConfRec out{"Out Box", "", 0, "", TFolderKind::fkOutBox};
  EXPECT_EQ(ViewerReplyMenuCaption(&out), "&Edit Message");
  EXPECT_EQ(ViewerReplyMenuCaption(nullptr), "&Reply to Message");

  EXPECT_FALSE(AddRecieverEnabled("ALL"));
  EXPECT_FALSE(AddRecieverEnabled("all users"));
  EXPECT_TRUE(AddRecieverEnabled("Allan Smith"));
  EXPECT_TRUE(AddRecieverEnabled(""));

  EXPECT_EQ(ContactFromLabel("John Smith Jr"), (TContactSeed{"", "John", "Smith"}));
  EXPECT_EQ(ContactFromLabel("Sysop"), (TContactSeed{"", "Sysop", ""}));
  EXPECT_EQ(ContactFromLabel("Joe <joe@example.org>"), (TContactSeed{"Joe <joe@example.org>", "", ""}));

  EXPECT_EQ(HeaderSplitBarTop(-5), 3);
  EXPECT_EQ(HeaderSplitBarTop(50), 50);
  EXPECT_EQ(HeaderSplitBarTop(500), 112);
  EXPECT_EQ(HeaderHeightOnRelease(-1), 3);
  EXPECT_EQ(HeaderHeightOnRelease(60), 60);
  EXPECT_EQ(HeaderHeightOnRelease(200), 113);

  EXPECT_EQ(AttachmentCaption("PICTURE.GIF"), "picture.gif");
  EXPECT_EQ(AttachmentFileName("caf\x82.txt"), "caf\xc3\xa9.txt");  // code page 437 to a UTF-8 name
  EXPECT_EQ(AttachmentFileName(".."), "attachment.dat");
  EXPECT_EQ(AttachmentFileName("a/b"), "a_b");
}

TEST(MsgViewCommands, LinksFromDoubleClickedWords) {
  EXPECT_EQ(WordAt("see www.example.com. now", 6), "www.example.com.");
  EXPECT_EQ(WordAt("see www.example.com. now", 3), "");
  EXPECT_EQ(WordAt("x", 5), "");
  EXPECT_EQ(LinkFromWord("www.example.com."), "http://www.example.com");
  EXPECT_EQ(LinkFromWord("(www.example.com/dir/),"), "http://www.example.com/dir/)");
  EXPECT_EQ(LinkFromWord("\"http://example.org/a/\"."), "http://example.org/a");
  EXPECT_EQ(LinkFromWord("<ftp://ftp.example.org/pub"), "ftp://ftp.example.org/pub");
  EXPECT_EQ(LinkFromWord("https://www.example.org/x"), "https://www.example.org/x");
  EXPECT_EQ(LinkFromWord("https://example.org,"), "https://example.org");
  EXPECT_EQ(LinkFromWord("ftp://www.example.org"), "http://www.example.org");
  EXPECT_FALSE(LinkFromWord("joe@example.org"));
  EXPECT_FALSE(LinkFromWord("example.com"));
}

TEST(TextFinder, DirectionsCaseAndWholeWords) {
  std::u32string text = U"The cat sat on the CATALOG; the Cat.";
  TFindOptions o;
  EXPECT_EQ(TTextFinder::Find(text, U"cat", 0, o), 4u);
  EXPECT_EQ(TTextFinder::Find(text, U"cat", 5, o), 19u);
  o.WholeWord = true;
  EXPECT_EQ(TTextFinder::Find(text, U"cat", 5, o), 32u);
  o.MatchCase = true;
  EXPECT_EQ(TTextFinder::Find(text, U"Cat", 0, o), 32u);
  EXPECT_EQ(TTextFinder::Find(text, U"CAT", 0, o), TTextFinder::npos);
  o = {};
  o.Down = false;
  EXPECT_EQ(TTextFinder::Find(text, U"cat", text.size(), o), 32u);
  EXPECT_EQ(TTextFinder::Find(text, U"cat", 32, o), 19u);
  EXPECT_EQ(TTextFinder::Find(text, U"cat", 7, o), 4u);
  EXPECT_EQ(TTextFinder::Find(text, U"cat", 6, o), TTextFinder::npos);
  EXPECT_EQ(TTextFinder::Find(text, U"cat", 5, o), TTextFinder::npos);
  EXPECT_EQ(TTextFinder::Find(text, U"", 0, o), TTextFinder::npos);
  // Letters beyond ASCII fold too.
  o.Down = true;
  EXPECT_EQ(TTextFinder::Find(U"Ärger über ÜBER", U"über", 7, o), 11u);
  EXPECT_EQ(TTextFinder::Find(U"ΣΟΦΙΑ", U"σοφ", 0, o), 0u);
}

namespace {
// The main window's tree and list as core models, with a list selection.
struct NavFixture {
  std::string dir = test::NewTempDir("packet");
  TQWKPostOffice po;
  TMailTree tree;
  TMailList list;
  int selected = -1;
  std::vector<std::string> opened;  // folder name and row of every open
  TMsgViewNavigator nav{tree, list,
                        TMsgViewNavHost{[this] { return selected; }, [this](int r) { selected = r; },
                                        [this](int r) { list.DoubleClick(r); }}};
  NavFixture() {
    test::TPacketBuilder()
        .BBS("Demo Board", "DEMO")
        .Conference(1, "General")
        .Conference(2, "Empty")
        .Conference(3, "Last")
        .Message(1, test::TPacketMessage().Subject("g1"))
        .Message(1, test::TPacketMessage().Subject("g2"))
        .Message(3, test::TPacketMessage().Subject("l1"))
        .WriteTo(dir);
    std::string poDir = ProgramFolder() + "DEMO";
    MakePODir(ProgramFolder(), "DEMO");
    po.AddPostOffice("DEMO", "Demo Board", poDir);
    for (const char* name : {"a0a0a0a0.qms", "b1b1b1b1.qms"})
      test::WriteBoxFile(PostOfficeBox(poDir, kSaveBoxFolder), test::TPacketMessage().Subject(name), 1, name);
    tree.SetPostoffice(&po);
    tree.OnChange = [this] {
      list.Refill();
      selected = -1;
    };
    tree.SetDirectory(dir);
    list.SetMailTree(&tree);
    list.OnOpenMessage = [this](const TConfRec* rec, int index, int) {
      opened.push_back(rec->Name + ":" + std::to_string(index));
      nav.Remember();  // as the viewer does on every message it shows
    };
  }
  void Open(TMailTreeNode* node, int row) {
    tree.Select(node);
    selected = row;
    nav.Remember();
  }
  TMailTreeNode* Conf(const char* caption) { return TMailTree::FindChildByCaption(tree.InBox(), caption); }
};
}  // namespace

TEST(MsgViewNavigator, MessagesAcrossConferencesAndAroundBoxes) {
  NavFixture f;
  f.Open(f.Conf("1 General"), 0);
  f.nav.NextMessage(TFolderKind::fkConference);
  EXPECT_EQ(f.opened.back(), "1 General:1");
  EXPECT_EQ(f.list.Rows()[0].ImageIndex, listimg::kReadMessage);  // left behind: read
  // The last row: on to the next conference with messages; the empty one is passed over
  // (stopping there, the next press went back to the message shown and round again).
  f.nav.NextMessage(TFolderKind::fkConference);
  EXPECT_EQ(f.tree.Selected()->Caption, "3 Last");
  EXPECT_EQ(f.opened.back(), "3 Last:0");
  f.nav.PreviousMessage(TFolderKind::fkConference);
  EXPECT_EQ(f.opened.back(), "1 General:1");
  f.Open(f.Conf("3 Last"), 0);
  f.nav.NextMessage(TFolderKind::fkConference);  // wraps to the first conference
  EXPECT_EQ(f.tree.Selected()->Caption, "1 General");
  EXPECT_EQ(f.opened.back(), "1 General:0");
  f.nav.PreviousMessage(TFolderKind::fkConference);  // first row: the previous conference's last row
  EXPECT_EQ(f.tree.Selected()->Caption, "3 Last");
  EXPECT_EQ(f.opened.back(), "3 Last:0");
  EXPECT_EQ(f.selected, 0);

  // A box wraps around both ways.
  f.Open(f.tree.SaveBox(), 1);
  f.nav.NextMessage(TFolderKind::fkSaveBox);
  EXPECT_EQ(f.tree.Selected(), f.tree.SaveBox());
  EXPECT_EQ(f.opened.back(), "Save Box:0");
  f.nav.PreviousMessage(TFolderKind::fkSaveBox);
  EXPECT_EQ(f.opened.back(), "Save Box:1");
  EXPECT_EQ(f.list.Rows()[0].ImageIndex, listimg::kReadMessage);  // box rows are never marked

  // A lost selection is taken back from the remembered node and row.
  f.Open(f.Conf("1 General"), 0);
  f.tree.Select(f.tree.OutBox());
  f.nav.NextMessage(TFolderKind::fkConference);
  EXPECT_EQ(f.tree.Selected()->Caption, "1 General");
  EXPECT_EQ(f.opened.back(), "1 General:1");
}

TEST(MsgViewNavigator, ConferencesAndTheBoxRound) {
  NavFixture f;
  f.Open(f.Conf("1 General"), 1);
  f.nav.NextConference(TFolderKind::fkConference, 1);  // "2 Empty" is passed over
  EXPECT_EQ(f.tree.Selected()->Caption, "3 Last");
  EXPECT_EQ(f.opened.back(), "3 Last:0");
  f.nav.PreviousConference(TFolderKind::fkConference, 1);  // wraps to the last conference, its last row
  EXPECT_EQ(f.tree.Selected()->Caption, "3 Last");

  f.Open(f.tree.OutBox(), -1);
  f.nav.NextConference(TFolderKind::fkOutBox, 0);
  EXPECT_EQ(f.tree.Selected(), f.tree.SaveBox());
  EXPECT_EQ(f.opened.back(), "Save Box:0");
  f.nav.NextConference(TFolderKind::fkSaveBox, 0);
  EXPECT_EQ(f.tree.Selected(), f.tree.SentBox());
  f.nav.NextConference(TFolderKind::fkSentBox, 0);
  EXPECT_EQ(f.tree.Selected(), f.tree.OutBox());
  f.nav.PreviousConference(TFolderKind::fkOutBox, 0);
  EXPECT_EQ(f.tree.Selected(), f.tree.SentBox());
  f.nav.PreviousConference(TFolderKind::fkSentBox, 0);
  EXPECT_EQ(f.tree.Selected(), f.tree.SaveBox());
  EXPECT_EQ(f.opened.back(), "Save Box:1");  // the last row
  f.nav.PreviousConference(TFolderKind::fkSaveBox, 0);
  EXPECT_EQ(f.tree.Selected(), f.tree.OutBox());
}

namespace {
const char* const kMimeBody =
    "MIME-Version: 1.0\n"
    "Content-Type: multipart/mixed; boundary=\"XYZ\"\n"
    "\n"
    "--XYZ\n"
    "Content-Type: text/plain\n"
    "\n"
    "See the file.\n"
    "--XYZ\n"
    "Content-Type: application/octet-stream; name=\"Hello.BIN\"\n"
    "Content-Transfer-Encoding: base64\n"
    "\n"
    "SGVsbG8sIFdvcmxkIQ==\n"
    "\n"
    "--XYZ--";
const char* const kUUBody =
    "Here it comes\n"
    "\n"
    "begin 644 abc.txt\n"
    "#86)C\n"
    "`\n"
    "end\n"
    "\n"
    "Bye";
}  // namespace

TEST(MsgViewFiles, AttachmentsOfPacketAndBoxMessagesAndTheSaveBox) {
  test::TRecordingPrompts prompts;
  std::string dir = test::NewTempDir("packet");
  test::TPacketBuilder()
      .Conference(1, "General")
      .Message(1, test::TPacketMessage().Subject("mime").Body(kMimeBody))
      .Message(1, test::TPacketMessage().Subject("uu").Body(kUUBody))
      .WriteTo(dir);
  std::string work = test::NewTempDir("work");
  TTesselMime mime;
  TQWKMsg msg;
  msg.SetMimeCTRL(&mime);
  TConfRec conf{"General", "001.ndx", 1, "", TFolderKind::fkConference};

  ASSERT_TRUE(msg.LoadFromPacket(dir, 1, conf));
  ASSERT_EQ(mime.FileNames(), std::vector<std::string>{"Hello.BIN"});
  std::string out = test::NewTempDir("out");
  auto files = ExtractAttachments(msg, mime, "", work, {AttachmentCaption("Hello.BIN")}, out);
  ASSERT_EQ(files, std::vector<std::string>{out + "hello.bin"});
  EXPECT_EQ(test::ReadFile(out + "hello.bin"), "Hello, World!");
  EXPECT_FALSE(fs::exists(work + kMimeTextFileName));  // the work file is gone again
  // A name the message does not hold leaves an empty file and no message.
  files = ExtractAttachments(msg, mime, "", work, {"missing.txt"}, out);
  EXPECT_EQ(test::ReadFile(out + "missing.txt"), "");
  EXPECT_TRUE(prompts.boxes.empty());

  // Save Box: Cancel writes nothing; OK writes the whole message, parts and all.
  std::string poDir = ProgramFolder() + "DEMO";
  MakePODir(ProgramFolder(), "DEMO");
  prompts.answers.push_back(TBoxAnswer::baCancel);
  EXPECT_EQ(SaveToSaveBox(msg, poDir), "");
  EXPECT_EQ(prompts.Texts().back(), "Copy message to \"Save Box\"?");
  EXPECT_EQ(prompts.boxes.back().buttons, TBoxButtons::bbOkCancel);
  size_t shown = msg.Text().size();
  RandomSeed(7);
  std::string saved = SaveToSaveBox(msg, poDir);
  ASSERT_FALSE(saved.empty());
  EXPECT_EQ(ExtractFilePath(saved), PostOfficeBox(poDir, kSaveBoxFolder));
  EXPECT_EQ(ExtractFileExt(saved), ".qms");
  EXPECT_EQ(msg.Text().size(), shown);  // the viewer's record is untouched

  // The saved copy, read as a Save Box message, still yields the attachment.
  TQWKMsg boxMsg;
  TTesselMime boxMime;
  boxMsg.SetMimeCTRL(&boxMime);
  TConfRec saveBox{"Save Box", "", 0, saved, TFolderKind::fkSaveBox};
  ASSERT_TRUE(boxMsg.LoadFromFile(saved, saveBox));
  EXPECT_EQ(TrimRight(boxMsg.Subject()), "mime");
  EXPECT_TRUE(boxMime.AttachmentFound());
  files = ExtractAttachments(boxMsg, boxMime, saved, work, {"hello.bin"}, out);
  EXPECT_EQ(test::ReadFile(out + "hello.bin"), "Hello, World!");

  // A uuencoded file of a packet message.
  ASSERT_TRUE(msg.LoadFromPacket(dir, 2, conf));
  ASSERT_EQ(mime.FileNames(), std::vector<std::string>{"abc.txt"});
  files = ExtractAttachments(msg, mime, "", work, {"abc.txt"}, out);
  EXPECT_EQ(test::ReadFile(out + "abc.txt"), "abc");

  // Other folders extract nothing; an unwritable target is reported.
  TConfRec downloads{"Download Box", "", 0, "", TFolderKind::fkDownloads};
  msg.SetConfRecord(downloads);
  EXPECT_TRUE(ExtractAttachments(msg, mime, "", work, {"abc.txt"}, out).empty());
  msg.SetConfRecord(conf);
  EXPECT_TRUE(ExtractAttachments(msg, mime, "", work, {"abc.txt"}, out + "no/such/folder").empty());
  EXPECT_EQ(prompts.Texts(TBoxKind::bkError).size(), 1u);
}
