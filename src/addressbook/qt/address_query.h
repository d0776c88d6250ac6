#pragma once
// The contact editor "TAddressQuery" (four tabs: Personal, Home, Business,
// Notes) and EditEntry, the common action that opens an entry of a list:
// the contact editor for a contact or a new one, the group editor for a group.

#include <QDialog>

#include <functional>
#include <string>

#include "addressbook/address_book.h"
#include "addressbook/address_rules.h"

class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QToolButton;

namespace korrin {

class TAddressQuery : public QDialog {
  Q_OBJECT
public:
  explicit TAddressQuery(QWidget* parent = nullptr);

  void SetContact(const ContactRecord& contact);
  // The text of the e-mail field, not yet in the list.
  void SetEMailText(const std::string& text);
  ContactRecord Contact() const;
  const TEmailList& Emails() const { return emails_; }

  // The e-mail list commands.
  void AddBtnClick();
  void EMailEditBtnClick();
  void RemoveBtnClick();
  void DefaultEMailBtnClick();

  // Closing with OK needs a first name and a default address.
  void done(int result) override;

private:
  QWidget* PersonalPage();
  QWidget* HomePage();
  QWidget* BusinessPage();
  QWidget* NotesPage();
  QLineEdit* Edit(const char* name, QWidget* parent);
  QPlainTextEdit* Memo(const char* name, QWidget* parent);
  void RefreshEmails();
  void UpdateButtons();
  void NameFieldLeft(QLineEdit* field);

  TEmailList emails_;
  QTabWidget* PageControl1 = nullptr;
  QLineEdit *FirstEdit = nullptr, *LastEdit = nullptr, *MiddleEdit = nullptr, *EMailEdit = nullptr;
  QListWidget* EMailList = nullptr;
  QPushButton *AddBtn = nullptr, *EMailEditBtn = nullptr, *RemoveBtn = nullptr, *DefaultEMailBtn = nullptr;
  QLineEdit *PerCity = nullptr, *PerState = nullptr, *PerZip = nullptr, *PerCountry = nullptr, *PerPhone = nullptr,
            *PerFax = nullptr, *PerCell = nullptr, *PerWeb = nullptr;
  QPlainTextEdit* PerAddress = nullptr;
  QLineEdit *CompanyEdit = nullptr, *BusCity = nullptr, *BusState = nullptr, *BusZip = nullptr, *BusCountry = nullptr,
            *BusWeb = nullptr, *BusJob = nullptr, *BusDep = nullptr, *BusOffice = nullptr, *BusPhone = nullptr,
            *BusFax = nullptr, *BusPager = nullptr;
  QPlainTextEdit* BusAddress = nullptr;
  QPlainTextEdit* Additionalinfo = nullptr;
  QToolButton *SpeedButton1 = nullptr, *SpeedButton2 = nullptr;
};

// The name fields' case rule: lower case; then, unless the text holds "." or
// "@", the first letter and each letter after a blank (a to z) in capitals.
QString NameFieldCase(const QString& text);

// What EditEntry did.
struct TEditOutcome {
  bool Written = false;  // OK, and the entry was stored
  bool Group = false;
  std::string Key;
  ContactRecord Contact;  // the contact written
};

// Opens the entry `key` (a new contact when empty) in its editor and stores
// it on OK. Registry failures are shown in the error box.
TEditOutcome EditEntry(QWidget* parent, TAddressBookStore& book, const std::string& key);
// The contact editor on a new contact with its names and e-mail field
// filled (the viewer's "Add Sender"); stores it under a new key on OK when
// it is complete.
TEditOutcome AddContact(QWidget* parent, TAddressBookStore& book, const std::string& firstName,
                        const std::string& lastName, const std::string& eMail);

// Runs a store operation; a registry failure is shown in the error box and
// gives false.
bool StoreGuard(const std::function<void()>& action);

}  // namespace korrin
