#include "engine/to_reader.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "engine/to_door.h"
#include "support/packet_builder.h"
#include "support/recording_prompts.h"
#include "support/test_env.h"

using namespace korrin;
using namespace korrin::test;
using List = std::vector<std::string>;

TEST(ToReader, ListsFromTheExtensionFiles) {
  TRecordingPrompts prompts;
  std::string dir = TPacketBuilder()
                        .ToReader({"AREA 1 aF", "AREA 2 pgwkf", "AREA 1 Z&?", "AREA  3 a", "KEYWORD HELLO",
                                   "KEYWORDS X", "FILTER SPAM", "TWIT BAD GUY", "FILE readme.txt", " FILE x.zip",
                                   "ATTACH 1234.ATT sample.zip", " ATTACH y", "keyword lower"})
                        .ToDoor({"KEYWORD NEWONE", "KEYWORD -HELLO", "TWIT -BAD GUY", "FILTER MORE", "REQUEST f.zip"})
                        .AttachedList({"1,2,photo.jpg", "a,b,c,d", "nocomma", "", "one,only"})
                        .NameCase(TNameCase::ncUpper)
                        .WriteTo(NewTempDir("pkt"));
  TToReader r;
  r.SetDirectory(dir);
  r.LoadExtensionLists();
  EXPECT_EQ(r.KeywordList(), (List{"HELLO", " X", "NEWONE"}));  // removals are not subtracted
  EXPECT_EQ(r.FilterList(), (List{"SPAM", "MORE"}));
  EXPECT_EQ(r.TwitList(), (List{"BAD GUY"}));
  EXPECT_EQ(r.FileList(), (List{"readme.txt", " x.zip", "photo.jpg", "c,d", "nocomma", "only"}));
  EXPECT_EQ(r.AttachList(), (List{"ATTACH 1234.ATT sample.zip", " ATTACH y"}));
  EXPECT_TRUE(prompts.boxes.empty());

  EXPECT_EQ(r.AreaFlagsOf("1"), afa | afF | afZ | afAmp);  // two lines accumulate, "?" is ignored
  EXPECT_EQ(r.AreaFlagsOf("2"), afp | afg | afw | afk | aff);
  EXPECT_EQ(r.AreaFlagsOf("3"), 0u);  // two blanks: an empty conference token
  EXPECT_EQ(r.AreaFlagsOf("01"), 0u);
  std::string letters = "apgwkfFBPOXRZLNEIUHA&";
  uint32_t bit = 1;
  for (char c : letters) {
    EXPECT_EQ(AreaFlagOfLetter(c), bit) << c;
    bit <<= 1;
  }
  EXPECT_EQ(AreaFlagOfLetter('q'), 0u);

  // Reloading clears: without toreader.ext nothing is listed, todoor.ext is not consulted.
  std::string dir2 = TPacketBuilder().ToDoor({"KEYWORD ALONE"}).WriteTo(NewTempDir("pkt"));
  r.SetDirectory(dir2);
  r.LoadExtensionLists();
  EXPECT_TRUE(r.KeywordList().empty());
  EXPECT_TRUE(r.FileList().empty());
  EXPECT_EQ(r.AreaFlagsOf("1"), 0u);
  EXPECT_TRUE(prompts.boxes.empty());
}

TEST(ToReader, UnreadableFilesAreReportedOncePerLoad) {
  TRecordingPrompts prompts;
  std::string dir = NewTempDir("pkt");
  std::filesystem::create_directory(dir + "TOREADER.EXT");
  std::filesystem::create_directory(dir + "attached.lst");
  TToReader r;
  r.SetDirectory(dir);
  r.LoadExtensionLists();
  EXPECT_EQ(prompts.Texts(), (List{"Could not read file - TOREADER.EXT", "Could not read required file - TOREADER.EXT",
                                   "Could not read required file - ATTACHED.LST"}));
  EXPECT_EQ(prompts.boxes[0].kind, TBoxKind::bkPlain);
  EXPECT_EQ(prompts.boxes[0].buttons, TBoxButtons::bbOk);
  prompts.boxes.clear();
  EXPECT_EQ(r.AreaFlagsOf("1"), 0u);
  EXPECT_EQ(prompts.Texts(), (List{"Could not read file - TOREADER.EXT"}));

  std::string dir2 = TPacketBuilder().ToReader({"TWIT X"}).WriteTo(NewTempDir("pkt"));
  std::filesystem::create_directory(dir2 + "todoor.ext");
  prompts.boxes.clear();
  r.SetDirectory(dir2);
  r.LoadTwitList();
  EXPECT_EQ(r.TwitList(), (List{"X"}));
  EXPECT_EQ(prompts.Texts(), (List{"Could not read required file - TODOOR.EXT"}));
}

TEST(ToDoor, AppendsCommandLines) {
  TRecordingPrompts prompts;
  std::string dir = NewTempDir("work");
  TToDoor door;
  door.SetDirectory(dir);
  ASSERT_TRUE(door.AddDoorCommand("KEYWORD HELLO"));
  ASSERT_TRUE(door.AddDoorCommand("REQUEST file.zip"));
  EXPECT_EQ(ReadFile(dir + "todoor.ext"), "KEYWORD HELLO\r\nREQUEST file.zip\r\n");

  // An existing file in another case is appended to; an unended last line and a Ctrl-Z end are mended.
  std::string dir2 = NewTempDir("work");
  WriteFile(dir2 + "TODOOR.EXT", "TWIT A");
  door.SetDirectory(dir2);
  ASSERT_TRUE(door.AddDoorCommand("TWIT B"));
  EXPECT_EQ(ReadFile(dir2 + "TODOOR.EXT"), "TWIT A\r\nTWIT B\r\n");
  EXPECT_FALSE(std::filesystem::exists(dir2 + "todoor.ext"));
  WriteFile(dir2 + "TODOOR.EXT", "TWIT A\r\n\x1A");
  ASSERT_TRUE(door.AddDoorCommand("TWIT C"));
  EXPECT_EQ(ReadFile(dir2 + "TODOOR.EXT"), "TWIT A\r\nTWIT C\r\n");

  // What TToDoor writes, TToReader reads back as pending additions.
  WriteFile(dir2 + "toreader.ext", "TWIT OLD\r\n");
  TToReader r;
  r.SetDirectory(dir2);
  r.LoadTwitList();
  EXPECT_EQ(r.TwitList(), (List{"OLD", "A", "C"}));
  EXPECT_TRUE(prompts.boxes.empty());

  door.SetDirectory(TestRoot() + "missing/folder");
  EXPECT_FALSE(door.AddDoorCommand("KEYWORD LOST"));
  door.SetDirectory("");
  EXPECT_FALSE(door.AddDoorCommand("KEYWORD LOST"));
  EXPECT_EQ(prompts.Texts(), (List{"Could not write file - TODOOR.EXT", "Could not write file - TODOOR.EXT"}));
}
