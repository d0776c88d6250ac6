// The uninstall entry, the uninstall script and the shortcuts.

#include <sys/stat.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "installer/uninstall_record.h"
#include "platform/errors.h"
#include "platform/ini_file.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "support/test_env.h"

using namespace korrin;
namespace fs = std::filesystem;

namespace {

TSetupState Installed(const std::string& dest) {
  TSetupState s;
  s.ProductName = "Korrin offline mail reader";
  s.Version = "1.3";
  s.Vendor = "Halvane";
  s.MainEXE = "korrin";
  s.Destination = ExcludeTrailingBackslash(dest);
  s.WindowsFolder = test::TestRoot() + "windows";
  s.ProgramsFolder = test::TestRoot() + "programs";
  s.Group = "Mail/Korrin";
  s.FileCount = 7;
  s.InstallFiles = {"korrin,Korrin $HOME 100%", "korrin.ini", "bin/korrin-tool,Korrin tool,unused"};
  s.WindowsFiles = {"TAMUNWIZ.EXE"};
  return s;
}

}  // namespace

TEST(InstallerRecord, RegistryEntryFindsThePreviousInstallation) {
  std::string dest = test::NewTempDir("Korrin offline mail reader");
  TSetupState s = Installed(dest);
  TRegistry reg;
  WriteUninstallRecord(s, reg);
  ASSERT_TRUE(reg.OpenKey(std::string(kUninstallKey) + "Korrin offline mail reader", false));
  EXPECT_EQ(reg.ReadString("DisplayName"), "Korrin offline mail reader");
  EXPECT_EQ(reg.ReadString("UninstallString"), s.WindowsFolder + "/TAMUNWIZ.EXE " + s.Destination);
  EXPECT_EQ(reg.ReadString("Path"), s.Destination);

  // Found only when the folder holds the main program.
  TSetupState next;
  next.ProductName = s.ProductName;
  next.MainEXE = "bin\\KORRIN";
  EXPECT_FALSE(FindPreviousInstallation(next, reg));
  EXPECT_EQ(next.SetupType, "Installation");
  test::WriteFile(dest + "korrin", "program");
  EXPECT_TRUE(FindPreviousInstallation(next, reg));
  EXPECT_EQ(next.Destination, s.Destination);
  EXPECT_EQ(next.SetupType, "Update");

  // Another display name is another product.
  reg.WriteString("DisplayName", "korrin offline mail reader");
  TSetupState other;
  other.ProductName = s.ProductName;
  other.MainEXE = "korrin";
  EXPECT_FALSE(FindPreviousInstallation(other, reg));
}

TEST(InstallerRecord, ScriptAndShortcutsAndASecondRun) {
  std::string dest = test::NewTempDir("dest dir");
  test::WriteFile(dest + "korrin.svg", "<svg/>");
  TSetupState s = Installed(dest);
  WriteUninstallScript(s);
  std::vector<std::string> links = CreateShortcuts(s);
  const std::string group = s.ProgramsFolder + "/Mail/Korrin/";
  ASSERT_EQ(links, (std::vector<std::string>{group + "Korrin $HOME 100%.desktop", group + "Korrin tool.desktop"}));

  TIniFile ini(dest + "unwizard.inf");
  EXPECT_EQ(ini.ReadString("Product", "Name", "?"), "Korrin offline mail reader");
  EXPECT_EQ(ini.ReadString("Product", "Vendor", "?"), "Halvane");
  EXPECT_EQ(ini.ReadString("Product", "MainEXE", "?"), "korrin");
  EXPECT_EQ(ini.ReadString("Remove", "Destination directory", "?"), s.Destination);
  EXPECT_EQ(ini.ReadString("Remove", "Group Name", "?"), "Mail/Korrin");
  EXPECT_EQ(ini.ReadString("Remove", "File count", "?"), "7");
  EXPECT_EQ(ini.ReadString("Remove", "Link0", "?"), links[0]);
  EXPECT_EQ(ini.ReadString("Remove", "Link1", "?"), links[1]);
  EXPECT_EQ(ini.ReadString("Installfiles", "File2", "?"), "bin/korrin-tool,Korrin tool,unused");
  EXPECT_EQ(ini.ReadString("Windowsfiles", "File0", "?"), "TAMUNWIZ.EXE");
  EXPECT_FALSE(ini.SectionExists("Systemfiles"));

  // The entries start their programs, whatever the names hold.
  std::string reader = test::ReadFile(links[0]);
  EXPECT_NE(reader.find("[Desktop Entry]\nType=Application\nName=Korrin $HOME 100%\n"), std::string::npos);
  EXPECT_NE(reader.find("Icon=" + dest + "korrin.svg\n"), std::string::npos);
  EXPECT_EQ(DesktopEntryProgram(reader), dest + "korrin");
  std::string tool = test::ReadFile(links[1]);
  EXPECT_EQ(DesktopEntryProgram(tool), dest + "korrin-tool");
  EXPECT_NE(tool.find("Icon=application-x-executable\n"), std::string::npos);

  // A second run with one shortcut fewer: new values, the old second link stays listed.
  s.Version = "1.4";
  s.Group = "";
  s.InstallFiles = {"korrin,Korrin"};
  WriteUninstallScript(s);
  ini.Reload();
  EXPECT_EQ(ini.ReadString("Product", "Version", "?"), "1.4");
  EXPECT_EQ(ini.ReadString("Remove", "Group Name", "?"), "");
  EXPECT_EQ(ini.ReadString("Installfiles", "File0", "?"), "korrin,Korrin");
  EXPECT_EQ(ini.ReadString("Remove", "Link1", "?"), links[1]);
}

TEST(InstallerRecord, DesktopExecQuotingRoundTrips) {
  for (std::string program : {"/opt/korrin/korrin", "/a b/c\"d/$x/`y`/back\\slash/100%/new\nline"}) {
    std::string value = DesktopExecValue(program);
    EXPECT_EQ(value.find('\n'), std::string::npos);
    EXPECT_EQ(DesktopEntryProgram("[Desktop Entry]\nExec=" + value + "\n"), program);
  }
  EXPECT_EQ(DesktopExecValue("/a b/100%"), "\"/a b/100%%\"");
  EXPECT_EQ(DesktopExecValue("/a\\b"), "\"/a\\\\\\\\b\"");
  EXPECT_EQ(DesktopEntryProgram("[Other]\nExec=\"/x\"\n"), "");
  EXPECT_EQ(DesktopEntryProgram("[Desktop Entry]\nExec=/x\n"), "");
}

TEST(InstallerRecord, ScriptThatCannotBeWrittenRaises) {
  test::WriteFile(test::TestRoot() + "file", "not a folder");
  TSetupState s = Installed(test::TestRoot() + "file/folder");
  try {
    WriteUninstallScript(s);
    FAIL() << "no error";
  } catch (const EInOutError& e) {
    EXPECT_EQ(std::string(e.what()), "Unable to write to " + s.Destination + "/unwizard.inf");
  }
}
