#pragma once
// The recipient chooser "TSelRecForm": every entry of the address book,
// moved to the To and CC lists as names or addresses. Shown modally by the
// message editor and the address book's Write.

#include <QDialog>

#include <string>
#include <vector>

#include "addressbook/address_book.h"
#include "addressbook/address_rules.h"

class QCheckBox;
class QListWidget;
class QPushButton;
class QTreeWidget;

namespace korrin {

class TSelRecForm : public QDialog {
  Q_OBJECT
public:
  explicit TSelRecForm(TAddressBookStore& book, QWidget* parent = nullptr);
  ~TSelRecForm() override;

  // A line for the To list before the dialog shows (the editor's To text).
  void AddToLine(const std::string& line);
  std::vector<std::string> ToLines() const;
  std::vector<std::string> CCLines() const;

  void ToBtnClick();
  void CCBtnClick();
  void NewClick();
  void DeleteBtnClick();
  // OK: refused with a box when the choice is more than a message carries.
  void OkBtnClick();

private:
  void Rebuild();
  void Transfer(QListWidget* target);
  void UpdateButtons();
  void EditRow(int row);

  TAddressBookStore& book_;
  std::vector<EntryRow> rows_;
  QTreeWidget* ListView1 = nullptr;
  QPushButton *New = nullptr, *PropertiesBtn = nullptr, *DeleteBtn = nullptr, *ToBtn = nullptr, *CCBtn = nullptr,
              *OkBtn = nullptr;
  QCheckBox* EMailBox = nullptr;
  QListWidget *ToList = nullptr, *CCList = nullptr;
};

// The delete question of the address book window and the chooser; true when
// the entry was deleted.
bool DeleteEntryAsked(TAddressBookStore& book, const std::string& key, const std::string& rowText);

// Shows the chooser with `to` in its To list; on OK gives the To and CC
// texts (the first To line; the CC lines joined with ","). Nothing when
// cancelled.

bool ChooseRecipients(QWidget* parent, TAddressBookStore& book, const std::string& to, TChosenRecipients& chosen);

}  // namespace korrin
