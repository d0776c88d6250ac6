// The main window's door commands: the Edit menu follows the door's
// capabilities, the conference manager reads "Door.id" again first, and a
// double click in New Files opens the new-file viewer.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>

#include <filesystem>

#include <gtest/gtest.h>

#include "archive/xceed_zip.h"
#include "door/qt/new_files_form.h"
#include "engine/mail_tree.h"
#include "engine/to_reader.h"
#include "explorer/qt/mail_list_view.h"
#include "explorer/qt/mail_tree_view.h"
#include "explorer/qt/main_form.h"
#include "platform/paths.h"
#include "support/packet_builder.h"
#include "support/qt_modal.h"
#include "support/recording_prompts.h"
#include "support/packet_zip.h"
#include "support/test_env.h"

using namespace korrin;
using test::Find;
namespace fs = std::filesystem;

namespace {
std::string DoorPacket() {
  std::string dir = test::TPacketBuilder()
                        .BBS("Door Board", "DOORMAIN")
                        .Conference(1, "General")
                        .Conference(4, "Chat", false)
                        .DoorId({"DOOR = SOMEDOOR", "CONTROLNAME = FIRSTNAME", "CONTROLTYPE = ADD",
                                 "CONTROLTYPE = DROP", "CONTROLTYPE = KEYWORD"})
                        .NewFiles({"ONE.ZIP          100 01-01-24 One", "TWO.ZIP          200 01-02-24 Two"})
                        .WriteTo(test::NewTempDir("src"));
  return test::ZipFolder(dir, test::NewTempDir("packets") + "DOORMAIN.QWK");
}

TNewFilesForm* NewFilesWindow() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* f = qobject_cast<TNewFilesForm*>(w); f && f->isVisible()) return f;
  return nullptr;
}
}  // namespace

TEST(MainFormDoor, EditMenuConferenceManagerAndNewFiles) {
  test::TRecordingPrompts prompts;
  TMainForm form;
  form.show();
  ASSERT_TRUE(form.OpenPacketFile(DoorPacket()));

  auto* edit = Find<QMenu>(&form, "Edit1");
  QMetaObject::invokeMethod(edit, "aboutToShow");
  auto enabled = [&](const char* name) {
    auto* a = Find<QAction>(&form, name);
    return a->isVisible() && a->isEnabled();
  };
  EXPECT_TRUE(enabled("AddConference1"));
  EXPECT_TRUE(enabled("Keywords1"));
  EXPECT_FALSE(enabled("Filters1"));
  EXPECT_FALSE(enabled("Twits1"));
  // Ctrl+F reaches Forward Message only.
  EXPECT_TRUE(Find<QAction>(&form, "Filters1")->shortcut().isEmpty());
  EXPECT_EQ(Find<QAction>(&form, "ForwardMessage1")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F));

  // The conference manager reads the post office's "Door.id" again.
  const std::string po = IncludeTrailingBackslash(form.Session().PostOffice().PostOfficeDirectory());
  test::WriteFile(PathNoCase(po, "Door.id"), "DOOR = SOMEDOOR\r\nCONTROLNAME = NEWNAME\r\nCONTROLTYPE = ADD DROP\r\n");
  bool shown = false;
  test::AnswerNextModal([&](QWidget* w) {
    shown = w->windowTitle() == "Conference Manager";
    test::ClickButton(w, "&Cancel");
  });
  Find<QAction>(&form, "AddConference1")->trigger();
  EXPECT_TRUE(shown);
  EXPECT_EQ(form.Session().DoorControl().ControlName(), "NEWNAME");

  // A double click in New Files opens the viewer on that entry.
  TMailTree& tree = form.MailTreeView1()->Tree();
  for (TMailTreeNode* n : tree.Nodes())
    if (n->Record && n->Record->Kind == TFolderKind::fkNewFiles) tree.Select(n);
  ASSERT_EQ(form.MailListView1()->List().Rows().size(), 2u);
  form.MailListView1()->List().DoubleClick(1);
  TNewFilesForm* viewer = NewFilesWindow();
  ASSERT_TRUE(viewer);
  EXPECT_EQ(Find<QLabel>(viewer, "NameLabel")->text(), "TWO.ZIP");
  EXPECT_EQ(Find<QLabel>(viewer, "CountLabel")->text(), "2 of 2");
  QMetaObject::invokeMethod(Find<QMenu>(&form, "View1"), "aboutToShow");
  EXPECT_TRUE(Find<QAction>(&form, "NewFiles1")->isVisible());

  // Closing the packet closes the viewer.
  test::AnswerNextModal([](QWidget* w) { test::ClickButton(w, "Button1"); });
  form.CloseBtnClick();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_FALSE(NewFilesWindow());
  EXPECT_TRUE(prompts.Texts(TBoxKind::bkError).empty());
}

// Without a packet, choosing another post office loads that board's keyword,
// filter and twit lists: the door windows never show the previous board's.
TEST(DoorMainForm, AnotherPostOfficeBringsItsOwnDoorLists) {
  test::TRecordingPrompts prompts;
  TMainForm form;
  form.show();
  QApplication::processEvents();
  TQWKPostOffice& po = form.Session().PostOffice();
  std::string alpha = test::NewTempDir("alpha"), beta = test::NewTempDir("beta");
  test::WriteFile(alpha + "/toreader.ext", "KEYWORD ALPHA\r\nTWIT SPAMMER\r\n");
  test::WriteFile(beta + "/toreader.ext", "KEYWORD BETA\r\n");
  po.AddPostOffice("ALPHA", "Alpha Board", alpha);
  po.AddPostOffice("BETA", "Beta Board", beta);
  const TToReader& lists = form.Session().ToReader();
  EXPECT_EQ(lists.KeywordList(), (TToReader::TStringList{"BETA"}));
  EXPECT_TRUE(lists.TwitList().empty());
  po.SelectPostOffice(1);
  EXPECT_EQ(lists.KeywordList(), (TToReader::TStringList{"ALPHA"}));
  EXPECT_EQ(lists.TwitList(), (TToReader::TStringList{"SPAMMER"}));
}
