#include "reading/taglines.h"


#include <filesystem>
#include <map>

#include <gtest/gtest.h>

#include "platform/paths.h"
#include "platform/random.h"
#include "support/test_env.h"

using namespace korrin;

namespace {
using Lines = std::vector<std::string>;

Lines Numbered(int n, const std::string& prefix = "Tagline ") {
  Lines out;
  for (int i = 0; i < n; ++i) out.push_back(prefix + char('A' + i));
  return out;
}
}  // namespace

TEST(Taglines, FileReadAndWrittenWithCrLfThroughATemporaryName) {
  EXPECT_TRUE(LoadTaglineFile(ProgramFolder() + "korrin.tag").empty());  // missing: none
  std::string path = test::WriteFile(ProgramFolder() + "KORRIN.TAG", "one\r\ntwo\n\r\n   \r\nthree\rfour \xFE");
  EXPECT_EQ(TaglineFilePath(), path);  // found whatever its case
  EXPECT_EQ(LoadTaglineFile(path), (Lines{"one", "two", "three", "four \xFE"}));

  ASSERT_TRUE(SaveTaglineFile(path, {"b", "a"}));
  EXPECT_EQ(test::ReadFile(path), "b\r\na\r\n");
  // Only the file itself is left in the folder: the temporary name was renamed.
  int files = 0;
  for (auto& e : std::filesystem::directory_iterator(ProgramFolder())) files += e.path().filename() != "korrin.ini";
  EXPECT_EQ(files, 1);

  // A folder in the way of the file: writing fails and nothing is replaced.
  std::filesystem::create_directory(ProgramFolder() + "blocked.tag");
  EXPECT_FALSE(SaveTaglineFile(ProgramFolder() + "blocked.tag", {"x"}));
  EXPECT_TRUE(std::filesystem::is_directory(ProgramFolder() + "blocked.tag"));
}

TEST(Taglines, ListsStaySortedAndMovesFollowTheDuplicateRule) {
  TTagLineManager man;
  man.Dst().Assign({"zebra", "Apple", "mango"});
  man.Src().Assign({"banana", "APPLE", "cherry", "Date"});
  EXPECT_EQ(man.Dst().Texts(), (Lines{"Apple", "mango", "zebra"}));
  EXPECT_EQ(man.Src().Texts(), (Lines{"APPLE", "banana", "cherry", "Date"}));

  // Nothing selected: include does nothing.
  man.Include();
  EXPECT_EQ(man.Src().Count(), 4u);

  // "APPLE" is already available in another case: it only leaves the source.
  man.Src().SetSelected(0, true);
  man.Src().SetSelected(2, true);
  EXPECT_EQ(TTagLineManager::SelectedText(man.Src()), "2 Selected");
  man.Include();
  EXPECT_EQ(man.Src().Texts(), (Lines{"banana", "Date"}));
  EXPECT_EQ(man.Dst().Texts(), (Lines{"Apple", "cherry", "mango", "zebra"}));
  // The entry now at the first selected position is selected; the moved
  // taglines are selected in the other list.
  EXPECT_TRUE(man.Src().Selected(0));
  EXPECT_EQ(man.Src().SelectedCount(), 1u);
  EXPECT_TRUE(man.Dst().Selected(0) && man.Dst().Selected(1));
  EXPECT_EQ(man.Dst().SelectedCount(), 2u);

  // The last entry moved: the new last one is selected.
  man.Src().ClearSelection();
  man.Src().SetSelected(1, true);
  man.Include();
  EXPECT_EQ(man.Src().Texts(), (Lines{"banana"}));
  EXPECT_TRUE(man.Src().Selected(0));
  man.Include();  // and the list emptied
  EXPECT_TRUE(man.Src().Empty());
  EXPECT_FALSE(man.IncludeEnabled());

  // Exclude the other way, exclude all and include all with duplicates.
  man.Dst().ClearSelection();
  man.Dst().SetSelected(man.Dst().Find("ZEBRA").value(), true);
  man.Exclude();
  EXPECT_EQ(man.Src().Texts(), (Lines{"zebra"}));
  man.Src().Add("MANGO");
  man.IncludeAll();
  EXPECT_TRUE(man.Src().Empty());
  EXPECT_EQ(man.Dst().Texts(), (Lines{"Apple", "banana", "cherry", "Date", "mango", "zebra"}));
  man.Src().Add("apple");
  man.ExcludeAll();
  EXPECT_TRUE(man.Dst().Empty());
  EXPECT_FALSE(man.ExcludeEnabled());
  EXPECT_EQ(man.Src().Count(), 6u);  // "apple" was there already
}

TEST(Taglines, NewEditDeleteAndTheTenTaglineRule) {
  TTagLineManager man;
  man.Load();  // no file: both lists empty
  EXPECT_TRUE(man.Dst().Empty());
  EXPECT_FALSE(man.AddNew("   ").has_value());
  for (const auto& t : Numbered(9)) man.AddNew(t);
  EXPECT_EQ(*man.AddNew("tagline c"), 2u);  // already there: selected, not added
  EXPECT_EQ(man.Dst().Count(), 9u);
  EXPECT_TRUE(man.Dst().Selected(2));
  EXPECT_FALSE(man.CanAccept());
  size_t at = *man.AddNew(std::string(80, 'x'));  // length is not limited
  EXPECT_EQ(man.Dst().Text(at).size(), 80u);
  ASSERT_TRUE(man.CanAccept());  // exactly 10

  // Editing keeps the order and selects the edited entry; an edit to a text
  // that another entry holds leaves one of them.
  size_t e = *man.EditEntry(man.Dst(), 0, "Zulu");
  EXPECT_EQ(man.Dst().Text(e), "Zulu");
  EXPECT_EQ(e, man.Dst().Count() - 1);
  EXPECT_EQ(man.Dst().SelectedCount(), 1u);
  EXPECT_EQ(*man.EditEntry(man.Dst(), 0, ""), 0u);  // blank: unchanged
  man.EditEntry(man.Dst(), 0, "ZULU");
  EXPECT_EQ(man.Dst().Count(), 9u);
  EXPECT_FALSE(man.CanAccept());
  man.AddNew("Alpha");

  ASSERT_TRUE(man.SaveAvailable());
  Lines written = LoadTaglineFile(TaglineFilePath());
  EXPECT_EQ(written, man.Dst().Texts());
  EXPECT_TRUE(std::is_sorted(written.begin(), written.end(),
                             [](const std::string& a, const std::string& b) { return TaglineLess(a, b); }));

  man.Dst().ClearSelection();
  man.Dst().SetSelected(0, true);
  man.Dst().SetSelected(3, true);
  man.DeleteSelected();
  EXPECT_EQ(man.Dst().Count(), 8u);

  // A new manager starts from the file.
  TTagLineManager again;
  again.Load();
  EXPECT_EQ(again.Dst().Texts(), written);
}

TEST(Taglines, OpenAndSaveSourceFilesButNeverTheOwnFile) {
  std::string own = ProgramFolder() + "korrin.tag";
  SaveTaglineFile(own, {"own one", "own two"});
  std::string other = test::WriteFile(test::NewTempDir("tags") + "FUNNY.TAG", "b\r\na\r\n");
  TTagLineManager man;
  man.Load();
  EXPECT_TRUE(man.OpenSource(other));
  EXPECT_EQ(man.Src().Texts(), (Lines{"a", "b"}));
  // The own file under another spelling of its path or case loads nothing.
  EXPECT_FALSE(man.OpenSource(ProgramFolder() + "./KORRIN.TAG"));
  EXPECT_FALSE(man.OpenSource(ProgramFolder() + "no-such.tag"));
  EXPECT_EQ(man.Src().Texts(), (Lines{"a", "b"}));

  // Fewer than ten: nothing is written.
  std::string target = test::NewTempDir("out") + "saved.tag";
  EXPECT_FALSE(man.SaveSource(target));
  EXPECT_FALSE(std::filesystem::exists(target));
  man.Src().Assign(Numbered(10));
  EXPECT_FALSE(man.SaveSource(own));  // never the own file
  EXPECT_EQ(LoadTaglineFile(own), (Lines{"own one", "own two"}));
  ASSERT_TRUE(man.SaveSource(target));
  EXPECT_TRUE(man.Src().Empty());
  EXPECT_EQ(LoadTaglineFile(target), Numbered(10));
}

TEST(Taglines, RandomPickNeverRepeatsTheCurrentOne) {
  RandomSeed(7);
  EXPECT_FALSE(PickRandomTagline({}, "").has_value());
  EXPECT_EQ(PickRandomTagline({"only"}, "only"), "only");
  // Two taglines alternate.
  std::string current = "<None>";
  for (int i = 0; i < 6; ++i) {
    std::string next = *PickRandomTagline({"one", "two"}, current);
    EXPECT_NE(next, current);
    current = next;
  }
  // Every other entry comes up.
  std::map<std::string, int> seen;
  for (int i = 0; i < 300; ++i) ++seen[*PickRandomTagline({"a", "b", "c", "d"}, "a")];
  EXPECT_EQ(seen.count("a"), 0u);
  EXPECT_EQ(seen.size(), 3u);
}
