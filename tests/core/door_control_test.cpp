#include "engine/door_control.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "support/packet_builder.h"
#include "support/recording_prompts.h"
#include "support/test_env.h"

using namespace korrin;
using namespace korrin::test;

TEST(DoorControl, ReadsIdentityFlagsAndMaxima) {
  std::string dir = TPacketBuilder()
                        .DoorId({"DOOR = OLMS Deluxe",
                                 "VERSION = 2.1 beta 3",
                                 "SYSTEM = Some BBS Software 1.0",
                                 "CONTROLNAME = QMAIL extra words",
                                 "CONTROLTYPE = ADD",
                                 "CONTROLTYPE = DROP",
                                 "CONTROLTYPE = ALLOWFILES ALLOWATTACH",
                                 "CONTROLTYPE = MAXKEYWORDS 10",
                                 "CONTROLTYPE = MAXFILTERS  5",
                                 "CONTROLTYPE = MAXREQUESTS 7 more",
                                 "RECEIPT",
                                 "MAXTWITS = 99"})
                        .NameCase(TNameCase::ncUpper)
                        .WriteTo(NewTempDir("po"));
  TDoorControl door;
  door.ReadDoorId(dir);
  EXPECT_EQ(door.DoorName(), "OLMS Deluxe");
  EXPECT_EQ(door.DoorType(), 10);  // "OLMS DELUXE" is not in the table
  EXPECT_EQ(door.DoorVersion(), "2.1 beta 3");
  EXPECT_EQ(door.DoorSystem(), "Some BBS Software 1.0");
  EXPECT_EQ(door.ControlName(), "QMAIL");
  EXPECT_EQ(door.DoorFlags(), dfAdd | dfDrop | dfAllowFiles | dfAllowAttach | dfKeyword | dfFilter | dfReceipt);
  EXPECT_EQ(door.MaxKeywords(), 10);
  EXPECT_EQ(door.MaxFilters(), 0);  // two blanks: the fourth token is empty
  EXPECT_EQ(door.MaxRequests(), 7);
  EXPECT_EQ(door.MaxTwits(), 0);  // not on a CONTROLTYPE line
  EXPECT_TRUE(door.HasDoorIdentity());
  EXPECT_FALSE(door.HasFlag(dfTwit));

  // Reading another folder starts from scratch: no Door.id, no identity.
  door.ReadDoorId(NewTempDir("none"));
  EXPECT_EQ(door.DoorName(), "");
  EXPECT_EQ(door.DoorType(), 10);
  EXPECT_EQ(door.DoorFlags(), 0);
  EXPECT_FALSE(door.HasDoorIdentity());
}

TEST(DoorControl, DoorTypesAndOddValues) {
  struct {
    const char* name;
    int type;
  } cases[] = {{"olms", 0},   {"ROSEMAIL", 2}, {"CamMail", 4}, {"MARKMAIL", 5}, {"WCMAIL", 6},
               {"KMAIL", 8},  {"TriMail", 9},  {"QMAIL", 10},  {"", 10}};
  for (const auto& c : cases) {
    TDoorControl door;
    door.ReadDoorIdLine(std::string("DOOR = ") + c.name);
    EXPECT_EQ(door.DoorType(), c.type) << c.name;
  }
  // A later non-matching name keeps the type found before; no blank keeps the whole line.
  TDoorControl door;
  door.ReadDoorIdLine("DOOR = KMAIL");
  door.ReadDoorIdLine("DOOR = Other");
  EXPECT_EQ(door.DoorType(), 8);
  door.ReadDoorIdLine("DOOR=TRIMAIL");
  EXPECT_EQ(door.DoorName(), "DOOR=TRIMAIL");

  // A MAX value that is not a number counts as 0 and the rest is still read (LF file, no final line end).
  std::string dir = TPacketBuilder()
                        .LineEnd("\n")
                        .FinalLineEnd(false)
                        .DoorId({"CONTROLTYPE = MAXTWITS many", "CONTROLTYPE = MAXKEYWORDS 99999999999",
                                 "CONTROLTYPE = RESET TWIT ALLOWREQUEST", "CONTROLNAME = DOORBOT"})
                        .WriteTo(NewTempDir("po"));
  TDoorControl d;
  d.ReadDoorId(dir);
  EXPECT_EQ(d.MaxTwits(), 0);
  EXPECT_EQ(d.MaxKeywords(), 0);
  EXPECT_EQ(d.DoorFlags(), dfTwit | dfKeyword | dfReset | dfAllowRequest);
  EXPECT_EQ(d.ControlName(), "DOORBOT");
  EXPECT_FALSE(d.HasDoorIdentity());

  // An unreadable Door.id leaves the reset values.
  std::string bad = NewTempDir("bad");
  std::filesystem::create_directory(bad + "door.id");
  TRecordingPrompts prompts;
  d.ReadDoorId(bad);
  EXPECT_EQ(d.ControlName(), "");
  EXPECT_EQ(d.DoorFlags(), 0);
  EXPECT_TRUE(prompts.boxes.empty());
}
