#include "explorer/settings.h"
#include "explorer/window_placement.h"

#include <gtest/gtest.h>

#include "platform/ini_file.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "support/recording_prompts.h"
#include "support/test_env.h"

using namespace korrin;

TEST(Settings, FirstRunShowsThePreparationBoxOnceAndDefaultsApply) {
  test::TRecordingPrompts prompts;
  TRegistry reg;
  TMainSettings s = LoadSettings(reg, prompts, ProgramFolder(), 2);
  EXPECT_EQ(prompts.Texts(TBoxKind::bkInformation), std::vector<std::string>{kFirstRunText});
  EXPECT_EQ(s.Location, (TWindowPlacement{182, 79, 542, 411, TWindowState::wsNormal}));
  EXPECT_EQ(s.Packets, ExcludeTrailingBackslash(ProgramFolder()));
  EXPECT_EQ(s.LastPO, 2);
  EXPECT_EQ(s.QuoteFont.Color, 255);
  EXPECT_EQ(static_cast<uint32_t>(s.ViewerFont.Color), 0x80000008u);
  EXPECT_TRUE(s.DisplayFirstMessage && s.MoveToSentBox && s.UseMime && !s.QuickViewer && !s.ShowKludgeLines);

  SaveSettings(reg, s);
  test::TRecordingPrompts again;
  LoadSettings(reg, again, ProgramFolder(), 0);
  EXPECT_TRUE(again.boxes.empty());
}

TEST(Settings, RoundTripKeepsEveryValue) {
  test::TRecordingPrompts prompts;
  TMainSettings s;
  s.Location = {10, 20, 800, 500, TWindowState::wsMinimized};
  s.QuickViewerHeight = 150;
  s.QuickViewer = true;
  s.DisplayFirstMessage = false;
  s.MoveToSentBox = false;
  s.OverlayPictures = false;
  s.Toolbar = false;
  s.Statusbar = false;
  s.PersonalSeparate = false;
  s.LastPO = 3;
  s.Replies = "/r";
  s.Packets = "/p";
  s.Columns[0] = 3;
  s.Columns[3] = 0;
  s.EMail = "me@example.org";
  s.UseMime = false;
  s.AddTags = false;
  s.ShowKludgeLines = true;
  s.ShowAnsiColours = false;
  s.ShowWelcomeScreen = true;
  s.SortOrders[0] = -4;  // conferences by subject, descending
  s.SortOrders[3] = 1;   // Sent Box by date
  s.ViewerFont = {"DejaVu Sans", 12, 0x00FF00};
  s.QuoteFont = {"Serif", 9, 0x0000FF};
  s.EditorFont = {"Mono", 11, 0};
  s.Signature = {"one", "", "three"};
  {
    TRegistry reg;
    SaveSettings(reg, s);
  }
  TRegistry reg;
  TMainSettings back = LoadSettings(reg, prompts, ProgramFolder(), 0);
  back.CurrentVersion.clear();
  EXPECT_TRUE(back.LocationStored);
  back.LocationStored = false;
  EXPECT_EQ(back, s);
  ASSERT_TRUE(reg.OpenKey(std::string(kProgramKey) + "\\Config\\User\\Signature", false));
  EXPECT_EQ(reg.ReadString(""), "3");

  // Shortening the signature stores the count 1 and rewrites only line 0.
  s.Signature = {"only"};
  SaveSettings(reg, s);
  ASSERT_TRUE(reg.OpenKey(std::string(kProgramKey) + "\\Config\\User\\Signature", false));
  EXPECT_EQ(reg.ReadString(""), "1");
  EXPECT_EQ(reg.ReadString("SigLine2"), "three");
  EXPECT_EQ(LoadSettings(reg, prompts, ProgramFolder(), 0).Signature, std::vector<std::string>{"only"});
}

TEST(Settings, BadValuesFallBackWithoutStoppingTheRest) {
  TRegistry reg;
  const std::string K = kProgramKey;
  reg.OpenKey(K, true);
  reg.WriteString("Current Version", "1 . 2");
  reg.OpenKey(K + "\\Config\\Main", true);
  reg.WriteString("Quick Viewer Height", "tall");  // wrong type
  reg.WriteInteger("Toolbar", 5);                  // any non-zero is true
  reg.OpenKey(K + "\\Config\\User\\Signature", true);
  reg.WriteString("", "many");
  reg.WriteString("SigLine0", "never read");
  reg.OpenKey(K + "\\Config\\Viewer\\Font", true);
  reg.WriteString("Name", "Sans");
  reg.WriteString("Size", "big");  // the rest of this font keeps its defaults
  reg.OpenKey(K + "\\Config\\Editor\\Font", true);
  reg.WriteInteger("Size", 14);
  reg.OpenKey(K + "\\Config\\Sort", true);
  reg.WriteInteger("Conference", 99);  // no such column: the packet's order
  reg.WriteInteger("Out Box", -2);

  test::TRecordingPrompts prompts;
  TMainSettings s = LoadSettings(reg, prompts, ProgramFolder(), 0);
  EXPECT_TRUE(prompts.boxes.empty());  // another version: no first-run box
  EXPECT_EQ(s.QuickViewerHeight, 100);
  EXPECT_TRUE(s.Toolbar);
  EXPECT_TRUE(s.Signature.empty());
  EXPECT_EQ(s.ViewerFont.Name, "Sans");
  EXPECT_EQ(s.ViewerFont.Size, 10);
  EXPECT_EQ(s.EditorFont.Size, 14);
  EXPECT_EQ(s.SortOrders[0], 0);
  EXPECT_EQ(s.SortOrders[1], -2);
}

TEST(Settings, IniPlacementsDefaultAndRoundTrip) {
  TIniFile ini(ProgramFolder() + kIniFileName);
  TIniPlacement p = ReadIniPlacement(ini, "Viewer", true);
  EXPECT_EQ(p.Placement, (TWindowPlacement{60, 50, 545, 379, TWindowState::wsNormal}));
  p.Placement = {1, 2, 3, 4, TWindowState::wsMaximized};
  p.Statusline = false;
  ASSERT_TRUE(WriteIniPlacement(ini, "Viewer", p, true));
  TIniFile back(ProgramFolder() + kIniFileName);
  TIniPlacement q = ReadIniPlacement(back, "viewer", true);
  EXPECT_EQ(q.Placement, p.Placement);
  EXPECT_FALSE(q.Statusline);
  EXPECT_EQ(back.ReadSection("Viewer"),
            (std::vector<std::string>{"Left", "Top", "Height", "Width", "WindowState", "Toolbar", "Statusline"}));
}

#include "explorer/options.h"

TEST(Options, ColumnListMovesEntriesAndRepairsBadOrders) {
  const int32_t start[4] = {0, 1, 2, 3};
  TColumnList list(start);
  EXPECT_EQ(list.Entries(), (std::vector<std::string>{"0Date", "1From", "2To", "3Subject"}));
  EXPECT_EQ(list.Display(3), "Subject");
  int sel = 3;
  for (int i = 0; i < 5; ++i) sel = list.MoveUp(sel);  // to the top and no further
  EXPECT_EQ(sel, 0);
  EXPECT_EQ(list.MoveDown(3), 3);
  int32_t order[4];
  list.Order(order);
  EXPECT_EQ(std::vector<int32_t>(order, order + 4), (std::vector<int32_t>{3, 0, 1, 2}));
  EXPECT_EQ(list.HeaderSections()[0], "Subject                ");

  const int32_t bad[4] = {2, 2, 9, -1};
  TColumnList repaired(bad);
  repaired.Order(order);
  EXPECT_EQ(std::vector<int32_t>(order, order + 4), (std::vector<int32_t>{2, 0, 1, 3}));
}

TEST(Options, FolderEditsAreCorrectedToTheProgramFolder) {
  std::string dir = test::NewTempDir();
  EXPECT_EQ(CorrectFolderEdit(dir, "/prog/"), dir);
  EXPECT_EQ(CorrectFolderEdit(dir + "missing", "/prog/"), "/prog");
  EXPECT_EQ(CorrectFolderEdit("/", "/prog/"), "/prog");
  EXPECT_EQ(BrowsedFolderText("/a/b/"), "/a/b");
  EXPECT_EQ(BrowsedFolderText("/"), "/");
}

#include "explorer/properties.h"

TEST(Properties, PathShorteningKeepsTheHeadAndTheLastFoldersThatFit) {
  auto chars = [](const std::string& s) { return static_cast<int>(s.size()); };
  EXPECT_EQ(ShortenPath("/home/me/po", 20, chars), "/home/me/po");
  EXPECT_EQ(ShortenPath("/home/someone/very/long/folder/names/KORRIN", 24, chars), "/.../folder/names/KORRIN");
  EXPECT_EQ(ShortenPath("/ab/cdefghijklmnopqrstuvwxyz", 10, chars), "/.../cdefghijklmnopqrstuvwxyz");
  EXPECT_EQ(ShortenPath("C:/one/two/three", 12, chars), "C:/.../three");
}

// Windows open at a size that suits the screen when nothing is stored, and a
// stored placement is moved onto a screen that exists now.
TEST(WindowPlacement, FitsTheScreensOfToday) {
  const std::vector<TScreenArea> big{{0, 0, 1920, 1040}};
  TWindowPlacement p = PlaceOnScreens(nullptr, big, 580, 411, 2.0 / 3);
  EXPECT_EQ(p.Width, 1280);
  EXPECT_EQ(p.Height, 693);
  EXPECT_EQ(p.Left, 320);
  EXPECT_EQ(p.Top, 173);
  // A small screen: never below the design size unless the screen is smaller still.
  p = PlaceOnScreens(nullptr, {{0, 0, 800, 380}}, 580, 411, 2.0 / 3);
  EXPECT_EQ(p.Width, 580);
  EXPECT_EQ(p.Height, 380);

  // Stored on a second monitor that is gone: moved onto the first, size kept.
  TWindowPlacement stored{2500, 300, 700, 500, TWindowState::wsMaximized};
  p = PlaceOnScreens(&stored, big, 580, 411, 2.0 / 3);
  EXPECT_EQ(p.Left, 1920 - 700);
  EXPECT_EQ(p.Top, 300);
  EXPECT_EQ(p.Width, 700);
  EXPECT_EQ(p.WindowState, TWindowState::wsMaximized);
  // Partly off the screen it mostly lies on (a scale factor of 2): pulled in and cut to it.
  const std::vector<TScreenArea> two{{0, 0, 960, 520}, {960, 0, 960, 520}};
  stored = {1500, 200, 1200, 900, TWindowState::wsNormal};
  p = PlaceOnScreens(&stored, two, 580, 411, 2.0 / 3);
  EXPECT_EQ(p.Left, 960);
  EXPECT_EQ(p.Top, 0);
  EXPECT_EQ(p.Width, 960);
  EXPECT_EQ(p.Height, 520);
  // Where it fits, it stays.
  stored = {100, 100, 500, 300, TWindowState::wsNormal};
  EXPECT_EQ(PlaceOnScreens(&stored, big, 580, 411, 2.0 / 3), stored);
}
