#include "door/conference_manager.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "support/packet_builder.h"
#include "support/recording_prompts.h"
#include "support/test_env.h"

using namespace korrin;
using Lines = std::vector<std::string>;

namespace {
std::string Packet() {
  return test::TPacketBuilder()
      .Conference(1, "General")
      .Conference(2, "Programming", false)
      .Conference(3, "Chat", false)
      .Conference(10, "Files", false)
      .Conference(12, "Games", false)
      .NameCase(test::TNameCase::ncMixed)
      .WriteTo(test::NewTempDir("packet"));
}

Lines Selected(const TCaptionList& list) {
  Lines out;
  for (const auto& e : list.Entries())
    if (e.Selected) out.push_back(e.Text);
  return out;
}

void Select(TCaptionList& list, const Lines& texts) {
  list.ClearSelection();
  for (const auto& t : texts) list.SetSelected(*list.FindExact(t), true);
}
}  // namespace

TEST(ConferenceManager, ListsWithAndWithoutTheRememberedList) {
  test::TRecordingPrompts prompts;
  std::string packet = Packet();
  std::string po = test::NewTempDir("po");
  TConferenceManager man;
  man.Load(packet, po);
  // A conference with an index file is current; the rest are available.
  EXPECT_EQ(man.DstList().Texts(), (Lines{"1 General"}));
  EXPECT_EQ(man.SrcList().Texts(), (Lines{"10 Files", "12 Games", "2 Programming", "3 Chat"}));
  EXPECT_FALSE(man.ToAdd().size() + man.ToDrop().size());

  // A conference added earlier but not yet delivered stays current.
  test::WriteFile(po + "CURCONF.CFG", "3 Chat\r\n7 Old one\r\n\r\n");
  man.Load(packet, po);
  EXPECT_EQ(man.DstList().Texts(), (Lines{"1 General", "3 Chat", "7 Old one"}));
  EXPECT_EQ(man.SrcList().Texts(), (Lines{"10 Files", "12 Games", "2 Programming"}));
  EXPECT_TRUE(prompts.boxes.empty());

  man.Load(test::NewTempDir("nopacket"), po);
  EXPECT_EQ(prompts.Texts(), (Lines{"Could not read file - CONTROL.DAT"}));
  EXPECT_EQ(man.DstList().Texts(), (Lines{"3 Chat", "7 Old one"}));
}

TEST(ConferenceManager, MovesNoteTheLastMoveOnlyAndSelectAsTheListsDo) {
  test::TRecordingPrompts prompts;
  TConferenceManager man;
  man.Load(Packet(), test::NewTempDir("po"));
  Select(man.SrcList(), {"10 Files", "2 Programming", "3 Chat"});
  EXPECT_EQ(TConferenceManager::SelectedText(man.SrcList()), "3 Selected");
  man.Include();
  EXPECT_EQ(man.ToAdd(), (Lines{"10 Files", "2 Programming", "3 Chat"}));
  EXPECT_EQ(man.SrcList().Texts(), (Lines{"12 Games"}));
  EXPECT_EQ(Selected(man.SrcList()), (Lines{"12 Games"}));  // the first selected position, kept in the list
  EXPECT_EQ(Selected(man.DstList()), (Lines{"10 Files"}));  // the first moved caption
  EXPECT_EQ(man.DstList().Texts(), (Lines{"1 General", "10 Files", "2 Programming", "3 Chat"}));

  // Dropping an added one and a current one; adding one back again.
  Select(man.DstList(), {"1 General", "3 Chat"});
  man.Exclude();
  EXPECT_EQ(man.ToAdd(), (Lines{"10 Files", "2 Programming"}));
  EXPECT_EQ(man.ToDrop(), (Lines{"1 General", "3 Chat"}));
  Select(man.SrcList(), {"1 General"});
  man.Include();
  EXPECT_EQ(man.ToAdd(), (Lines{"10 Files", "2 Programming", "1 General"}));
  EXPECT_EQ(man.ToDrop(), (Lines{"3 Chat"}));

  // Nothing selected: nothing moves.
  man.SrcList().ClearSelection();
  man.Include();
  EXPECT_EQ(man.SrcList().Count(), 2u);

  TCaptionList& dst = man.DstList();
  TConferenceManager::SetItem(dst, -1);
  EXPECT_EQ(Selected(dst), (Lines{"1 General"}));
  TConferenceManager::SetItem(dst, 99);
  EXPECT_EQ(Selected(dst), (Lines{"2 Programming"}));
  TCaptionList empty;
  TConferenceManager::SetItem(empty, 0);
  EXPECT_TRUE(empty.Empty());

  int n = 0;
  EXPECT_TRUE(TConferenceManager::ConferenceNumber("  7 Old one", n));
  EXPECT_EQ(n, 7);
  for (const char* bad : {"General", "", "-1 Minus", "70000 Too big", "7x Odd"})
    EXPECT_FALSE(TConferenceManager::ConferenceNumber(bad, n)) << bad;
  EXPECT_TRUE(prompts.boxes.empty());
}

TEST(ConferenceManager, TheRememberedListIsReplacedWholeOrNotAtAll) {
  test::TRecordingPrompts prompts;
  std::string po = test::NewTempDir("po");
  test::WriteFile(po + "curconf.cfg", "9 Before\r\n");
  TConferenceManager man;
  man.Load(Packet(), po);
  Select(man.SrcList(), {"12 Games"});
  man.Include();
  ASSERT_TRUE(man.SaveCurrent(po));
  // The existing file (in its own letter case) is replaced, no other is left.
  EXPECT_EQ(test::ReadFile(po + "curconf.cfg"), "1 General\r\n12 Games\r\n9 Before\r\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(po), std::filesystem::directory_iterator()), 1);

  // An empty current list leaves the file as it is.
  TConferenceManager empty;
  EXPECT_TRUE(empty.SaveCurrent(po));
  EXPECT_EQ(test::ReadFile(po + "curconf.cfg"), "1 General\r\n12 Games\r\n9 Before\r\n");

  // A folder that cannot take the file: the box, and false.
  std::string missing = po + "gone/";
  EXPECT_FALSE(man.SaveCurrent(missing));
  EXPECT_EQ(prompts.Texts(), (Lines{"Could not write file - " + missing + "CurConf.cfg"}));
}
