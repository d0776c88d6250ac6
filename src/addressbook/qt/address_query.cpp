#include "addressbook/qt/address_query.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "addressbook/qt/group_form.h"
#include "explorer/qt/help_window.h"
#include "platform/errors.h"
#include "platform/prompts.h"
#include "platform/qt/qt_platform.h"
#include "widgets/mail_images.h"

namespace korrin {

namespace {
std::string U8(const QString& s) { return s.toStdString(); }
QString Q(const std::string& s) { return QString::fromStdString(s); }

std::vector<std::string> MemoLines(const QPlainTextEdit* memo) {
  std::vector<std::string> lines;
  if (memo->toPlainText().isEmpty()) return lines;
  for (const QString& l : memo->toPlainText().split('\n')) lines.push_back(U8(l));
  return lines;
}

void SetMemo(QPlainTextEdit* memo, const std::vector<std::string>& lines) {
  QStringList l;
  for (const auto& s : lines) l << Q(s);
  memo->setPlainText(l.join('\n'));
}
}  // namespace

QString NameFieldCase(const QString& text) {
  QString out = text.toLower();
  if (text.contains('.') || text.contains('@')) return out;
  for (int i = 0; i < out.size(); ++i)
    if ((i == 0 || out[i - 1] == ' ') && out[i] >= 'a' && out[i] <= 'z') out[i] = out[i].toUpper();
  return out;
}

bool StoreGuard(const std::function<void()>& action) {
  try {
    action();
    return true;
  } catch (const ERegistryException& e) {
    GetPrompts().Error(e.what());
    return false;
  }
}

TAddressQuery::TAddressQuery(QWidget* parent) : QDialog(parent) {
  setObjectName("AddressQuery");
  setWindowTitle("Contact Properties");
  SetHelpContext(this, 8032);
  auto* layout = new QVBoxLayout(this);
  PageControl1 = new QTabWidget(this);
  PageControl1->setObjectName("PageControl1");
  PageControl1->addTab(PersonalPage(), "Personal");
  PageControl1->addTab(HomePage(), "Home");
  PageControl1->addTab(BusinessPage(), "Business");
  PageControl1->addTab(NotesPage(), "Notes");
  PageControl1->setCurrentIndex(0);
  layout->addWidget(PageControl1, 1);
  auto* buttons = new QDialogButtonBox(this);
  auto* ok = buttons->addButton("&Ok", QDialogButtonBox::AcceptRole);
  ok->setObjectName("OkBtn");
  ok->setDefault(true);
  buttons->addButton("&Cancel", QDialogButtonBox::RejectRole)->setObjectName("CancelBtn");
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  PerWeb->setText("http://");
  BusWeb->setText("http://");
  resize(460, 400);
  UpdateButtons();
}

QLineEdit* TAddressQuery::Edit(const char* name, QWidget* parent) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(name);
  return e;
}

QPlainTextEdit* TAddressQuery::Memo(const char* name, QWidget* parent) {
  auto* m = new QPlainTextEdit(parent);
  m->setObjectName(name);
  m->setTabChangesFocus(true);
  return m;
}

QWidget* TAddressQuery::PersonalPage() {
  auto* page = new QWidget;
  auto* grid = new QGridLayout(page);
  FirstEdit = Edit("FirstEdit", page);
  MiddleEdit = Edit("MiddleEdit", page);
  LastEdit = Edit("LastEdit", page);
  grid->addWidget(new QLabel("First:", page), 0, 0);
  grid->addWidget(FirstEdit, 0, 1);
  grid->addWidget(new QLabel("Middle:", page), 0, 2);
  grid->addWidget(MiddleEdit, 0, 3);
  grid->addWidget(new QLabel("Last:", page), 1, 0);
  grid->addWidget(LastEdit, 1, 1, 1, 3);
  for (QLineEdit* f : {FirstEdit, MiddleEdit, LastEdit})
    connect(f, &QLineEdit::editingFinished, this, [this, f] { NameFieldLeft(f); });
  grid->addWidget(new QLabel("E-Mail Addresses:", page), 2, 0, 1, 4);
  EMailEdit = Edit("EMailEdit", page);
  AddBtn = new QPushButton("&Add", page);
  AddBtn->setObjectName("AddBtn");
  grid->addWidget(EMailEdit, 3, 0, 1, 3);
  grid->addWidget(AddBtn, 3, 3);
  EMailList = new QListWidget(page);
  EMailList->setObjectName("EMailList");
  grid->addWidget(EMailList, 4, 0, 4, 3);
  EMailEditBtn = new QPushButton("&Edit", page);
  EMailEditBtn->setObjectName("EMailEditBtn");
  RemoveBtn = new QPushButton("&Remove", page);
  RemoveBtn->setObjectName("RemoveBtn");
  DefaultEMailBtn = new QPushButton("Set as &Default", page);
  DefaultEMailBtn->setObjectName("DefaultEMailBtn");
  grid->addWidget(EMailEditBtn, 4, 3);
  grid->addWidget(RemoveBtn, 5, 3);
  grid->addWidget(DefaultEMailBtn, 6, 3);
  grid->setRowStretch(7, 1);
  connect(EMailEdit, &QLineEdit::textChanged, this, &TAddressQuery::UpdateButtons);
  connect(EMailEdit, &QLineEdit::returnPressed, this, [this] {
    if (AddBtn->isEnabled()) AddBtnClick();
  });
  connect(AddBtn, &QPushButton::clicked, this, &TAddressQuery::AddBtnClick);
  connect(EMailEditBtn, &QPushButton::clicked, this, &TAddressQuery::EMailEditBtnClick);
  connect(RemoveBtn, &QPushButton::clicked, this, &TAddressQuery::RemoveBtnClick);
  connect(DefaultEMailBtn, &QPushButton::clicked, this, &TAddressQuery::DefaultEMailBtnClick);
  connect(EMailList, &QListWidget::currentRowChanged, this, &TAddressQuery::UpdateButtons);
  connect(EMailList, &QListWidget::itemSelectionChanged, this, &TAddressQuery::UpdateButtons);
  return page;
}

QWidget* TAddressQuery::HomePage() {
  auto* page = new QWidget;
  SetHelpContext(page, 8036);
  auto* form = new QFormLayout(page);
  PerAddress = Memo("PerAddress", page);
  PerAddress->setMaximumHeight(60);
  form->addRow("Street Address:", PerAddress);
  form->addRow("City:", PerCity = Edit("PerCity", page));
  form->addRow("State/Province:", PerState = Edit("PerState", page));
  form->addRow("Zip Code:", PerZip = Edit("PerZip", page));
  form->addRow("Country:", PerCountry = Edit("PerCountry", page));
  form->addRow("Phone:", PerPhone = Edit("PerPhone", page));
  form->addRow("Fax:", PerFax = Edit("PerFax", page));
  form->addRow("Cellular:", PerCell = Edit("PerCell", page));
  auto* web = new QHBoxLayout;
  web->addWidget(PerWeb = Edit("PerWeb", page), 1);
  SpeedButton1 = new QToolButton(page);
  SpeedButton1->setObjectName("SpeedButton1");
  SpeedButton1->setText("Go");
  SpeedButton1->setToolTip("Go to home web site");
  SpeedButton1->setStatusTip("Go to home web site|");
  web->addWidget(SpeedButton1);
  form->addRow("Web Page:", web);
  connect(SpeedButton1, &QToolButton::clicked, this, [this] { OpenWebPage(U8(PerWeb->text())); });
  return page;
}

QWidget* TAddressQuery::BusinessPage() {
  auto* page = new QWidget;
  SetHelpContext(page, 8097);
  auto* grid = new QGridLayout(page);
  int r = 0;
  auto pair = [&](const char* caption, QLineEdit*& field, const char* name, int col) {
    field = Edit(name, page);
    grid->addWidget(new QLabel(caption, page), r, col);
    grid->addWidget(field, r, col + 1);
  };
  pair("Company:", CompanyEdit, "CompanyEdit", 0);
  pair("Job Title:", BusJob, "BusJob", 2);
  ++r;
  pair("Department:", BusDep, "BusDep", 0);
  pair("Office:", BusOffice, "BusOffice", 2);
  ++r;
  BusAddress = Memo("BusAddress", page);
  BusAddress->setMaximumHeight(60);
  grid->addWidget(new QLabel("Street Address:", page), r, 0);
  grid->addWidget(BusAddress, r, 1, 1, 3);
  ++r;
  pair("City:", BusCity, "BusCity", 0);
  pair("Phone:", BusPhone, "BusPhone", 2);
  ++r;
  pair("State/Province:", BusState, "BusState", 0);
  pair("Fax:", BusFax, "BusFax", 2);
  ++r;
  pair("Zip Code:", BusZip, "BusZip", 0);
  pair("Pager:", BusPager, "BusPager", 2);
  ++r;
  pair("Country:", BusCountry, "BusCountry", 0);
  ++r;
  BusWeb = Edit("BusWeb", page);
  SpeedButton2 = new QToolButton(page);
  SpeedButton2->setObjectName("SpeedButton2");
  SpeedButton2->setText("Go");
  SpeedButton2->setToolTip("Go to business web site");
  SpeedButton2->setStatusTip("Go to business web site|");
  grid->addWidget(new QLabel("Web Page:", page), r, 0);
  grid->addWidget(BusWeb, r, 1, 1, 2);
  grid->addWidget(SpeedButton2, r, 3, Qt::AlignLeft);
  grid->setRowStretch(r + 1, 1);
  connect(SpeedButton2, &QToolButton::clicked, this, [this] { OpenWebPage(U8(BusWeb->text())); });
  return page;
}

QWidget* TAddressQuery::NotesPage() {
  auto* page = new QWidget;
  SetHelpContext(page, 8098);
  auto* l = new QVBoxLayout(page);
  Additionalinfo = Memo("Additionalinfo", page);
  l->addWidget(Additionalinfo);
  return page;
}

void TAddressQuery::NameFieldLeft(QLineEdit* field) {
  const QString cased = NameFieldCase(field->text());
  if (cased != field->text()) field->setText(cased);
}

void TAddressQuery::SetContact(const ContactRecord& c) {
  FirstEdit->setText(Q(c.FirstName));
  LastEdit->setText(Q(c.LastName));
  MiddleEdit->setText(Q(c.MiddleName));
  emails_.Assign(c.Emails, c.DefaultEmail);
  SetMemo(Additionalinfo, c.Notes);
  CompanyEdit->setText(Q(c.Company));
  BusCity->setText(Q(c.BusCity));
  BusState->setText(Q(c.BusState));
  BusZip->setText(Q(c.BusZip));
  BusCountry->setText(Q(c.BusCountry));
  BusWeb->setText(Q(c.BusURL));
  BusJob->setText(Q(c.BusJob));
  BusDep->setText(Q(c.BusDepartment));
  BusOffice->setText(Q(c.BusOffice));
  BusPhone->setText(Q(c.BusPhone));
  BusFax->setText(Q(c.BusFax));
  BusPager->setText(Q(c.BusPager));
  SetMemo(BusAddress, c.BusAddress);
  PerCity->setText(Q(c.PerCity));
  PerState->setText(Q(c.PerState));
  PerZip->setText(Q(c.PerZip));
  PerCountry->setText(Q(c.PerCountry));
  PerPhone->setText(Q(c.PerPhone));
  PerFax->setText(Q(c.PerFax));
  PerCell->setText(Q(c.PerCell));
  PerWeb->setText(Q(c.PerURL));
  SetMemo(PerAddress, c.PerAddress);
  RefreshEmails();
}

void TAddressQuery::SetEMailText(const std::string& text) { EMailEdit->setText(Q(text)); }

ContactRecord TAddressQuery::Contact() const {
  ContactRecord c;
  c.FirstName = U8(FirstEdit->text());
  c.LastName = U8(LastEdit->text());
  c.MiddleName = U8(MiddleEdit->text());
  c.DefaultEmail = emails_.Default();
  c.Emails = emails_.Lines();
  c.Notes = MemoLines(Additionalinfo);
  c.Company = U8(CompanyEdit->text());
  c.BusCity = U8(BusCity->text());
  c.BusState = U8(BusState->text());
  c.BusZip = U8(BusZip->text());
  c.BusCountry = U8(BusCountry->text());
  c.BusURL = U8(BusWeb->text());
  c.BusJob = U8(BusJob->text());
  c.BusDepartment = U8(BusDep->text());
  c.BusOffice = U8(BusOffice->text());
  c.BusPhone = U8(BusPhone->text());
  c.BusFax = U8(BusFax->text());
  c.BusPager = U8(BusPager->text());
  c.BusAddress = MemoLines(BusAddress);
  c.PerCity = U8(PerCity->text());
  c.PerState = U8(PerState->text());
  c.PerZip = U8(PerZip->text());
  c.PerCountry = U8(PerCountry->text());
  c.PerPhone = U8(PerPhone->text());
  c.PerFax = U8(PerFax->text());
  c.PerCell = U8(PerCell->text());
  c.PerURL = U8(PerWeb->text());
  c.PerAddress = MemoLines(PerAddress);
  return c;
}

void TAddressQuery::RefreshEmails() {
  const int current = EMailList->currentRow();
  EMailList->clear();
  for (size_t i = 0; i < emails_.Lines().size(); ++i) {
    auto* item = new QListWidgetItem(Q(emails_.Caption(i)), EMailList);
    if (emails_.IsDefault(i)) {
      QFont f = item->font();
      f.setBold(true);
      f.setItalic(true);
      item->setFont(f);
    }
  }
  if (current >= 0 && current < EMailList->count()) EMailList->setCurrentRow(current);
  UpdateButtons();
}

void TAddressQuery::UpdateButtons() {
  AddBtn->setEnabled(!EMailEdit->text().isEmpty());
  const bool selected = EMailList->currentRow() >= 0 && !EMailList->selectedItems().isEmpty();
  for (QPushButton* b : {EMailEditBtn, RemoveBtn, DefaultEMailBtn}) b->setEnabled(selected);
}

void TAddressQuery::AddBtnClick() {
  if (EMailEdit->text().isEmpty()) return;
  emails_.Add(U8(EMailEdit->text()));
  EMailEdit->clear();
  RefreshEmails();
}

void TAddressQuery::EMailEditBtnClick() {
  const int row = EMailList->currentRow();
  if (row < 0) return;
  const std::string line = emails_.Lines()[static_cast<size_t>(row)];
  auto text = GetPrompts().InputBox("Edit E-Mail address", "New address:", line);
  if (!text) return;
  // The box takes at most 255 characters (not bytes: a character is never cut in two).
  emails_.Edit(static_cast<size_t>(row), U8(Q(*text).left(255)));
  RefreshEmails();
}

void TAddressQuery::RemoveBtnClick() {
  const int row = EMailList->currentRow();
  if (row < 0) return;
  const std::string line = emails_.Lines()[static_cast<size_t>(row)];
  if (!GetPrompts().ConfirmOkCancel("Remove the E-Mail adress \"" + line + "\" from E-Mail list?")) return;
  emails_.Remove(static_cast<size_t>(row));
  RefreshEmails();
}

void TAddressQuery::DefaultEMailBtnClick() {
  const int row = EMailList->currentRow();
  if (row < 0) return;
  emails_.SetDefault(static_cast<size_t>(row));
  RefreshEmails();
}

void TAddressQuery::done(int result) {
  if (result == QDialog::Accepted) {
    for (QLineEdit* f : {FirstEdit, MiddleEdit, LastEdit}) NameFieldLeft(f);
    if (!ContactComplete(Contact())) {
      GetPrompts().Information(kInvalidContact);
      return;
    }
  }
  QDialog::done(result);
}

namespace {
TEditOutcome RunContactEditor(QWidget* parent, TAddressBookStore& book, const std::string& key,
                              const ContactRecord* stored, const ContactRecord* seed, const std::string& eMail = {}) {
  TEditOutcome out;
  out.Key = key;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  TAddressQuery editor(parent);
  if (stored) editor.SetContact(*stored);
  if (seed) {
    ContactRecord c = editor.Contact();
    c.FirstName = seed->FirstName;
    c.LastName = seed->LastName;
    editor.SetContact(c);
    editor.SetEMailText(eMail);
  }
  QApplication::restoreOverrideCursor();
  if (editor.exec() != QDialog::Accepted) return out;
  ContactRecord c = editor.Contact();
  if (!ContactComplete(c)) return out;
  out.Written = StoreGuard([&] { book.WriteContact(key, c); });
  out.Contact = std::move(c);
  return out;
}
}  // namespace

TEditOutcome EditEntry(QWidget* parent, TAddressBookStore& book, const std::string& key) {
  TEditOutcome out;
  if (key.empty()) {
    std::string fresh;
    if (!StoreGuard([&] { fresh = book.NewEntryKey(); })) return out;
    return RunContactEditor(parent, book, fresh, nullptr, nullptr);
  }
  bool group = false;
  ContactRecord stored;
  if (!StoreGuard([&] {
        group = book.IsGroup(key);
        if (!group) stored = book.ReadContact(key);
      }))
    return out;
  if (group) {
    out.Group = true;
    out.Key = key;
    TGroupForm form(book, key, parent);
    out.Written = form.exec() == QDialog::Accepted;
    return out;
  }
  return RunContactEditor(parent, book, key, &stored, nullptr);
}

TEditOutcome AddContact(QWidget* parent, TAddressBookStore& book, const std::string& firstName,
                        const std::string& lastName, const std::string& eMail) {
  std::string fresh;
  if (!StoreGuard([&] { fresh = book.NewEntryKey(); })) return {};
  ContactRecord seed;
  seed.FirstName = firstName;
  seed.LastName = lastName;
  return RunContactEditor(parent, book, fresh, nullptr, &seed, eMail);
}

}  // namespace korrin
