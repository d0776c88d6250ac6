#include <QDir>
#include <QFileDialog>
#include <QMainWindow>
#include <QMessageBox>
#include <QTest>

#include <gtest/gtest.h>

#include "platform/qt/qt_platform.h"
#include "platform/qt/qt_prompts.h"
#include "support/qt_modal.h"

using namespace korrin;

TEST(QtPrompts, BoxesCarryTheirTextIconAndButtons) {
  TQtPrompts prompts;
  QString seenText;
  QMessageBox::Icon seenIcon = QMessageBox::NoIcon;
  test::AnswerNextModal([&](QWidget* w) {
    auto* box = qobject_cast<QMessageBox*>(w);
    ASSERT_NE(box, nullptr);
    seenText = box->text();
    seenIcon = box->icon();
    EXPECT_TRUE(test::ClickButton(box, "No"));
  });
  EXPECT_FALSE(prompts.ConfirmYesNo("Delete it?"));
  EXPECT_EQ(seenText, "Delete it?");
  EXPECT_EQ(seenIcon, QMessageBox::Question);

  test::AnswerNextModal([&](QWidget* w) {
    auto* box = qobject_cast<QMessageBox*>(w);
    ASSERT_NE(box, nullptr);
    seenIcon = box->icon();
    EXPECT_TRUE(test::ClickButton(box, "Abort"));
  });
  EXPECT_EQ(prompts.ConfirmYesNoAbort("Replace?"), TBoxAnswer::baAbort);

  test::AnswerNextModal([&](QWidget* w) {
    seenIcon = qobject_cast<QMessageBox*>(w)->icon();
    test::ClickButton(w, "OK");
  });
  prompts.Error("Could not read file - CONTROL.DAT");
  EXPECT_EQ(seenIcon, QMessageBox::Critical);

  // File dialogs open inside the folder they are given, not in its parent.
  const QString folder = QDir::temp().absoluteFilePath("korrin-start-in");
  QDir().mkpath(folder);
  QString shown;
  test::AnswerNextModal([&](QWidget* w) {
    shown = qobject_cast<QFileDialog*>(w)->directory().absolutePath();
    qobject_cast<QFileDialog*>(w)->reject();
  });
  EXPECT_FALSE(prompts.OpenFile("Open Packet", "Mail Packets (*.Q* *.q*)", folder.toStdString()));
  EXPECT_EQ(shown, folder);
  QDir(folder).removeRecursively();
}

TEST(QtPrompts, ABoxBelongsToTheWindowThatAsks) {
  QMainWindow main, viewer;
  TQtPrompts prompts(&main);
  main.show();
  viewer.show();
  viewer.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&viewer));
  QWidget* owner = nullptr;
  test::AnswerNextModal([&](QWidget* w) {
    owner = w->parentWidget();
    test::ClickButton(w, "OK");
  });
  prompts.Error("Asked from the viewer");
  EXPECT_EQ(owner, &viewer);  // not the main window, which would come to the front
}

TEST(QtPlatform, Cp437TextAndFileTypes) {
  EXPECT_EQ(FromCp437("caf\x82 \xE3"), QString::fromUtf8("café π"));
  std::string replaced;
  EXPECT_EQ(ToCp437(QString::fromUtf8("€uro"), &replaced), "?uro");
  EXPECT_EQ(replaced, "€");
  EXPECT_FALSE(FileTypeName("picture.png").isEmpty());
  EXPECT_FALSE(FileIcon("notes.txt").isNull());
}
