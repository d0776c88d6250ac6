#include "reading/qt/tag_line_man.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "engine/qwk_msg.h"
#include "explorer/qt/main_form.h"
#include "platform/paths.h"
#include "reading/qt/sel_tag_form.h"
#include "reading/taglines.h"
#include "support/qt_modal.h"
#include "support/recording_prompts.h"
#include "support/test_env.h"

using namespace korrin;
using test::Find;
using Lines = std::vector<std::string>;

namespace {
Lines Texts(QListWidget* list) {
  Lines out;
  for (int i = 0; i < list->count(); ++i) out.push_back(list->item(i)->text().toStdString());
  return out;
}

// Clicks a row as a user does; with Ctrl held it joins the selection.
void ClickRow(QListWidget* list, int row, Qt::KeyboardModifiers mods = Qt::NoModifier) {
  list->scrollToItem(list->item(row));
  QRect r = list->visualItemRect(list->item(row));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, mods, r.center());
}

void DoubleClickRow(QListWidget* list, int row) {
  list->scrollToItem(list->item(row));
  QRect r = list->visualItemRect(list->item(row));
  // A double click is a press and release followed by the double-click event.
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
}

QString Counter(QWidget* w, const char* name) { return Find<QLabel>(w, name)->text(); }
}  // namespace

TEST(TagLineMan, ManagerFlowFromTheMainWindowsMenu) {
  test::TRecordingPrompts prompts;
  SaveTaglineFile(ProgramFolder() + "korrin.tag",
                  {"Nine", "Eight", "seven", "Six", "five", "Four", "three", "Two", "one"});
  std::string other = test::WriteFile(test::NewTempDir("tags") + "MORE.TAG", "ONE\r\nBrand new\r\nAnother one\r\n");

  TMainForm form;
  form.show();
  auto* edit = form.findChild<QMenu*>("Edit1");
  ASSERT_TRUE(edit);
  EXPECT_TRUE(edit->menuAction()->isVisible());
  auto* command = form.findChild<QAction*>("Taglines1");
  ASSERT_TRUE(command && command->isVisible());
  EXPECT_EQ(command->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_T));

  bool ran = false;
  test::AnswerNextModal([&](QWidget* w) {
    ran = true;
    EXPECT_EQ(w->windowTitle(), "Tagline Manager");
    auto* src = Find<QListWidget>(w, "SrcList");
    auto* dst = Find<QListWidget>(w, "DstList");
    EXPECT_TRUE(Texts(src).empty());
    EXPECT_EQ(Texts(dst), (Lines{"Eight", "five", "Four", "Nine", "one", "seven", "Six", "three", "Two"}));
    EXPECT_FALSE(Find<QPushButton>(w, "IncludeBtn")->isEnabled());
    EXPECT_FALSE(Find<QPushButton>(w, "IncAllBtn")->isEnabled());
    EXPECT_TRUE(Find<QPushButton>(w, "ExcludeBtn")->isEnabled());
    EXPECT_EQ(Counter(w, "SrcSelLabel"), "0 Selected");

    // Open another tagline file; its entries come sorted.
    prompts.openFiles.push_back(other);
    test::ClickButton(w, "OpenBtn");
    EXPECT_EQ(prompts.dialogs.back().rfind("Open Tagline File", 0), 0u);
    EXPECT_EQ(Texts(src), (Lines{"Another one", "Brand new", "ONE"}));
    EXPECT_TRUE(Find<QPushButton>(w, "IncludeBtn")->isEnabled());

    // "ONE" is there already as "one": moving it only takes it off the source.
    ClickRow(src, 1);
    ClickRow(src, 2, Qt::ControlModifier);
    EXPECT_EQ(Counter(w, "SrcSelLabel"), "2 Selected");
    test::ClickButton(w, "IncludeBtn");
    EXPECT_EQ(Texts(src), (Lines{"Another one"}));
    EXPECT_EQ(Texts(dst).size(), 10u);
    EXPECT_EQ(Counter(w, "SrcSelLabel"), "1 Selected");
    EXPECT_EQ(Counter(w, "DstSelLabel"), "2 Selected");  // "Brand new" and "one"

    // Nine available after a delete: OK is refused with the message.
    dst->clearSelection();
    ClickRow(dst, 0);  // "Brand new"
    test::ClickButton(w, "DeleteBtn");
    EXPECT_EQ(Texts(dst).size(), 9u);
    test::ClickButton(w, "OkBtn");
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(prompts.Shown("Tagline files must contain at least 10 taglines"));

    // A new tagline, then one edited by a double click.
    prompts.inputs.push_back(std::string("A saying of my own"));
    test::ClickButton(w, "NewBtn");
    EXPECT_EQ(Texts(dst).front(), "A saying of my own");
    EXPECT_TRUE(dst->item(0)->isSelected());
    Lines now = Texts(dst);
    int nine = static_cast<int>(std::find(now.begin(), now.end(), "Nine") - now.begin());
    prompts.inputs.push_back(std::string("Zero"));
    DoubleClickRow(dst, nine);
    EXPECT_EQ(prompts.dialogs.back(), "Edit Tagline|Taglines must not exceed 49 char:");
    EXPECT_EQ(Texts(dst).back(), "Zero");
    EXPECT_TRUE(dst->item(dst->count() - 1)->isSelected());
    test::GrabToPng(w, "tagline_manager");
    test::ClickButton(w, "OkBtn");
  });
  command->trigger();
  ASSERT_TRUE(ran);
  EXPECT_EQ(LoadTaglineFile(ProgramFolder() + "korrin.tag"),
            (Lines{"A saying of my own", "Eight", "five", "Four", "one", "seven", "Six", "three", "Two", "Zero"}));
}

TEST(TagLineMan, SaveNeedsTenCancelKeepsTheFileAndTheOwnFileIsNeverLoaded) {
  test::TRecordingPrompts prompts;
  std::string own = ProgramFolder() + "korrin.tag";
  SaveTaglineFile(own, {"kept"});
  TTagLineMan man;
  man.show();
  auto* src = Find<QListWidget>(&man, "SrcList");
  prompts.openFiles.push_back(own);
  test::ClickButton(&man, "OpenBtn");
  EXPECT_TRUE(Texts(src).empty());

  std::string other = test::WriteFile(test::NewTempDir("t") + "a.tag", "x\r\ny\r\n");
  prompts.openFiles.push_back(other);
  test::ClickButton(&man, "OpenBtn");
  EXPECT_EQ(Texts(src), (Lines{"x", "y"}));
  prompts.openFiles.push_back(own);  // the own file again: the list stays
  test::ClickButton(&man, "OpenBtn");
  EXPECT_EQ(Texts(src), (Lines{"x", "y"}));

  size_t dialogs = prompts.dialogs.size();
  test::ClickButton(&man, "SaveBtn");  // two taglines: nothing happens
  EXPECT_EQ(prompts.dialogs.size(), dialogs);

  // Everything available moves up, and then back down.
  test::ClickButton(&man, "ExAllBtn");
  EXPECT_EQ(Texts(src), (Lines{"kept", "x", "y"}));
  EXPECT_TRUE(Texts(Find<QListWidget>(&man, "DstList")).empty());
  EXPECT_FALSE(Find<QPushButton>(&man, "ExcludeBtn")->isEnabled());
  for (char c = 'a'; c < 'h'; ++c) man.Model().Src().Add(std::string("more ") + c);
  std::string target = test::NewTempDir("out") + "mine.tag";
  prompts.saveFiles.push_back(target);
  test::ClickButton(&man, "SaveBtn");
  EXPECT_EQ(LoadTaglineFile(target).size(), 10u);
  EXPECT_TRUE(Texts(src).empty());

  prompts.openFiles.push_back(std::nullopt);  // a cancelled open empties the source list
  prompts.openFiles.push_back(other);
  test::ClickButton(&man, "OpenBtn");
  test::ClickButton(&man, "OpenBtn");
  EXPECT_EQ(Texts(src), (Lines{"x", "y"}));
  prompts.openFiles.push_back(std::nullopt);
  test::ClickButton(&man, "OpenBtn");
  EXPECT_TRUE(Texts(src).empty());

  test::ClickButton(&man, "CancelBtn");
  EXPECT_FALSE(man.isVisible());
  EXPECT_EQ(LoadTaglineFile(own), Lines{"kept"});
}

TEST(SelTagForm, ChooserSetsTheEditorsLabelAndTheRecordsTagline) {
  test::TRecordingPrompts prompts;
  SaveTaglineFile(ProgramFolder() + "korrin.tag", {"Carpe diem", "Veni vidi vici", "Festina lente"});
  QLabel label("<None>");
  TQWKMsg msg;

  // Opened over "<None>": an empty field; a click copies an entry, "&Use" takes it.
  test::AnswerNextModal([](QWidget* w) {
    EXPECT_EQ(w->windowTitle(), "Select Tagline");
    auto* list = Find<QListWidget>(w, "ListBox1");
    auto* field = Find<QLineEdit>(w, "TagEdit");
    EXPECT_EQ(list->count(), 3);
    EXPECT_EQ(field->text(), "");
    EXPECT_TRUE(Find<QPushButton>(w, "UseBtn")->isEnabled());
    ClickRow(list, 1);
    EXPECT_EQ(field->text(), "Veni vidi vici");
    test::GrabToPng(w, "select_tagline");
    test::ClickButton(w, "UseBtn");
  });
  EXPECT_TRUE(TSelTagForm::Choose(&label, msg, nullptr));
  EXPECT_EQ(label.text(), "Veni vidi vici");
  EXPECT_EQ(msg.Tagline(), "Veni vidi vici");

  // Opened again: the entry is selected; typing selects the equal entry and
  // an empty field disables "&Use"; own words are taken as they are.
  test::AnswerNextModal([](QWidget* w) {
    auto* list = Find<QListWidget>(w, "ListBox1");
    auto* field = Find<QLineEdit>(w, "TagEdit");
    auto* use = Find<QPushButton>(w, "UseBtn");
    EXPECT_EQ(field->text(), "Veni vidi vici");
    EXPECT_TRUE(list->item(1)->isSelected());
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    EXPECT_FALSE(use->isEnabled());
    EXPECT_TRUE(list->selectedItems().isEmpty());
    QTest::keyClicks(field, "Carpe diem");
    EXPECT_TRUE(list->item(0)->isSelected());
    QTest::keyClicks(field, "!");
    EXPECT_TRUE(list->selectedItems().isEmpty());
    EXPECT_TRUE(use->isEnabled());
    test::ClickButton(w, "UseBtn");
  });
  EXPECT_TRUE(TSelTagForm::Choose(&label, msg, nullptr));
  EXPECT_EQ(msg.Tagline(), "Carpe diem!");

  // Cancel changes nothing.
  test::AnswerNextModal([](QWidget* w) {
    QTest::keyClicks(Find<QLineEdit>(w, "TagEdit"), " more");
    test::ClickButton(w, "CancelBtn");
  });
  EXPECT_FALSE(TSelTagForm::Choose(&label, msg, nullptr));
  EXPECT_EQ(label.text(), "Carpe diem!");
  EXPECT_EQ(msg.Tagline(), "Carpe diem!");

  // "&Use" with an empty field, opened over "<None>": no tagline.
  label.setText("<None>");
  test::AnswerNextModal([](QWidget* w) { test::ClickButton(w, "UseBtn"); });
  EXPECT_TRUE(TSelTagForm::Choose(&label, msg, nullptr));
  EXPECT_EQ(label.text(), "<None>");
  EXPECT_EQ(msg.Tagline(), "");
}
