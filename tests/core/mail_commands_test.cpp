#include "explorer/mail_commands.h"

#include <gtest/gtest.h>

using namespace korrin;

namespace {
TCommandContext Row(TFolderKind kind, size_t subItems = 5) {
  TCommandContext c;
  c.RowSelected = true;
  c.RowSubItems = subItems;
  c.FolderHasRecord = true;
  c.Kind = kind;
  c.PostOfficeExists = true;
  c.TreeHasNodes = true;
  return c;
}
}  // namespace

TEST(MailCommands, EnablingFollowsTheFolderKindRowAndBusyState) {
  auto conf = ToolbarStates(Row(TFolderKind::fkConference));
  EXPECT_TRUE(conf.View && conf.Reply && conf.Forward && conf.Search);
  EXPECT_FALSE(conf.Delete);  // packet messages are not deleted
  auto out = ToolbarStates(Row(TFolderKind::fkOutBox, 6));
  EXPECT_TRUE(out.Reply && out.Delete);
  EXPECT_FALSE(out.Forward);
  auto sent = ToolbarStates(Row(TFolderKind::fkSentBox, 6));
  EXPECT_FALSE(sent.Reply);
  EXPECT_TRUE(sent.Forward && sent.Delete);

  auto folderRow = Row(TFolderKind::fkPacketInBox, 0);  // a sub-folder row is not a message
  EXPECT_FALSE(ToolbarStates(folderRow).View);
  EXPECT_TRUE(ToolbarStates(folderRow).Search);

  auto busy = Row(TFolderKind::fkConference);
  busy.Busy = true;
  auto b = ToolbarStates(busy);
  EXPECT_FALSE(b.View || b.Reply || b.New || b.Search);
  auto m = MailMenuStates(busy);  // no command runs while busy, shortcuts included
  EXPECT_FALSE(m.View || m.Reply || m.Forward || m.New || m.MarkRead);

  auto menu = MailMenuStates(Row(TFolderKind::fkSaveBox, 6));
  EXPECT_TRUE(menu.DeleteAll);
  EXPECT_FALSE(menu.MarkRead);
  EXPECT_TRUE(MailMenuStates(Row(TFolderKind::fkConference)).MarkRead);
  auto noPo = Row(TFolderKind::fkOutBox, 6);
  noPo.PostOfficeExists = false;
  auto n = MailMenuStates(noPo);
  EXPECT_FALSE(n.View || n.DeleteAll || n.New || n.Search);

  auto quick = Row(TFolderKind::fkConference);
  quick.QuickViewerShown = true;
  auto p = PopupStates(quick);
  EXPECT_FALSE(p.ViewVisible);
  EXPECT_TRUE(p.NextPrevMessage && p.NextPrevConference && p.New);
  EXPECT_FALSE(p.Copy);
}

TEST(MailCommands, CaptionsSubjectsAndStatusTexts) {
  TConfRec out{"Out Box", "", 0, "", TFolderKind::fkOutBox};
  TConfRec conf{"General", "001.ndx", 1, "", TFolderKind::fkConference};
  EXPECT_EQ(ReplyCaption(&out), "Edit");
  EXPECT_EQ(ReplyCaption(&conf), "Reply");
  EXPECT_EQ(ReplyCaption(nullptr), "Reply");
  EXPECT_EQ(ReplyMenuCaption(&out), "Edit Message");
  EXPECT_EQ(ReplySubject("Hello"), "Re: Hello");
  EXPECT_EQ(ReplySubject("re: Hello"), "re: Hello");
  EXPECT_EQ(ReplySubject("FWD RE:old"), "FWD RE:old");
  EXPECT_EQ(ReplySubject("Area report"), "Re: Area report");  // "RE" without a colon
  EXPECT_EQ(LongerText("A very long subject line that goes on", "A very long subject line"),
            "A very long subject line that goes on");
  EXPECT_EQ(LongerText("same", "SAME"), "SAME");
  EXPECT_EQ(LongerText("John Smith", "John Smith               "), "John Smith");
  EXPECT_EQ(ListStatusText(-1, 0), " 0 object(s)");
  EXPECT_EQ(ListStatusText(2, 12), " 3 of 12 object(s)");
  EXPECT_EQ(DeleteAllQuestion(TFolderKind::fkSentBox), "Are you sure you wish to delete all messages in the Sent Box?");
}

#include "reading/quoted_line.h"

TEST(QuotedLine, InitialsAndMarkersAreQuotesOrdinaryTextIsNot) {
  EXPECT_TRUE(IsQuotedLine("> plain quote"));
  EXPECT_TRUE(IsQuotedLine(" JS> initials"));
  EXPECT_TRUE(IsQuotedLine("JS>> twice"));
  EXPECT_FALSE(IsQuotedLine("a > b is a comparison"));
  EXPECT_FALSE(IsQuotedLine("<html>"));
  EXPECT_FALSE(IsQuotedLine("Somewhat long word>"));
  EXPECT_FALSE(IsQuotedLine(""));
}
