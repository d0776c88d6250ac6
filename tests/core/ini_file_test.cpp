#include "platform/ini_file.h"

#include <gtest/gtest.h>

#include "support/test_env.h"

using namespace korrin;
using korrin::test::ReadFile;
using korrin::test::WriteFile;

TEST(IniFile, ReadsCaseInsensitivelyWithBothLineEnds) {
  std::string dir = test::NewTempDir();
  WriteFile(dir + "a.ini", "; comment\r\n[Viewer]\r\nLeft=60\r\ntop = 50\r\n[MAIN]\nMoveTo=/tmp/x\nlast=\"quoted\"");
  TIniFile ini(dir + "a.ini");
  EXPECT_EQ(ini.ReadInteger("viewer", "LEFT", 0), 60);
  EXPECT_EQ(ini.ReadInteger("Viewer", "Top", 0), 50);
  EXPECT_EQ(ini.ReadString("main", "moveto", ""), "/tmp/x");
  EXPECT_EQ(ini.ReadString("Main", "Last", ""), "quoted");
  EXPECT_EQ(ini.ReadInteger("Viewer", "Width", 545), 545);
  EXPECT_EQ(ini.ReadString("None", "x", "dflt"), "dflt");
  EXPECT_TRUE(ini.SectionExists("VIEWER"));
  EXPECT_EQ(ini.ReadSection("viewer"), (std::vector<std::string>{"Left", "top"}));
  EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"Viewer", "MAIN"}));
}

TEST(IniFile, LongValuesAreCutAt1023Characters) {
  std::string dir = test::NewTempDir();
  WriteFile(dir + "a.ini", "[S]\nk=" + std::string(3000, 'x') + "\n");
  TIniFile ini(dir + "a.ini");
  EXPECT_EQ(ini.ReadString("S", "k", "").size(), 1023u);
}

TEST(IniFile, WritesKeepOtherLinesAndReplaceInPlace) {
  std::string dir = test::NewTempDir();
  WriteFile(dir + "k.ini", "; keep me\r\n[Viewer]\r\nLeft=60\r\n\r\n[Other]\r\nx=1\r\n");
  TIniFile ini(dir + "k.ini");
  EXPECT_TRUE(ini.WriteInteger("VIEWER", "left", 70));
  EXPECT_TRUE(ini.WriteInteger("Viewer", "Top", 5));
  EXPECT_TRUE(ini.WriteString("Editor", "Toolbar", "1"));
  EXPECT_EQ(ReadFile(dir + "k.ini"),
            "; keep me\r\n[Viewer]\r\nLeft=70\r\nTop=5\r\n\r\n[Other]\r\nx=1\r\n[Editor]\r\nToolbar=1\r\n");
  TIniFile again(dir + "k.ini");
  EXPECT_EQ(again.ReadInteger("viewer", "top", 0), 5);
  EXPECT_TRUE(again.DeleteKey("Other", "x"));
  EXPECT_TRUE(again.EraseSection("viewer"));
  EXPECT_EQ(ReadFile(dir + "k.ini"), "; keep me\r\n[Other]\r\n[Editor]\r\nToolbar=1\r\n");
}

TEST(IniFile, MissingFileIsEmptyAndIsCreatedOnWrite) {
  std::string dir = test::NewTempDir();
  TIniFile ini(dir + "sub/new.ini");
  EXPECT_FALSE(ini.SectionExists("Main"));
  EXPECT_TRUE(ini.WriteBool("Main", "Flag", true));
  EXPECT_TRUE(TIniFile(dir + "sub/new.ini").ReadBool("main", "flag", false));
}
