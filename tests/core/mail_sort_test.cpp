#include "engine/mail_sort.h"

#include <gtest/gtest.h>

#include "engine/mail_list.h"
#include "engine/mail_tree.h"
#include "support/packet_builder.h"
#include "support/test_env.h"

using namespace korrin;
using namespace korrin::test;

TEST(MailSort, CollationIgnoresCaseAndReplyPrefixesAndReadsNumbers) {
  EXPECT_EQ(CollationKey("Re: RE:re:  Hello World", true), "hello world");
  EXPECT_EQ(CollationKey("Re: Hello", false), "re: hello");  // names keep a leading Re
  EXPECT_EQ(CollationKey("Rex", true), "rex");
  EXPECT_LT(CompareCollated("part 2", "part 10"), 0);
  EXPECT_LT(CompareCollated("part 002", "part 10"), 0);
  EXPECT_EQ(CompareCollated("a07", "a7"), 0);
  EXPECT_GT(CompareCollated("abc", "ab"), 0);
  EXPECT_LT(CompareCollated("", "a"), 0);

  EXPECT_EQ(SortableDate("12-01-26"), 20261201);
  EXPECT_EQ(SortableDate("01/15/97"), 19970115);
  EXPECT_EQ(SortableDate("03-04-2024"), 20240304);
  EXPECT_EQ(SortableDate("13-01-26"), 0);
  EXPECT_EQ(SortableDate("garbage!"), 0);
  EXPECT_EQ(SortableDate(""), 0);

  for (int32_t code = -4; code <= 4; ++code) EXPECT_EQ(TListSort::FromCode(code).Code(), code);
  EXPECT_FALSE(TListSort::FromCode(9).Sorted());
}

namespace {
TPacketMessage Msg(std::string date, std::string from, std::string subject) {
  TPacketMessage m;
  m.date = std::move(date);
  m.from = std::move(from);
  m.subject = std::move(subject);
  return m;
}

struct SortFixture {
  std::string dir = test::NewTempDir("sorted");
  TMailTree tree;
  TMailList list;
  SortFixture() {
    TPacketBuilder()
        .Conference(1, "General")
        .Conference(2, "Other")
        .Message(1, Msg("03-01-24", "zed", "Re: apple"))      // 1
        .Message(1, Msg("01-15-98", "Bob", "banana 10"))      // 2
        .Message(1, Msg("02-01-24", "alice", "Banana 9"))     // 3
        .Message(1, Msg("12-31-23", "bob", "RE: Cherry"))     // 4
        .Message(2, Msg("01-01-24", "x", "only"))
        .WriteTo(dir);
    tree.SetDirectory(dir);
    list.SetMailTree(&tree);
    tree.Select(TMailTree::FindChildByCaption(tree.InBox(), "1 General"));
    list.Refill();
  }
  // Message numbers in the order shown.
  std::vector<int> Numbers() const {
    std::vector<int> out;
    for (int i = 0; i < static_cast<int>(list.Rows().size()); ++i) out.push_back(list.MessageNumber(i));
    return out;
  }
};
}  // namespace

TEST(MailSort, HeaderClicksSortTheListAndRowsMapToTheirMessages) {
  SortFixture f;
  EXPECT_EQ(f.Numbers(), (std::vector<int>{1, 2, 3, 4}));
  // Columns shown: Date, From, To, Subject. Subject: "Re:" and case ignored, 9 before 10.
  ASSERT_TRUE(f.list.SortByHeader(3));
  EXPECT_EQ(f.Numbers(), (std::vector<int>{1, 3, 2, 4}));
  EXPECT_EQ(f.list.Rows()[1].SubItems[2], "Banana 9");
  EXPECT_EQ(f.list.DisplayRow(1), 2);  // message 2 (row 1 of the packet) is shown third
  ASSERT_TRUE(f.list.SortByHeader(3));  // again: the other way
  EXPECT_EQ(f.Numbers(), (std::vector<int>{4, 2, 3, 1}));
  ASSERT_TRUE(f.list.SortByHeader(0));  // dates as dates: 1998 first
  EXPECT_EQ(f.Numbers(), (std::vector<int>{2, 4, 3, 1}));
  ASSERT_TRUE(f.list.SortByHeader(1));  // equal names keep the packet order
  EXPECT_EQ(f.Numbers(), (std::vector<int>{3, 2, 4, 1}));

  // Opening and marking act on the message of the row shown.
  int opened = -1;
  f.list.OnOpenMessage = [&](const TConfRec*, int index, int) { opened = f.list.MessageNumber(index); };
  f.list.DoubleClick(0);
  EXPECT_EQ(opened, 3);
  ASSERT_TRUE(f.list.SetConferenceRowRead(0, true));
  f.list.Refill();  // the order stays after a refill
  EXPECT_EQ(f.Numbers(), (std::vector<int>{3, 2, 4, 1}));
  EXPECT_EQ(f.list.Rows()[0].SubItems[4], "READ");
  EXPECT_EQ(f.list.Rows()[1].SubItems[4], "NEW");

  // The order belongs to the folder kind: the other conference is sorted too,
  // the boxes not; packet order comes back on request.
  EXPECT_EQ(f.list.Sort(TFolderKind::fkConference), (TListSort{1, false}));
  EXPECT_FALSE(f.list.Sort(TFolderKind::fkOutBox).Sorted());
  f.list.SetSort(TFolderKind::fkConference, TListSort{});
  EXPECT_EQ(f.Numbers(), (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(f.list.DisplayRow(2), 2);

  // Folders without messages cannot be sorted.
  f.tree.Select(f.tree.InBox());
  f.list.Refill();
  EXPECT_FALSE(f.list.SortByHeader(0));
}
