#include "engine/bulletins.h"

#include <gtest/gtest.h>

#include "engine/mail_list.h"
#include "engine/mail_tree.h"
#include "support/packet_builder.h"
#include "support/test_env.h"

using namespace korrin;
using namespace korrin::test;

TEST(Bulletins, NamedScreensAndBulletinFilesAreFoundWhateverTheirCase) {
  std::string dir = test::NewTempDir("bulletins");
  TPacketBuilder()
      .Conference(1, "General")
      .ControlTrailer({"HELLO", "NEWS", "BYE"})
      .File("hello", "\x1b[1;33mWelcome!\x1b[0m\r\nline two\r\n\x1a" "SAUCE00 junk")
      .File("Bye", "so long\n")
      .File("BLT-10", "ten")
      .File("blt-2", "two")
      .File("BLT-", "not a bulletin")
      .WriteTo(dir);
  TBulletinNames names = ReadBulletinNames(dir);
  EXPECT_EQ(names.Welcome, "HELLO");
  EXPECT_EQ(names.Goodbye, "BYE");
  auto found = FindBulletins(dir);
  ASSERT_EQ(found.size(), 4u);  // NEWS is named but missing
  EXPECT_EQ(found[0].Caption, "Welcome");
  EXPECT_EQ(found[0].FileName, "hello");
  EXPECT_EQ(found[1].Caption, "Goodbye");
  EXPECT_EQ(found[2].Caption, "Bulletin 2");
  EXPECT_EQ(found[3].Caption, "Bulletin 10");
  EXPECT_EQ(found[3].Size, 3u);
  EXPECT_EQ(FindBulletin(found, "welcome"), &found[0]);
  EXPECT_EQ(FindBulletin(found, "BLT-2"), &found[2]);
  EXPECT_EQ(FindBulletin(found, "nothing"), nullptr);

  std::vector<std::string> lines;
  ASSERT_TRUE(ReadBulletinLines(found[0].Path, lines));
  EXPECT_EQ(lines, (std::vector<std::string>{"\x1b[1;33mWelcome!\x1b[0m", "line two"}));  // stops at Ctrl-Z
  EXPECT_FALSE(ReadBulletinLines(dir + "missing", lines));
}

TEST(Bulletins, ControlFilesThatEndEarlyOrLieStillGiveTheNames) {
  std::string dir = test::NewTempDir("bulletin-names");
  // The count says five conferences, the list holds one: the names still follow it.
  TPacketBuilder().Conference(1, "General").ControlLine(11, "4").ControlTrailer({"WELCOME", "NEWS", "GOODBYE"}).WriteTo(dir);
  EXPECT_EQ(ReadBulletinNames(dir).News, "NEWS");
  // Names without their number lines (as some doors write them).
  std::string bare = test::NewTempDir("bulletin-bare");
  test::WriteFile(bare + "control.dat", "a\r\nb\r\nc\r\nd\r\n0,X\r\n01-01-2026,00:00\r\nME\r\n\r\n0\r\n1\r\n0\r\n"
                                        "Main Board\r\nWELCOME.ANS\r\n");
  EXPECT_EQ(ReadBulletinNames(bare).Welcome, "WELCOME.ANS");
  // A name that reaches outside the packet folder is never listed.
  std::string evil = test::NewTempDir("bulletin-evil");
  TPacketBuilder().Conference(1, "General").ControlTrailer({"../outside", "/etc/passwd", ""}).WriteTo(evil);
  test::WriteFile(evil + "../outside", "x");
  EXPECT_TRUE(FindBulletins(evil).empty());
  // A count that is no number, a file cut short, no file at all.
  std::string odd = test::NewTempDir("bulletin-odd");
  test::WriteFile(odd + "control.dat", "a\nb\nc\nd\ne\nf\ng\nh\ni\nj\nlots\n1\nX\n");
  EXPECT_EQ(ReadBulletinNames(odd).Welcome, "");
  test::WriteFile(odd + "control.dat", "a\nb\n");
  EXPECT_EQ(ReadBulletinNames(odd).Welcome, "");
  EXPECT_TRUE(FindBulletins(test::NewTempDir("bulletin-none")).empty());
}

TEST(Bulletins, TheTreeShowsABulletinsFolderWhoseRowsOpenTheFiles) {
  std::string dir = test::NewTempDir("bulletin-tree");
  TPacketMessage m;
  TPacketBuilder().Conference(1, "General").Message(1, m).File("welcome", "hi\r\n").File("BLT-1", "b").WriteTo(dir);
  TMailTree tree;
  tree.SetDirectory(dir);
  tree.Rebuild();
  TMailTreeNode* node = TMailTree::FindChildByCaption(tree.InBox(), kBulletinsName);
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(node->Record->Kind, TFolderKind::fkBulletins);
  TMailList list;
  list.SetMailTree(&tree);
  tree.Select(node);
  list.Refill();
  ASSERT_EQ(list.Rows().size(), 2u);
  EXPECT_EQ(list.Columns()[0].Caption, "Name");
  EXPECT_EQ(list.Rows()[0].Caption, "Welcome");
  EXPECT_EQ(list.Rows()[0].SubItems[0], "4 bytes");
  EXPECT_EQ(list.Rows()[1].Caption, "Bulletin 1");
  int opened = -1;
  list.OnOpenBulletin = [&](const TConfRec*, int index, int) { opened = index; };
  EXPECT_EQ(list.DoubleClick(1), TListAction::laOpenBulletin);
  EXPECT_EQ(opened, 1);
  EXPECT_FALSE(list.SortByHeader(0));

  // A packet without any has no such folder.
  std::string plain = test::NewTempDir("bulletin-tree-none");
  TPacketBuilder().Conference(1, "General").Message(1, m).WriteTo(plain);
  tree.SetDirectory(plain);
  tree.Rebuild();
  EXPECT_EQ(TMailTree::FindChildByCaption(tree.InBox(), kBulletinsName), nullptr);
}

TEST(Bulletins, TheWelcomeScreenOpensOncePerPacketAndOnlyWhenAsked) {
  std::vector<TBulletin> list(2);
  list[0].Kind = TBulletinKind::bkNews;
  list[1].Kind = TBulletinKind::bkWelcome;
  std::string shown;
  EXPECT_EQ(WelcomeToShow(false, list, "/p/A.QWK", shown), nullptr);
  EXPECT_EQ(WelcomeToShow(true, list, "/p/A.QWK", shown), &list[1]);
  EXPECT_EQ(WelcomeToShow(true, list, "/p/A.QWK", shown), nullptr);  // once
  EXPECT_EQ(WelcomeToShow(true, list, "/p/B.QWK", shown), &list[1]);
  EXPECT_EQ(WelcomeToShow(true, {list[0]}, "/p/C.QWK", shown), nullptr);  // no welcome screen
  EXPECT_EQ(WelcomeToShow(true, list, "", shown), nullptr);
}
