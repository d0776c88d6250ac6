// The installer's archive work: the message table, the progress counters,
// listing and extracting through the unpacking plugin.

#include <filesystem>
#include <set>

#include <gtest/gtest.h>

#include "installer/setup_controller.h"
#include "installer/setup_zip.h"
#include "installer/uninstall_record.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "support/recording_prompts.h"
#include "support/test_env.h"
#include "installer_test_helpers.h"

using namespace korrin;
namespace fs = std::filesystem;

TEST(InstallerZip, ErrorTable) {
  test::TRecordingPrompts prompts;
  const std::string name = "Korrin offline mail reader";
  for (int quiet : {-5, 0, 10, 30, 140}) EXPECT_FALSE(ReportArchiveResult(quiet, kExtractingText, name, prompts));
  EXPECT_TRUE(prompts.boxes.empty());

  // The rows that differ in kind, in the operation's place or in the library's name.
  struct {
    int code;
    TBoxKind kind;
    std::string text;
  } table[] = {
      {40, TBoxKind::bkInformation, "Some files were skipped while extracting ."},
      {100, TBoxKind::bkError, "Could not find required file \"TAMWIZ.LIB\" for Korrin offline mail reader setup."},
      {160, TBoxKind::bkError, "Required file \"TAMWIZ.lib is corrupted."},
      {190, TBoxKind::bkInformation, "The extracting  operation was aborted."},
      {240, TBoxKind::bkError,
       "The libxcdunzip.so file could not be found.\r\n\r\nSetup requires this file to be in the same directory"},
      {400, TBoxKind::bkError, "Could not access a required file while extracting  the specified files."},
      {20, TBoxKind::bkError, "An unknown error occured while extracting  the specified files."},
  };
  for (const auto& row : table) {
    prompts.boxes.clear();
    EXPECT_TRUE(ReportArchiveResult(row.code, kExtractingText, name, prompts)) << row.code;
    ASSERT_EQ(prompts.boxes.size(), 1u) << row.code;
    EXPECT_EQ(prompts.boxes[0].text, row.text);
    EXPECT_EQ(prompts.boxes[0].kind, row.kind) << row.code;
    EXPECT_EQ(prompts.boxes[0].buttons, TBoxButtons::bbOk);
  }
  prompts.boxes.clear();
  ReportArchiveResult(150, kPreparingText, name, prompts);
  EXPECT_EQ(prompts.Texts(), std::vector<std::string>{"Disk full while Preparing to run setup."});
}

namespace {

TXcdFileStats Stats(const std::string& name, int64_t size, int64_t processed, int percent) {
  TXcdFileStats s;
  s.FileName = name;
  s.Size = size;
  s.BytesProcessed = processed;
  s.Percent = percent;
  return s;
}

}  // namespace

TEST(InstallerZip, ProgressCountsEachFileOnce) {
  TInstallProgress p;
  std::vector<TProgressFigures> shown;
  p.XZListing(Stats("a.txt", 100, 0, 0));  // not listing: ignored
  p.BeginListing();
  p.XZListing(Stats("a.txt", 100, 0, 0));
  p.XZListing(Stats("b.txt", 100, 0, 0));
  p.EndListing();
  EXPECT_EQ(p.TotalSize(), 200);
  EXPECT_EQ(p.FileCount(), 2);

  p.SetDestination(test::TestRoot());
  p.SetOnProgress([&](const TProgressFigures& f) { shown.push_back(f); });
  p.XZExtracting(Stats("docs/a.txt", 100, 0, 0));
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].FileText, "Installing \"a.txt\".");
  EXPECT_EQ(shown[0].FilePercent, 0);
  EXPECT_EQ(shown[0].OverallPercent, 0);
  EXPECT_GT(shown[0].DiskPercent, 0);
  p.XZStatus(Stats("a.txt", 100, 50, 50));
  p.XZStatus(Stats("a.txt", 100, 100, 100));
  EXPECT_EQ(p.CompletedBytes(), 0);
  EXPECT_EQ(shown.back().OverallPercent, 50);
  p.XZStatus(Stats("b.txt", 100, 10, 10));
  EXPECT_EQ(p.CompletedBytes(), 100);
  EXPECT_EQ(p.DoneBytes(), 110);
  EXPECT_EQ(shown.back().OverallPercent, 55);
  EXPECT_EQ(shown.back().FilePercent, 10);

  // A package of 0 bytes shows 0% throughout.
  TInstallProgress empty;
  empty.BeginListing();
  empty.XZListing(Stats("empty", 0, 0, 0));
  empty.EndListing();
  std::set<int> overall;
  empty.SetOnProgress([&](const TProgressFigures& f) { overall.insert(f.OverallPercent); });
  empty.XZExtracting(Stats("empty", 0, 0, 0));
  empty.XZStatus(Stats("empty", 0, 0, 100));
  EXPECT_EQ(overall, std::set<int>{0});
}

class InstallerExtract : public ::testing::Test {
protected:
  void SetUp() override {
    setupDir = test::NewTempDir("setup");
    dest = test::NewTempDir("dest");
    zip.XZ().SetPluginFolder(test::BinDir());
  }
  std::string setupDir, dest;
  test::TRecordingPrompts prompts;
  TSetupZip zip;
};

TEST_F(InstallerExtract, ListsAndExtractsTheLists) {
  test::MakeZip(setupDir + "INSTALL.LIB",
                "z.writestr('bin/korrin', 'r' * 3000)\nz.writestr('korrin.ini', '[Main]\\n')\n"
                "z.writestr('extra.txt', 'e' * 20)\nz.writestr('TAMUNWIZ.EXE', 'u' * 10)\n");
  ASSERT_TRUE(zip.ListInstallLib(setupDir, prompts));
  EXPECT_EQ(zip.Progress().TotalSize(), 3000 + 7 + 20 + 10);
  EXPECT_EQ(zip.Progress().FileCount(), 4);
  EXPECT_FALSE(zip.Progress().Listing());

  std::vector<std::string> files;
  zip.XZ().SetOnExtracting([&](const TXcdFileStats& s) { files.push_back(s.FileName); });
  EXPECT_EQ(zip.ExtractFileGroup({"korrin,Korrin", "korrin.ini"}, dest, setupDir), 0);
  EXPECT_EQ(files, (std::vector<std::string>{"bin/korrin", "korrin.ini"}));
  EXPECT_EQ(test::ReadFile(dest + "korrin"), std::string(3000, 'r'));  // stored folders dropped
  EXPECT_FALSE(fs::exists(dest + "extra.txt"));
  EXPECT_TRUE(zip.XZ().FilesToProcess().empty());

  // Again over it: the program is replaced, the settings the user changed stay.
  test::WriteFile(dest + "korrin", "old");
  test::WriteFile(dest + "korrin.ini", "[Main]\nTop=5\n");
  EXPECT_EQ(zip.ExtractFileGroup({"korrin,Korrin", "korrin.ini"}, dest, setupDir), 0);
  EXPECT_EQ(test::ReadFile(dest + "korrin"), std::string(3000, 'r'));
  EXPECT_EQ(test::ReadFile(dest + "korrin.ini"), "[Main]\nTop=5\n");
  // Only such a file to extract: nothing is called (an empty pattern list would mean every file).
  EXPECT_EQ(zip.ExtractFileGroup({"korrin.ini"}, dest, setupDir), 0);
  EXPECT_FALSE(fs::exists(dest + "extra.txt"));
  EXPECT_EQ(zip.ExtractFileGroup({}, dest, setupDir), 0);
}

TEST_F(InstallerExtract, MissingArchivesAndPlugin) {
  EXPECT_FALSE(zip.ListInstallLib(setupDir, prompts));
  EXPECT_EQ(prompts.Texts(), std::vector<std::string>{"Required installation file INSTALL.LIB not found"});

  // No "setup.lib": nothing happens.
  prompts.boxes.clear();
  zip.Prepare(setupDir, dest, "Korrin", prompts);
  EXPECT_TRUE(prompts.boxes.empty());

  // Without the plugin: code 240 while preparing; listing fails with its own text only.
  test::MakeZip(setupDir + "setup.lib", "z.writestr('logo.svg', '<svg/>')\n");
  test::MakeZip(setupDir + "install.lib", "z.writestr('korrin', 'r')\n");
  TSetupZip bare;
  bare.XZ().SetPluginFolder(test::NewTempDir("noplugins"));
  bare.Prepare(setupDir, dest, "Korrin", prompts);
  EXPECT_EQ(prompts.Texts(), std::vector<std::string>{
                                 "The libxcdunzip.so file could not be found.\r\n\r\nSetup requires this file to "
                                 "be in the same directory"});
  prompts.boxes.clear();
  EXPECT_FALSE(bare.ListInstallLib(setupDir, prompts));
  EXPECT_EQ(prompts.Texts(), std::vector<std::string>{"A Error occurred while reading INSTALL.LIB"});

  // With it, "setup.lib" lands in the work folder.
  prompts.boxes.clear();
  zip.Prepare(setupDir, dest, "Korrin", prompts);
  EXPECT_TRUE(prompts.boxes.empty());
  EXPECT_EQ(test::ReadFile(dest + "logo.svg"), "<svg/>");
}

TEST_F(InstallerExtract, HarmfulPackageStaysInTheDestinationAndFails) {
  test::MakeZip(setupDir + "install.lib",
                "z.writestr('../escaped', 'x')\nz.writestr('/abs', 'x')\nz.writestr('korrin', 'program')\n"
                "link = zipfile.ZipInfo('korrin.ini')\nlink.external_attr = (stat.S_IFLNK | 0o777) << 16\n"
                "z.writestr(link, '/etc/passwd')\n");
  std::string base = test::NewTempDir("base");
  TSetupController setup(prompts);
  TSetupState& s = setup.State();
  setup.Zip().XZ().SetPluginFolder(test::BinDir());
  s.SetupFolder = ExcludeTrailingBackslash(setupDir);
  s.Destination = base + "dest";
  s.WindowsFolder = ExcludeTrailingBackslash(test::NewTempDir("win"));
  s.InstallFiles = {"*"};
  ASSERT_TRUE(setup.ListPackage());
  ASSERT_EQ(setup.CheckDestination(), TDestinationCheck::dcOk);
  EXPECT_FALSE(setup.InstallFiles());
  setup.EndInstalling(false);
  EXPECT_EQ(prompts.Texts(), std::vector<std::string>{"Some files were skipped while extracting ."});
  std::set<std::string> below;
  for (auto& e : fs::recursive_directory_iterator(base)) below.insert(e.path().lexically_relative(base).string());
  EXPECT_EQ(below, (std::set<std::string>{"dest", "dest/korrin", "dest/unwizard.inf"}));
  EXPECT_FALSE(fs::exists("/abs"));
  // The entry was written all the same (on its own thread): the files there can be uninstalled.
  TRegistry reg;
  EXPECT_TRUE(reg.KeyExists(std::string(kUninstallKey) + s.ProductName));
}
