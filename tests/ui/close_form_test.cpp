#include "explorer/qt/close_form.h"

#include <QCheckBox>
#include <QLabel>
#include <QTest>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include "engine/qwk_post_office.h"
#include "explorer/qt/help_window.h"
#include "explorer/qt/qwk_po_combobox.h"
#include "platform/ini_file.h"
#include "platform/paths.h"
#include "support/qt_modal.h"
#include "support/recording_prompts.h"
#include "support/test_env.h"

using namespace korrin;
using test::Find;

TEST(CloseForm, ChoicesDestinationCheckAndMoveToIsAlwaysStored) {
  test::TRecordingPrompts prompts;
  TIniFile(ProgramFolder() + "korrin.ini").WriteString("Main", "MoveTo", "/old/place");
  TCloseForm form;
  EXPECT_EQ(form.windowTitle(), "Close Mail Packet");
  auto* dest = Find<QLineEdit>(&form, "DestEdit");
  EXPECT_EQ(dest->text(), "/old/place");
  EXPECT_FALSE(dest->isEnabled());
  EXPECT_TRUE(Find<QRadioButton>(&form, "LeaveRad")->isChecked());

  EXPECT_EQ(HelpContext(&form), 8037);
  // A click on the label toggles the box while there is something to send.
  form.SetSomethingToSend(true);
  QTest::mouseClick(Find<QLabel>(&form, "CreateLabel"), Qt::LeftButton);
  EXPECT_FALSE(form.CreateReply());
  QTest::mouseClick(Find<QLabel>(&form, "CreateLabel"), Qt::LeftButton);
  EXPECT_TRUE(form.CreateReply());

  form.SetSomethingToSend(false);
  EXPECT_FALSE(Find<QCheckBox>(&form, "CreateRep")->isEnabled());
  QTest::mouseClick(Find<QLabel>(&form, "CreateLabel"), Qt::LeftButton);
  EXPECT_FALSE(form.CreateReply());

  Find<QRadioButton>(&form, "MoveRad")->click();
  EXPECT_EQ(form.Choice(), 3);
  EXPECT_TRUE(dest->isEnabled());
  dest->setText("/no/such/folder");
  form.show();
  Find<QPushButton>(&form, "Button1")->click();  // OK with a bad folder: refused
  EXPECT_TRUE(form.isVisible());
  EXPECT_EQ(prompts.Texts(), std::vector<std::string>{"No destination folder entered!"});

  std::string folder = test::NewTempDir("moveto");
  prompts.folders.push_back(folder);
  Find<QPushButton>(&form, "Browse")->click();
  EXPECT_EQ(dest->text().toStdString(), folder);
  Find<QPushButton>(&form, "Button1")->click();
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(form.result(), QDialog::Accepted);

  TCloseForm again;
  Find<QLineEdit>(&again, "DestEdit")->setText("typed then cancelled");
  again.show();
  Find<QPushButton>(&again, "Button2")->click();
  EXPECT_EQ(TIniFile(ProgramFolder() + "korrin.ini").ReadString("Main", "MoveTo", ""), "typed then cancelled");
}

TEST(POCombobox, FillKeepsTheSelectionAndAChoiceMovesTheCurrentPostOffice) {
  TQWKPostOffice po;
  po.AddPostOffice("A", "Alpha Board", "/a");
  po.AddPostOffice("B", "Beta Board", "/b");
  TQWKPOCombobox box;
  int clicks = 0;
  QObject::connect(&box, &TQWKPOCombobox::Click, [&] { ++clicks; });
  box.SetPostOffice(&po);
  EXPECT_EQ(box.count(), 2);
  EXPECT_EQ(box.currentIndex(), -1);
  box.setCurrentIndex(1);
  emit box.activated(0);
  EXPECT_EQ(po.BBSID(), "A");
  EXPECT_EQ(clicks, 1);
  box.setCurrentIndex(1);
  po.AddPostOffice("C", "Gamma", "/c");
  box.Fill();
  EXPECT_EQ(box.count(), 3);
  EXPECT_EQ(box.currentText(), "Beta Board");
  EXPECT_EQ(clicks, 1);
}
