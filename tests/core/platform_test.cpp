#include <unistd.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "platform/codepage.h"
#include "platform/paths.h"
#include "platform/random.h"
#include "platform/shell.h"
#include "platform/text.h"
#include "support/recording_prompts.h"
#include "support/test_env.h"

using namespace korrin;
namespace fs = std::filesystem;

TEST(Text, NameCaseAndTextCase) {
  EXPECT_EQ(NormalizeNameCase("JOHN SMITH"), "John Smith");
  EXPECT_EQ(NormalizeNameCase("john  o'neil"), "John  O'neil");
  EXPECT_EQ(NormalizeNameCase("John.Smith@Example.ORG"), "john.smith@example.org");
  EXPECT_EQ(NormalizeNameCase("DR. WHO"), "dr. who");
  EXPECT_EQ(NormalizeNameCase("\x8E" "RGER \x99L"), "\x84rger \x94l");  // accented letters lower, never capitalised
  EXPECT_EQ(NormalizeNameCase(""), "");
  EXPECT_EQ(ApplyTextCase(TTextCase::tcUpperCase, "abc \x81"), "ABC \x9A");
  EXPECT_EQ(ApplyTextCase(TTextCase::tcLowerCase, "ABC"), "abc");
  EXPECT_EQ(ApplyTextCase(TTextCase::tcAsIs, "AbC"), "AbC");
  EXPECT_EQ(ApplyTextCase(TTextCase::tcProperName, "SYSOP"), "Sysop");
  EXPECT_TRUE(SameText("Control.DAT", "control.dat"));
  EXPECT_FALSE(SameText("control.dat", "control.da"));
}

TEST(Text, SizeText) {
  EXPECT_EQ(SizeText("0"), "0 bytes");
  EXPECT_EQ(SizeText("1024"), "1024 bytes");
  EXPECT_EQ(SizeText("1025"), "1.0 k");
  EXPECT_EQ(SizeText("1536"), "1.5 k");
  EXPECT_EQ(SizeText("3145728"), "3.0 meg");
  EXPECT_EQ(SizeText("12abc"), "12abc");
  EXPECT_EQ(SizeText(""), "");
}

TEST(Text, ParseInt) {
  EXPECT_EQ(ParseInt(" 42 "), 42);
  EXPECT_EQ(ParseInt("-3"), -3);
  EXPECT_FALSE(ParseInt("4 2"));
  EXPECT_FALSE(ParseInt("x"));
  EXPECT_FALSE(ParseInt("-"));
  EXPECT_FALSE(ParseInt("99999999999999999999999"));
  EXPECT_EQ(StrToIntDef("nope", 7), 7);
}

TEST(CodePage, RoundTripsAndReplacesVisibly) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  EXPECT_EQ(Utf8ToCp437(Cp437ToUtf8(all)), all);
  EXPECT_EQ(Cp437ToUtf8("\x82t\xE3"), "\xC3\xA9t\xCF\x80");  // é t π
  std::string replaced;
  EXPECT_EQ(Utf8ToCp437("a\xE2\x82\xAC" "b\xE2\x82\xAC\xF0\x9F\x98\x80", '?', &replaced), "a?b??");
  EXPECT_EQ(replaced, "\xE2\x82\xAC\xF0\x9F\x98\x80");
  // Malformed and truncated sequences never read past the end.
  EXPECT_EQ(Utf8ToCp437("\xC3"), "?");
  EXPECT_EQ(Utf8ToCp437("\xE2\x82"), "??");
  EXPECT_EQ(Utf8ToCp437("\xC0\xAF"), "?");  // overlong form of "/"
}

TEST(Paths, TrailingSeparatorsAndUsableFolders) {
  EXPECT_EQ(IncludeTrailingBackslash(""), "");
  EXPECT_EQ(IncludeTrailingBackslash("/a"), "/a/");
  EXPECT_EQ(IncludeTrailingBackslash("/a/"), "/a/");
  EXPECT_EQ(ExcludeTrailingBackslash("/a/"), "/a");
  EXPECT_EQ(ExcludeTrailingBackslash("/"), "/");
  EXPECT_FALSE(DirectoryUsable("/"));
  EXPECT_TRUE(DirectoryUsable(test::TestRoot()));
  EXPECT_FALSE(DirectoryUsable(test::TestRoot() + "missing"));
  EXPECT_EQ(ExtractFileName("/a/b/c.txt"), "c.txt");
  EXPECT_EQ(ExtractFilePath("/a/b/c.txt"), "/a/b/");
  EXPECT_EQ(ExtractFileExt("/a.b/c.txt"), ".txt");
  EXPECT_EQ(ExtractFileExt("/a.b/c"), "");
  EXPECT_EQ(ChangeFileExt("/a.b/c.txt", ".msg"), "/a.b/c.msg");
}

TEST(Paths, ForceDirectoriesReportsFailure) {
  test::TRecordingPrompts prompts;
  std::string deep = test::TestRoot() + "x/y/z";
  EXPECT_TRUE(ForceDirectories(deep, prompts));
  EXPECT_TRUE(fs::is_directory(deep));
  test::WriteFile(test::TestRoot() + "file", "x");
  std::string bad = test::TestRoot() + "file/sub";
  EXPECT_FALSE(ForceDirectories(bad, prompts));
  EXPECT_EQ(prompts.Texts(), std::vector<std::string>{"Could not create directory " + bad});
}

TEST(Paths, FindsFilesWhateverTheirCase) {
  std::string dir = test::NewTempDir();
  test::WriteFile(dir + "CONTROL.DAT", "x");
  test::WriteFile(dir + "messages.dat", "y");
  EXPECT_EQ(FindFileNoCase(dir, "control.dat"), dir + "CONTROL.DAT");
  EXPECT_EQ(FindFileNoCase(dir, "Messages.DAT"), dir + "messages.dat");
  EXPECT_FALSE(FindFileNoCase(dir, "door.id"));
  EXPECT_FALSE(FindFileNoCase(dir + "nowhere", "x"));
  EXPECT_EQ(PathNoCase(dir, "Door.ID"), dir + "Door.ID");

  // The folder's listing is shared by lookups and follows every change,
  // also one made right after a lookup.
  test::WriteFile(dir + "DOOR.ID", "z");
  EXPECT_EQ(FindFileNoCase(dir, "door.id"), dir + "DOOR.ID");
  fs::rename(dir + "DOOR.ID", dir + "Door.Id");
  EXPECT_EQ(FindFileNoCase(dir, "door.id"), dir + "Door.Id");
  fs::remove(dir + "Door.Id");
  EXPECT_FALSE(FindFileNoCase(dir, "door.id"));
  ::usleep(50000);
  EXPECT_FALSE(FindFileNoCase(dir, "door.id"));
  test::WriteFile(dir + "DOOR.ID", "z");
  EXPECT_EQ(FindFileNoCase(dir, "door.id"), dir + "DOOR.ID");
}

TEST(Paths, ProgramFolderFollowsTheEnvironment) {
  EXPECT_EQ(ProgramFolder(), test::TestRoot() + "home/");
  EXPECT_EQ(TempFolder(), test::TestRoot() + "tmp/");
  EXPECT_EQ(ProgramsFolder(), test::TestRoot() + "programs/");
  ::unsetenv("KORRIN_HOME");
  EXPECT_EQ(ProgramFolder(), test::TestRoot() + "data/korrin/");
}

// Built programs keep plugins and pages beside them; installed ones find
// them under their prefix. The first folder that holds the file wins, and a
// folder of that name (or a dangling link) does not count as the file.
TEST(Paths, InstalledFilesBesideTheProgramOrUnderItsPrefix) {
  const std::string prefix = test::NewTempDir("prefix");
  const std::string bin = prefix + "bin/";
  fs::create_directories(bin);
  const std::initializer_list<const char*> places{"", "../lib/korrin"};
  EXPECT_EQ(FolderHolding(bin, places, "libxcdunzip.so"), std::nullopt);

  test::WriteFile(prefix + "lib/korrin/libxcdunzip.so", "x");
  EXPECT_EQ(FolderHolding(bin, places, "libxcdunzip.so"), prefix + "lib/korrin/");
  EXPECT_EQ(FolderHolding(bin.substr(0, bin.size() - 1), places, "libxcdunzip.so"), prefix + "lib/korrin/");

  test::WriteFile(bin + "libxcdunzip.so", "x");
  EXPECT_EQ(FolderHolding(bin, places, "libxcdunzip.so"), bin);

  fs::create_directories(bin + "libxcdzip.so");
  fs::create_symlink(prefix + "missing", prefix + "lib/korrin/libxcdzip.so");
  EXPECT_EQ(FolderHolding(bin, places, "libxcdzip.so"), std::nullopt);
}

TEST(Paths, UniqueFoldersAndAtomicWrites) {
  std::string parent = test::NewTempDir();
  auto a = CreateUniqueFolder(parent);
  auto b = CreateUniqueFolder(parent);
  ASSERT_TRUE(a && b);
  EXPECT_NE(*a, *b);
  EXPECT_EQ(ExtractFileName(ExcludeTrailingBackslash(*a)).size(), 8u);
  EXPECT_TRUE(WriteFileAtomic(parent + "f", "one"));
  EXPECT_TRUE(WriteFileAtomic(parent + "f", "two"));
  EXPECT_EQ(test::ReadFile(parent + "f"), "two");
  EXPECT_FALSE(WriteFileAtomic(parent + "missing/f", "x"));
  EXPECT_EQ(std::distance(fs::directory_iterator(parent), fs::directory_iterator()), 3);
}

TEST(Random, NamesHaveTheirFormAndBoxNamesAreFree) {
  auto checkPairs = [](const std::string& s) {
    for (size_t i = 0; i < s.size(); i += 2) {
      EXPECT_TRUE(s[i] >= 'a' && s[i] <= 'y') << s;
      EXPECT_TRUE(s[i + 1] >= '0' && s[i + 1] <= '8') << s;
    }
  };
  checkPairs(RandomName8());
  EXPECT_EQ(RandomName8().size(), 8u);
  EXPECT_EQ(NewEntryKey().size(), 16u);
  checkPairs(NewEntryKey());

  // The same seed draws the same name; a box name already taken is drawn again.
  std::string dir = test::NewTempDir();
  RandomSeed(99);
  std::string first = RandomBoxFileName(dir);
  test::WriteFile(dir + first, "taken");
  RandomSeed(99);
  std::string second = RandomBoxFileName(dir);
  EXPECT_NE(first, second);
  EXPECT_EQ(second.substr(8), ".qms");
  checkPairs(second.substr(0, 8));
}

TEST(Shell, ErrorTextsAndMissingFiles) {
  EXPECT_EQ(ShellErrorText(42), "");
  EXPECT_EQ(ShellErrorText(2), "File was not found.");
  EXPECT_EQ(ShellErrorText(31), "An error occured while trying to execute the application.");
  TPosixShell shell;
  EXPECT_EQ(shell.OpenDocument(test::TestRoot() + "nothing.txt"), kShellFileNotFound);
  EXPECT_EQ(shell.StartProgram(test::TestRoot() + "no-program", {}), kShellFileNotFound);
  EXPECT_GT(shell.StartProgram("true", {}), 32);
}
