#include "engine/packet_lifecycle.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "archive/xceed_zip.h"
#include "engine/door_control.h"
#include "engine/mail_tree.h"
#include "engine/qwk_header.h"
#include "engine/qwk_msg.h"
#include "engine/posting_order.h"
#include "engine/qwk_post_office.h"
#include "engine/to_reader.h"
#include "platform/paths.h"
#include "support/packet_builder.h"
#include "support/packet_zip.h"
#include "support/recording_prompts.h"
#include "support/test_env.h"

using namespace korrin;
namespace fs = std::filesystem;

namespace {
std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> out;
  std::error_code ec;
  for (auto& e : fs::directory_iterator(folder, ec))
    if (e.path().filename() != kPostingSequenceFile) out.push_back(e.path().filename().string());
  std::sort(out.begin(), out.end());
  return out;
}

std::vector<std::string> Contents(const std::string& folder) {
  std::vector<std::string> out;
  std::error_code ec;
  for (auto& e : fs::directory_iterator(folder, ec))
    if (e.path().filename() != kPostingSequenceFile) out.push_back(test::ReadFile(e.path().string()));
  std::sort(out.begin(), out.end());
  return out;
}

struct World {
  test::TRecordingPrompts prompts;
  TMailTree tree;
  TQWKPostOffice po;
  TQWKMsg msg;
  TToReader toReader;
  TDoorControl door;
  TXceedZip zip;
  TPacketLifecycle life{tree, po, msg, toReader, door, zip};
  std::string work = test::NewTempDir("work");
  std::string packets = test::NewTempDir("packets");
  std::string replies = test::NewTempDir("replies");
  TCloseAnswer answer{true, 0, {}, true};

  World() {
    zip.SetPluginFolder(test::BinDir());
    tree.SetPostoffice(&po);
    po.SetFilename("PO.CFG");
    life.SetTempDirectory(work);
    life.SetRepliesFolder(replies);
    life.RunCloseDialog = [this](bool something) {
      TCloseAnswer a = answer;
      a.CreateReply = a.CreateReply && something;
      return a;
    };
  }

  std::string Packet(const std::string& name = "DEMO.QWK") {
    std::string dir = test::NewTempDir("src");
    test::TPacketBuilder()
        .BBS("Demo Board", "DEMO")
        .User("JANE READER")
        .Conference(1, "General")
        .Conference(2, "Programming")
        .Message(1, test::TPacketMessage().From("JOHN SMITH").To("ALL").Subject("Welcome").Body("Hello\nthere"))
        .Message(2, test::TPacketMessage().From("SYSOP").Subject("Compilers").Body("Text"))
        .DoorId({"DOOR = TESTDOOR", "VERSION = 1.0", "SYSTEM = TESTBBS", "CONTROLNAME = QWKDOOR", "CONTROLTYPE = ADD",
                 "CONTROLTYPE = DROP"})
        .NameCase(test::TNameCase::ncUpper)
        .WriteTo(dir);
    return test::ZipFolder(dir, packets + name);
  }

  std::string OutBox() { return ProgramFolder() + "DEMO/OutBox/"; }
  std::string SentBox() { return ProgramFolder() + "DEMO/SentBox/"; }
};
}  // namespace

TEST(PacketLifecycle, WholeCycleKeepsEveryMessageByteForByte) {
  World w;
  std::vector<std::string> statuses, captions;
  w.life.OnStatus = [&](const std::string& s) { statuses.push_back(s); };
  w.life.OnCaption = [&](const std::string& s) { captions.push_back(s); };
  std::string packet = w.Packet();
  ASSERT_TRUE(w.life.OpenPacket(packet));
  EXPECT_EQ(statuses, (std::vector<std::string>{"Loading - DEMO.QWK", "Searching for Attached files ...",
                                                "Creating Tree . . .", "Updating Postoffice . . .",
                                                "Loading door information ..."}));
  EXPECT_EQ(captions.back(), "Korrin Exploring DEMO.QWK");
  EXPECT_TRUE(w.tree.PacketLoaded());
  EXPECT_EQ(w.tree.PacketFile(), packet);
  EXPECT_EQ(w.po.BBSID(), "DEMO");
  EXPECT_EQ(w.door.ControlName(), "QWKDOOR");
  EXPECT_TRUE(fs::exists(ProgramFolder() + "DEMO/Control.dat"));

  // Two control messages with fixed dates.
  w.life.Now = [] {
    std::tm tm{};
    tm.tm_year = 126;
    tm.tm_mon = 11;
    tm.tm_mday = 8;
    tm.tm_hour = 9;
    tm.tm_min = 5;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
  };
  w.life.ComposeControlMessage(7, 0);
  w.life.ComposeControlMessage(2, 1);
  auto boxFiles = Names(w.OutBox());
  ASSERT_EQ(boxFiles.size(), 2u);
  TQWKHeader h(test::ReadFile(w.OutBox() + boxFiles[0]).substr(0, 128));
  EXPECT_EQ(h.Date(), "12-08-26");
  EXPECT_EQ(h.Time(), "09:05");
  EXPECT_EQ(TrimRight(h.To()), "Qwkdoor");  // names pass through the proper-name case
  EXPECT_EQ(TrimRight(h.From()), "Jane Reader");
  auto before = Contents(w.OutBox());

  test::WriteFile(w.work + "todoor.ext", "ADD 5\r\n");
  ASSERT_TRUE(w.life.ClosePacket());
  EXPECT_FALSE(w.tree.PacketLoaded());
  EXPECT_TRUE(Names(w.work).empty());
  EXPECT_TRUE(Names(w.OutBox()).empty());
  EXPECT_EQ(Names(w.SentBox()).size(), 2u);
  ASSERT_TRUE(fs::exists(w.replies + "DEMO.rep"));
  EXPECT_TRUE(fs::exists(packet));  // choice 0 leaves the packet

  ASSERT_TRUE(w.life.OpenReplyPacket(w.replies + "DEMO.rep"));
  EXPECT_FALSE(fs::exists(w.replies + "DEMO.rep"));
  EXPECT_EQ(Contents(w.OutBox()), before);
  EXPECT_EQ(test::ReadFile(w.work + "todoor.ext"), "ADD 5\r\n");
  EXPECT_TRUE(w.prompts.boxes.empty()) << w.prompts.Texts()[0];
}

TEST(PacketLifecycle, FailedCompressionKeepsOutBoxSentBoxAndDoorCommands) {
  World w;
  ASSERT_TRUE(w.life.OpenPacket(w.Packet()));
  w.life.ComposeControlMessage(3, 0);
  test::WriteFile(w.work + "todoor.ext", "DROP 9\r\n");
  auto before = Contents(w.OutBox());
  w.zip.SetPluginFolder(test::NewTempDir("noplugins"));  // the packing plugin is missing
  TXceedZip fresh;  // a component that has not loaded the plugin yet
  fresh.SetPluginFolder(test::NewTempDir("noplugins"));
  TPacketLifecycle life(w.tree, w.po, w.msg, w.toReader, w.door, fresh);
  life.SetTempDirectory(w.work);
  life.SetRepliesFolder(w.replies);
  EXPECT_FALSE(life.CreateReplyPacket(life.ReplyPacketPath()));
  EXPECT_EQ(Contents(w.OutBox()), before);
  EXPECT_TRUE(Names(w.SentBox()).empty());
  EXPECT_EQ(test::ReadFile(w.work + "todoor.ext"), "DROP 9\r\n");
  EXPECT_FALSE(fs::exists(w.replies + "DEMO.rep"));
  ASSERT_EQ(w.prompts.Texts(TBoxKind::bkError).size(), 1u);

  // Closing with a reply packet that cannot be built keeps the packet open.
  life.RunCloseDialog = w.life.RunCloseDialog;
  std::vector<std::string> captions;
  life.OnCaption = [&](const std::string& s) { captions.push_back(s); };
  EXPECT_FALSE(life.ClosePacket());
  EXPECT_TRUE(w.tree.PacketLoaded());
  EXPECT_TRUE(captions.empty());  // the caption still names the open packet
}

TEST(PacketLifecycle, OpeningStopsWhenThePostOfficeCannotTakeItsFiles) {
  World w;
  std::string packet = w.Packet();
  test::WriteFile(ProgramFolder() + "DEMO", "a file where the post office folder should be");
  EXPECT_FALSE(w.life.OpenPacket(packet));
  EXPECT_EQ(w.prompts.Texts(TBoxKind::bkError).size(), 1u);  // the reason, once
  EXPECT_FALSE(w.tree.PacketLoaded());
  EXPECT_TRUE(Names(w.work).empty());
  EXPECT_TRUE(w.door.ControlName().empty());  // no door file read from elsewhere
  // Usable again once the folder can be made.
  fs::remove(ProgramFolder() + "DEMO");
  ASSERT_TRUE(w.life.OpenPacket(packet));
  EXPECT_EQ(w.door.ControlName(), "QWKDOOR");
}

TEST(PacketLifecycle, MessagesLeftUnderTheirOrderingNameGoBackIntoTheBox) {
  World w;
  ASSERT_TRUE(w.life.OpenPacket(w.Packet()));
  w.life.ComposeControlMessage(1, 0);
  w.life.ComposeControlMessage(2, 0);
  auto names = Names(w.OutBox());
  ASSERT_EQ(names.size(), 2u);
  // Left between the two renames of a reorder; the second one's name is taken again meanwhile.
  fs::rename(w.OutBox() + names[0], w.OutBox() + names[0] + ".order");
  fs::copy_file(w.OutBox() + names[1], w.OutBox() + names[1] + ".order");
  EXPECT_EQ(CountOutBox(ProgramFolder(), "DEMO"), 3);
  auto back = Names(w.OutBox());
  ASSERT_EQ(back.size(), 3u);
  for (const auto& n : back) EXPECT_EQ(ExtractFileExt(n), ".qms") << n;
  ASSERT_TRUE(w.life.CreateReplyPacket(w.life.ReplyPacketPath()));
  EXPECT_EQ(Names(w.SentBox()).size(), 3u);
}

TEST(PacketLifecycle, BuildingRepliesTwiceKeepsTheEarlierPacketsMessages) {
  World w;
  ASSERT_TRUE(w.life.OpenPacket(w.Packet()));
  w.life.SetMoveToSentBox(false);
  w.life.ComposeControlMessage(1, 0);
  test::WriteFile(w.work + "todoor.ext", "ADD 1\r\n");
  ASSERT_TRUE(w.life.CreateReplyPacket(w.life.ReplyPacketPath()));
  EXPECT_TRUE(Names(w.OutBox()).empty());
  EXPECT_TRUE(Names(w.SentBox()).empty());  // "Move to sent box" off: no copies

  w.life.ComposeControlMessage(2, 1);
  test::WriteFile(w.work + "todoor.ext", "DROP 2\r\n");
  w.prompts.answers.push_back(TBoxAnswer::baNo);  // the earlier packet was not uploaded
  ASSERT_TRUE(w.life.CreateReplyPacket(w.life.ReplyPacketPath()));
  ASSERT_TRUE(w.life.OpenReplyPacket(w.life.ReplyPacketPath()));
  EXPECT_EQ(Names(w.OutBox()).size(), 2u);
  EXPECT_EQ(test::ReadFile(w.work + "todoor.ext"), "ADD 1\r\nDROP 2\r\n");
}

TEST(PacketLifecycle, AnEarlierReplyPacketIsSentOnceWhateverTheAnswer) {
  World w;
  ASSERT_TRUE(w.life.OpenPacket(w.Packet()));
  const std::string rep = w.life.ReplyPacketPath();
  w.life.ComposeControlMessage(1, 0);
  test::WriteFile(w.work + "todoor.ext", "ADD 1\r\n");
  ASSERT_TRUE(w.life.CreateReplyPacket(rep));
  ASSERT_EQ(Names(w.SentBox()).size(), 1u);
  const std::string first = test::ReadFile(rep);

  // Cancel: nothing is built and nothing changes.
  w.life.ComposeControlMessage(2, 1);
  test::WriteFile(w.work + "todoor.ext", "ADD 1\r\nDROP 2\r\n");
  auto outBox = Contents(w.OutBox());
  w.prompts.answers.push_back(TBoxAnswer::baCancel);
  EXPECT_FALSE(w.life.CreateReplyPacket(rep));
  ASSERT_EQ(w.prompts.boxes.size(), 1u);
  EXPECT_EQ(w.prompts.boxes[0].buttons, TBoxButtons::bbYesNoCancel);
  EXPECT_TRUE(w.prompts.boxes[0].text.starts_with("The reply packet DEMO.rep from ")) << w.prompts.boxes[0].text;
  EXPECT_TRUE(w.prompts.boxes[0].text.ends_with(" has not been removed. Has it already been uploaded to the BBS?"));
  EXPECT_EQ(test::ReadFile(rep), first);
  EXPECT_EQ(Contents(w.OutBox()), outBox);
  EXPECT_EQ(Names(w.SentBox()).size(), 1u);

  // No: its message and command go into the new packet once, the Sent Box keeps one copy.
  w.prompts.answers.push_back(TBoxAnswer::baNo);
  ASSERT_TRUE(w.life.CreateReplyPacket(rep));
  EXPECT_EQ(Names(w.SentBox()).size(), 2u);

  // Yes: the earlier packet is kept in the Sent Box under a dated name; the new one holds only the new message.
  w.life.ComposeControlMessage(3, 0);
  test::WriteFile(w.work + "todoor.ext", "ADD 3\r\n");
  w.prompts.answers.push_back(TBoxAnswer::baYes);
  ASSERT_TRUE(w.life.CreateReplyPacket(rep));
  auto sent = Names(w.SentBox());
  ASSERT_EQ(sent.size(), 4u);
  EXPECT_TRUE(std::any_of(sent.begin(), sent.end(),
                          [](const std::string& n) { return n.starts_with("DEMO-") && n.ends_with(".rep"); }));
  ASSERT_TRUE(w.life.OpenReplyPacket(rep));
  EXPECT_EQ(Names(w.OutBox()).size(), 1u);
  EXPECT_EQ(test::ReadFile(w.work + "todoor.ext"), "ADD 3\r\n");
  // The dated packet carries each earlier command once.
  std::string kept;
  for (const auto& n : sent)
    if (n.ends_with(".rep")) kept = w.SentBox() + n;
  std::string dir = test::NewTempDir("kept");
  w.zip.SetZipFileName(kept);
  w.zip.SetExtractDirectory(dir);
  w.zip.SetFilesToProcess({});
  ASSERT_EQ(w.zip.Extract(), 0);
  EXPECT_EQ(test::ReadFile(dir + "todoor.ext"), "ADD 1\r\nDROP 2\r\n");
}

TEST(PacketLifecycle, OpenReplyPacketKeepsThePacketWhenTheOutBoxCannotTakeIt) {
  World w;
  ASSERT_TRUE(w.life.OpenPacket(w.Packet()));
  w.life.ComposeControlMessage(1, 0);
  ASSERT_TRUE(w.life.CreateReplyPacket(w.life.ReplyPacketPath()));
  fs::remove_all(w.OutBox());
  test::WriteFile(ExcludeTrailingBackslash(w.OutBox()), "a file where the folder should be");
  EXPECT_FALSE(w.life.OpenReplyPacket(w.life.ReplyPacketPath()));
  EXPECT_TRUE(fs::exists(w.life.ReplyPacketPath()));
}

TEST(PacketLifecycle, RenameAndMoveCountersAndDisposalChoices) {
  World w;
  std::string dir = test::NewTempDir("p");
  test::WriteFile(dir + "ABC.QWK", "a");
  test::WriteFile(dir + "ABC1.QWK", "taken");
  test::WriteFile(dir + "XYZ1.QWK", "digit");
  EXPECT_EQ(w.life.RenamePacket(dir + "ABC.QWK"), dir + "ABC2.QWK");
  EXPECT_EQ(w.life.RenamePacket(dir + "XYZ1.QWK"), dir + "XYZ1.QWK");  // a digit below 9 keeps the name
  EXPECT_EQ(w.life.RenamePacket(dir + "ABCD.QWK"), dir + "ABCD.QWK");  // missing file: stays, reported
  EXPECT_EQ(w.prompts.Texts().size(), 1u);

  std::string dest = test::NewTempDir("dest");
  std::string moved = w.life.MovePacket(dir + "ABC2.QWK", dest);
  EXPECT_EQ(moved, dest + "ABC1.QWK");
  EXPECT_EQ(test::ReadFile(moved), "a");
  EXPECT_FALSE(fs::exists(dir + "ABC2.QWK"));
  EXPECT_EQ(w.life.MovePacket(dir + "ABC1.QWK", dir), dir + "ABC1.QWK");  // same folder: nothing
  EXPECT_EQ(w.life.MovePacket(dir + "ABC1.QWK", dir + "nowhere"), dir + "ABC1.QWK");

  // Close with "Delete": nothing to send, so no reply packet and the packet file goes.
  std::string packet = w.Packet("ZAP.QWK");
  ASSERT_TRUE(w.life.OpenPacket(packet));
  bool offered = true;
  w.life.RunCloseDialog = [&](bool something) {
    offered = something;
    return TCloseAnswer{true, 1, {}, false};
  };
  ASSERT_TRUE(w.life.ClosePacket());
  EXPECT_FALSE(offered);
  EXPECT_FALSE(fs::exists(packet));
  EXPECT_FALSE(fs::exists(w.replies + "DEMO.rep"));

  // A cancelled close keeps the packet open.
  ASSERT_TRUE(w.life.OpenPacket(w.Packet("KEEP.QWK")));
  w.life.RunCloseDialog = [](bool) { return TCloseAnswer{false, 0, {}, false}; };
  EXPECT_FALSE(w.life.ClosePacket());
  EXPECT_TRUE(w.tree.PacketLoaded());
}

TEST(PacketLifecycle, BadPacketsGiveAMessageAndLeaveTheWorkFolderEmpty) {
  World w;
  std::string notArchive = test::WriteFile(w.packets + "JUNK.QWK", "this is not an archive at all");
  EXPECT_FALSE(w.life.OpenPacket(notArchive));
  EXPECT_TRUE(Names(w.work).empty());
  std::string onlyControl = test::NewTempDir("oc");
  test::WriteFile(onlyControl + "CONTROL.DAT", "x\n");
  test::WriteFile(onlyControl + "001.NDX", "");
  EXPECT_FALSE(w.life.OpenPacket(test::ZipFolder(onlyControl, w.packets + "NOMSG.QWK")));
  EXPECT_TRUE(Names(w.work).empty());
  EXPECT_EQ(w.prompts.Texts(TBoxKind::bkError).size(), 2u);
  EXPECT_FALSE(w.tree.PacketLoaded());

  // A reply packet without the BBSID's message file.
  w.po.AddPostOffice("DEMO", "Demo Board", ProgramFolder() + "DEMO");
  std::string rep = test::NewTempDir("rep");
  test::WriteFile(rep + "OTHER.MSG", std::string(128, ' '));
  EXPECT_FALSE(w.life.OpenReplyPacket(test::ZipFolder(rep, w.replies + "DEMO.rep")));
  EXPECT_EQ(w.prompts.Texts().back(), "Could not open - DEMO.msg");
  EXPECT_TRUE(fs::exists(w.replies + "DEMO.rep"));
  std::string junk = test::WriteFile(w.replies + "JUNK.rep", "nope");
  EXPECT_FALSE(w.life.OpenReplyPacket(junk));
  EXPECT_EQ(w.prompts.Texts().back(), "Reply packet does not contain any messages.");
}

// The opening steps give their failures back with the box texts and show
// nothing themselves; the unpack step tells why nothing came out.
TEST(PacketLifecycle, OpeningFailuresComeBackAsValues) {
  World w;
  std::string junk = test::WriteFile(w.packets + "JUNK.QWK", "this is not an archive at all");
  TResult r = w.life.LoadPacket(junk);
  EXPECT_FALSE(r);
  EXPECT_EQ(r.Text(), "Could not read mail packet - JUNK.QWK");
  EXPECT_EQ(r.Failure().Kind, TBoxKind::bkError);
  std::string onlyControl = test::NewTempDir("oc");
  test::WriteFile(onlyControl + "CONTROL.DAT", "x\n");
  test::WriteFile(onlyControl + "001.NDX", "");
  r = w.life.LoadPacket(test::ZipFolder(onlyControl, w.packets + "NOMSG.QWK"));
  EXPECT_EQ(r.Text(), "The mail packet NOMSG.QWK holds no messages (messages.dat and control.dat are needed).");
  r = w.life.LoadReplyPacket(junk);
  EXPECT_EQ(r.Text(), "Reply packet does not contain any messages.");
  EXPECT_TRUE(w.prompts.boxes.empty());
  EXPECT_FALSE(w.tree.PacketLoaded());

  // A folder without control.dat builds no tree, and nothing tells why.
  r = w.tree.Load(onlyControl + "none/");
  EXPECT_FALSE(r);
  EXPECT_TRUE(r.Text().empty());
  EXPECT_FALSE(ShowFailure(r));
  EXPECT_TRUE(w.prompts.boxes.empty());
  EXPECT_FALSE(ShowFailure(TResult::Error("Shown")));
  EXPECT_EQ(w.prompts.Texts(TBoxKind::bkError), (std::vector<std::string>{"Shown"}));

  TUnpackOutcome u = UnpackPacketFiles(w.zip, junk, w.work, false);
  EXPECT_FALSE(u.Unpacked);
  EXPECT_TRUE(IsFinalArchiveFailure(u.Failure)) << u.Failure;
  u = UnpackPacketFiles(w.zip, w.packets + "missing.qwk", w.work, false);
  EXPECT_EQ(u.Failure, TXceedZip::xcdNotFound);
  std::string other = test::NewTempDir("other");
  test::WriteFile(other + "readme.txt", "no packet here");
  u = UnpackPacketFiles(w.zip, test::ZipFolder(other, w.packets + "OTHER.ZIP"), w.work, false);
  EXPECT_FALSE(u.Unpacked);
  EXPECT_EQ(u.Failure, TXceedZip::xcdSuccess);  // only "nothing to do"
  // A packet's reply file is no packet file, and the reverse.
  std::string rep = test::NewTempDir("rep");
  test::WriteFile(rep + "DEMO.MSG", std::string(128, ' '));
  test::WriteFile(rep + "attached.lst", "");
  std::string repZip = test::ZipFolder(rep, w.packets + "DEMO.REP");
  EXPECT_FALSE(UnpackPacketFiles(w.zip, repZip, w.work, false).Unpacked);
  EXPECT_TRUE(UnpackPacketFiles(w.zip, repZip, w.work, true).Unpacked);
  EXPECT_EQ(Names(w.work), (std::vector<std::string>{"DEMO.MSG", "attached.lst"}));
}

TEST(PacketLifecycle, ReplyPacketsKeepThePostingOrderAlsoAfterATakeBack) {
  World w;
  ASSERT_TRUE(w.life.OpenPacket(w.Packet()));
  w.life.SetMoveToSentBox(false);
  for (int i = 1; i <= 12; ++i) w.life.ComposeControlMessage(i, 0);
  // The conferences of the messages of the reply packet, in its order.
  auto sent = [&] {
    std::string dir = test::NewTempDir("sent");
    w.zip.SetZipFileName(w.life.ReplyPacketPath());
    w.zip.SetExtractDirectory(dir);
    w.zip.SetFilesToProcess({"*.msg"});
    EXPECT_EQ(w.zip.Extract(0), 0);
    std::string bytes = test::ReadFile(dir + "DEMO.msg");
    std::vector<int> out;
    for (size_t at = 128; at + 128 <= bytes.size();) {
      TQWKHeader h(bytes.substr(at, 128));
      out.push_back(h.Conference());
      at += 128 * static_cast<size_t>(std::max(1, h.BlockCount()));
    }
    return out;
  };
  std::vector<int> twelve;
  for (int i = 1; i <= 12; ++i) twelve.push_back(i);
  ASSERT_TRUE(w.life.CreateReplyPacket(w.life.ReplyPacketPath()));
  EXPECT_EQ(sent(), twelve);
  // Taken back, then one more posted: the earlier twelve first, the new one last.
  ASSERT_TRUE(w.life.OpenReplyPacket(w.life.ReplyPacketPath()));
  w.life.ComposeControlMessage(13, 0);
  twelve.push_back(13);
  ASSERT_TRUE(w.life.CreateReplyPacket(w.life.ReplyPacketPath()));
  EXPECT_EQ(sent(), twelve);
  // Built again over an existing reply packet not yet uploaded (taken back
  // inside): the same.
  w.life.ComposeControlMessage(14, 0);
  twelve.push_back(14);
  w.prompts.answers.push_back(TBoxAnswer::baNo);
  ASSERT_TRUE(w.life.CreateReplyPacket(w.life.ReplyPacketPath()));
  EXPECT_EQ(sent(), twelve);
  EXPECT_EQ(w.prompts.boxes.size(), 1u);  // the question about the earlier packet
}

TEST(PacketLifecycle, AReplyPacketUnderAnotherLetterCaseIsTakenBackAndReplaced) {
  World w;
  ASSERT_TRUE(w.life.OpenPacket(w.Packet()));
  w.life.ComposeControlMessage(1, 0);
  ASSERT_TRUE(w.life.CreateReplyPacket(w.life.ReplyPacketPath()));
  // Another reader on this machine calls it "demo.rep".
  fs::rename(w.replies + "DEMO.rep", w.replies + "demo.rep");
  EXPECT_EQ(w.life.ExistingReplyPacket(), w.replies + "demo.rep");
  w.life.ComposeControlMessage(2, 0);
  w.prompts.answers.push_back(TBoxAnswer::baNo);  // not uploaded yet
  ASSERT_TRUE(w.life.CreateReplyPacket(w.life.ReplyPacketPath()));
  EXPECT_NE(w.prompts.Texts()[0].find("demo.rep"), std::string::npos);
  EXPECT_EQ(Names(w.replies), (std::vector<std::string>{"DEMO.rep"}));  // one packet, never two
  // It holds both messages; opening it by the other case finds it too.
  fs::rename(w.replies + "DEMO.rep", w.replies + "Demo.REP");
  ASSERT_TRUE(w.life.OpenReplyPacket(w.life.ReplyPacketPath()));
  EXPECT_TRUE(Names(w.replies).empty());
  EXPECT_EQ(Names(w.OutBox()).size(), 2u);
  EXPECT_FALSE(w.life.ExistingReplyPacket());
  EXPECT_EQ(w.prompts.boxes.size(), 1u);
}
