#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <filesystem>

#include <gtest/gtest.h>

#include "engine/mail_tree.h"
#include "platform/text.h"
#include "explorer/qt/find_msg_form.h"
#include "explorer/qt/mail_list_view.h"
#include "explorer/qt/main_form.h"
#include "reading/qt/msg_view.h"
#include "support/packet_builder.h"
#include "support/qt_fake_host.h"
#include "support/qt_modal.h"
#include "support/recording_prompts.h"
#include "support/test_env.h"

using namespace korrin;
using test::Find;
using test::TPacketMessage;
namespace fs = std::filesystem;

namespace {
std::string PacketFile(TXceedZip& zip, int extra) {
  test::TPacketBuilder b;
  b.BBS("Finder BBS", "FINDBBS").Conference(1, "General").Conference(2, "Tech");
  b.Message(1, TPacketMessage().From("JOHN SMITH").Subject("Hello world").Body("the quick fox"));
  b.Message(1, TPacketMessage().From("MARY ANN").Subject("Other").Body("nothing here"));
  b.Message(2, TPacketMessage().From("JOHN SMITH").Subject("In tech").Body("a fox again"));
  for (int i = 0; i < extra; ++i) b.Message(2, TPacketMessage().From("BULK").Subject("Bulk").Body("fox"));
  std::string src = b.WriteTo(test::NewTempDir("src"));
  zip.SetUsePaths(false);
  zip.SetZipFileName(test::NewTempDir("packets") + "FINDBBS.QWK");
  std::vector<std::string> files;
  for (auto& e : fs::directory_iterator(src)) files.push_back(e.path().string());
  zip.SetFilesToProcess(files);
  EXPECT_EQ(zip.Compress(0), 0);
  return zip.ZipFileName();
}

void OpenPacket(test::TFakeHost& host, int extra = 0) { ASSERT_TRUE(host.Open(PacketFile(host.Session().Zip(), extra))); }

std::vector<std::string> Hits(QWidget* w) {
  auto* list = Find<QTreeWidget>(w, "ListView1");
  std::vector<std::string> out;
  for (int i = 0; i < list->topLevelItemCount(); ++i)
    out.push_back(list->topLevelItem(i)->text(0).toStdString() + " @ " + list->topLevelItem(i)->text(1).toStdString());
  return out;
}

void SetText(QWidget* w, const char* combo, const QString& text) { Find<QComboBox>(w, combo)->setEditText(text); }
}  // namespace

TEST(FindMSGForm, SearchesShowsHitsAndOpensOneInTheViewer) {
  test::TRecordingPrompts prompts;
  test::TFakeHost host;
  OpenPacket(host);
  auto* form = new TFindMSGForm(host);
  form->show();
  EXPECT_EQ(form->windowTitle().toStdString(), "Korrin Mail Finder");
  EXPECT_EQ(form->minimumSize(), QSize(480, 330));
  EXPECT_EQ(form->geometry().size(), QSize(482, 381));
  auto* tabs = Find<QTabWidget>(form, "FindControl");
  EXPECT_EQ(tabs->tabText(0).toStdString(), "Address && Location");
  EXPECT_EQ(tabs->tabText(1).toStdString(), "Date Posted");
  auto* find = Find<QPushButton>(form, "FindNowBtn");
  EXPECT_FALSE(find->isEnabled());  // nothing to look for
  EXPECT_FALSE(Find<QPushButton>(form, "StopBtn")->isEnabled());
  // "Look in": every node of the tree, the first chosen.
  auto* were = Find<QComboBox>(form, "WereComboBox");
  EXPECT_EQ(were->count(), static_cast<int>(host.Session().Tree().Nodes().size()));
  EXPECT_EQ(were->currentIndex(), 0);

  // Enabled states of the date page.
  auto* between = Find<QRadioButton>(form, "RadioButton3");
  EXPECT_FALSE(between->isEnabled());
  Find<QRadioButton>(form, "RadioButton2")->setChecked(true);
  EXPECT_TRUE(between->isEnabled());
  EXPECT_TRUE(Find<QWidget>(form, "MaskEdit1")->isEnabled());
  EXPECT_FALSE(Find<QWidget>(form, "SpinEdit1")->isEnabled());
  Find<QRadioButton>(form, "RadioButton1")->setChecked(true);
  EXPECT_FALSE(Find<QWidget>(form, "MaskEdit1")->isEnabled());
  EXPECT_FALSE(Find<QWidget>(form, "FilesComboBox")->isEnabled());
  Find<QRadioButton>(form, "RadioButton7")->setChecked(true);
  EXPECT_TRUE(Find<QWidget>(form, "FilesComboBox")->isEnabled());
  EXPECT_FALSE(Find<QWidget>(form, "CaseCheckBox")->isEnabled());
  QTest::qWait(30);
  EXPECT_TRUE(find->isEnabled());  // the mask "*.*" is a criterion
  Find<QRadioButton>(form, "RadioButton6")->setChecked(true);

  SetText(form, "FromCombobox", "john");
  Find<QCheckBox>(form, "IncludeBox")->setChecked(true);
  QTest::qWait(30);
  EXPECT_TRUE(find->isEnabled());
  QTest::mouseClick(find, Qt::LeftButton);
  EXPECT_EQ(Hits(form), (std::vector<std::string>{"Hello world @ 1 General", "In tech @ 2 Tech"}));
  QTest::qWait(30);
  EXPECT_EQ(form->statusBar()->findChildren<QLabel*>()[0]->text().toStdString(), "Found : 2");
  EXPECT_EQ(Find<QLabel>(form, "Label8")->text().toStdString(), "3");
  EXPECT_EQ(Find<QComboBox>(form, "FromCombobox")->count(), 1);
  std::error_code ec;
  fs::create_directories("/work/briefs/png", ec);
  form->grab().save("/work/briefs/png/finder.png");
  tabs->setCurrentIndex(1);
  Find<QRadioButton>(form, "RadioButton2")->setChecked(true);
  form->grab().save("/work/briefs/png/finder_dates.png");
  Find<QRadioButton>(form, "RadioButton1")->setChecked(true);
  tabs->setCurrentIndex(2);
  form->grab().save("/work/briefs/png/finder_advanced.png");
  tabs->setCurrentIndex(0);

  // Opening the second hit: its folder and row in the main window, then the viewer.
  auto* list = Find<QTreeWidget>(form, "ListView1");
  list->setCurrentItem(list->topLevelItem(1));
  host.calls.clear();
  form->Read1Click();
  EXPECT_EQ(host.Session().Tree().Selected()->Caption, "2 Tech");
  EXPECT_EQ(host.SelectedRow(), 0);
  EXPECT_EQ(host.calls, (std::vector<std::string>{"open 0"}));

  // New Search: Cancel keeps everything, OK clears the search but not the histories.
  prompts.answers = {TBoxAnswer::baCancel, TBoxAnswer::baOk};
  QTest::mouseClick(Find<QPushButton>(form, "NewSearchBtn"), Qt::LeftButton);
  EXPECT_EQ(Hits(form).size(), 2u);
  EXPECT_EQ(prompts.boxes.back().text, "This will clear your current search.");
  QTest::mouseClick(Find<QPushButton>(form, "NewSearchBtn"), Qt::LeftButton);
  EXPECT_TRUE(Hits(form).empty());
  EXPECT_EQ(Find<QComboBox>(form, "FromCombobox")->currentText().toStdString(), "");
  EXPECT_EQ(Find<QComboBox>(form, "FromCombobox")->count(), 1);
  EXPECT_EQ(Find<QComboBox>(form, "FilesComboBox")->currentText().toStdString(), "*.*");
  EXPECT_EQ(form->Finder().ExaminedCount(), 0);
  form->close();

  // The histories come back in the next window.
  auto* again = new TFindMSGForm(host);
  EXPECT_EQ(Find<QComboBox>(again, "FromCombobox")->itemText(0).toStdString(), "john");
  again->close();
}

TEST(FindMSGForm, StopAndCloseWhileSearching) {
  test::TRecordingPrompts prompts;
  test::TFakeHost host;
  OpenPacket(host, 3000);
  auto* form = new TFindMSGForm(host);
  form->show();
  Find<QCheckBox>(form, "IncludeBox")->setChecked(true);
  SetText(form, "TextComboBox", "fox");
  form->Finder().PumpInterval = std::chrono::milliseconds(0);
  // Closing during the search is refused and stops it; the window lives on.
  bool closed = true;
  QString caption;
  QTimer::singleShot(0, form, [&] {
    caption = form->windowTitle();
    closed = form->close();
  });
  form->FindNowBtnClick();
  EXPECT_FALSE(closed);
  EXPECT_TRUE(caption.startsWith("Searching mail - with \"fox\" in text"));
  EXPECT_FALSE(form->Searching());
  size_t kept = Hits(form).size();
  EXPECT_LT(kept, 3002u);
  EXPECT_EQ(form->Finder().Hits().size(), kept);
  // Stop keeps the hits found so far.
  QTimer::singleShot(0, form, [&] { form->StopBtnClick(); });
  form->FindNowBtnClick();
  EXPECT_GE(Hits(form).size(), kept);
  QPointer<TFindMSGForm> alive(form);
  EXPECT_TRUE(form->close());
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(alive.isNull());
}

TEST(FindMSGForm, TheMainWindowOpensOneFinderAndClosesItWithThePacket) {
  test::TRecordingPrompts prompts;
  TMainForm form;
  form.show();
  ASSERT_TRUE(form.OpenPacketFile(PacketFile(form.Session().Zip(), 0)));
  form.CloseMsgView();
  QAction* search = Find<QAction>(&form, "Search1");
  EXPECT_TRUE(search->isVisible());
  search->trigger();
  QPointer<TFindMSGForm> finder = form.Finder();
  ASSERT_TRUE(finder);
  search->trigger();
  EXPECT_EQ(form.Finder(), finder.data());  // brought forward, not a second one

  SetText(finder, "FromCombobox", "john");
  Find<QCheckBox>(finder, "IncludeBox")->setChecked(true);
  // While the search runs the list holds rows of another folder: out of use.
  bool listOff = false;
  int rowDuring = 0;
  QTimer::singleShot(0, finder, [&] {
    listOff = !form.MailListView1()->isEnabled();
    rowDuring = form.SelectedRow();
  });
  finder->FindNowBtnClick();
  EXPECT_TRUE(listOff);
  EXPECT_EQ(rowDuring, -1);
  ASSERT_EQ(Hits(finder).size(), 2u);
  // The list is back in use, filled for the last folder searched.
  EXPECT_TRUE(form.MailListView1()->isEnabled());
  EXPECT_EQ(form.Session().Tree().Selected(), form.Session().Tree().Nodes().back());

  auto* list = Find<QTreeWidget>(finder, "ListView1");
  list->setCurrentItem(list->topLevelItem(0));
  finder->Read1Click();
  EXPECT_EQ(form.Session().Tree().Selected()->Caption, "1 General");
  ASSERT_NE(form.MsgView(), nullptr);
  EXPECT_EQ(TrimRight(form.MsgView()->QWKMsg1().Subject()), "Hello world");

  test::AnswerNextModal([](QWidget* w) { Find<QPushButton>(w, "Button1")->click(); });
  form.CloseBtnClick();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(finder.isNull());
}
