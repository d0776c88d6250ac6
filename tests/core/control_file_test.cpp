#include "engine/control_file.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "support/packet_builder.h"
#include "support/recording_prompts.h"
#include "support/test_env.h"

using namespace korrin;
using namespace korrin::test;
using Item = TControlFileCollector::Item;

namespace {

struct TRead {
  TControlFileResult result;
  PacketIdentity identity;
  TControlFileCollector collected;
};

TRead Read(const std::string& dir, TControlFileOptions options = {}) {
  TRead r;
  r.result = ReadControlFile(dir, r.identity, options, &r.collected);
  return r;
}

std::vector<std::string> Captions(const TRead& r) {
  std::vector<std::string> out;
  for (const auto& item : r.collected.Items) {
    switch (item.Kind) {
      case Item::TItemKind::ikPersonal: out.push_back("P:" + item.Record.Name); break;
      case Item::TItemKind::ikGroup: out.push_back("G:" + item.Group); break;
      case Item::TItemKind::ikConference: out.push_back(item.Entry.Caption); break;
    }
  }
  return out;
}

}  // namespace

TEST(ControlFile, IdentityConferencesAndIndexFilesInUpperCase) {
  TRecordingPrompts prompts;
  std::string dir = TPacketBuilder()
                        .BBS("THE KORRIN BBS", "KORRIN")
                        .User("john.doe@example.org")
                        .PacketDate("03-04-2024", "21:07:00")
                        .Conference(0, "Main Board")
                        .Conference(5, "General")
                        .Conference(12, "No Index Here", false)
                        .Conference(1234, "Big Numbers")
                        .Message(5, TPacketMessage().Personal())
                        .Message(1234, TPacketMessage())
                        .NameCase(TNameCase::ncUpper)
                        .WriteTo(NewTempDir("pkt"));
  auto r = Read(dir);
  ASSERT_EQ(r.result, TControlFileResult::crRead);
  EXPECT_EQ(r.identity.BBSName, "The Korrin Bbs");
  EXPECT_EQ(r.identity.BBSID, "KORRIN");
  EXPECT_EQ(r.identity.PacketDate, "03-04-2024");
  EXPECT_EQ(r.identity.PacketTime, "21:07:00");
  EXPECT_EQ(r.identity.UserName, "john.doe@example.org");  // an address stays all lower case
  EXPECT_EQ(r.identity.ConferencesAnnounced, 4);
  EXPECT_EQ(r.identity.ConferencesReceived, 4);  // personal, 0, 5, 1234
  EXPECT_TRUE(r.collected.identitySeen);

  ASSERT_EQ(r.collected.Items.size(), 4u);
  const auto& personal = r.collected.Items[0];
  EXPECT_EQ(personal.Kind, Item::TItemKind::ikPersonal);
  EXPECT_EQ(personal.Record.Name, "Personal Messages");
  EXPECT_EQ(personal.Record.IndexFile, "PERSONAL.NDX");
  EXPECT_EQ(personal.Record.Ordinal, 1);
  EXPECT_EQ(personal.Record.Kind, TFolderKind::fkConference);

  EXPECT_EQ(r.collected.Items[1].Record.IndexFile, "000.NDX");
  EXPECT_EQ(r.collected.Items[1].Record.Ordinal, 2);
  EXPECT_EQ(r.collected.Items[1].Record.Name, "0 Main Board");
  EXPECT_EQ(r.collected.Items[2].Record.IndexFile, "005.NDX");
  EXPECT_EQ(r.collected.Items[2].Record.Ordinal, 3);
  // Conference 12 has no index: no folder, and the ordinal does not advance.
  EXPECT_EQ(r.collected.Items[3].Entry.Caption, "1234 Big Numbers");
  EXPECT_EQ(r.collected.Items[3].Record.IndexFile, "1234.NDX");
  EXPECT_EQ(r.collected.Items[3].Record.Ordinal, 4);
  EXPECT_TRUE(prompts.boxes.empty());

  // Every entry becomes a folder with AllConferences; without PersonalConference no personal folder.
  auto all = Read(dir, {true, true, false});
  EXPECT_EQ(Captions(all), (std::vector<std::string>{"0 Main Board", "5 General", "12 No Index Here",
                                                     "1234 Big Numbers"}));
  EXPECT_EQ(all.collected.Items[2].Record.IndexFile, "");
  EXPECT_EQ(all.collected.Items[2].Record.Ordinal, 0);
  EXPECT_EQ(all.collected.Items[3].Record.Ordinal, 3);
  EXPECT_EQ(all.identity.ConferencesReceived, 3);

  // Without a packet only the identity is read.
  auto idOnly = Read(dir, {false, true, true});
  EXPECT_TRUE(idOnly.collected.Items.empty());
  EXPECT_EQ(idOnly.identity.BBSID, "KORRIN");
  EXPECT_EQ(idOnly.identity.ConferencesReceived, 0);
}

TEST(ControlFile, LineEndsCountsAndEarlyEnd) {
  // LF line ends, no line end after the last line, a count with blanks around
  // it and a number with a trailing blank.
  std::string dir = TPacketBuilder()
                        .LineEnd("\n")
                        .FinalLineEnd(false)
                        .ConferenceLines("7 ", "Seven")
                        .ConferenceLines("8", "Eight")
                        .ConferenceLines("9", "Nine")
                        .ControlLine(11, "  2  ")
                        .ControlLine(5, "NOCOMMA")
                        .ControlTrailer({})
                        .File("007.ndx", IndexRecord(2, 7))
                        .File("008.ndx", "")
                        .File("009.ndx", "")
                        .WriteTo(NewTempDir("pkt"));
  auto r = Read(dir);
  EXPECT_EQ(r.identity.BBSID, "NOCOMMA");
  EXPECT_EQ(r.identity.ConferencesAnnounced, 3);
  ASSERT_EQ(Captions(r), (std::vector<std::string>{"7  Seven", "8 Eight", "9 Nine"}));
  EXPECT_EQ(r.collected.Items[0].Record.IndexFile, "007.ndx");

  // A count larger than the list stops at the bulletin names, and CR-only files read too.
  std::string dir2 = TPacketBuilder()
                         .LineEnd("\r")
                         .Conference(1, "One")
                         .Conference(2, "Two")
                         .ControlLine(11, "40")
                         .WriteTo(NewTempDir("pkt"));
  auto r2 = Read(dir2);
  EXPECT_EQ(r2.identity.ConferencesAnnounced, 41);
  EXPECT_EQ(Captions(r2), (std::vector<std::string>{"1 One", "2 Two"}));

  // A file that ends inside the list, also right after a number line.
  std::string dir3 = TPacketBuilder()
                         .Conference(1, "One")
                         .ConferenceLines("2", "Two")
                         .ControlTrailer({"3"})
                         .ControlLine(11, "9")
                         .File("002.ndx", "")
                         .File("003.ndx", "")
                         .WriteTo(NewTempDir("pkt"));
  auto r3 = Read(dir3);
  EXPECT_EQ(Captions(r3), (std::vector<std::string>{"1 One", "2 Two", "3 "}));
}

TEST(ControlFile, GroupsOpenFoldersAndLoseTheirPrefix) {
  std::string dir = TPacketBuilder()
                        .Conference(1, "Local")
                        .Conference(12, "[Internet] comp.os")
                        .Conference(13, "alt.test")
                        .Conference(14, "[Internet] rec.pets")
                        .Conference(15, "[Fido] Echo", false)
                        .Conference(16, "[Fido] Net")
                        .Conference(17, "[Broken no close")
                        .WriteTo(NewTempDir("pkt"));
  auto r = Read(dir);
  EXPECT_EQ(Captions(r), (std::vector<std::string>{"1 Local", "G:Internet", " comp.os", "13 alt.test", " rec.pets",
                                                   "G:Fido", " Net", "17 [Broken no close"}));
  EXPECT_EQ(r.collected.Items[3].Group, "Internet");  // no bracket: stays in the open group
  EXPECT_EQ(r.collected.Items[2].Record.Name, " comp.os");

  // With every conference shown the group of a conference without index opens its folder.
  auto all = Read(dir, {true, true, true});
  EXPECT_EQ(Captions(all), (std::vector<std::string>{"1 Local", "G:Internet", " comp.os", "13 alt.test", " rec.pets",
                                                     "G:Fido", " Echo", " Net", "17 [Broken no close"}));
}

TEST(ControlFile, BadCountsAndRefusedFolders) {
  TRecordingPrompts prompts;
  // Line 11 that is not a number: no list, the identity stays usable, and
  // the conference of the index file present is still shown.
  std::string dir = TPacketBuilder()
                        .BBS("BBS", "ID1")
                        .Conference(1, "One")
                        .Message(1, TPacketMessage().Personal())
                        .ControlLine(11, "lots")
                        .WriteTo(NewTempDir("pkt"));
  auto r = Read(dir);
  EXPECT_EQ(r.result, TControlFileResult::crRead);
  EXPECT_EQ(r.identity.BBSID, "ID1");
  EXPECT_EQ(r.identity.ConferencesAnnounced, 0);
  EXPECT_EQ(Captions(r), (std::vector<std::string>{"P:Personal Messages", "Conference 1"}));
  EXPECT_EQ(r.identity.ConferencesReceived, 2);

  for (const char* count : {"-1", "", "99999999999999999999"}) {
    std::string d = TPacketBuilder().Conference(1, "One").ControlLine(11, count).WriteTo(NewTempDir("pkt"));
    auto rr = Read(d);
    EXPECT_EQ(rr.result, TControlFileResult::crRead) << count;
    EXPECT_EQ(Captions(rr), (std::vector<std::string>{"Conference 1"})) << count;
  }
  // A huge count still reads the real list.
  std::string huge = TPacketBuilder().Conference(1, "One").ControlLine(11, "2147483647").WriteTo(NewTempDir("pkt"));
  EXPECT_EQ(Captions(Read(huge)), (std::vector<std::string>{"1 One"}));

  // A folder the tree cannot add is reported and reading goes on.
  struct TRefusing : TControlFileVisitor {
    std::vector<std::string> added;
    bool OnConference(const TConfRec& rec, const TConferenceEntry& e) override {
      if (e.Number == "2") return false;
      added.push_back(e.Caption);
      return true;
    }
  } refusing;
  std::string d2 = TPacketBuilder().Conference(1, "A").Conference(2, "B").Conference(3, "C").WriteTo(NewTempDir("p"));
  PacketIdentity id;
  ReadControlFile(d2, id, {}, &refusing);
  EXPECT_EQ(refusing.added, (std::vector<std::string>{"1 A", "3 C"}));
  EXPECT_EQ(prompts.Texts(), (std::vector<std::string>{"Conferense list to long. Error inserting conf 2 B"}));
}

TEST(ControlFile, MissingAndUnreadableFiles) {
  TRecordingPrompts prompts;
  std::string empty = NewTempDir("empty");
  auto r = Read(empty);
  EXPECT_EQ(r.result, TControlFileResult::crMissing);
  EXPECT_EQ(Read("").result, TControlFileResult::crMissing);
  EXPECT_TRUE(prompts.boxes.empty());

  // A folder in place of the file cannot be read.
  std::string bad = NewTempDir("bad");
  std::filesystem::create_directory(bad + "CONTROL.DAT");
  auto u = Read(bad);
  EXPECT_EQ(u.result, TControlFileResult::crUnreadable);
  EXPECT_FALSE(u.collected.identitySeen);
  EXPECT_EQ(prompts.Texts(), (std::vector<std::string>{"Could not read file - CONTROL.DAT"}));
  EXPECT_EQ(prompts.boxes[0].kind, TBoxKind::bkError);

  EXPECT_FALSE(ReadPacketUserName(bad));
  EXPECT_FALSE(ReadPacketUserName(empty));
  EXPECT_FALSE(ReadConferenceList(bad, TCountRule::crFirstWord));
  EXPECT_EQ(prompts.Texts().size(), 4u);
}

TEST(ControlFile, UserNameAndPlainConferenceList) {
  TRecordingPrompts prompts;
  std::string dir = TPacketBuilder()
                        .User("JANE Q PUBLIC")
                        .Conference(1, "[Grp] One")
                        .Conference(2, "Two")
                        .Conference(3, "Three")
                        .ControlLine(11, " 1 extra")
                        .NameCase(TNameCase::ncMixed)
                        .WriteTo(NewTempDir("po"));
  EXPECT_EQ(ReadPacketUserName(dir), "Jane Q Public");
  auto first = ReadConferenceList(dir, TCountRule::crFirstWord);  // " 1 extra": text before the first blank is empty
  ASSERT_TRUE(first);
  EXPECT_TRUE(first->Entries.empty());
  EXPECT_EQ(first->UserName, "JANE Q PUBLIC");

  std::string dir2 = TPacketBuilder().Conference(1, "[Grp] One").Conference(2, "Two").Conference(3, "Three")
                         .ControlLine(11, "1 extra").WriteTo(NewTempDir("po"));
  auto list = ReadConferenceList(dir2, TCountRule::crFirstWord);
  ASSERT_TRUE(list);
  ASSERT_EQ(list->Entries.size(), 2u);
  EXPECT_EQ(list->Entries[0].Caption, "1 [Grp] One");  // no group handling here
  EXPECT_EQ(list->Entries[1].Caption, "2 Two");
  auto blanks = ReadConferenceList(dir2, TCountRule::crBlanksRemoved);  // "1extra" is not a number
  ASSERT_TRUE(blanks);
  EXPECT_TRUE(blanks->Entries.empty());

  // Fewer than seven lines: an empty name.
  std::string shortDir = NewTempDir("short");
  WriteFile(shortDir + "control.dat", "ONE\r\nTWO\r\n");
  EXPECT_EQ(ReadPacketUserName(shortDir), "");
  EXPECT_TRUE(prompts.boxes.empty());
}

TEST(ControlFile, IndexFileNames) {
  EXPECT_EQ(IndexFileStem("5"), "005.ndx");
  EXPECT_EQ(IndexFileStem(" 1 2 "), "012.ndx");
  EXPECT_EQ(IndexFileStem("1234"), "1234.ndx");
  EXPECT_EQ(IndexFileStem("Personal"), "Personal.ndx");
  EXPECT_EQ(IndexFileStem(""), "000.ndx");

  std::string dir = NewTempDir("pkt");
  WriteFile(dir + "005.NDX", "");
  WriteFile(dir + "personal.ndx", "");
  std::filesystem::create_directory(dir + "006.ndx");
  WriteFile(TestRoot() + "outside.ndx", "");
  auto five = IndexFileName(dir, "5");
  EXPECT_TRUE(five.Exists);
  EXPECT_EQ(five.Name, "005.NDX");
  EXPECT_TRUE(IndexFileName(dir, "Personal").Exists);
  EXPECT_FALSE(IndexFileName(dir, "6").Exists);  // a folder is no index file
  auto missing = IndexFileName(dir, "7");
  EXPECT_FALSE(missing.Exists);
  EXPECT_EQ(missing.Name, "007.ndx");
  // A number line never names a file outside the packet folder.
  EXPECT_FALSE(IndexFileName(dir, "../outside").Exists);
  EXPECT_EQ(InBoxCaption("01-02-2024"), "In Box 01-02-2024");
}
