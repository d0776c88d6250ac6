#include "addressbook/qt/group_form.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "addressbook/address_rules.h"
#include "addressbook/qt/address_query.h"
#include "explorer/qt/help_window.h"
#include "widgets/mail_images.h"

namespace korrin {

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }

QTreeWidget* RowList(QWidget* parent, const char* name, const QStringList& columns, int width) {
  auto* list = new QTreeWidget(parent);
  list->setObjectName(name);
  list->setRootIsDecorated(false);
  list->setHeaderLabels(columns);
  list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list->setUniformRowHeights(true);
  for (int i = 0; i < columns.size(); ++i) list->setColumnWidth(i, width);
  return list;
}
}  // namespace

void FillRows(QTreeWidget* list, const std::vector<EntryRow>& rows) {
  list->clear();
  const int columns = list->columnCount();
  QList<QTreeWidgetItem*> items;
  items.reserve(static_cast<qsizetype>(rows.size()));
  for (const EntryRow& r : rows) {
    auto* item = new QTreeWidgetItem;
    item->setText(0, Q(r.Text));
    if (columns > 1) item->setText(1, Q(r.EMail));
    if (columns > 2) item->setText(2, Q(r.Phone));
    item->setIcon(0, MailImage(r.Image == 1 ? TMailImage::miGroup : TMailImage::miContact));
    items << item;
  }
  list->addTopLevelItems(items);
}

std::vector<int> SelectedRows(QTreeWidget* list) {
  std::vector<int> rows;
  for (QTreeWidgetItem* i : list->selectedItems()) rows.push_back(list->indexOfTopLevelItem(i));
  std::sort(rows.begin(), rows.end());
  return rows;
}

// ---------------------------------------------------------------- group editor

TGroupForm::TGroupForm(TAddressBookStore& book, const std::string& key, QWidget* parent)
    : QDialog(parent), book_(book), key_(key) {
  setObjectName("GroupForm");
  setWindowTitle("Group Properties");
  SetHelpContext(this, 8034);
  auto* grid = new QGridLayout(this);
  GroupEdit = new QLineEdit(this);
  GroupEdit->setObjectName("GroupEdit");
  grid->addWidget(new QLabel("Group Name:", this), 0, 0);
  grid->addWidget(GroupEdit, 0, 1, 1, 2);
  grid->addWidget(new QLabel("Members:", this), 1, 0, 1, 3);
  ListView1 = RowList(this, "ListView1", {"Name", "E-Mail"}, 160);
  ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
  grid->addWidget(ListView1, 2, 0, 4, 2);
  AddBtn = new QPushButton("&Add", this);
  AddBtn->setObjectName("AddBtn");
  RemoveBtn = new QPushButton("&Remove", this);
  RemoveBtn->setObjectName("RemoveBtn");
  PropertiesBtn = new QPushButton("&Properties", this);
  PropertiesBtn->setObjectName("PropertiesBtn");
  grid->addWidget(AddBtn, 2, 2);
  grid->addWidget(RemoveBtn, 3, 2);
  grid->addWidget(PropertiesBtn, 4, 2);
  grid->addWidget(new QLabel("Notes:", this), 6, 0, 1, 3);
  Memo1 = new QPlainTextEdit(this);
  Memo1->setObjectName("Memo1");
  Memo1->setMaximumHeight(70);
  grid->addWidget(Memo1, 7, 0, 1, 3);
  auto* buttons = new QDialogButtonBox(this);
  OkBtn = buttons->addButton("&Ok", QDialogButtonBox::AcceptRole);
  OkBtn->setObjectName("OkBtn");
  buttons->addButton("&Cancel", QDialogButtonBox::RejectRole)->setObjectName("CancelBtn");
  grid->addWidget(buttons, 8, 0, 1, 3);
  disconnect(buttons, nullptr, this, nullptr);
  connect(OkBtn, &QPushButton::clicked, this, &TGroupForm::OkBtnClick);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(AddBtn, &QPushButton::clicked, this, &TGroupForm::AddBtnClick);
  connect(RemoveBtn, &QPushButton::clicked, this, &TGroupForm::RemoveBtnClick);
  connect(PropertiesBtn, &QPushButton::clicked, this, &TGroupForm::PropertiesBtnClick);
  connect(GroupEdit, &QLineEdit::textChanged, this, &TGroupForm::UpdateButtons);
  connect(ListView1, &QTreeWidget::itemSelectionChanged, this, &TGroupForm::UpdateButtons);
  connect(ListView1, &QTreeWidget::itemDoubleClicked, this, [this] { PropertiesBtnClick(); });
  resize(420, 400);

  if (key_.empty()) {
    StoreGuard([&] { key_ = book_.NewEntryKey(); });
  } else {
    StoreGuard([&] {
      GroupRecord g = book_.ReadGroup(key_);
      GroupEdit->setText(Q(g.Name));
      QStringList notes;
      for (const auto& l : g.Notes) notes << Q(l);
      Memo1->setPlainText(notes.join('\n'));
      members_ = g.Members;
    });
  }
  RebuildRows();
}

void TGroupForm::RebuildRows() {
  std::vector<EntryRow> rows;
  StoreGuard([&] {
    for (const std::string& k : members_) {
      EntryRow r = book_.ReadRow(k);
      r.Image = 0;  // a member is always shown as a contact
      rows.push_back(std::move(r));
    }
  });
  FillRows(ListView1, rows);
  UpdateButtons();
}

void TGroupForm::UpdateButtons() {
  OkBtn->setEnabled(!members_.empty() && !GroupEdit->text().isEmpty());
  const bool selected = !ListView1->selectedItems().isEmpty();
  RemoveBtn->setEnabled(selected);
  PropertiesBtn->setEnabled(selected);
}

void TGroupForm::AddMembers(const std::vector<std::string>& keys) {
  for (const std::string& k : keys)
    if (std::find(members_.begin(), members_.end(), k) == members_.end()) members_.push_back(k);
  RebuildRows();
}

void TGroupForm::AddBtnClick() {
  TAddMembersForm picker(book_, this);
  if (picker.exec() == QDialog::Accepted) AddMembers(picker.NewMemberKeys());
}

void TGroupForm::RemoveBtnClick() {
  std::vector<int> rows = SelectedRows(ListView1);
  if (rows.empty() || rows.front() >= static_cast<int>(members_.size())) return;
  members_.erase(members_.begin() + rows.front());
  RebuildRows();
}

void TGroupForm::PropertiesBtnClick() {
  std::vector<int> rows = SelectedRows(ListView1);
  if (rows.empty() || rows.front() >= static_cast<int>(members_.size())) return;
  if (EditEntry(this, book_, members_[static_cast<size_t>(rows.front())]).Written) RebuildRows();
}

void TGroupForm::OkBtnClick() {
  if (members_.empty() || GroupEdit->text().isEmpty()) return;
  GroupRecord g;
  g.Name = GroupEdit->text().toStdString();
  g.Members = members_;
  if (!Memo1->toPlainText().isEmpty())
    for (const QString& l : Memo1->toPlainText().split('\n')) g.Notes.push_back(l.toStdString());
  if (StoreGuard([&] { book_.WriteGroup(key_, g); })) accept();
}

// ---------------------------------------------------------------- member picker

TAddMembersForm::TAddMembersForm(TAddressBookStore& book, QWidget* parent) : QDialog(parent), book_(book) {
  setObjectName("AddMembersForm");
  setWindowTitle("Add Members");
  SetHelpContext(this, 5499);
  auto* grid = new QGridLayout(this);
  grid->addWidget(new QLabel("Contacts", this), 0, 0);
  grid->addWidget(new QLabel("New Members", this), 0, 2);
  ListView1 = RowList(this, "ListView1", {"Name"}, 170);
  ListView2 = RowList(this, "ListView2", {"Name"}, 170);
  grid->addWidget(ListView1, 1, 0, 4, 1);
  grid->addWidget(ListView2, 1, 2, 4, 1);
  RightArrow = new QToolButton(this);
  RightArrow->setObjectName("RightArrow");
  RightArrow->setArrowType(Qt::RightArrow);
  LeftArrow = new QToolButton(this);
  LeftArrow->setObjectName("LeftArrow");
  LeftArrow->setArrowType(Qt::LeftArrow);
  grid->addWidget(RightArrow, 2, 1);
  grid->addWidget(LeftArrow, 3, 1);
  NewBtn = new QPushButton("&New", this);
  NewBtn->setObjectName("NewBtn");
  Propertiesbtn = new QPushButton("&Properties", this);
  Propertiesbtn->setObjectName("Propertiesbtn");
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(NewBtn, QDialogButtonBox::ActionRole);
  buttons->addButton(Propertiesbtn, QDialogButtonBox::ActionRole);
  buttons->addButton("&Ok", QDialogButtonBox::AcceptRole)->setObjectName("OkBtn");
  buttons->addButton("&Cancel", QDialogButtonBox::RejectRole)->setObjectName("CancelBtn");
  grid->addWidget(buttons, 5, 0, 1, 3);
  grid->setRowStretch(1, 1);
  grid->setRowStretch(4, 1);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(RightArrow, &QToolButton::clicked, this, &TAddMembersForm::RightArrowClick);
  connect(LeftArrow, &QToolButton::clicked, this, &TAddMembersForm::LeftArrowClick);
  connect(NewBtn, &QPushButton::clicked, this, &TAddMembersForm::NewBtnClick);
  connect(Propertiesbtn, &QPushButton::clicked, this, &TAddMembersForm::PropertiesbtnClick);
  connect(ListView1, &QTreeWidget::itemSelectionChanged, this, &TAddMembersForm::UpdateButtons);
  connect(ListView2, &QTreeWidget::itemSelectionChanged, this, &TAddMembersForm::UpdateButtons);
  connect(ListView1, &QTreeWidget::itemDoubleClicked, this,
          [this](QTreeWidgetItem* i) { EditRow(contacts_, ListView1->indexOfTopLevelItem(i)); });
  connect(ListView2, &QTreeWidget::itemDoubleClicked, this,
          [this](QTreeWidgetItem* i) { EditRow(members_, ListView2->indexOfTopLevelItem(i)); });
  resize(460, 340);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  StoreGuard([&] { contacts_ = book_.BuildEntryList(true); });
  QApplication::restoreOverrideCursor();
  Refill();
}

std::vector<std::string> TAddMembersForm::NewMemberKeys() const {
  std::vector<std::string> keys;
  for (const EntryRow& r : members_) keys.push_back(r.Key);
  return keys;
}

void TAddMembersForm::Refill() {
  FillRows(ListView1, contacts_);
  FillRows(ListView2, members_);
  UpdateButtons();
}

void TAddMembersForm::UpdateButtons() {
  const bool left = !ListView1->selectedItems().isEmpty();
  RightArrow->setEnabled(left);
  Propertiesbtn->setEnabled(left);
  LeftArrow->setEnabled(!ListView2->selectedItems().isEmpty());
}

void TAddMembersForm::RightArrowClick() {
  MoveRows(contacts_, members_, SelectedRows(ListView1));
  Refill();
}

void TAddMembersForm::LeftArrowClick() {
  MoveRows(members_, contacts_, SelectedRows(ListView2));
  Refill();
}

void TAddMembersForm::NewBtnClick() {
  TEditOutcome out = EditEntry(this, book_, {});
  if (out.Written) contacts_.push_back(TAddressBookStore::ContactRow(out.Key, out.Contact));
  Refill();
}

void TAddMembersForm::PropertiesbtnClick() {
  std::vector<int> rows = SelectedRows(ListView1);
  if (!rows.empty()) EditRow(contacts_, rows.front());
}

void TAddMembersForm::EditRow(std::vector<EntryRow>& rows, int row) {
  if (row < 0 || row >= static_cast<int>(rows.size())) return;
  TEditOutcome out = EditEntry(this, book_, rows[static_cast<size_t>(row)].Key);
  if (out.Written && !out.Group) rows[static_cast<size_t>(row)] = TAddressBookStore::ContactRow(out.Key, out.Contact);
  Refill();
}

}  // namespace korrin
