#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTreeView>

#include <gtest/gtest.h>

#include "explorer/qt/mail_list_view.h"
#include "explorer/qt/mail_tree_view.h"
#include "support/packet_builder.h"
#include "support/qt_modal.h"
#include "support/test_env.h"

using namespace korrin;

TEST(MailPanes, TreeSelectionFillsTheListInEveryViewStyle) {
  std::string dir = test::NewTempDir("packet");
  test::TPacketBuilder()
      .BBS("Demo Board", "DEMO")
      .Conference(1, "General")
      .Conference(2, "Programming")
      .Message(1, test::TPacketMessage().From("JOHN SMITH").Subject("Welcome").Body("Hello"))
      .Message(1, test::TPacketMessage().From("mary@example.org").Subject("Re: Welcome").ReadMark())
      .Message(2, test::TPacketMessage().From("SYSOP").Subject("Compilers"))
      .WriteTo(dir);

  TMailTree model;
  QWidget window;
  auto* layout = new QHBoxLayout(&window);
  auto* status = new QLabel(&window);
  auto* tree = new TMailTreeView(model, &window);
  auto* list = new TMailListView(&window);
  layout->addWidget(tree);
  layout->addWidget(list, 1);
  tree->SetStatusLabel(status);
  list->List().SetTextCase(TTextCase::tcProperName);
  QObject::connect(tree, &TMailTreeView::folderChanged, list, &TMailListView::Refill);
  tree->Tree().SetDirectory(dir);
  list->List().SetMailTree(&tree->Tree());
  list->SetViewStyle(TViewStyle::vsReport);
  window.resize(760, 320);
  window.show();

  ASSERT_EQ(tree->topLevelItemCount(), 1);
  QTreeWidgetItem* inBox = tree->topLevelItem(0)->child(0);
  EXPECT_TRUE(inBox->text(0).startsWith("In Box"));
  EXPECT_EQ(tree->currentItem(), inBox);
  EXPECT_EQ(list->Model().rowCount(), 2);  // the In Box lists its conferences

  tree->setCurrentItem(inBox->child(0));
  EXPECT_EQ(status->text(), "Contents of \"1 General\"");
  ASSERT_EQ(list->Model().rowCount(), 2);
  EXPECT_EQ(list->Model().headerData(3, Qt::Horizontal, Qt::DisplayRole).toString(), "Subject");
  EXPECT_EQ(list->Model().data(list->Model().index(0, 1), Qt::DisplayRole).toString(), "John Smith");
  EXPECT_EQ(list->List().Rows()[1].SubItems[4], "READ");
  test::GrabToPng(&window, "panes-details");

  for (TViewStyle style : {TViewStyle::vsIcon, TViewStyle::vsSmallIcon, TViewStyle::vsList}) {
    list->SetViewStyle(style);
    list->SetCurrentRow(1);
    EXPECT_EQ(list->CurrentRow(), 1);
  }
  test::GrabToPng(&window, "panes-list");

  // Next conference through the core tree moves the window's selection too.
  EXPECT_TRUE(tree->Tree().NextConference(1));
  EXPECT_EQ(tree->currentItem(), inBox->child(1));
  EXPECT_EQ(list->Model().rowCount(), 1);
}
