#include "explorer/qt/ts_option_form.h"
#include "explorer/qt/help_window.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>

#include <gtest/gtest.h>

#include "platform/paths.h"
#include "support/qt_modal.h"
#include "support/recording_prompts.h"
#include "support/test_env.h"

using namespace korrin;
using test::Find;

TEST(OptionsDialog, FillsEditsAndReadsBackWithColumnMovesAndFolderCorrection) {
  test::TRecordingPrompts prompts;
  std::string packets = test::NewTempDir("packets");
  std::string chosen = test::NewTempDir("replies");
  prompts.folders.push_back(chosen);

  TMainSettings s;
  s.Packets = packets;
  s.Replies = "/no/such/folder";
  s.Signature = {"Regards,", "Me"};
  s.UseMime = false;
  const int32_t order[4] = {0, 1, 2, 3};
  TTsOptionForm form;
  form.Fill(s, order, 2);
  EXPECT_EQ(form.windowTitle(), "Korrin Options");
  EXPECT_EQ(HelpContext(&form), 5488);
  EXPECT_EQ(HelpContextFor(Find<QWidget>(&form, "FontsPage")), 5492);
  // The quote sample shows the quote colour (red by default) in the role it is drawn with.
  auto* quote = Find<QLabel>(&form, "QuoteLabel");
  EXPECT_EQ(quote->palette().color(quote->foregroundRole()), QColor(255, 0, 0));
  EXPECT_EQ(Find<QTabWidget>(&form, "PageControl1")->currentIndex(), 2);
  EXPECT_TRUE(Find<QRadioButton>(&form, "UUEncode")->isChecked());
  EXPECT_EQ(Find<QPlainTextEdit>(&form, "Memo1")->toPlainText(), "Regards,\nMe");

  auto* list = Find<QListWidget>(&form, "HeaderList");
  ASSERT_EQ(list->count(), 4);
  EXPECT_EQ(list->item(3)->text(), "Subject");
  list->setCurrentRow(3);
  for (int i = 0; i < 3; ++i) Find<QToolButton>(&form, "UpButton")->click();
  EXPECT_EQ(list->currentRow(), 0);
  EXPECT_EQ(list->item(0)->text(), "Subject");
  auto* header = Find<QHeaderView>(&form, "Header1");
  EXPECT_EQ(header->model()->headerData(0, Qt::Horizontal).toString(), "Subject                ");

  Find<QPushButton>(&form, "NewButton2")->click();
  EXPECT_EQ(Find<QLineEdit>(&form, "RepEdit")->text().toStdString(), ExcludeTrailingBackslash(chosen));
  EXPECT_EQ(prompts.dialogs.back(), "Select folder to place reply packets in:|" + std::string("/no/such/folder/"));
  Find<QLineEdit>(&form, "QWKEdiT")->setText("/nowhere");
  Find<QLineEdit>(&form, "EMailEdit")->setText("me@example.org");
  Find<QRadioButton>(&form, "Mime")->setChecked(true);
  Find<QPlainTextEdit>(&form, "Memo1")->setPlainText("One line");
  test::GrabToPng(&form, "options");
  form.accept();
  EXPECT_EQ(Find<QLineEdit>(&form, "QWKEdiT")->text().toStdString(), ExcludeTrailingBackslash(ProgramFolder()));

  TMainSettings back = s;
  int32_t newOrder[4];
  form.ReadBack(back, newOrder);
  EXPECT_EQ(std::vector<int32_t>(newOrder, newOrder + 4), (std::vector<int32_t>{3, 0, 1, 2}));
  EXPECT_EQ(back.Replies, ExcludeTrailingBackslash(chosen));
  EXPECT_EQ(back.Packets, ExcludeTrailingBackslash(ProgramFolder()));
  EXPECT_EQ(back.EMail, "me@example.org");
  EXPECT_TRUE(back.UseMime);
  EXPECT_EQ(back.Signature, std::vector<std::string>{"One line"});
}
