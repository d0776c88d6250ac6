// The main window's reading aids: colour sequences shown as colours, the
// packet's bulletins and welcome screen, and the message list's order.

#include <QActionGroup>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QToolButton>

#include "engine/bulletins.h"
#include "engine/mail_tree.h"
#include "explorer/qt/mail_list_view.h"
#include "explorer/qt/mail_tree_view.h"
#include "explorer/qt/main_form.h"
#include "platform/qt/qt_platform.h"
#include "reading/qt/ansi_view.h"
#include "reading/qt/msg_view.h"
#include "widgets/window_parts.h"

namespace korrin {

void TMainForm::BuildReadingAids() {
  ShowANSIColours1 = Action("ShowANSIColours1", "Show ANSI colours", {},
                            "Show colour sequences as colours, or plain text", 5486, nullptr);
  ShowANSIColours1->setCheckable(true);
  ShowANSIColours1->setChecked(settings_.ShowAnsiColours);
  connect(ShowANSIColours1, &QAction::triggered, this, [this](bool on) {
    settings_.ShowAnsiColours = on;
    if (QuickViewerShown() && SelectedRow() >= 0) ShowQuickView();
    if (msgView_) msgView_->RefreshText();
  });
  ShowWelcomeScreen1 = Action("ShowWelcomeScreen1", "Show welcome screen", {},
                              "Open the packet's welcome screen when a packet is opened", 5486, nullptr);
  ShowWelcomeScreen1->setCheckable(true);
  connect(ShowWelcomeScreen1, &QAction::triggered, this, [this](bool on) { settings_.ShowWelcomeScreen = on; });

  SortBy1 = View1->addMenu("Sort by");
  SortBy1->setObjectName("SortBy1");
  auto* group = new QActionGroup(this);
  auto sortItem = [&](QAction*& field, const char* name, const QString& caption, int kind) {
    field = Action(name, caption, {}, "Sort the message list", 5486, nullptr);
    field->setCheckable(true);
    group->addAction(field);
    connect(field, &QAction::triggered, this, [this, kind] { SortListBy(kind); });
  };
  sortItem(SortByDate1, "SortByDate1", "Date", 0);
  sortItem(SortByFrom1, "SortByFrom1", "From", 1);
  sortItem(SortByTo1, "SortByTo1", "To", 2);
  sortItem(SortBySubject1, "SortBySubject1", "Subject", 3);
  sortItem(PacketOrder1, "PacketOrder1", "Packet order", -1);
  AddActions(SortBy1, {SortByDate1, SortByFrom1, SortByTo1, SortBySubject1, nullptr, PacketOrder1});
  AddActions(View1, {ShowANSIColours1, ShowWelcomeScreen1, nullptr});
  connect(View1, &QMenu::aboutToShow, this, &TMainForm::ReadingMenuAboutToShow);
  connect(list_, &TMailListView::orderChanged, this, [this] { KeepSortOrders(list_->List(), settings_); });
}

void TMainForm::ReadingMenuAboutToShow() {
  ShowANSIColours1->setChecked(settings_.ShowAnsiColours);
  ShowWelcomeScreen1->setChecked(settings_.ShowWelcomeScreen);
  const TConfRec* rec = SelectedRecord();
  SortBy1->setEnabled(rec && SortableKind(rec->Kind) && !Busy());
  const TListSort sort = list_->List().CurrentSort();
  QAction* items[] = {SortByDate1, SortByFrom1, SortByTo1, SortBySubject1};
  (sort.Sorted() ? items[sort.Column] : PacketOrder1)->setChecked(true);
}

void TMainForm::SortListBy(int columnKind) { list_->SortBy(columnKind); }

void TMainForm::OpenBulletin(int index) {
  const auto& rows = list_->List().Rows();
  if (index < 0 || index >= static_cast<int>(rows.size())) return;
  const auto& row = rows[static_cast<size_t>(index)];
  if (row.SubItems.size() < 3) return;
  const auto bulletins = FindBulletins(tree_->Tree().Directory());
  const TBulletin* bulletin = nullptr;
  for (const auto& b : bulletins)
    if (b.Path == row.SubItems[2]) bulletin = &b;
  if (!bulletin) return;
  if (QuickViewerShown()) SetQuickViewerShown(false);
  if (!msgView_) {
    msgView_ = new TMSGView(*this);
    connect(msgView_, &QObject::destroyed, this, [this] { lastViewedIndex_ = SelectedRow(); });
  }
  msgView_->ViewBulletin(*bulletin, index, static_cast<int>(rows.size()));
}

bool TMainForm::ShowWelcomeScreen() {
  TMailTree& tree = tree_->Tree();
  if (!tree.PacketLoaded()) return false;
  const auto bulletins = FindBulletins(tree.Directory());
  const TBulletin* welcome = WelcomeToShow(settings_.ShowWelcomeScreen, bulletins, tree.PacketFile(), welcomeShownFor_);
  if (!welcome) return false;
  // The Bulletins folder is selected, so that the viewer steps through it.
  TMailTreeNode* folder = TMailTree::FindChildByCaption(tree.InBox(), kBulletinsName);
  if (!folder) return false;
  tree.Select(folder);
  const auto& rows = list_->List().Rows();
  for (size_t i = 0; i < rows.size(); ++i)
    if (rows[i].SubItems.size() >= 3 && rows[i].SubItems[2] == welcome->Path) {
      SelectRow(static_cast<int>(i));
      OpenBulletin(static_cast<int>(i));
      return true;
    }
  return false;
}

bool TMainForm::ShowBulletinQuickView(int row) {
  const auto& rows = list_->List().Rows();
  if (row < 0 || row >= static_cast<int>(rows.size()) || rows[static_cast<size_t>(row)].SubItems.size() < 3) return false;
  const auto& r = rows[static_cast<size_t>(row)];
  std::vector<std::string> lines;
  if (!ReadBulletinLines(r.SubItems[2], lines)) return false;
  AttachedBtn->hide();
  FromLabel->setText(FromCp437(tree_->Tree().BBSName()));
  SubjectLabel->setText(FromCp437(r.Caption));
  highlighter_->ShowLines(lines, settings_.ShowAnsiColours);
  return true;
}

}  // namespace korrin
