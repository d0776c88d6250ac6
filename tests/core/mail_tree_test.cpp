#include "engine/mail_tree.h"

#include <gtest/gtest.h>

#include "engine/qwk_post_office.h"
#include "platform/paths.h"
#include "support/recording_prompts.h"
#include "support/test_env.h"

using namespace korrin;

namespace {
// A packet folder: control.dat with the given conferences, an index file for
// each number in `withIndex`, and messages.dat.
std::string Packet(const std::vector<std::pair<std::string, std::string>>& confs,
                   const std::vector<std::string>& withIndex, bool personal = false) {
  std::string dir = test::NewTempDir("packet");
  std::string control = "MY FINE BBS\r\nCity\r\n555\r\nSysop\r\n0,MYBBS\r\n12-01-2026,10:00:00\r\nJOHN DOE\r\n\r\n0\r\n0\r\n" +
                        std::to_string(confs.size() - 1) + "\r\n";
  for (auto& [num, name] : confs) control += num + "\r\n" + name + "\r\n";
  control += "WELCOME\r\nNEWS\r\nGOODBYE\r\n";
  test::WriteFile(dir + "CONTROL.DAT", control);
  test::WriteFile(dir + "MESSAGES.DAT", std::string(128, ' '));
  for (auto& n : withIndex) test::WriteFile(dir + IndexFileStem(n), "");
  if (personal) test::WriteFile(dir + "PERSONAL.NDX", "");
  return dir;
}

std::vector<std::string> Shape(const TMailTree& tree) {
  std::vector<std::string> out;
  for (auto* n : tree.Nodes()) out.push_back(std::string(static_cast<size_t>(n->Level()) * 2, ' ') + n->Caption);
  return out;
}
}  // namespace

TEST(MailTree, PacketShapeWithGroupsPersonalNewFilesAndDownloads) {
  std::string dir = Packet({{"0", "Main Board"}, {"5", "[Net] comp.os"}, {"6", "[Net] rec.food"}, {"7", "Local"},
                            {"9", "[Fido] Echo"}, {"12", "No Index"}},
                           {"0", "5", "6", "7", "9"}, true);
  test::WriteFile(dir + "newfiles.dat", "");
  TMailTree tree;
  tree.SetDownloadCount(2);
  int rebuilt = 0, changes = 0;
  tree.OnRebuilt = [&] { ++rebuilt; };
  tree.OnChange = [&] { ++changes; };
  tree.SetDirectory(dir);
  EXPECT_EQ(rebuilt, 1);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(Shape(tree), (std::vector<std::string>{"MYBBS", "  In Box 12-01-2026", "    Personal Messages",
                                                   "    0 Main Board", "    New Files", "    Downloads",
                                                   "  Out Box", "  Save Box", "  Sent Box", "  Net", "     comp.os",
                                                   "     rec.food", "    7 Local", "  Fido", "     Echo"}));
  EXPECT_EQ(tree.Selected(), tree.InBox());
  EXPECT_EQ(tree.StatusText(), "Contents of \"In Box 12-01-2026\"");
  EXPECT_EQ(tree.Identity().UserName, "John Doe");
  EXPECT_EQ(tree.Identity().ConferencesReceived, 6);
  EXPECT_EQ(tree.DownloadBox()->Record->Name, "Download Box");
  EXPECT_EQ(tree.DownloadBox()->ImageIndex, 10);
  EXPECT_EQ(tree.Root()->ImageIndex, 2);
  EXPECT_EQ(tree.OutBox()->ImageIndex, 8);
  // An entry without group after a group stays in that group.
  auto* local = TMailTree::FindChildByCaption(tree.Nodes()[9], "7 Local");
  ASSERT_NE(local, nullptr);
  EXPECT_EQ(local->Record->Ordinal, 5);
  EXPECT_EQ(local->Record->Name, "7 Local");

  // Upper case captions; records keep their names.
  tree.SetTextCase(TTextCase::tcUpperCase);
  EXPECT_EQ(tree.InBox()->Caption, "IN BOX 12-01-2026");
  EXPECT_EQ(tree.InBox()->Record->Name, "In Box");

  // All conferences: the one without index file shows up with ordinal 0.
  tree.SetTextCase(TTextCase::tcAsIs);
  tree.SetAllConferences(true);
  auto* noIndex = TMailTree::FindChildByCaption(tree.Nodes()[13], "12 No Index");
  ASSERT_NE(noIndex, nullptr);
  EXPECT_EQ(noIndex->Record->Ordinal, 0);
  EXPECT_TRUE(noIndex->Record->IndexFile.empty());
}

TEST(MailTree, NextAndPreviousConferenceWrapAndStepThroughBoxes) {
  std::string dir = Packet({{"1", "One"}, {"2", "[G] Two"}, {"3", "[G] Three"}}, {"1", "2", "3"});
  TMailTree tree;
  tree.SetDirectory(dir);
  auto ord = [&] { return tree.Selected()->Record->Ordinal; };
  EXPECT_TRUE(tree.NextConference(1));
  EXPECT_EQ(ord(), 2);
  EXPECT_TRUE(tree.Selected()->Parent->Expanded);
  EXPECT_TRUE(tree.NextConference(2));
  EXPECT_EQ(ord(), 3);
  EXPECT_FALSE(tree.NextConference(3));  // from the last: the first, false
  EXPECT_EQ(ord(), 1);
  EXPECT_FALSE(tree.PreviousConference(1));  // from the first: the last, false
  EXPECT_EQ(ord(), 3);
  EXPECT_TRUE(tree.PreviousConference(3));
  EXPECT_EQ(ord(), 2);

  tree.Select(tree.OutBox());
  EXPECT_FALSE(tree.NextConference(0));
  EXPECT_EQ(tree.Selected(), tree.SaveBox());
  EXPECT_FALSE(tree.PreviousConference(0));
  EXPECT_EQ(tree.Selected(), tree.SentBox());
}

TEST(MailTree, WithoutPacketShowsThePostOfficeAndRefusesFoldersWithoutControlFile) {
  test::TRecordingPrompts prompts;
  TQWKPostOffice po;
  std::string poDir = ProgramFolder() + "IntMail";
  MakePODir(ProgramFolder(), "IntMail");
  test::WriteFile(poDir + "/Control.dat", "Internet Mail\r\n\r\n\r\n\r\n0,IntMail\r\n01-01-2026,00:00\r\nME\r\n");
  po.AddPostOffice("IntMail", "Internet Mail", poDir);
  TMailTree tree;
  tree.SetPostoffice(&po);
  tree.SetDirectory(test::NewTempDir("empty"));  // no control.dat: refused, the post office is shown
  EXPECT_EQ(tree.Directory(), poDir);
  EXPECT_FALSE(tree.PacketLoaded());
  EXPECT_EQ(Shape(tree), (std::vector<std::string>{"IntMail", "  In Box ", "  Out Box", "  Save Box", "  Sent Box"}));
  EXPECT_EQ(tree.InBox()->Record->Kind, TFolderKind::fkPostOfficeInBox);
  EXPECT_EQ(tree.Selected(), tree.Root());
  // The post office's copy of the control file names the board and the user.
  EXPECT_EQ(tree.Identity().UserName, "Me");
  EXPECT_EQ(tree.Identity().BBSName, "Internet Mail");
  EXPECT_EQ(tree.Identity().BBSID, "IntMail");
  EXPECT_TRUE(prompts.boxes.empty());

  po.AddPostOffice("OTHER", "Other", ProgramFolder() + "OTHER");
  tree.Rebuild();  // no folder and no control file: an empty tree
  EXPECT_EQ(tree.Root(), nullptr);
  EXPECT_EQ(tree.StatusText(), "");
}
