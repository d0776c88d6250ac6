#include <algorithm>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QTest>
#include <QToolButton>

#include <filesystem>

#include <gtest/gtest.h>

#include "door/qt/conf_man.h"
#include "door/qt/new_files_form.h"
#include "door/qt/olms_setup.h"
#include "engine/mail_tree.h"
#include "platform/ini_file.h"
#include "platform/paths.h"
#include "support/packet_builder.h"
#include "support/qt_modal.h"
#include "support/recording_prompts.h"
#include "support/packet_zip.h"
#include "support/qt_fake_host.h"
#include "support/test_env.h"

using namespace korrin;
using test::Find;
using Lines = std::vector<std::string>;
namespace fs = std::filesystem;

namespace {
// Opens a packet of the builder through the session's lifecycle.
void OpenPacket(test::TFakeHost& host, test::TPacketBuilder builder) {
  std::string src = builder.BBS("Door Window BBS", "DOORWIN").WriteTo(test::NewTempDir("src"));
  ASSERT_TRUE(host.Session().Lifecycle().OpenPacket(
      test::ZipFolder(src, test::NewTempDir("packets") + "DOORWIN.QWK")));
}

Lines Texts(QListWidget* list) {
  Lines out;
  for (int i = 0; i < list->count(); ++i) out.push_back(list->item(i)->text().toStdString());
  return out;
}

std::string Text(QWidget* w, const char* name) { return Find<QLabel>(w, name)->text().toStdString(); }

void Key(QWidget* w, Qt::Key key) { QTest::keyClick(w, key); }

std::string ToDoorText(test::TFakeHost& host) {
  return test::ReadFile(host.Session().Lifecycle().TempDirectory() + "todoor.ext");
}
}  // namespace

TEST(NewFilesForm, ShowsNavigatesRequestsAndKeepsItsPlace) {
  test::TRecordingPrompts prompts;
  test::TFakeHost host;
  OpenPacket(host, test::TPacketBuilder()
                       .Conference(1, "General")
                       .DoorId({"DOOR = OTHERDOOR", "CONTROLTYPE = ALLOWREQUEST", "CONTROLTYPE = MAXREQUESTS 1"})
                       .NewFiles({"GAME.ZIP        123456 01-01-24 A game", "                                with levels",
                                  "TOOL.ARJ          2048 N/A      A tool"}));
  TMailTreeNode* newFiles = nullptr;
  for (TMailTreeNode* n : host.Session().Tree().Nodes())
    if (n->Record && n->Record->Kind == TFolderKind::fkNewFiles) newFiles = n;
  ASSERT_TRUE(newFiles);
  host.Session().Tree().Select(newFiles);

  QPointer<TNewFilesForm> window;
  TNewFilesForm::ShowEntry(host, window, 1);
  ASSERT_TRUE(window);
  EXPECT_EQ(window->windowTitle(), "New File Viewer");
  EXPECT_EQ(window->minimumSize(), QSize(400, 300));
  EXPECT_EQ(Text(window, "NameLabel"), "TOOL.ARJ");
  EXPECT_EQ(Text(window, "SizeLabel"), "2.0 k");
  EXPECT_EQ(Text(window, "DateLabel"), "N/A");
  EXPECT_EQ(Text(window, "CountLabel"), "2 of 2");

  auto* memo = Find<QPlainTextEdit>(window, "FileDiscription");
  Key(memo, Qt::Key_Right);  // from the last to the first
  EXPECT_EQ(Text(window, "CountLabel"), "1 of 2");
  EXPECT_EQ(Text(window, "DateLabel"), "Monday January 1 2024");
  EXPECT_EQ(memo->toPlainText(), "A game\nwith levels");
  EXPECT_EQ(Text(window, "SizeLabel"), "120.6 k");
  Key(memo, Qt::Key_Left);
  Key(memo, Qt::Key_Space);
  EXPECT_EQ(host.selections, (std::vector<int>{0, 1, 0}));
  EXPECT_TRUE(memo->isReadOnly());
  EXPECT_EQ(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);

  // Any door that announces requests gets them; its maximum holds.
  auto* request = Find<QToolButton>(window, "SpeedButton3");
  ASSERT_TRUE(request->isEnabled());
  EXPECT_EQ(request->toolTip(), "Request file");
  request->click();
  prompts.inputs = {"OTHER.ZIP"};
  Find<QAction>(window, "RequestAnyFile1")->trigger();
  EXPECT_EQ(prompts.Texts(), (Lines{"The file GAME.ZIP has been requested and will be included in your next mail packet.",
                                    "You have reached the maximum allowed file requests per mail packet."}));
  EXPECT_EQ(prompts.dialogs, (Lines{"Request a file|Enter a valid filename :"}));
  EXPECT_EQ(ToDoorText(host), "REQUEST GAME.ZIP\r\n");

  // Menus as the window names them.
  auto captions = [&](const char* menu) {
    Lines out;
    for (QAction* a : Find<QMenu>(window, menu)->actions())
      if (!a->isSeparator()) out.push_back(a->text().toStdString());
    return out;
  };
  EXPECT_EQ(captions("File1"), (Lines{"&Request File", "Request &Any File", "&Close New Files", "&Exit Program"}));
  EXPECT_EQ(captions("View1"), (Lines{"Toolbar", "Korrin Explorer"}));
  EXPECT_EQ(captions("Help1"), (Lines{"&Introduction", "&Using Korrin Help", "&New files Help", "&About"}));
  EXPECT_EQ(captions("PopupMenu1"),
            (Lines{"Next File", "Previous File", "Request File", "Request any File", "Close"}));
  Find<QAction>(window, "KorrinExplorer1")->trigger();
  Find<QAction>(window, "Exit1")->trigger();
  EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), "front"), 1);
  EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), "close"), 1);

  // A second double click reuses the window.
  QPointer<TNewFilesForm> first = window;
  TNewFilesForm::ShowEntry(host, window, 0);
  EXPECT_EQ(window, first);
  EXPECT_EQ(Text(window, "CountLabel"), "1 of 2");
  test::GrabToPng(window, "new_files_form");

  // Placement goes to "New Files" of korrin.ini and comes back.
  Find<QAction>(window, "Toolbar1")->trigger();
  window->setGeometry(70, 80, 620, 410);
  Key(memo, Qt::Key_Escape);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_FALSE(window);
  TIniFile ini(ProgramFolder() + "korrin.ini");
  EXPECT_EQ(ini.ReadInteger("New Files", "Width", 0), 620);
  EXPECT_EQ(ini.ReadInteger("New Files", "Toolbar", 1), 0);
  TNewFilesForm::ShowEntry(host, window, 0);
  EXPECT_EQ(window->geometry().width(), 620);
  EXPECT_TRUE(Find<QWidget>(window, "Toolbar")->isHidden());
  delete window;
}

TEST(NewFilesForm, RequestsAreOffWithoutTheDoorsFlagAndAnEmptyListShowsNothing) {
  test::TRecordingPrompts prompts;
  test::TFakeHost host;
  OpenPacket(host, test::TPacketBuilder().Conference(1, "General").DoorId({"DOOR = OLMS"}).NewFiles({"no entries"}));
  QPointer<TNewFilesForm> window;
  TNewFilesForm::ShowEntry(host, window, 5);
  EXPECT_EQ(Text(window, "CountLabel"), "0 of 0");
  EXPECT_EQ(Text(window, "NameLabel"), "");
  EXPECT_FALSE(Find<QToolButton>(window, "SpeedButton3")->isEnabled());
  EXPECT_FALSE(Find<QToolButton>(window, "SpeedButton4")->isEnabled());
  Find<QToolButton>(window, "NextBtn")->click();
  EXPECT_TRUE(prompts.boxes.empty());
  delete window;
}

TEST(ConfMan, MovesConferencesAndSendsTheChangesAfterOk) {
  test::TRecordingPrompts prompts;
  test::TFakeHost host;
  OpenPacket(host, test::TPacketBuilder()
                       .Conference(1, "General")
                       .Conference(2, "Programming")
                       .Conference(5, "Chat", false)
                       .Conference(9, "Files", false)
                       .Conference(12, "Games", false)
                       .DoorId({"DOOR = X", "CONTROLNAME = XDOOR", "CONTROLTYPE = ADD", "CONTROLTYPE = DROP"}));
  const std::string po = IncludeTrailingBackslash(host.Session().PostOffice().PostOfficeDirectory());
  const std::string outBox = po + "OutBox/";
  auto outBoxCount = [&] {
    return std::count_if(fs::directory_iterator(outBox), fs::directory_iterator(),
                         [](const fs::directory_entry& e) { return e.path().extension() == ".qms"; });
  };

  // Cancel: nothing written.
  test::AnswerNextModal([](QWidget* w) {
    auto* src = Find<QListWidget>(w, "SrcList");
    src->item(0)->setSelected(true);
    Find<QPushButton>(w, "IncludeBtn")->click();
    test::ClickButton(w, "&Cancel");
  });
  EXPECT_FALSE(TConfMan::Execute(host));
  EXPECT_FALSE(FileExistsNoCase(po, "CurConf.cfg"));
  EXPECT_EQ(outBoxCount(), 0);

  bool ran = false;
  test::AnswerNextModal([&](QWidget* w) {
    ran = true;
    EXPECT_EQ(w->windowTitle(), "Conference Manager");
    auto* src = Find<QListWidget>(w, "SrcList");
    auto* dst = Find<QListWidget>(w, "DstList");
    EXPECT_EQ(Texts(src), (Lines{"12 Games", "5 Chat", "9 Files"}));
    EXPECT_EQ(Texts(dst), (Lines{"1 General", "2 Programming"}));
    EXPECT_EQ(Text(w, "AvailSel"), "0 Selected");
    for (int i = 0; i < 3; ++i) src->item(i)->setSelected(true);
    EXPECT_EQ(Text(w, "AvailSel"), "3 Selected");
    Find<QPushButton>(w, "IncludeBtn")->click();
    EXPECT_TRUE(Texts(src).empty());
    EXPECT_FALSE(Find<QPushButton>(w, "IncludeBtn")->isEnabled());
    EXPECT_EQ(Text(w, "CurSel"), "1 Selected");
    EXPECT_EQ(dst->selectedItems().value(0)->text(), "12 Games");
    dst->clearSelection();
    dst->item(4)->setSelected(true);  // "9 Files" and "5 Chat" back: their last move counts
    dst->item(3)->setSelected(true);
    Find<QPushButton>(w, "ExcludeBtn")->click();
    dst->clearSelection();
    dst->item(1)->setSelected(true);  // "12 Games" stays added
    dst->item(2)->setSelected(true);  // "2 Programming" dropped
    Find<QPushButton>(w, "ExcludeBtn")->click();
    src->clearSelection();
    src->findItems("12 Games", Qt::MatchExactly)[0]->setSelected(true);
    Find<QPushButton>(w, "IncludeBtn")->click();
    EXPECT_EQ(Texts(dst), (Lines{"1 General", "12 Games"}));
    test::GrabToPng(w, "conf_man");
    test::ClickButton(w, "&Ok");
  });
  ASSERT_TRUE(TConfMan::Execute(host));
  EXPECT_TRUE(ran);
  EXPECT_EQ(test::ReadFile(po + "CurConf.cfg"), "1 General\r\n12 Games\r\n");
  EXPECT_EQ(outBoxCount(), 4);  // ADD 12; DROP 9, 5 and 2
  EXPECT_TRUE(prompts.boxes.empty());
}

TEST(OLMSSetup, PagesMaximaAndTheLinesEachChangeWrites) {
  test::TRecordingPrompts prompts;
  test::TFakeHost host;
  OpenPacket(host, test::TPacketBuilder()
                       .Conference(1, "General")
                       .DoorId({"DOOR = OLMS", "CONTROLTYPE = MAXKEYWORDS 2", "CONTROLTYPE = FILTER"})
                       .ToReader({"KEYWORD OLDKEY", "FILTER OLDFILTER", "TWIT SOMEONE"}));
  bool ran = false;
  test::AnswerNextModal([&](QWidget* w) {
    ran = true;
    EXPECT_EQ(w->windowTitle(), "Configure OLMS Door");
    auto* tabs = Find<QTabBar>(w, "TabSet1");
    auto* book = Find<QStackedWidget>(w, "Notebook1");
    EXPECT_EQ(tabs->currentIndex(), 2);
    EXPECT_EQ(book->currentIndex(), 2);
    EXPECT_EQ(tabs->tabText(0), "  Keywords   ");
    EXPECT_FALSE(Find<QGroupBox>(w, "TwitsGroup")->isEnabled());
    EXPECT_TRUE(Texts(Find<QListWidget>(w, "TwitListBox")).empty());
    EXPECT_EQ(Text(w, "MaxF"), "(Max 2)");
    EXPECT_EQ(Text(w, "MaxFil"), "(Max 0)");
    EXPECT_EQ(Text(w, "MaxT"), "(Max 0)");
    tabs->setCurrentIndex(0);
    EXPECT_EQ(book->currentIndex(), 0);

    auto* keywords = Find<QListWidget>(w, "KeywordsListBox");
    EXPECT_EQ(Texts(keywords), (Lines{"OLDKEY"}));
    prompts.inputs = {"pascal", "never asked"};
    Find<QPushButton>(w, "AddKeywordBtn")->click();
    Find<QPushButton>(w, "AddKeywordBtn")->click();
    EXPECT_EQ(Texts(keywords), (Lines{"OLDKEY", "PASCAL"}));
    keywords->setCurrentRow(1);
    Find<QPushButton>(w, "RemoveKeywordBtn")->click();
    EXPECT_EQ(Texts(keywords), (Lines{"OLDKEY"}));
    test::GrabToPng(w, "olms_setup");
    test::ClickButton(w, "&Close");
  });
  TOLMSSetup::Execute(host, 2);
  EXPECT_TRUE(ran);
  EXPECT_EQ(prompts.Texts(), (Lines{"The BBS only allows 2 keywords.", "Remove PASCAL from message keyword searches."}));
  EXPECT_EQ(ToDoorText(host), "KEYWORD PASCAL\r\nKEYWORD -PASCAL\r\n");
}
