// What the door reads back: a packet whose door allows everything goes
// through requests, keyword, filter and twit changes and conference moves;
// the reply packet is unpacked and read as a door reads it.
#include <filesystem>

#include <gtest/gtest.h>

#include "archive/xceed_zip.h"
#include "door/conference_manager.h"
#include "door/door_filter_lists.h"
#include "door/new_files.h"
#include "engine/door_control.h"
#include "engine/mail_tree.h"
#include "engine/packet_lifecycle.h"
#include "engine/qwk_msg.h"
#include "engine/qwk_post_office.h"
#include "engine/to_door.h"
#include "engine/to_reader.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "support/packet_builder.h"
#include "support/recording_prompts.h"
#include "support/packet_zip.h"
#include "support/test_env.h"

using namespace korrin;
namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

namespace {
struct TDoorMessage {
  std::string to, subject;
  int conference;
};

// The messages of a reply file as a door reads them: a first block holding
// the BBSID, then per message a 128-byte header and its text blocks.
std::vector<TDoorMessage> ReadReplyFile(const std::string& bytes, std::string& bbsid) {
  std::vector<TDoorMessage> out;
  bbsid = Trim(bytes.substr(0, 128));
  for (size_t at = 128; at + 128 <= bytes.size();) {
    std::string h = bytes.substr(at, 128);
    TDoorMessage m;
    m.to = TrimRight(h.substr(21, 25));
    m.subject = TrimRight(h.substr(71, 25));
    m.conference = static_cast<unsigned char>(h[123]) | static_cast<unsigned char>(h[124]) << 8;
    out.push_back(m);
    long blocks = std::stol(Trim(h.substr(116, 6)));
    at += static_cast<size_t>(std::max(blocks, 1L)) * 128;
  }
  return out;
}
}  // namespace

TEST(DoorRoundTrip, RequestsListsAndConferencesReachTheDoor) {
  test::TRecordingPrompts prompts;
  TMailTree tree;
  TQWKPostOffice po;
  TQWKMsg msg;
  TToReader toReader;
  TDoorControl door;
  TToDoor toDoor;
  TXceedZip zip;
  TPacketLifecycle life(tree, po, msg, toReader, door, zip);
  zip.SetPluginFolder(test::BinDir());
  zip.SetUsePaths(false);
  tree.SetPostoffice(&po);
  po.SetFilename("PO.CFG");
  const std::string work = test::NewTempDir("work");
  life.SetTempDirectory(work);
  life.SetRepliesFolder(test::NewTempDir("replies"));

  std::string src = test::TPacketBuilder()
                        .BBS("Round Trip BBS", "ROUND")
                        .User("JANE READER")
                        .Conference(1, "General")
                        .Conference(2, "Programming")
                        .Conference(5, "Chat", false)
                        .Conference(9, "Files", false)
                        .Message(1, test::TPacketMessage().Subject("Hello").Body("Text"))
                        // Not named "OLMS": requests go to any door that announces them.
                        .DoorId({"DOOR = ROUNDDOOR", "VERSION = 1.0", "SYSTEM = ROUNDBBS", "CONTROLNAME = ROUNDDOOR",
                                 "CONTROLTYPE = ADD", "CONTROLTYPE = DROP", "CONTROLTYPE = KEYWORD",
                                 "CONTROLTYPE = FILTER", "CONTROLTYPE = TWIT", "CONTROLTYPE = ALLOWREQUEST",
                                 "CONTROLTYPE = MAXKEYWORDS 5", "CONTROLTYPE = MAXFILTERS 5",
                                 "CONTROLTYPE = MAXTWITS 5", "CONTROLTYPE = MAXREQUESTS 5"})
                        .ToReader({"KEYWORD OLDKEY", "FILTER OLDFILTER", "TWIT OLD TWIT"})
                        .NewFiles({"GAME.ZIP       123456 01-15-24 A game", "TOOL.ARJ        2048  01-16-24 A tool"})
                        .NameCase(test::TNameCase::ncUpper)
                        .WriteTo(test::NewTempDir("src"));
  ASSERT_TRUE(life.OpenPacket(test::ZipFolder(src, test::NewTempDir("packets") + "ROUND.QWK")));
  toDoor.SetDirectory(life.TempDirectory());
  EXPECT_EQ(FilterEntries(toReader, TFilterPage::fpTwits), (Lines{"OLD TWIT"}));

  // Two files requested from the new-files list.
  TNewFilesViewer viewer;
  viewer.Load(tree.Directory());
  ASSERT_EQ(viewer.Count(), 2u);
  EXPECT_EQ(RequestFile(door, toDoor, viewer.CurrentName()), TRequestResult::rrRequested);
  viewer.Next();
  EXPECT_EQ(RequestFile(door, toDoor, viewer.CurrentName()), TRequestResult::rrRequested);

  // Keywords, filters and twits added and removed.
  prompts.inputs = {"pascal", "flame war", "spammer"};
  EXPECT_EQ(AddFilterEntry(door, toDoor, TFilterPage::fpKeywords, 1), "PASCAL");
  EXPECT_EQ(AddFilterEntry(door, toDoor, TFilterPage::fpFilters, 1), "FLAME WAR");
  EXPECT_EQ(AddFilterEntry(door, toDoor, TFilterPage::fpTwits, 1), "SPAMMER");
  EXPECT_TRUE(RemoveFilterEntry(toDoor, TFilterPage::fpKeywords, std::string("OLDKEY")));
  EXPECT_TRUE(RemoveFilterEntry(toDoor, TFilterPage::fpFilters, std::string("FLAME WAR")));
  EXPECT_TRUE(RemoveFilterEntry(toDoor, TFilterPage::fpTwits, std::string("OLD TWIT")));

  // Conferences 5 and 9 added, 2 dropped.
  TConferenceManager man;
  man.Load(tree.Directory(), po.PostOfficeDirectory());
  EXPECT_EQ(man.SrcList().Texts(), (Lines{"5 Chat", "9 Files"}));
  for (size_t i = 0; i < man.SrcList().Count(); ++i) man.SrcList().SetSelected(i, true);
  man.Include();
  man.DstList().SelectOnly(*man.DstList().FindExact("2 Programming"));
  man.Exclude();
  ASSERT_TRUE(man.SaveCurrent(po.PostOfficeDirectory()));
  man.ComposeControlMessages(life);

  ASSERT_TRUE(life.CreateReplyPacket(life.ReplyPacketPath()));
  std::string unpacked = test::NewTempDir("door");
  zip.SetZipFileName(life.ReplyPacketPath());
  zip.SetExtractDirectory(unpacked);
  zip.SetFilesToProcess({});
  ASSERT_EQ(zip.Extract(), 0);

  EXPECT_EQ(test::ReadFile(unpacked + "todoor.ext"),
            "REQUEST GAME.ZIP\r\nREQUEST TOOL.ARJ\r\nKEYWORD PASCAL\r\nFILTER FLAME WAR\r\nTWIT SPAMMER\r\n"
            "KEYWORD -OLDKEY\r\nFILTER -FLAME WAR\r\nTWIT -OLD TWIT\r\n");
  std::string bbsid;
  auto messages = ReadReplyFile(test::ReadFile(unpacked + "ROUND.msg"), bbsid);
  EXPECT_EQ(bbsid, "ROUND");
  ASSERT_EQ(messages.size(), 3u);
  std::vector<std::pair<std::string, int>> commands;
  for (const auto& m : messages) {
    EXPECT_EQ(AnsiUpperCase(m.to), "ROUNDDOOR");
    commands.emplace_back(m.subject, m.conference);
  }
  std::sort(commands.begin(), commands.end());
  EXPECT_EQ(commands, (std::vector<std::pair<std::string, int>>{{"ADD", 5}, {"ADD", 9}, {"DROP", 2}}));
  EXPECT_EQ(test::ReadFile(IncludeTrailingBackslash(po.PostOfficeDirectory()) + "CurConf.cfg"), "1 General\r\n5 Chat\r\n9 Files\r\n");
  EXPECT_TRUE(prompts.Texts(TBoxKind::bkError).empty());
}
