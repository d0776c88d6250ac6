#include "explorer/qt/main_form.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QLineEdit>
#include <QMenuBar>
#include <QTest>
#include <QToolButton>

#include <algorithm>
#include <filesystem>

#include <gtest/gtest.h>

#include "engine/mail_tree.h"
#include "explorer/qt/mail_list_view.h"
#include "explorer/qt/mail_tree_view.h"
#include "platform/paths.h"
#include "platform/qt/qt_platform.h"
#include "platform/qt/qt_prompts.h"
#include "support/packet_builder.h"
#include "support/packet_zip.h"
#include "support/qt_modal.h"
#include "support/recording_prompts.h"
#include "support/test_env.h"

using namespace korrin;
using test::Find;
namespace fs = std::filesystem;

namespace {
std::string MakePacket(const std::string& name) {
  std::string dir = test::NewTempDir("src");
  test::TPacketBuilder()
      .BBS("Demo Board", "DEMO")
      .User("JANE READER")
      .Conference(1, "General")
      .Conference(2, "Programming")
      .Message(1, test::TPacketMessage().From("JOHN SMITH").Subject("Welcome").Body("Hello\nthere\n> quoted line"))
      .Message(1, test::TPacketMessage().From("MARY ANN").Subject("Second").Body("Two"))
      .Message(2, test::TPacketMessage().From("SYSOP").Subject("Compilers").Body("Three"))
      .NameCase(test::TNameCase::ncUpper)
      .WriteTo(dir);
  std::string packets = test::TestRoot() + "packets/";
  fs::create_directories(packets);
  return test::ZipFolder(dir, packets + name);
}

// Answers the close dialog with a choice and the reply check box.
void AnswerClose(int choice, bool reply, const std::string& dest = {}) {
  test::AnswerNextModal([=](QWidget* w) {
    const char* radios[] = {"LeaveRad", "DeleteRad", "RenameRad", "MoveRad"};
    Find<QRadioButton>(w, radios[choice])->click();
    if (!dest.empty()) Find<QLineEdit>(w, "DestEdit")->setText(QString::fromStdString(dest));
    auto* check = w->findChild<QAbstractButton*>("CreateRep");
    if (check->isEnabled()) check->setChecked(reply);
    Find<QPushButton>(w, "Button1")->click();
  });
}
}  // namespace

TEST(MainForm, ReadingCycleWithTheKeyboardAndEveryCloseChoice) {
  test::TRecordingPrompts prompts;
  TMainForm form;
  form.show();
  EXPECT_EQ(prompts.Texts(TBoxKind::bkInformation).size(), 1u);  // the first run
  EXPECT_EQ(form.windowTitle(), "Korrin Packet Explorer");
  EXPECT_FALSE(Find<QAbstractButton>(&form, "CloseBtn")->isEnabled());

  std::string packet = MakePacket("DEMO.QWK");
  prompts.openFiles.push_back(packet);
  form.OpenBtnClick();
  EXPECT_EQ(form.windowTitle(), "Korrin Exploring DEMO.QWK");
  TMailTree& tree = form.MailTreeView1()->Tree();
  ASSERT_TRUE(tree.PacketLoaded());
  EXPECT_EQ(tree.Selected()->Caption, "1 General");
  form.UpdateCommandStates();
  EXPECT_TRUE(Find<QAbstractButton>(&form, "CloseBtn")->isEnabled());
  EXPECT_EQ(Find<QLabel>(&form, "ListStatus")->text(), " 1 of 2 object(s)");
  EXPECT_EQ(Find<QLabel>(&form, "treeststus")->text(), "Contents of \"1 General\"");

  // The quick viewer shows the message; the keys walk through the packet.
  form.SetQuickViewerShown(true);
  form.ShowQuickView();
  auto* memo = Find<QPlainTextEdit>(&form, "QuickViewerMemo");
  EXPECT_EQ(Find<QLabel>(&form, "FromLabel")->text(), "John Smith");
  EXPECT_TRUE(memo->toPlainText().startsWith("Hello"));
  QTest::keyClick(memo, Qt::Key_Right);
  EXPECT_EQ(Find<QLabel>(&form, "SubjectLabel")->text(), "Second");
  QTest::keyClick(memo, Qt::Key_Right);  // the last row: on to the next conference
  EXPECT_EQ(tree.Selected()->Caption, "2 Programming");
  EXPECT_EQ(Find<QLabel>(&form, "SubjectLabel")->text(), "Compilers");
  QTest::keyClick(memo, Qt::Key_Left);  // back to the previous conference's last message
  EXPECT_EQ(tree.Selected()->Caption, "1 General");
  EXPECT_EQ(Find<QLabel>(&form, "SubjectLabel")->text(), "Second");
  EXPECT_EQ(form.MailListView1()->List().Rows()[0].ImageIndex, 3);  // read by now
  test::GrabToPng(&form, "main-window");

  // A box message: listed with its file, deleted from the box.
  form.Lifecycle().ComposeControlMessage(5, 0);
  form.Lifecycle().ComposeControlMessage(6, 1);
  tree.Select(tree.OutBox());
  ASSERT_EQ(form.MailListView1()->List().Rows().size(), 2u);
  form.MailListView1()->SetCurrentRow(1);
  form.DeleteButtonClick();
  EXPECT_EQ(form.MailListView1()->List().Rows().size(), 1u);
  EXPECT_EQ(form.MailListView1()->CurrentRow(), 0);  // the new last row

  // Refusing the close keeps the packet open.
  test::AnswerNextModal([](QWidget* w) { Find<QPushButton>(w, "Button2")->click(); });
  form.CloseBtnClick();
  EXPECT_TRUE(tree.PacketLoaded());

  // Leave as is, with a reply packet.
  AnswerClose(0, true);
  form.CloseBtnClick();
  EXPECT_FALSE(tree.PacketLoaded());
  EXPECT_TRUE(fs::exists(packet));
  EXPECT_TRUE(fs::exists(ProgramFolder() + "DEMO.rep"));
  EXPECT_EQ(form.windowTitle(), "Korrin Packet Explorer");

  // Delete, without a reply packet (nothing left to send).
  std::string second = MakePacket("SECOND.QWK");
  ASSERT_TRUE(form.OpenPacketFile(second));
  AnswerClose(1, false);
  form.CloseBtnClick();
  EXPECT_FALSE(fs::exists(second));

  // Rename.
  std::string third = MakePacket("THIRD.QWK");
  ASSERT_TRUE(form.OpenPacketFile(third));
  AnswerClose(2, false);
  form.CloseBtnClick();
  EXPECT_FALSE(fs::exists(third));
  EXPECT_TRUE(fs::exists(test::TestRoot() + "packets/THI1.QWK"));

  // Move/Rename into another folder.
  std::string fourth = MakePacket("FOURTH.QWK");
  std::string dest = test::NewTempDir("moved");
  ASSERT_TRUE(form.OpenPacketFile(fourth));
  AnswerClose(3, false, dest);
  form.CloseBtnClick();
  EXPECT_TRUE(fs::exists(dest + "FOU1.QWK"));
  EXPECT_FALSE(fs::exists(fourth));

  // The next start reads the settings written at exit.
  EXPECT_TRUE(form.close());
}

TEST(MainForm, QuickViewerHeightSurvivesARestart) {
  test::TRecordingPrompts prompts;
  int outer = 0;
  {
    TMainForm form;
    form.show();
    form.SetQuickViewerShown(true);
    QApplication::processEvents();
    outer = form.height();
    EXPECT_TRUE(form.close());
  }
  TMainForm again;
  again.show();
  QApplication::processEvents();
  EXPECT_TRUE(again.QuickViewerShown());
  EXPECT_EQ(again.height(), outer);
  EXPECT_EQ(prompts.Texts(TBoxKind::bkInformation).size(), 1u);  // the first run only
}

#include <QTabWidget>

#include "engine/door_control.h"
#include "engine/qwk_msg.h"
#include "explorer/qt/properties_form.h"
#include "platform/registry.h"

TEST(MainForm, OptionsAreWrittenAtOnceAndDeleteAllEmptiesTheBox) {
  test::TRecordingPrompts prompts;
  TMainForm form;
  form.show();
  test::AnswerNextModal([](QWidget* w) {
    Find<QLineEdit>(w, "EMailEdit")->setText("reader@example.org");
    Find<QPushButton>(w, "OkBtn")->click();
  });
  form.ShowOptions(2);
  // No exit yet: the registry already holds the new address.
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(std::string(kProgramKey) + "\\Config\\Editor", false));
  EXPECT_EQ(reg.ReadString("EMail"), "reader@example.org");

  ASSERT_TRUE(form.OpenPacketFile(MakePacket("BOX.QWK")));
  for (int i = 0; i < 3; ++i) form.Lifecycle().ComposeControlMessage(i + 1, 0);
  TMailTree& tree = form.MailTreeView1()->Tree();
  tree.Select(tree.OutBox());
  ASSERT_EQ(form.MailListView1()->List().Rows().size(), 3u);
  prompts.answers.push_back(TBoxAnswer::baNo);
  form.DeleteALLMessages1Click();
  EXPECT_EQ(form.MailListView1()->List().Rows().size(), 3u);
  form.DeleteALLMessages1Click();
  EXPECT_TRUE(form.MailListView1()->List().Rows().empty());
  EXPECT_EQ(prompts.Texts().back(), "Are you sure you wish to delete all messages in the Out Box?");
  AnswerClose(0, false);
  form.CloseBtnClick();
}

TEST(PropertiesForm, PagesFollowWhatExists) {
  TQWKPostOffice po;
  po.AddPostOffice("DEMO", "Demo Board", "/a/rather/long/path/to/the/program/folder/of/korrin/that/will/not/fit/DEMO");
  TMailTree tree;
  TDoorControl door;  // no identity
  TQWKMsg msg;
  msg.SetMsgTo("Sysop");
  msg.SetSubject("Hello");
  msg.SetConference(12);
  msg.SetBlocks(3);
  TPropertiesSource src{&po, &tree, &door, &msg, nullptr};
  TPropertiesForm form(src);
  QTabWidget* pages = form.Pages();
  ASSERT_EQ(pages->count(), 2);
  EXPECT_EQ(pages->tabText(0), "Post &Office");
  EXPECT_EQ(pages->tabText(1), "&Message");
  EXPECT_TRUE(Find<QLabel>(&form, "POPath")->text().startsWith("/.../"));
  EXPECT_EQ(Find<QLabel>(&form, "MsgPosted")->text(), "Conference 12");
  EXPECT_EQ(Find<QLabel>(&form, "MsgSize")->text(), "512 bytes");
  form.SelectLastPage();
  EXPECT_EQ(pages->currentIndex(), 1);
  test::GrabToPng(&form, "properties");
}

#include <QMenu>

#include "reading/qt/edit_form.h"

namespace {
void Activate(QWidget* w) {
  w->show();
  w->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(w));
}
}  // namespace

TEST(MainForm, NoCommandRunsWhileAPacketOpensAndShortcutsFollowTheSelection) {
  test::TRecordingPrompts prompts;
  TMainForm form;
  form.Settings().DisplayFirstMessage = false;
  Activate(&form);
  // Keys and clicks arrive while the packet is being unpacked.
  int pumps = 0;
  form.Session().Zip().SetProcessMessages([&] {
    if (pumps++) return;
    QTest::keyClick(&form, Qt::Key_F4);
    QTest::keyClick(&form, Qt::Key_E, Qt::ControlModifier);
    QTest::mouseClick(Find<QAbstractButton>(&form, "OpenBtn"), Qt::LeftButton);
  });
  ASSERT_TRUE(form.OpenPacketFile(MakePacket("BUSY.QWK")));
  EXPECT_GT(pumps, 0);
  EXPECT_TRUE(prompts.dialogs.empty());  // F4 and Open asked for no packet
  EXPECT_TRUE(form.isVisible());         // Ctrl+E did not end the program
  TMailTree& tree = form.MailTreeView1()->Tree();
  ASSERT_TRUE(tree.PacketLoaded());
  form.Session().Zip().SetProcessMessages(nullptr);

  // Idle again: the shortcuts act on the selection of the moment, no menu dropped down.
  ASSERT_EQ(form.MailListView1()->CurrentRow(), 0);
  QTest::keyClick(&form, Qt::Key_F, Qt::ControlModifier);
  ASSERT_NE(form.Editor(), nullptr);
  form.Editor()->Discard();
  Activate(&form);
  form.Lifecycle().ComposeControlMessage(5, 0);
  tree.Select(tree.OutBox());
  form.MailListView1()->SetCurrentRow(0);
  QTest::keyClick(&form, Qt::Key_F, Qt::ControlModifier);  // an Out Box message is edited, not forwarded
  EXPECT_EQ(form.Editor(), nullptr);
  emit Find<QMenu>(&form, "Mail1")->aboutToShow();
  EXPECT_FALSE(Find<QAction>(&form, "ForwardMessage1")->isEnabled());
  tree.Select(TMailTree::FindChildByCaption(tree.InBox(), "1 General"));
  form.MailListView1()->SetCurrentRow(1);
  EXPECT_TRUE(Find<QAction>(&form, "ForwardMessage1")->isEnabled());
  QTest::keyClick(&form, Qt::Key_F, Qt::ControlModifier);
  ASSERT_NE(form.Editor(), nullptr);
  form.Editor()->Discard();
  Activate(&form);

  // A long step of the window itself: the toolbar and the shortcuts are dead meanwhile.
  form.SetBusy(true);
  EXPECT_FALSE(Find<QAbstractButton>(&form, "ForwardBtn")->isEnabled());
  QTest::keyClick(&form, Qt::Key_F, Qt::ControlModifier);
  QTest::keyClick(&form, Qt::Key_F5);
  form.ForwardBtnClick();
  EXPECT_EQ(form.Editor(), nullptr);
  EXPECT_TRUE(tree.PacketLoaded());
  form.SetBusy(false);
  AnswerClose(0, false);
  QTest::keyClick(&form, Qt::Key_F5);
  EXPECT_FALSE(tree.PacketLoaded());
}

#include <QStatusBar>
#include <QTreeWidget>

TEST(MainForm, AClickedRowIsQuickViewedAndATreePressShowsTheFirstRow) {
  test::TRecordingPrompts prompts;
  TMainForm form;
  Activate(&form);
  form.Settings().DisplayFirstMessage = false;
  form.SetQuickViewerShown(true);
  ASSERT_TRUE(form.OpenPacketFile(MakePacket("CLICK.QWK")));
  TMailListView* list = form.MailListView1();
  QAbstractItemView* view = list->ActiveView();
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(list->model()->index(1, 0)).center());
  EXPECT_EQ(list->CurrentRow(), 1);
  EXPECT_EQ(Find<QLabel>(&form, "SubjectLabel")->text(), "Second");
  EXPECT_EQ(list->List().Rows()[1].ImageIndex, 3);  // read

  TMailTreeView* tv = form.MailTreeView1();
  auto items = tv->findItems("2 Programming", Qt::MatchExactly | Qt::MatchRecursive, 0);
  ASSERT_EQ(items.size(), 1);
  QTest::mouseClick(tv->viewport(), Qt::LeftButton, {}, tv->visualItemRect(items[0]).center());
  EXPECT_EQ(tv->Tree().Selected()->Caption, "2 Programming");
  EXPECT_EQ(list->CurrentRow(), 0);
  EXPECT_EQ(Find<QLabel>(&form, "SubjectLabel")->text(), "Compilers");

  // A menu's hint goes when the menu closes: the list status is back.
  auto* mail = Find<QMenu>(&form, "Mail1");
  mail->popup(form.mapToGlobal(QPoint(20, 20)));
  form.statusBar()->showMessage(Find<QAction>(&form, "NewMessage1")->statusTip());  // as hovering the item does
  mail->hide();
  EXPECT_TRUE(form.statusBar()->currentMessage().isEmpty());
  // A title of the menu bar chosen from the keyboard, then left for a command: its hint goes too.
  form.menuBar()->setFocus();
  ASSERT_TRUE(form.menuBar()->hasFocus());
  form.statusBar()->showMessage(Find<QMenu>(&form, "View1")->menuAction()->statusTip());
  list->ActiveView()->setFocus();
  QApplication::processEvents();
  EXPECT_TRUE(form.statusBar()->currentMessage().isEmpty());
  form.UpdateCommandStates();
  EXPECT_TRUE(Find<QLabel>(&form, "ListStatus")->isVisible());
  AnswerClose(0, false);
  form.CloseBtnClick();
}

TEST(MainForm, MarkAsReadAndUnReadStayInThePacketAndTheTreePopupHasItsCaptions) {
  test::TRecordingPrompts prompts;
  TMainForm form;
  Activate(&form);
  form.Settings().DisplayFirstMessage = false;
  ASSERT_TRUE(form.OpenPacketFile(MakePacket("MARK.QWK")));
  TMailTree& tree = form.MailTreeView1()->Tree();
  auto& list = form.MailListView1()->List();
  auto image = [&](int row) { return list.Rows()[static_cast<size_t>(row)].ImageIndex; };
  auto reselect = [&] {  // the rows as the packet holds them now
    tree.NextConference(1);
    tree.PreviousConference(2);
    ASSERT_EQ(tree.Selected()->Caption, "1 General");
  };
  ASSERT_EQ(form.MailListView1()->CurrentRow(), 0);
  const int unread = image(0);
  QTest::keyClick(&form, Qt::Key_R, Qt::ShiftModifier | Qt::ControlModifier);
  EXPECT_EQ(image(0), 3);
  reselect();
  EXPECT_EQ(image(0), 3);
  EXPECT_EQ(list.Rows()[0].SubItems[4], "READ");
  form.SelectRow(0);
  QTest::keyClick(&form, Qt::Key_U, Qt::ShiftModifier | Qt::ControlModifier);
  EXPECT_EQ(image(0), unread);
  reselect();
  EXPECT_EQ(image(0), unread);
  EXPECT_TRUE(prompts.Texts(TBoxKind::bkError).empty());

  QStringList captions;
  for (QAction* a : Find<QMenu>(&form, "PopupMenu2")->actions()) captions << a->text();
  EXPECT_EQ(captions.mid(0, 4), (QStringList{"Open Packet", "Close Packet", "Open Replies", "Create Replies"}));
  AnswerClose(0, false);
  form.CloseBtnClick();
}

#include <QSplitter>

// At the minimum size, with the default font and a large one, the toolbar's
// buttons and the post-office box lie wholly inside the window; the quick
// viewer's split bar keeps to the middle third as the window is resized; the
// tree pane shows its labels whole; the View menu's rule above the windows'
// items shows only with such a window.
TEST(MainForm, NothingClipsAtTheMinimumSizeAndTheSplitKeepsItsThird) {
  test::TRecordingPrompts prompts;
  const QFont original = QApplication::font();
  for (double scale : {1.0, 1.8}) {
    QFont big = original;
    big.setPointSizeF(original.pointSizeF() * scale);
    QApplication::setFont(big);
    TMainForm form;
    Activate(&form);
    EXPECT_GE(form.minimumWidth(), 528);
    form.resize(form.minimumSize());
    QApplication::processEvents();
    auto* top = Find<QWidget>(&form, "TopPanel");
    for (QWidget* w : top->findChildren<QWidget*>()) {
      if (!w->isVisible()) continue;
      QRect r(w->mapTo(top, QPoint(0, 0)), w->size());
      EXPECT_TRUE(top->rect().contains(r)) << w->objectName().toStdString() << " at scale " << scale;
      if (auto* b = qobject_cast<QAbstractButton*>(w); b && !b->text().isEmpty())
        EXPECT_GE(b->width(), b->fontMetrics().horizontalAdvance(b->text())) << b->text().toStdString();
    }
    auto* label = Find<QLabel>(&form, "POLabel");
    EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text()));
    EXPECT_GE(Find<QWidget>(&form, "QWKPOCombobox1")->width(), 170);
  }
  QApplication::setFont(original);

  TMainForm form;
  Activate(&form);
  form.SetQuickViewerShown(true);
  auto* split = Find<QSplitter>(&form, "MainSplit");
  for (int height : {900, 480, 1000}) {
    form.resize(form.width(), height);
    QApplication::processEvents();
    QApplication::processEvents();
    int h = split->height(), top = split->sizes()[0];
    EXPECT_GE(top, h / 3) << height;
    EXPECT_LE(top, 2 * (h / 3)) << height;
  }

  // The tree pane shows its labels whole once a packet fills it.
  form.Settings().DisplayFirstMessage = false;
  ASSERT_TRUE(form.OpenPacketFile(MakePacket("WIDE.QWK")));
  QApplication::processEvents();
  TMailTreeView* tv = form.MailTreeView1();
  EXPECT_GE(tv->viewport()->width(), tv->ContentWidth());

  auto* view = Find<QMenu>(&form, "View1");
  auto actions = view->actions();
  auto at = std::find(actions.begin(), actions.end(), Find<QAction>(&form, "AddressBook2"));
  ASSERT_NE(at, actions.begin());
  QAction* rule = *(at - 1);
  ASSERT_TRUE(rule->isSeparator());
  emit view->aboutToShow();
  EXPECT_FALSE(rule->isVisible());
  form.ShowFinder();
  emit view->aboutToShow();
  EXPECT_TRUE(rule->isVisible());
  AnswerClose(0, false);
  form.CloseBtnClick();
}
