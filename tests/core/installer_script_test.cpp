// The setup script, the group folder list and the texts of the pages.

#include <sys/stat.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "installer/setup_script.h"
#include "installer/setup_text.h"
#include "support/recording_prompts.h"
#include "support/test_env.h"

using namespace korrin;
namespace fs = std::filesystem;

TEST(InstallerScript, ReadsSectionsFlagsAndLists) {
  std::string dir = test::NewTempDir("setup");
  test::WriteFile(dir + "SETUP.INF",
                  "[boot]\r\nLicense=0x1\r\nReadMe=yes\r\nSplash=12\r\nLogo=0x0\r\nBackground=0x1g\r\n"
                  "[Product]\r\nname=Korrin\r\nVersion=2.0\r\nMainEXE=korrin\r\nProgGroup=Korrin\r\n"
                  "[Bitmaps]\r\nSplash=splash.svg\r\n[TextFiles]\r\nLicense=license.txt\r\n"
                  "[InstallFiles]\r\nFile0=korrin,Korrin reader\r\nFile1=korrin.ini\r\nFile3=lost\r\n"
                  "[WindowsFiles]\r\nFile0=TAMUNWIZ.EXE\r\nFile1=\r\nFile2=after-empty\r\n"
                  "[LocalKey]\r\nKey0=a\r\n");
  test::TRecordingPrompts prompts;
  TSetupState s;
  ASSERT_TRUE(ReadSetupScript(s, dir, prompts));
  EXPECT_TRUE(prompts.boxes.empty());
  EXPECT_TRUE(s.License);
  EXPECT_FALSE(s.ReadMe);      // no number
  EXPECT_TRUE(s.Splash);       // decimal
  EXPECT_FALSE(s.Logo);        // zero in hexadecimal
  EXPECT_FALSE(s.Background);  // not wholly a number
  EXPECT_EQ(s.ProductName, "Korrin");
  EXPECT_EQ(s.Vendor, "");  // missing keys read empty
  EXPECT_EQ(s.SplashBitmap, "splash.svg");
  EXPECT_EQ(s.LicenseText, "license.txt");
  EXPECT_EQ(s.InstallFiles, (std::vector<std::string>{"korrin,Korrin reader", "korrin.ini"}));
  EXPECT_EQ(s.WindowsFiles, std::vector<std::string>{"TAMUNWIZ.EXE"});
  EXPECT_TRUE(s.SystemFiles.empty());
  EXPECT_EQ(s.LocalKeys, std::vector<std::string>{"a"});

  // At most 31 entries are read.
  std::string many = "[InstallFiles]\n";
  for (int i = 0; i < 40; ++i) many += "File" + std::to_string(i) + "=f" + std::to_string(i) + "\n";
  test::WriteFile(dir + "SETUP.INF", many);
  ASSERT_TRUE(ReadSetupScript(s, dir, prompts));
  ASSERT_EQ(s.InstallFiles.size(), 31u);
  EXPECT_EQ(s.InstallFiles.back(), "f30");
  EXPECT_EQ(s.ProductName, "");  // read again: now missing
}

TEST(InstallerScript, MissingScriptKeepsTheValues) {
  test::TRecordingPrompts prompts;
  TSetupState s;
  EXPECT_FALSE(ReadSetupScript(s, test::NewTempDir("empty"), prompts));
  EXPECT_EQ(prompts.Texts(), std::vector<std::string>{"Required file \"setup.inf\" not found"});
  EXPECT_EQ(prompts.boxes[0].kind, TBoxKind::bkError);
  EXPECT_EQ(s.ProductName, "Korrin offline mail reader");
  EXPECT_EQ(s.Version, "1.0");
  EXPECT_EQ(s.TotalSize, 1);
}

TEST(InstallerScript, FlagsAndEntryFields) {
  EXPECT_TRUE(ParseScriptFlag("0x1"));
  EXPECT_TRUE(ParseScriptFlag("0XfF"));
  EXPECT_TRUE(ParseScriptFlag(" -1 "));
  EXPECT_TRUE(ParseScriptFlag("99999999999999999999"));
  for (const char* off : {"", "0", "0x", "0x0", "yes", "1.5", "0x1g", "--1"}) EXPECT_FALSE(ParseScriptFlag(off)) << off;

  TEntryFields f = SplitEntry("korrin,Korrin reader,x,y");
  EXPECT_EQ(f.Name, "korrin");
  EXPECT_EQ(f.Shortcut, "Korrin reader");
  EXPECT_EQ(f.Rest, "x,y");
  f = SplitEntry("korrin.hlp");
  EXPECT_EQ(f.Name, "korrin.hlp");
  EXPECT_EQ(f.Shortcut, "");
  f = SplitEntry("a,,c");
  EXPECT_EQ(f.Shortcut, "");
  EXPECT_EQ(f.Rest, "c");
}

TEST(InstallerScript, GroupFoldersDepthFirstSubfoldersFirst) {
  std::string programs = test::NewTempDir("programs");
  for (const char* d : {"Zeta", "alpha/Games/Cards", "alpha/beta", ".hidden/inner", "alpha/.cache"})
    fs::create_directories(programs + d);
  test::WriteFile(programs + "alpha/file.desktop", "x");
  fs::create_directory_symlink(programs + "alpha", programs + "loop");  // not followed
  EXPECT_EQ(ListGroupFolders(programs, "Korrin"),
            (std::vector<std::string>{"alpha/beta", "alpha/Games/Cards", "alpha/Games", "alpha", "Zeta", "Korrin"}));
  EXPECT_EQ(ListGroupFolders(programs + "missing", "Korrin"), std::vector<std::string>{"Korrin"});
}

TEST(InstallerText, ShortenPathGroupThousandsAndPercent) {
  EXPECT_EQ(ShortenPath("/opt/korrin"), "/opt/korrin");
  std::string longName(40, 'k');
  EXPECT_EQ(ShortenPath("/" + longName), "/.../" + longName);
  EXPECT_EQ(ShortenPath("/home/someone/programs/mail/Korrin offline mail reader"),
            "/.../mail/Korrin offline mail reader");
  EXPECT_EQ(ShortenPath("/home/someone/applications/mail/korrin/x"), "/.../someone/applications/mail/korrin/x");

  EXPECT_EQ(GroupThousands(0), "0");
  EXPECT_EQ(GroupThousands(1023 / 1024), "0");
  EXPECT_EQ(GroupThousands(999), "999");
  EXPECT_EQ(GroupThousands(1234), "1,234");
  EXPECT_EQ(GroupThousands(123456), "123,456");
  EXPECT_EQ(GroupThousands(1234567), "1,234,567");
  EXPECT_EQ(GroupThousands(1234567890), "1,234,567,890");  // a disk of a terabyte

  EXPECT_EQ(PercentOf(50, 0), 0);
  EXPECT_EQ(PercentOf(1, 3), 33);
  EXPECT_EQ(PercentOf(5, 3), 100);
  EXPECT_EQ(PercentOf(int64_t{1} << 61, int64_t{1} << 62), 50);
  EXPECT_EQ(PercentLabel(7), "7%");
}
