#include "support/packet_generator.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "engine/conference_reader.h"
#include "engine/control_file.h"
#include "engine/door_control.h"
#include "engine/to_reader.h"
#include "support/recording_prompts.h"
#include "support/test_env.h"

using namespace korrin;
using namespace korrin::test;
namespace fs = std::filesystem;

TEST(PacketGenerator, SameSeedSameBytes) {
  TGeneratorOptions o;
  o.messages = 120;
  o.mimePercent = 20;
  o.uuencodePercent = 20;
  auto a = GeneratePacket(o, NewTempDir("a"));
  auto b = GeneratePacket(o, NewTempDir("b"));
  o.seed = 2;
  auto c = GeneratePacket(o, NewTempDir("c"));
  size_t files = 0;
  for (const auto& e : fs::directory_iterator(a.folder)) {
    std::string name = e.path().filename().string();
    EXPECT_EQ(ReadFile(a.folder + name), ReadFile(b.folder + name)) << name;
    ++files;
  }
  EXPECT_GE(files, 10u);
  EXPECT_NE(ReadFile(a.folder + "messages.dat"), ReadFile(c.folder + "messages.dat"));
}

TEST(PacketGenerator, EngineReadsWhatItWrites) {
  TRecordingPrompts prompts;
  TGeneratorOptions o;
  o.conferences = 12;  // enough for conference numbers above 255
  o.messages = 400;
  o.mimePercent = 10;
  o.uuencodePercent = 10;
  o.nameCase = TNameCase::ncUpper;
  auto g = GeneratePacket(o, NewTempDir("pkt"));
  EXPECT_TRUE(fs::exists(g.folder + "CONTROL.DAT"));
  EXPECT_GT(g.conferenceNumbers.back(), 255);

  PacketIdentity id;
  TControlFileCollector tree;
  ASSERT_EQ(ReadControlFile(g.folder, id, {}, &tree), TControlFileResult::crRead);
  EXPECT_EQ(id.BBSID, "GENBBS");
  EXPECT_EQ(id.UserName, "John Doe");
  EXPECT_EQ(id.ConferencesAnnounced, 13);  // one listed conference has no index
  EXPECT_EQ(id.ConferencesReceived, 13);   // twelve and Personal Messages

  int total = 0;
  size_t conf = 0;
  for (const auto& item : tree.Items) {
    if (item.Kind != TControlFileCollector::Item::TItemKind::ikConference) continue;
    TConferenceReader reader;
    ASSERT_TRUE(reader.Open(g.folder, item.Record.IndexFile));
    ASSERT_EQ(reader.Count(), g.messageCounts[conf]);
    for (int n = 1; n <= reader.Count(); ++n) {
      TQWKHeader h;
      ASSERT_TRUE(reader.ReadHeader(n, h));
      EXPECT_EQ(h.Conference(), g.conferenceNumbers[conf]);
      EXPECT_GE(h.BlockCount(), 2);
      EXPECT_EQ(reader.Messages().BodyLengthInFile(*reader.BlockNumber(n), h), h.BodyLength());
    }
    total += reader.Count();
    ++conf;
  }
  EXPECT_EQ(conf, g.conferenceNumbers.size());
  EXPECT_EQ(total, o.messages);

  TDoorControl door;
  door.ReadDoorId(g.folder);
  EXPECT_TRUE(door.HasDoorIdentity());
  EXPECT_EQ(door.DoorType(), 0);
  EXPECT_EQ(door.MaxTwits(), 15);
  TToReader ext;
  ext.SetDirectory(g.folder);
  ext.LoadExtensionLists();
  EXPECT_FALSE(ext.AttachList().empty());
  EXPECT_EQ(ext.FileList().size(), ext.AttachList().size() + 1);
  EXPECT_EQ(ext.KeywordList(), (std::vector<std::string>{"MODEM", "OFFLINE", "READER"}));
  EXPECT_NE(ext.AreaFlagsOf(std::to_string(g.conferenceNumbers[0])), 0u);
  EXPECT_TRUE(prompts.boxes.empty());
}
