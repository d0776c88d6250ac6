#include "addressbook/qt/sel_rec_form.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "addressbook/address_rules.h"
#include "addressbook/qt/address_query.h"
#include "addressbook/qt/group_form.h"
#include "explorer/qt/help_window.h"
#include "platform/prompts.h"

namespace korrin {

namespace {
// The dialog's design bounds.
constexpr TBounds kDesignBounds{180, 120, 560, 440};

std::vector<std::string> Lines(const QListWidget* list) {
  std::vector<std::string> lines;
  for (int i = 0; i < list->count(); ++i) lines.push_back(list->item(i)->text().toStdString());
  return lines;
}
}  // namespace

bool DeleteEntryAsked(TAddressBookStore& book, const std::string& key, const std::string& rowText) {
  if (!GetPrompts().ConfirmOkCancel("Permanently delete contact(s) \"" + rowText + "\" from address book?"))
    return false;
  return StoreGuard([&] { book.DeleteEntry(key); });
}

TSelRecForm::TSelRecForm(TAddressBookStore& book, QWidget* parent) : QDialog(parent), book_(book) {
  setObjectName("SelRecForm");
  setWindowTitle("Select Recipients");
  SetHelpContext(this, 8035);
  auto* grid = new QGridLayout(this);
  ListView1 = new QTreeWidget(this);
  ListView1->setObjectName("ListView1");
  ListView1->setRootIsDecorated(false);
  ListView1->setUniformRowHeights(true);
  ListView1->setHeaderLabels({"Name", "E-Mail", "Phone"});
  ListView1->setColumnWidth(0, 150);
  ListView1->setColumnWidth(1, 150);
  ListView1->setColumnWidth(2, 85);
  ListView1->setSelectionMode(QAbstractItemView::ExtendedSelection);
  grid->addWidget(ListView1, 0, 0, 1, 3);
  auto* row = new QHBoxLayout;
  auto button = [this, row](QPushButton*& b, const char* name, const QString& text) {
    b = new QPushButton(text, this);
    b->setObjectName(name);
    row->addWidget(b);
  };
  button(New, "New", "New");
  button(PropertiesBtn, "PropertiesBtn", "Properties");
  button(DeleteBtn, "DeleteBtn", "Delete");
  row->addStretch(1);
  EMailBox = new QCheckBox("Use E-Mail address", this);
  EMailBox->setObjectName("EMailBox");
  row->addWidget(EMailBox);
  grid->addLayout(row, 1, 0, 1, 3);
  ToBtn = new QPushButton("To:", this);
  ToBtn->setObjectName("ToBtn");
  CCBtn = new QPushButton("CC:", this);
  CCBtn->setObjectName("CCBtn");
  ToList = new QListWidget(this);
  ToList->setObjectName("ToList");
  CCList = new QListWidget(this);
  CCList->setObjectName("CCList");
  for (QListWidget* l : {ToList, CCList}) {
    l->setMaximumHeight(70);
    l->setToolTip("Double-click a recipient to take it off the list");
    // A chosen line can be taken back, so that a refused choice can be mended.
    connect(l, &QListWidget::itemDoubleClicked, this, [this, l](QListWidgetItem* i) {
      delete l->takeItem(l->row(i));
      UpdateButtons();
    });
  }
  grid->addWidget(ToBtn, 2, 0, Qt::AlignTop);
  grid->addWidget(ToList, 2, 1, 1, 2);
  grid->addWidget(CCBtn, 3, 0, Qt::AlignTop);
  grid->addWidget(CCList, 3, 1, 1, 2);
  auto* buttons = new QDialogButtonBox(this);
  OkBtn = buttons->addButton("OK", QDialogButtonBox::AcceptRole);
  OkBtn->setObjectName("OkBtn");
  buttons->addButton("Cancel", QDialogButtonBox::RejectRole)->setObjectName("CancelBtn");
  disconnect(buttons, nullptr, this, nullptr);
  connect(OkBtn, &QPushButton::clicked, this, &TSelRecForm::OkBtnClick);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  grid->addWidget(buttons, 4, 0, 1, 3);
  grid->setRowStretch(0, 1);
  grid->setColumnStretch(1, 1);

  connect(ToBtn, &QPushButton::clicked, this, &TSelRecForm::ToBtnClick);
  connect(CCBtn, &QPushButton::clicked, this, &TSelRecForm::CCBtnClick);
  connect(New, &QPushButton::clicked, this, &TSelRecForm::NewClick);
  connect(DeleteBtn, &QPushButton::clicked, this, &TSelRecForm::DeleteBtnClick);
  connect(ListView1, &QTreeWidget::itemSelectionChanged, this, &TSelRecForm::UpdateButtons);
  connect(ListView1, &QTreeWidget::itemDoubleClicked, this,
          [this](QTreeWidgetItem* i) { EditRow(ListView1->indexOfTopLevelItem(i)); });

  TBounds b = kDesignBounds;
  StoreGuard([&] { book_.LoadSelectPlacement(b); });
  setGeometry(b.Left, b.Top, std::max(b.Width, 360), std::max(b.Height, 300));
  Rebuild();
}

TSelRecForm::~TSelRecForm() {
  const QRect r = geometry();
  StoreGuard([&] { book_.SaveSelectPlacement(TBounds{r.left(), r.top(), r.width(), r.height()}); });
}

void TSelRecForm::Rebuild() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  StoreGuard([&] { rows_ = book_.BuildEntryList(); });
  FillRows(ListView1, rows_);
  QApplication::restoreOverrideCursor();
  UpdateButtons();
}

void TSelRecForm::UpdateButtons() {
  const bool selected = !ListView1->selectedItems().isEmpty();
  for (QPushButton* b : {PropertiesBtn, DeleteBtn, ToBtn, CCBtn}) b->setEnabled(selected);
  const bool chosen = ToList->count() > 0 || CCList->count() > 0;
  OkBtn->setEnabled(chosen);
  EMailBox->setEnabled(!chosen);
}

void TSelRecForm::AddToLine(const std::string& line) {
  ToList->addItem(QString::fromStdString(line));
  UpdateButtons();
}

std::vector<std::string> TSelRecForm::ToLines() const { return Lines(ToList); }
std::vector<std::string> TSelRecForm::CCLines() const { return Lines(CCList); }

void TSelRecForm::Transfer(QListWidget* target) {
  std::vector<std::string> lines;
  StoreGuard([&] { TransferRows(book_, rows_, SelectedRows(ListView1), EMailBox->isChecked(), lines); });
  for (const std::string& l : lines) target->addItem(QString::fromStdString(l));
  FillRows(ListView1, rows_);
  UpdateButtons();
}

void TSelRecForm::ToBtnClick() { Transfer(ToList); }
void TSelRecForm::CCBtnClick() { Transfer(CCList); }

void TSelRecForm::NewClick() {
  TEditOutcome out = EditEntry(this, book_, {});
  if (out.Written) {
    rows_.push_back(TAddressBookStore::ContactRow(out.Key, out.Contact));
    FillRows(ListView1, rows_);
  }
  UpdateButtons();
}

void TSelRecForm::EditRow(int row) {
  if (row < 0 || row >= static_cast<int>(rows_.size())) return;
  if (EditEntry(this, book_, rows_[static_cast<size_t>(row)].Key).Written) Rebuild();
}

void TSelRecForm::DeleteBtnClick() {
  std::vector<int> rows = SelectedRows(ListView1);
  if (rows.empty()) return;
  const EntryRow& r = rows_[static_cast<size_t>(rows.front())];
  if (!DeleteEntryAsked(book_, r.Key, r.Text)) return;
  Rebuild();
  if (rows.front() < ListView1->topLevelItemCount())
    ListView1->setCurrentItem(ListView1->topLevelItem(rows.front()));
}

void TSelRecForm::OkBtnClick() {
  if (auto error = RecipientLimitError(ToLines(), CCLines())) {
    GetPrompts().Error(*error);
    return;
  }
  accept();
}

bool ChooseRecipients(QWidget* parent, TAddressBookStore& book, const std::string& to, TChosenRecipients& chosen) {
  TSelRecForm form(book, parent);
  if (!to.empty()) form.AddToLine(to);
  if (form.exec() != QDialog::Accepted) return false;
  chosen = JoinRecipients(form.ToLines(), form.CCLines());
  return true;
}

}  // namespace korrin
