#include "door/door_filter_lists.h"

#include <gtest/gtest.h>

#include "engine/to_door.h"
#include "platform/paths.h"
#include "support/recording_prompts.h"
#include "support/test_env.h"

using namespace korrin;
using Lines = std::vector<std::string>;

namespace {
TDoorControl Door(const Lines& lines) {
  TDoorControl door;
  for (const auto& l : lines) door.ReadDoorIdLine(l);
  return door;
}
}  // namespace

TEST(DoorFilterLists, MaximaRefuseBeforeAskingAndZeroRefusesAll) {
  test::TRecordingPrompts prompts;
  TToDoor toDoor;
  toDoor.SetDirectory(test::NewTempDir("work"));
  // MAXKEYWORDS also sets the keyword capability; TWIT without MAXTWITS allows none.
  TDoorControl door = Door({"CONTROLTYPE = MAXKEYWORDS 2", "CONTROLTYPE = TWIT"});
  EXPECT_EQ(MaxLabelText(door, TFilterPage::fpKeywords), "(Max 2)");
  EXPECT_EQ(MaxLabelText(door, TFilterPage::fpTwits), "(Max 0)");
  EXPECT_TRUE(FilterPageEnabled(door, TFilterPage::fpKeywords));
  EXPECT_FALSE(FilterPageEnabled(door, TFilterPage::fpFilters));
  EXPECT_TRUE(FilterPageEnabled(door, TFilterPage::fpTwits));

  EXPECT_FALSE(AddFilterEntry(door, toDoor, TFilterPage::fpTwits, 0));
  EXPECT_FALSE(AddFilterEntry(door, toDoor, TFilterPage::fpKeywords, 2));
  EXPECT_FALSE(AddFilterEntry(door, toDoor, TFilterPage::fpFilters, 0));
  EXPECT_EQ(prompts.Texts(), (Lines{"The BBS only allows 0 twits.", "The BBS only allows 2 keywords.",
                                    "The BBS only allows 0 filters."}));
  EXPECT_TRUE(prompts.dialogs.empty());
  EXPECT_FALSE(FileExistsNoCase(toDoor.Directory(), "todoor.ext"));
}

TEST(DoorFilterLists, AddAndRemoveWriteTheirLinesInOrder) {
  test::TRecordingPrompts prompts;
  TToDoor toDoor;
  std::string work = test::NewTempDir("work");
  toDoor.SetDirectory(work);
  TDoorControl door = Door({"CONTROLTYPE = MAXFILTERS 5", "CONTROLTYPE = MAXTWITS 5"});
  prompts.inputs = {"John Smith", "bad words", "   ", std::nullopt, "two\nlines"};
  EXPECT_EQ(AddFilterEntry(door, toDoor, TFilterPage::fpTwits, 0), "JOHN SMITH");
  EXPECT_EQ(AddFilterEntry(door, toDoor, TFilterPage::fpFilters, 1), "BAD WORDS");
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(AddFilterEntry(door, toDoor, TFilterPage::fpFilters, 1));
  EXPECT_EQ(prompts.dialogs[0], "Add Twit|Enter a Name you do not wish to receive mail from.");
  EXPECT_EQ(prompts.dialogs[1], "Add Filter|Enter text that you wish messages not to contain.");

  EXPECT_FALSE(RemoveFilterEntry(toDoor, TFilterPage::fpTwits, std::nullopt));
  prompts.answers = {TBoxAnswer::baNo};
  EXPECT_FALSE(RemoveFilterEntry(toDoor, TFilterPage::fpTwits, std::string("JOHN SMITH")));
  EXPECT_TRUE(RemoveFilterEntry(toDoor, TFilterPage::fpTwits, std::string("JOHN SMITH")));
  EXPECT_TRUE(RemoveFilterEntry(toDoor, TFilterPage::fpKeywords, std::string("OLD")));
  EXPECT_EQ(prompts.Texts(), (Lines{"Please make a selection from list first.",
                                    "Remove JOHN SMITH from message you do not wish to recieve.",
                                    "Remove JOHN SMITH from message you do not wish to recieve.",
                                    "Remove OLD from message keyword searches."}));
  EXPECT_EQ(prompts.boxes[1].kind, TBoxKind::bkInformation);
  EXPECT_EQ(prompts.boxes[1].buttons, TBoxButtons::bbYesNo);
  EXPECT_EQ(test::ReadFile(work + "todoor.ext"),
            "TWIT JOHN SMITH\r\nFILTER BAD WORDS\r\nTWIT -JOHN SMITH\r\nKEYWORD -OLD\r\n");
}

TEST(DoorFilterLists, EditMenuStatesFollowTheCapabilities) {
  auto s = DoorCommandStates(Door({"CONTROLTYPE = ADD", "CONTROLTYPE = KEYWORD FILTER"}));
  EXPECT_FALSE(s.Conferences);
  EXPECT_TRUE(s.Keywords && s.Filters);
  EXPECT_FALSE(s.Twits);
  s = DoorCommandStates(Door({"CONTROLTYPE = ADD", "CONTROLTYPE = DROP", "CONTROLTYPE = TWIT"}));
  EXPECT_TRUE(s.Conferences && s.Twits);
  EXPECT_FALSE(s.Keywords || s.Filters);
  s = DoorCommandStates(TDoorControl());
  EXPECT_FALSE(s.Conferences || s.Keywords || s.Filters || s.Twits);
}
