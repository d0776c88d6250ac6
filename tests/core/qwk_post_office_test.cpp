#include "engine/qwk_post_office.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "platform/errors.h"
#include "platform/paths.h"
#include "support/test_env.h"

using namespace korrin;
namespace fs = std::filesystem;

namespace {
std::string Record(const std::string& id, const std::string& name, const std::string& dir) {
  std::string r(518, ' ');
  r.replace(0, id.size(), id);
  r.replace(8, name.size(), name);
  r.replace(263, dir.size(), dir);
  return r;
}
}  // namespace

TEST(PostOffice, LoadsRecordsSkippingDuplicatesAndTheLastAddedIsCurrent) {
  test::WriteFile(ProgramFolder() + "PO.CFG", Record("ONE", "First Bbs", "/po/one") +
                                                  Record("TWO", "Second\x01", "/po/two") +
                                                  Record("ONE", "Again", "/po/again") + "short tail");
  TQWKPostOffice po;
  int changes = 0;
  po.OnChange = [&] { ++changes; };
  po.SetFilename("po.cfg");
  po.LoadPostOffices();
  ASSERT_EQ(po.Count(), 2);
  EXPECT_EQ(po.Node(1).Name, "Second");  // trailing control characters removed
  EXPECT_EQ(po.Itemindex(), 1);          // the skipped duplicate does not change the current entry
  EXPECT_EQ(po.PostOfficeName(), "Second");
  EXPECT_EQ(po.PostOfficeDirectory(), "/po/two");
  EXPECT_EQ(changes, 2);
  std::vector<std::string> names;
  po.ListPostOfficeNames(names);
  EXPECT_EQ(names, (std::vector<std::string>{"First Bbs", "Second"}));
}

TEST(PostOffice, ItemindexRules) {
  TQWKPostOffice po;
  EXPECT_EQ(po.Itemindex(), -1);
  po.AddPostOffice("A", "Alpha", "/a");
  po.AddPostOffice("B", "Beta", "/b");
  EXPECT_EQ(po.Itemindex(), 1);
  po.SetItemindex(0);
  EXPECT_EQ(po.BBSID(), "A");
  po.SetItemindex(2);  // one past the end: taken as -1, the current entry stays
  EXPECT_EQ(po.Itemindex(), 0);
  po.SetItemindex(-7);
  EXPECT_EQ(po.Itemindex(), 0);
  po.SelectPostOffice(2);
  EXPECT_EQ(po.BBSID(), "B");
  po.SelectPostOffice(3);
  EXPECT_EQ(po.BBSID(), "B");
  po.AddPostOffice("A", "Renamed", "/elsewhere");  // existing key: taken unchanged
  EXPECT_EQ(po.PostOfficeName(), "Alpha");
  EXPECT_EQ(po.Count(), 2);
  po.ClearPostOffices();
  EXPECT_EQ(po.Itemindex(), -1);
  EXPECT_EQ(po.BBSID(), "");
}

TEST(PostOffice, NewEntriesAreSavedAtOnceWithTheKeyCutToEightCharacters) {
  {
    TQWKPostOffice po;
    po.SetFilename("PO.CFG");
    po.AddPostOffice("LONGBBSID12", "Long Board", "/x");
    EXPECT_EQ(po.BBSID(), "LONGBBSI");
    // No explicit save: a crash right now keeps the new post office.
  }
  std::string data = test::ReadFile(ProgramFolder() + "PO.CFG");
  ASSERT_EQ(data.size(), 518u);
  EXPECT_EQ(data.substr(0, 8), "LONGBBSI");
  TQWKPostOffice again;
  again.SetFilename("PO.CFG");
  again.LoadPostOffices();
  ASSERT_EQ(again.Count(), 1);
  again.AddPostOffice("LONGBBSID12", "Long Board", "/x");
  EXPECT_EQ(again.Count(), 1);
}

TEST(PostOffice, SaveFailureIsAnInputOutputError) {
  TQWKPostOffice po;
  po.SetFilename("missing-folder/PO.CFG");
  EXPECT_THROW(po.AddPostOffice("ZZ", "Zed", "/z"), EInOutError);
  EXPECT_EQ(po.Count(), 1);  // the entry is still in the list and saved again later
}

TEST(PostOffice, SetPostOfficeFindsByNameMakesFoldersAndCopiesIdentityFiles) {
  std::string work = test::NewTempDir("work");
  test::WriteFile(work + "CONTROL.DAT", "control v1");
  test::WriteFile(work + "door.id", "DOOR = X");
  TQWKPostOffice po;
  SetPostOffice(po, "MYBBS", "My Bbs", work);
  std::string dir = ProgramFolder() + "MYBBS";
  EXPECT_EQ(po.PostOfficeDirectory(), dir);
  for (const char* box : {"OutBox", "SaveBox", "SentBox"}) EXPECT_TRUE(fs::is_directory(dir + "/" + box)) << box;
  EXPECT_EQ(test::ReadFile(dir + "/Control.dat"), "control v1");
  EXPECT_EQ(test::ReadFile(dir + "/Door.id"), "DOOR = X");
  EXPECT_FALSE(fs::exists(dir + "/ToReader.ext"));

  // A later packet of the same board under another BBSID and another name case.
  test::WriteFile(work + "CONTROL.DAT", "control v2");
  po.AddPostOffice("OTHER", "Other", "/o");
  SetPostOffice(po, "NEWID", "MY BBS", work);
  EXPECT_EQ(po.BBSID(), "MYBBS");
  EXPECT_EQ(test::ReadFile(dir + "/Control.dat"), "control v2");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 5);

  test::WriteFile(dir + "/OutBox/a1b2c3d4.qms", "x");
  test::WriteFile(dir + "/OutBox/B1B2C3D4.QMS", "x");
  test::WriteFile(dir + "/OutBox/notes.txt", "x");
  EXPECT_EQ(CountOutBox(ProgramFolder(), "MYBBS"), 2);
  EXPECT_EQ(CountOutBox(ProgramFolder(), "NONE"), 0);
}

TEST(PostOffice, CopyFileToFolderKeepsTheTargetWhenTheSourceIsMissing) {
  std::string dir = test::NewTempDir();
  test::WriteFile(dir + "Door.id", "old");
  EXPECT_THROW(CopyFileToFolder(dir + "nothing", dir, "Door.id"), EInOutError);
  EXPECT_EQ(test::ReadFile(dir + "Door.id"), "old");
  EXPECT_THROW(CopyFileToFolder(dir + "Door.id", dir + "no/such/folder"), EInOutError);
  EXPECT_FALSE(MakePODir(dir + "Door.id", "X"));
}

TEST(PostOffice, BBSIDsFromPacketsNeverNameAFolderOutsideTheProgramFolder) {
  EXPECT_EQ(SafeBBSID("MYBBS"), "MYBBS");
  EXPECT_EQ(SafeBBSID("../../etc"), ".._.._et");  // cut to 8 characters first
  EXPECT_EQ(SafeBBSID(".."), "_.");
  EXPECT_EQ(SafeBBSID("."), "_");
  EXPECT_EQ(SafeBBSID(""), "_");
  EXPECT_EQ(SafeBBSID("a\\b\x01"), "a_b_");
  std::string work = test::NewTempDir("work");
  TQWKPostOffice po;
  SetPostOffice(po, "../evil", "Evil Board", work);
  EXPECT_EQ(po.BBSID(), ".._evil");
  EXPECT_EQ(po.PostOfficeDirectory(), ProgramFolder() + ".._evil");
  EXPECT_TRUE(fs::is_directory(ProgramFolder() + ".._evil/OutBox"));
}
