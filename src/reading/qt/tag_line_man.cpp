#include "reading/qt/tag_line_man.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "explorer/qt/help_window.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/qt/qt_platform.h"

namespace korrin {

namespace {
constexpr const char* kTagFilter = "All Tagline Files (*.TAG *.tag);;All Files (*)";
constexpr const char* kTagPrompt = "Taglines must not exceed 49 char:";

QPushButton* Button(QWidget* parent, const char* name, const QString& caption, const QString& hint) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(name);
  b->setToolTip(hint);
  b->setAutoDefault(false);
  return b;
}

QListWidget* List(QWidget* parent, const char* name) {
  auto* l = new QListWidget(parent);
  l->setObjectName(name);
  l->setSelectionMode(QAbstractItemView::ExtendedSelection);
  l->setMinimumWidth(360);
  return l;
}
}  // namespace

TTagLineMan::TTagLineMan(QWidget* parent) : QDialog(parent) {
  setObjectName("TagLineMan");
  setWindowTitle("Tagline Manager");
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  SetHelpContext(this, 8014);

  auto* grid = new QGridLayout(this);
  auto* srcCaption = new QLabel("Source Taglines", this);
  srcCaption->setObjectName("SrcLabel");
  SrcList = List(this, "SrcList");
  SrcSelLabel = new QLabel("0 Selected", this);
  SrcSelLabel->setObjectName("SrcSelLabel");
  auto* dstCaption = new QLabel("Taglines Available", this);
  dstCaption->setObjectName("DstLabel");
  DstList = List(this, "DstList");
  DstSelLabel = new QLabel("0 Selected", this);
  DstSelLabel->setObjectName("DstSelLabel");

  IncludeBtn = Button(this, "IncludeBtn", "\\/", "Make the selected taglines available");
  IncAllBtn = Button(this, "IncAllBtn", "\\/\\/", "Make every source tagline available");
  ExcludeBtn = Button(this, "ExcludeBtn", "/\\", "Move the selected taglines to the source list");
  ExAllBtn = Button(this, "ExAllBtn", "/\\/\\", "Move every available tagline to the source list");
  auto* moves = new QHBoxLayout;
  moves->addWidget(SrcSelLabel);
  moves->addStretch(1);
  for (auto* b : {IncludeBtn, IncAllBtn, ExcludeBtn, ExAllBtn}) {
    b->setFixedWidth(44);
    moves->addWidget(b);
  }
  moves->addStretch(1);

  grid->addWidget(srcCaption, 0, 0);
  grid->addWidget(SrcList, 1, 0);
  grid->addLayout(moves, 2, 0);
  grid->addWidget(dstCaption, 3, 0);
  grid->addWidget(DstList, 4, 0);
  grid->addWidget(DstSelLabel, 5, 0);

  auto* open = Button(this, "OpenBtn", "O&pen", "Open a tagline file as the source list");
  auto* save = Button(this, "SaveBtn", "&Save", "Save the source list (at least 10 taglines) to a tagline file");
  auto* ok = Button(this, "OkBtn", "&Ok", "Keep the available taglines");
  ok->setDefault(true);
  auto* cancel = Button(this, "CancelBtn", "&Cancel", "Close without saving");
  auto* del = Button(this, "DeleteBtn", "&Delete", "Delete the selected available taglines");
  auto* add = Button(this, "NewBtn", "&New", "Add a new tagline");
  auto* side1 = new QVBoxLayout;
  side1->addWidget(open);
  side1->addWidget(save);
  side1->addStretch(1);
  auto* side2 = new QVBoxLayout;
  side2->addWidget(ok);
  side2->addWidget(cancel);
  side2->addSpacing(12);
  side2->addWidget(del);
  side2->addWidget(add);
  side2->addStretch(1);
  grid->addLayout(side1, 1, 1);
  grid->addLayout(side2, 4, 1);

  connect(IncludeBtn, &QPushButton::clicked, this, &TTagLineMan::IncludeBtnClick);
  connect(IncAllBtn, &QPushButton::clicked, this, &TTagLineMan::IncAllBtnClick);
  connect(ExcludeBtn, &QPushButton::clicked, this, &TTagLineMan::ExcludeBtnClick);
  connect(ExAllBtn, &QPushButton::clicked, this, &TTagLineMan::ExAllBtnClick);
  connect(open, &QPushButton::clicked, this, &TTagLineMan::OpenBtnClick);
  connect(save, &QPushButton::clicked, this, &TTagLineMan::SaveBtnClick);
  connect(ok, &QPushButton::clicked, this, &TTagLineMan::OkBtnClick);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(del, &QPushButton::clicked, this, &TTagLineMan::DeleteBtnClick);
  connect(add, &QPushButton::clicked, this, &TTagLineMan::NewBtnClick);
  connect(SrcList, &QListWidget::itemSelectionChanged, this,
          [this] { TakeSelection(SrcList, model_.Src(), SrcSelLabel); });
  connect(DstList, &QListWidget::itemSelectionChanged, this,
          [this] { TakeSelection(DstList, model_.Dst(), DstSelLabel); });
  connect(SrcList, &QListWidget::itemDoubleClicked, this,
          [this](QListWidgetItem* item) { EditEntry(SrcList, model_.Src(), item); });
  connect(DstList, &QListWidget::itemDoubleClicked, this,
          [this](QListWidgetItem* item) { EditEntry(DstList, model_.Dst(), item); });

  model_.Load();
  Refresh();
}

void TTagLineMan::Refresh() {
  refreshing_ = true;
  auto fill = [](QListWidget* view, const TTagList& list, QLabel* counter) {
    view->clear();
    QListWidgetItem* current = nullptr;
    for (const auto& e : list.Entries()) {
      auto* item = new QListWidgetItem(FromCp437(e.Text), view);
      item->setSelected(e.Selected);
      if (e.Selected && !current) current = item;
    }
    if (current) view->scrollToItem(current);
    counter->setText(QString::fromStdString(TTagLineManager::SelectedText(list)));
  };
  fill(SrcList, model_.Src(), SrcSelLabel);
  fill(DstList, model_.Dst(), DstSelLabel);
  IncludeBtn->setEnabled(model_.IncludeEnabled());
  IncAllBtn->setEnabled(model_.IncludeEnabled());
  ExcludeBtn->setEnabled(model_.ExcludeEnabled());
  ExAllBtn->setEnabled(model_.ExcludeEnabled());
  refreshing_ = false;
}

void TTagLineMan::TakeSelection(QListWidget* view, TTagList& list, QLabel* counter) {
  if (refreshing_) return;
  for (int i = 0; i < view->count() && static_cast<size_t>(i) < list.Count(); ++i)
    list.SetSelected(static_cast<size_t>(i), view->item(i)->isSelected());
  counter->setText(QString::fromStdString(TTagLineManager::SelectedText(list)));
}

void TTagLineMan::EditEntry(QListWidget* view, TTagList& list, QListWidgetItem* item) {
  int row = view->row(item);
  if (row < 0 || static_cast<size_t>(row) >= list.Count()) return;
  auto text = GetPrompts().InputBox("Edit Tagline", kTagPrompt, ToUtf8(FromCp437(list.Text(static_cast<size_t>(row)))));
  if (!text) return;
  model_.EditEntry(list, static_cast<size_t>(row), ToCp437(FromUtf8(*text)));
  Refresh();
}

void TTagLineMan::IncludeBtnClick() {
  model_.Include();
  Refresh();
}

void TTagLineMan::IncAllBtnClick() {
  model_.IncludeAll();
  Refresh();
}

void TTagLineMan::ExcludeBtnClick() {
  model_.Exclude();
  Refresh();
}

void TTagLineMan::ExAllBtnClick() {
  model_.ExcludeAll();
  Refresh();
}

void TTagLineMan::OpenBtnClick() {
  auto path = GetPrompts().OpenFile("Open Tagline File", kTagFilter, ProgramFolder());
  if (!path) {
    model_.Src().Clear();
  } else {
    model_.OpenSource(*path);
  }
  Refresh();
}

void TTagLineMan::SaveBtnClick() {
  if (!model_.CanSaveSource()) return;
  auto path = GetPrompts().SaveFile("Save Tagline File", kTagFilter, ProgramFolder(), "");
  if (!path || TTagLineManager::IsOwnTaglineFile(*path)) return;
  if (!model_.SaveSource(*path)) GetPrompts().Error("Could not write file - " + *path);
  Refresh();
}

void TTagLineMan::DeleteBtnClick() {
  model_.DeleteSelected();
  Refresh();
}

void TTagLineMan::NewBtnClick() {
  auto text = GetPrompts().InputBox("New Tagline", kTagPrompt, "");
  if (!text) return;
  model_.AddNew(ToCp437(FromUtf8(*text)));
  Refresh();
}

void TTagLineMan::OkBtnClick() {
  if (!model_.CanAccept()) {
    GetPrompts().Information("Tagline files must contain at least 10 taglines");
    return;
  }
  // The list replaces the file only when it is safely written; otherwise
  // the dialog stays open with everything in it.
  if (!model_.SaveAvailable()) {
    GetPrompts().Error("Could not write file - " + TaglineFilePath());
    return;
  }
  accept();
}

}  // namespace korrin
