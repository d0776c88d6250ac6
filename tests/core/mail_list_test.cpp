#include "engine/mail_list.h"

#include <chrono>
#include <filesystem>

#include <gtest/gtest.h>

#include "engine/mail_tree.h"
#include "engine/qwk_header.h"
#include "engine/qwk_index.h"
#include "engine/qwk_post_office.h"
#include "engine/to_reader.h"
#include "platform/paths.h"
#include "support/recording_prompts.h"
#include "support/test_env.h"

using namespace korrin;
namespace fs = std::filesystem;

namespace {
std::string Header(const std::string& to, const std::string& from, const std::string& subject, bool read) {
  TQWKHeader h;
  h.SetStatusChar(' ');
  h.SetNumber("1");
  h.SetDate("12-01-26");
  h.SetTime("10:00");
  h.SetTo(to);
  h.SetFrom(from);
  h.SetSubject(subject);
  h.SetBlockCount(1);
  if (read) h.SetReadMark();
  return std::string(h.Raw());
}

std::string IndexRecord(int64_t block) {
  auto b = BlockNumberToBasic(block);
  return std::string(reinterpret_cast<const char*>(b.data()), 4) + "\x05";
}

struct Fixture {
  std::string dir = test::NewTempDir("packet");
  TMailTree tree;
  TMailList list;
  Fixture() {
    test::WriteFile(dir + "control.dat",
                    "BBS\n\n\n\n0,MYBBS\n12-01-2026,10:00\nME\n\n\n\n1\n5\nFive\n6\nSix\n");
    std::string messages = std::string(128, ' ') + Header("ALL", "JOHN SMITH", "Hello there", false) +
                           Header("john", "j.doe@example.org", "Second", true) +
                           Header("SYSOP", "Mary Ann", "Third", false);
    test::WriteFile(dir + "MESSAGES.DAT", messages);
    test::WriteFile(dir + "005.NDX", IndexRecord(2) + IndexRecord(0) + IndexRecord(3) + IndexRecord(99) +
                                         IndexRecord(4) + "\x00\x00");
    test::WriteFile(dir + "006.ndx", "");
    tree.SetDirectory(dir);
    list.SetTextCase(TTextCase::tcProperName);
    list.SetMailTree(&tree);
  }
};
}  // namespace

TEST(MailList, ConferenceRowsFollowTheColumnOrderAndKeepUnreadableRecords) {
  Fixture f;
  const int32_t order[4] = {3, 0, 1, 2};
  f.list.SetColumnOrder(order);
  f.tree.Select(TMailTree::FindChildByCaption(f.tree.InBox(), "5 Five"));
  f.list.Refill();
  ASSERT_EQ(f.list.Columns().size(), 4u);
  EXPECT_EQ(f.list.Columns()[0].Caption, "Subject");
  const auto& rows = f.list.Rows();
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[0].Caption, "Hello there");
  EXPECT_EQ(rows[0].SubItems, (std::vector<std::string>{"12-01-26", "John Smith", "All", "MSG", "NEW"}));
  EXPECT_EQ(rows[0].ImageIndex, listimg::kNewMessage);
  EXPECT_EQ(rows[1].Caption, "(message cannot be read)");  // block 0: kept in its place
  EXPECT_EQ(rows[2].SubItems[1], "j.doe@example.org");
  EXPECT_EQ(rows[2].SubItems[4], "READ");
  EXPECT_EQ(rows[2].ImageIndex, listimg::kReadMessage);
  EXPECT_EQ(rows[3].Caption, "(message cannot be read)");  // beyond the end of messages.dat
  EXPECT_EQ(rows[4].SubItems[2], "Sysop");
  EXPECT_EQ(f.list.StatusText(), "5 object(s)");

  f.list.MarkSelectedRead(0);
  EXPECT_EQ(f.list.Rows()[0].ImageIndex, listimg::kReadMessage);
  EXPECT_EQ(f.list.Rows()[0].SubItems[4], "NEW");

  int opened = -1;
  f.list.OnOpenMessage = [&](const TConfRec* rec, int index, int count) {
    EXPECT_EQ(rec->Name, "5 Five");
    EXPECT_EQ(count, 5);
    opened = index;
  };
  EXPECT_EQ(f.list.DoubleClick(2), TListAction::laOpenMessage);
  EXPECT_EQ(opened, 2);
  EXPECT_EQ(f.list.DoubleClick(-1), TListAction::laNone);

  // An empty conference: columns but no rows and no status text.
  f.tree.Select(TMailTree::FindChildByCaption(f.tree.InBox(), "6 Six"));
  f.list.Refill();
  EXPECT_TRUE(f.list.Rows().empty());
  EXPECT_EQ(f.list.StatusText(), "");
}

TEST(MailList, AFolderChosenDuringAFillIsTheOneListed) {
  Fixture f;
  f.tree.Select(TMailTree::FindChildByCaption(f.tree.InBox(), "5 Five"));
  int pumps = 0, changes = 0;
  f.list.OnRowsChanged = [&] { ++changes; };
  f.list.SetProcessMessages([&] {
    if (++pumps != 3) return;
    // A click in the tree while conference 5 is being listed.
    f.tree.Select(TMailTree::FindChildByCaption(f.tree.InBox(), "6 Six"));
    f.list.Refill();
  });
  f.list.Refill();
  EXPECT_TRUE(f.list.Rows().empty());  // none of conference 5's rows under conference 6
  EXPECT_EQ(changes, 1);
  f.tree.Select(TMailTree::FindChildByCaption(f.tree.InBox(), "5 Five"));
  f.list.Refill();
  EXPECT_EQ(f.list.Rows().size(), 5u);
}

TEST(MailList, IndexesLongerThanTheMessagesFileCostNoRowsBeyondIt) {
  Fixture f;
  // messages.dat has four blocks: four readable records at most. Records
  // that point nowhere are kept in their place and read on.
  std::string index;
  for (int i = 0; i < 1000; ++i) index += IndexRecord(0);
  for (int i = 0; i < 100000; ++i) index += IndexRecord(2 + i % 3);
  test::WriteFile(f.dir + "005.NDX", index);
  f.tree.Select(TMailTree::FindChildByCaption(f.tree.InBox(), "5 Five"));
  f.list.Refill();
  const TMailRows& rows = f.list.Rows();
  ASSERT_EQ(rows.size(), 101000u);
  EXPECT_TRUE(rows.Unreadable(999));
  EXPECT_EQ(rows[999].SubItems[2], "(message cannot be read)");
  for (size_t i = 1000; i < 1004; ++i) EXPECT_FALSE(rows.Unreadable(i)) << i;
  EXPECT_EQ(rows[1000].Caption, "12-01-26");
  EXPECT_EQ(rows[1003].SubItems[0], "John Smith");
  EXPECT_TRUE(rows.Unreadable(1004));
  EXPECT_EQ(rows[100999].SubItems[2], "(message cannot be read)");
  size_t counted = 0;
  for (const TMailListRow& row : rows) counted += row.SubItems.size() == 5;
  EXPECT_EQ(counted, 101000u);
  // Only readable rows change.
  f.list.MarkSelectedRead(5000);
  EXPECT_EQ(rows[5000].ImageIndex, listimg::kNewMessage);
  f.list.MarkSelectedRead(1000);
  EXPECT_EQ(rows[1000].ImageIndex, listimg::kReadMessage);
}

TEST(MailList, SubFolderRowsOpenTheirFolderAndDirectoriesNeedAControlFile) {
  Fixture f;
  f.list.Refill();  // the In Box: its children
  ASSERT_EQ(f.list.Rows().size(), 2u);
  EXPECT_EQ(f.list.Rows()[0].Caption, "5 Five");
  EXPECT_EQ(f.list.Rows()[0].ImageIndex, listimg::kNone);
  EXPECT_EQ(f.list.Columns()[0].Width, -1);
  EXPECT_EQ(f.list.DoubleClick(1), TListAction::laSelectChild);
  EXPECT_EQ(f.tree.Selected()->Caption, "6 Six");

  f.tree.Select(f.tree.Root());
  f.list.Refill();
  ASSERT_EQ(f.list.Rows().size(), 4u);
  EXPECT_EQ(f.list.Rows()[1].ImageIndex, listimg::kOutBox);

  EXPECT_FALSE(f.list.SetDirectory(test::NewTempDir("nocontrol")));
  EXPECT_EQ(f.list.Directory(), f.dir);
}

TEST(MailList, BoxMessagesCarryTheirPathAndDoubleClickStoresIt) {
  Fixture f;
  std::string box = ProgramFolder() + "MYBBS/OutBox/";
  test::WriteFile(box + "b1b1b1b1.qms", Header("Sysop", "Me", "Reply", false) + std::string(128, ' '));
  test::WriteFile(box + "a0a0a0a0.QMS", Header("All", "Me", "Short", false).substr(0, 60));
  test::WriteFile(box + "notes.txt", "x");
  // Out Box messages without a posting record come in the order they were written.
  fs::last_write_time(box + "a0a0a0a0.QMS", fs::last_write_time(box + "b1b1b1b1.qms") - std::chrono::seconds(5));
  f.tree.Select(f.tree.OutBox());
  f.list.Refill();
  ASSERT_EQ(f.list.Rows().size(), 2u);
  const auto& row = f.list.Rows()[1];
  EXPECT_EQ(row.SubItems.size(), 6u);
  EXPECT_EQ(row.SubItems[3], "MSG");
  EXPECT_EQ(row.SubItems[4], "READ");
  EXPECT_EQ(row.SubItems[5], box + "b1b1b1b1.qms");
  EXPECT_EQ(f.list.Rows()[0].SubItems[1], "All");  // a cut header is padded, not refused
  bool opened = false;
  f.list.OnOpenMessage = [&](const TConfRec* rec, int, int) { opened = rec->SelectedFile == box + "b1b1b1b1.qms"; };
  f.list.DoubleClick(1);
  EXPECT_TRUE(opened);
  EXPECT_EQ(f.list.SelectedFilePath(0), box + "a0a0a0a0.QMS");
}

TEST(MailList, DownloadsAndNewFiles) {
  Fixture f;
  test::WriteFile(f.dir + "TOREADER.EXT", "ATTACH PICTURE.GIF 1234\r\nFILE ABC.ZIP\r\n");
  test::WriteFile(f.dir + "attached.lst", "1,x,stored1.bin,Real Name.txt\r\n");
  test::WriteFile(f.dir + "NEWFILES.DAT",
                  "TOOLS.ZIP         1536 12-01-26  Useful tools\r\nno dot here at all\r\n"
                  "AVERYLONGFILENAMEOF.TXT 10 12-01-26\r\nBIG.ARJ        3145728 11-30-26 big\r\n"
                  "ODD.TXT            abc 11-30-26\r\n");
  TToReader toReader;
  f.list.SetToReader(&toReader);
  f.tree.SetDownloadCount(1);
  f.tree.Rebuild();
  f.tree.Select(f.tree.DownloadBox());
  f.list.Refill();
  EXPECT_TRUE(f.list.UsesFileImages());
  std::vector<std::string> captions;
  for (const auto& r : f.list.Rows()) captions.push_back(r.Caption);
  ASSERT_GE(captions.size(), 2u);
  EXPECT_EQ(captions[0], "picture.gif");
  EXPECT_EQ(f.list.DoubleClick(0), TListAction::laOpenDownload);

  f.tree.Select(TMailTree::FindChildByCaption(f.tree.InBox(), "New Files"));
  f.list.Refill();
  ASSERT_EQ(f.list.Columns().size(), 3u);
  ASSERT_EQ(f.list.Rows().size(), 3u);
  EXPECT_EQ(f.list.Rows()[0].Caption, "tools.zip");  // a name with a dot is all lower case
  EXPECT_EQ(f.list.Rows()[0].SubItems, (std::vector<std::string>{"1.5 k", "12-01-26"}));
  EXPECT_EQ(f.list.Rows()[1].SubItems[0], "3.0 meg");
  EXPECT_EQ(f.list.Rows()[2].SubItems[0], "abc");
  EXPECT_EQ(f.list.DoubleClick(0), TListAction::laShowNewFile);
}

TEST(MailList, NewFileLineRules) {
  TNewFileLine l;
  EXPECT_FALSE(ParseNewFileLine("", l));
  EXPECT_FALSE(ParseNewFileLine("ABCDEFGHIJKLMNOPQRS.TXT 10", l));  // dot at position 20
  EXPECT_TRUE(ParseNewFileLine("ABCDEFGHIJKLMNOPQR.TXT 10", l));    // dot at 19
  EXPECT_TRUE(ParseNewFileLine("A.B", l));
  EXPECT_EQ(l.Name, "A.B");
  EXPECT_EQ(l.Size, "");
}
