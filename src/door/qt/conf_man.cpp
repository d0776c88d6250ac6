#include "door/qt/conf_man.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "engine/mail_tree.h"
#include "explorer/qt/help_window.h"
#include "platform/qt/qt_platform.h"
#include "door/qt/host_parent.h"
#include "session/main_host.h"
#include "session/reader_session.h"

namespace korrin {

namespace {
QListWidget* List(QWidget* parent, const char* name) {
  auto* l = new QListWidget(parent);
  l->setObjectName(name);
  l->setSelectionMode(QAbstractItemView::ExtendedSelection);
  l->setMinimumSize(220, 260);
  return l;
}

QLabel* Caption(QWidget* parent, const char* name, const QString& text) {
  auto* l = new QLabel(text, parent);
  l->setObjectName(name);
  return l;
}
}  // namespace

TConfMan::TConfMan(TMainHost& host, QWidget* parent) : QDialog(parent), host_(host) {
  setObjectName("ConfMan");
  setWindowTitle("Conference Manager");
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  SetHelpContext(this, 8015);

  SrcList = List(this, "SrcList");
  DstList = List(this, "DstList");
  AvailSel = Caption(this, "AvailSel", "0 Selected");
  CurSel = Caption(this, "CurSel", "0 Selected");
  IncludeBtn = new QPushButton("Add", this);
  IncludeBtn->setObjectName("IncludeBtn");
  ExcludeBtn = new QPushButton("Drop", this);
  ExcludeBtn->setObjectName("ExcludeBtn");
  auto* ok = new QPushButton("&Ok", this);
  ok->setObjectName("OkBtn");
  ok->setDefault(true);
  auto* cancel = new QPushButton("&Cancel", this);
  cancel->setObjectName("CancelBtn");
  for (QPushButton* b : {IncludeBtn, ExcludeBtn, cancel}) b->setAutoDefault(false);

  auto* grid = new QGridLayout(this);
  grid->addWidget(Caption(this, "SrcLabel", "Available Conferences"), 0, 0);
  grid->addWidget(Caption(this, "DstLabel", "Current Conferences"), 0, 2);
  grid->addWidget(SrcList, 1, 0);
  auto* moves = new QVBoxLayout;
  moves->addStretch(1);
  moves->addWidget(IncludeBtn);
  moves->addWidget(ExcludeBtn);
  moves->addStretch(1);
  grid->addLayout(moves, 1, 1);
  grid->addWidget(DstList, 1, 2);
  grid->addWidget(AvailSel, 2, 0);
  grid->addWidget(CurSel, 2, 2);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  grid->addLayout(buttons, 3, 0, 1, 3);

  connect(IncludeBtn, &QPushButton::clicked, this, &TConfMan::IncludeBtnClick);
  connect(ExcludeBtn, &QPushButton::clicked, this, &TConfMan::ExcludeBtnClick);
  connect(ok, &QPushButton::clicked, this, &TConfMan::OkBtnClick);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(SrcList, &QListWidget::itemSelectionChanged, this, [this] { TakeSelection(SrcList, model_.SrcList()); });
  connect(DstList, &QListWidget::itemSelectionChanged, this, [this] { TakeSelection(DstList, model_.DstList()); });

  QApplication::setOverrideCursor(Qt::WaitCursor);
  TReaderSession& s = host_.Session();
  model_.Load(s.Tree().Directory(), s.PostOffice().PostOfficeDirectory());
  QApplication::restoreOverrideCursor();
  SetButtons();
}

void TConfMan::SetButtons() {
  refreshing_ = true;
  auto fill = [](QListWidget* view, const TCaptionList& list) {
    view->clear();
    QListWidgetItem* current = nullptr;
    for (const auto& e : list.Entries()) {
      auto* item = new QListWidgetItem(FromCp437(e.Text), view);
      item->setSelected(e.Selected);
      if (e.Selected && !current) current = item;
    }
    if (current) {
      view->setCurrentItem(current, QItemSelectionModel::NoUpdate);
      view->scrollToItem(current);
    }
  };
  fill(SrcList, model_.SrcList());
  fill(DstList, model_.DstList());
  IncludeBtn->setEnabled(model_.IncludeEnabled());
  ExcludeBtn->setEnabled(model_.ExcludeEnabled());
  AvailSel->setText(QString::fromStdString(TConferenceManager::SelectedText(model_.SrcList())));
  CurSel->setText(QString::fromStdString(TConferenceManager::SelectedText(model_.DstList())));
  refreshing_ = false;
}

void TConfMan::TakeSelection(QListWidget* view, TCaptionList& list) {
  if (refreshing_) return;
  for (int i = 0; i < view->count() && static_cast<size_t>(i) < list.Count(); ++i)
    list.SetSelected(static_cast<size_t>(i), view->item(i)->isSelected());
  AvailSel->setText(QString::fromStdString(TConferenceManager::SelectedText(model_.SrcList())));
  CurSel->setText(QString::fromStdString(TConferenceManager::SelectedText(model_.DstList())));
}

void TConfMan::IncludeBtnClick() {
  model_.Include();
  SetButtons();
}

void TConfMan::ExcludeBtnClick() {
  model_.Exclude();
  SetButtons();
}

void TConfMan::OkBtnClick() {
  // The remembered list is replaced only when it is safely written;
  // otherwise the dialog stays open with every move in it.
  if (!model_.SaveCurrent(host_.Session().PostOffice().PostOfficeDirectory())) return;
  accept();
}

bool TConfMan::Execute(TMainHost& host) {
  TReaderSession& s = host.Session();
  s.DoorControl().ReadDoorId(s.PostOffice().PostOfficeDirectory());
  TConfMan dialog(host, HostWidget(host));
  if (dialog.exec() != QDialog::Accepted) return false;
  dialog.Model().ComposeControlMessages(s.Lifecycle());
  const TMailTreeNode* node = s.Tree().Selected();
  if (node && node->Record && node->Record->Kind == TFolderKind::fkOutBox) host.RefillList();
  host.UpdateCommandStates();
  return true;
}

}  // namespace korrin
