// Colours, bulletins and the sorted message list in the windows.

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QTreeView>

#include <cstdlib>
#include <filesystem>

#include <gtest/gtest.h>

#include "engine/mail_tree.h"
#include "explorer/qt/mail_list_view.h"
#include "explorer/qt/mail_tree_view.h"
#include "explorer/qt/find_msg_form.h"
#include "explorer/qt/main_form.h"
#include "reading/qt/ansi_view.h"
#include "reading/qt/msg_view.h"
#include "support/packet_builder.h"
#include "support/packet_zip.h"
#include "support/qt_fake_host.h"
#include "support/qt_modal.h"
#include "support/recording_prompts.h"
#include "support/test_env.h"

using namespace korrin;
using test::Find;
using test::TPacketMessage;
namespace fs = std::filesystem;

namespace {
std::string Zipped(test::TPacketBuilder& b, const std::string& name) {
  std::string dir = b.WriteTo(test::NewTempDir("src"));
  std::string packets = test::TestRoot() + "packets/";
  fs::create_directories(packets);
  return test::ZipFolder(dir, packets + name);
}

std::string SortPacket() {
  test::TPacketBuilder b;
  b.BBS("Sort Board", "SORTBBS").Conference(1, "General").Conference(2, "Other");
  b.Message(1, TPacketMessage().From("ALICE").Subject("Re: Zebra").Date("01-03-24").Body("one"));
  b.Message(1, TPacketMessage().From("CAROL").Subject("apple 10").Date("01-01-24").Body("two"));
  b.Message(1, TPacketMessage().From("BOB").Subject("Apple 9").Date("01-02-24").Body("three"));
  b.Message(2, TPacketMessage().From("DAVE").Subject("Next conf").Body("four"));
  return Zipped(b, "SORTBBS.QWK");
}

std::string Label(QWidget* w, const char* name) { return Find<QLabel>(w, name)->text().toStdString(); }

void ClickHeader(TMailListView* list, int section) {
  QHeaderView* header = list->ReportView()->header();
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                    QPoint(header->sectionViewportPosition(section) + 5, header->height() / 2));
}

// The pixels of an image near a colour.
int PixelsNear(const QImage& image, const QColor& c) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      QColor p = image.pixelColor(x, y);
      if (std::abs(p.red() - c.red()) < 40 && std::abs(p.green() - c.green()) < 40 && std::abs(p.blue() - c.blue()) < 40)
        ++n;
    }
  return n;
}

void Shoot(QWidget* w, const char* name) {
  if (const char* dir = std::getenv("KORRIN_SHOT_DIR")) w->grab().save(QString(dir) + "/" + name);
}
}  // namespace

TEST(ReadingAids, HeaderClicksSortTheListAndEveryWalkFollowsTheOrderShown) {
  test::TRecordingPrompts prompts;
  {
    TMainForm form;
    form.show();
    form.Settings().DisplayFirstMessage = false;
    form.SetQuickViewerShown(true);
    ASSERT_TRUE(form.OpenPacketFile(SortPacket()));
    TMailListView* list = form.MailListView1();
    ASSERT_EQ(list->CurrentRow(), 0);
    EXPECT_EQ(Label(&form, "SubjectLabel"), "Re: Zebra");

    // Subject: "Re:" and case ignored, 9 before 10; the message shown stays selected.
    ClickHeader(list, 3);
    EXPECT_EQ(list->CurrentRow(), 2);
    EXPECT_EQ(Label(&form, "SubjectLabel"), "Re: Zebra");
    EXPECT_TRUE(list->ReportView()->header()->isSortIndicatorShown());
    form.SelectRow(0);
    form.ShowQuickView();
    std::vector<std::string> seen{Label(&form, "SubjectLabel")};
    for (int i = 0; i < 3; ++i) {
      form.GoNextMessage();
      seen.push_back(Label(&form, "SubjectLabel"));
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"Apple 9", "apple 10", "Re: Zebra", "Next conf"}));
    form.GoPreviousMessage();  // back into the sorted conference, at its last row
    EXPECT_EQ(Label(&form, "SubjectLabel"), "Re: Zebra");
    form.GoPreviousMessage();
    EXPECT_EQ(Label(&form, "SubjectLabel"), "apple 10");
    EXPECT_EQ(list->List().Rows()[1].SubItems[4], "READ");  // the row the walk read

    // The viewer opens the message of the row and steps in the same order.
    form.SetQuickViewerShown(false);
    form.SelectRow(0);
    form.OpenRow(0);
    TMSGView* view = form.MsgView();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(Label(view, "Subjectlabel"), "Apple 9");
    view->NextMessage();
    EXPECT_EQ(Label(view, "Subjectlabel"), "apple 10");
    view->NextMessage();
    EXPECT_EQ(Label(view, "Subjectlabel"), "Re: Zebra");
    view->PreviousMessage();
    EXPECT_EQ(Label(view, "Subjectlabel"), "apple 10");
    form.CloseMsgView();

    // Again: the other way; dates as dates; the packet's order from the menu.
    ClickHeader(list, 3);
    EXPECT_EQ(list->List().Rows()[0].SubItems[2], "Re: Zebra");
    EXPECT_EQ(list->ReportView()->header()->sortIndicatorOrder(), Qt::DescendingOrder);
    ClickHeader(list, 0);
    EXPECT_EQ(list->List().MessageNumber(0), 2);  // 01-01-24
    Find<QAction>(&form, "PacketOrder1")->trigger();
    EXPECT_EQ(list->List().MessageNumber(0), 1);
    EXPECT_FALSE(list->ReportView()->header()->isSortIndicatorShown());
    Find<QAction>(&form, "SortByFrom1")->trigger();
    EXPECT_EQ(list->List().Rows()[0].SubItems[0], "Alice");
    // Only message folders sort.
    form.MailTreeView1()->Tree().Select(form.MailTreeView1()->Tree().InBox());
    Find<QMenu>(&form, "View1")->aboutToShow();
    EXPECT_FALSE(Find<QMenu>(&form, "SortBy1")->isEnabled());

    Find<QAction>(&form, "ShowANSIColours1")->trigger();  // off
    Find<QAction>(&form, "ShowWelcomeScreen1")->trigger();  // on
    test::AnswerNextModal([](QWidget* w) {
      Find<QRadioButton>(w, "LeaveRad")->click();
      Find<QPushButton>(w, "Button1")->click();
    });
    EXPECT_TRUE(form.close());
  }
  // The order of each folder kind and both choices are kept across a restart.
  TMainForm again;
  EXPECT_EQ(again.MailListView1()->List().Sort(TFolderKind::fkConference), (TListSort{1, false}));
  EXPECT_FALSE(again.MailListView1()->List().Sort(TFolderKind::fkOutBox).Sorted());
  EXPECT_FALSE(again.Settings().ShowAnsiColours);
  EXPECT_TRUE(again.Settings().ShowWelcomeScreen);
}

TEST(ReadingAids, WelcomeScreenBulletinsAndColouredMessagesLookAsOnTheBoard) {
  test::TRecordingPrompts prompts;
  test::TPacketBuilder b;
  b.BBS("Colour Board", "COLBBS").User("JANE READER").Conference(1, "General");
  b.Message(1, TPacketMessage().From("ARTIST").Subject("Colours").Body("\x1b[1;31mRed\x1b[0m plain\n> quoted"));
  b.Message(1, TPacketMessage().From("PLAIN").Subject("Plain").Body("no colour\n> quoted"));
  b.File("WELCOME", "\x1b[2J\x1b[1;33;44m Welcome! \x1b[0m\r\n\x1b[32m\xc9\xcd\xcd\xbb\x1b[5C\x1b[36mcyan\x1b[0m\r\n\x1a");
  b.File("BLT-1", "First bulletin\r\n");
  const std::string packet = Zipped(b, "COLBBS.QWK");

  TMainForm form;
  form.show();
  form.Settings().ShowWelcomeScreen = true;
  ASSERT_TRUE(form.OpenPacketFile(packet));
  TMSGView* view = form.MsgView();
  ASSERT_NE(view, nullptr);
  ASSERT_TRUE(view->ShowsBulletin());
  EXPECT_EQ(Label(view, "Subjectlabel"), "Welcome");
  EXPECT_EQ(Label(view, "FromLabel"), "Colour Board");
  EXPECT_EQ(Label(view, "MsgNumLabel"), "1 of 2");
  EXPECT_EQ(form.MailTreeView1()->Tree().Selected()->Caption, kBulletinsName);
  auto* memo = Find<QPlainTextEdit>(view, "Memo1");
  // Plain characters to select, search and copy; colours as formats.
  EXPECT_EQ(memo->toPlainText(), QString(" Welcome! \n") + QChar(0x2554) + QChar(0x2550) + QChar(0x2550) +
                                     QChar(0x2557) + "     cyan");
  QTextBlock first = memo->document()->firstBlock();
  const auto formats = first.layout()->formats();
  ASSERT_FALSE(formats.isEmpty());
  EXPECT_EQ(formats[0].format.foreground().color(), AnsiColor(11));
  EXPECT_EQ(formats[0].format.background().color(), AnsiColor(4));
  EXPECT_EQ(memo->palette().color(QPalette::Base), QColor(Qt::black));
  view->resize(640, 360);
  QApplication::processEvents();
  QImage shot = memo->viewport()->grab().toImage();
  EXPECT_GT(PixelsNear(shot, AnsiColor(11)), 20);  // the bright yellow letters
  EXPECT_GT(PixelsNear(shot, AnsiColor(4)), 200);  // on blue
  EXPECT_GT(PixelsNear(shot, AnsiColor(6)), 10);   // the cyan word
  Shoot(view, "welcome-screen.png");
  EXPECT_TRUE(view->FindText("cyan", {}));  // the plain text is what is searched
  const std::string pdf = test::NewTempDir("print") + "welcome.pdf";
  EXPECT_TRUE(view->PrintToPdf(QString::fromStdString(pdf)));

  // The next row of the folder is the bulletin; Reply and Save mean nothing here.
  view->NextMessage();
  EXPECT_EQ(Label(view, "Subjectlabel"), "Bulletin 1");
  EXPECT_FALSE(Find<QAction>(view, "ReplytoMessage1")->isEnabled());
  EXPECT_FALSE(Find<QAction>(view, "SaveMessage1")->isEnabled());

  // A coloured message in the viewer: colours, no quote colour; colours off: plain with the quote colour.
  form.MailTreeView1()->Tree().Select(TMailTree::FindChildByCaption(form.MailTreeView1()->Tree().InBox(), "1 General"));
  form.SelectRow(0);
  form.OpenRow(0);
  ASSERT_FALSE(view->ShowsBulletin());
  EXPECT_EQ(Label(view, "Subjectlabel"), "Colours");
  EXPECT_EQ(memo->toPlainText(), "Red plain\n> quoted");
  EXPECT_EQ(memo->document()->firstBlock().layout()->formats()[0].format.foreground().color(), AnsiColor(9));
  Shoot(view, "ansi-message.png");
  Find<QAction>(view, "ShowANSIColours1")->trigger();
  EXPECT_FALSE(form.Settings().ShowAnsiColours);
  EXPECT_EQ(memo->toPlainText(), "Red plain\n> quoted");
  EXPECT_NE(memo->palette().color(QPalette::Base), QColor(Qt::black));
  EXPECT_TRUE(memo->document()->firstBlock().layout()->formats().isEmpty());
  EXPECT_FALSE(memo->document()->lastBlock().layout()->formats().isEmpty());  // the quote colour
  Find<QAction>(view, "ShowANSIColours1")->trigger();
  form.CloseMsgView();

  // The quick viewer draws the same colours.
  form.SetQuickViewerShown(true);
  form.SelectRow(0);
  form.ShowQuickView();
  auto* quick = Find<QPlainTextEdit>(&form, "QuickViewerMemo");
  EXPECT_EQ(quick->toPlainText(), "Red plain\n> quoted");
  EXPECT_EQ(quick->palette().color(QPalette::Base), QColor(Qt::black));
  Shoot(&form, "quick-viewer.png");
  form.SelectRow(1);
  form.ShowQuickView();
  EXPECT_NE(quick->palette().color(QPalette::Base), QColor(Qt::black));
}

TEST(ReadingAids, TheFinderOpensItsHitInASortedList) {
  test::TRecordingPrompts prompts;
  test::TFakeHost host;
  ASSERT_TRUE(host.Open(SortPacket()));
  host.MailList().SetSort(TFolderKind::fkConference, TListSort{3, false});
  auto* form = new TFindMSGForm(host);
  form->show();
  Find<QComboBox>(form, "FromCombobox")->setEditText("alice");
  Find<QCheckBox>(form, "IncludeBox")->setChecked(true);
  QTest::qWait(30);
  QTest::mouseClick(Find<QPushButton>(form, "FindNowBtn"), Qt::LeftButton);
  auto* hits = Find<QTreeWidget>(form, "ListView1");
  ASSERT_EQ(hits->topLevelItemCount(), 1);
  hits->setCurrentItem(hits->topLevelItem(0));
  host.calls.clear();
  form->Read1Click();
  // Message 1 of the packet ("Re: Zebra") is the last row of the sorted list.
  EXPECT_EQ(host.SelectedRow(), 2);
  EXPECT_EQ(host.calls, (std::vector<std::string>{"open 2"}));
  EXPECT_EQ(host.MailList().MessageNumber(2), 1);
  form->close();
}
