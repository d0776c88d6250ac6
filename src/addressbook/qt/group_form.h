#pragma once
// The group editor "TGroupForm" and the member picker "TAddMembersForm".

#include <QDialog>

#include <string>
#include <vector>

#include "addressbook/address_book.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QToolButton;
class QTreeWidget;

namespace korrin {

// Fills a list with entry rows: text, then the e-mail and phone columns
// that the list has; the group or contact picture.
void FillRows(QTreeWidget* list, const std::vector<EntryRow>& rows);
std::vector<int> SelectedRows(QTreeWidget* list);

class TGroupForm : public QDialog {
  Q_OBJECT
public:
  // An existing group (`key`), or a new one with a fresh key (empty `key`).
  TGroupForm(TAddressBookStore& book, const std::string& key, QWidget* parent = nullptr);

  const std::string& Key() const { return key_; }
  const std::vector<std::string>& MemberKeys() const { return members_; }

  void AddBtnClick();
  void RemoveBtnClick();
  void PropertiesBtnClick();
  void OkBtnClick();
  // Appends the keys that are not members yet, in order (the picker's OK).
  void AddMembers(const std::vector<std::string>& keys);

private:
  void RebuildRows();
  void UpdateButtons();

  TAddressBookStore& book_;
  std::string key_;
  std::vector<std::string> members_;
  QLineEdit* GroupEdit = nullptr;
  QTreeWidget* ListView1 = nullptr;
  QPlainTextEdit* Memo1 = nullptr;
  QPushButton *AddBtn = nullptr, *RemoveBtn = nullptr, *PropertiesBtn = nullptr, *OkBtn = nullptr;
};

class TAddMembersForm : public QDialog {
  Q_OBJECT
public:
  explicit TAddMembersForm(TAddressBookStore& book, QWidget* parent = nullptr);

  // The keys of "New Members", in their order.
  std::vector<std::string> NewMemberKeys() const;

  void RightArrowClick();
  void LeftArrowClick();
  void NewBtnClick();
  void PropertiesbtnClick();

private:
  void Refill();
  void UpdateButtons();
  void EditRow(std::vector<EntryRow>& rows, int row);

  TAddressBookStore& book_;
  std::vector<EntryRow> contacts_, members_;
  QTreeWidget *ListView1 = nullptr, *ListView2 = nullptr;
  QToolButton *RightArrow = nullptr, *LeftArrow = nullptr;
  QPushButton *NewBtn = nullptr, *Propertiesbtn = nullptr;
};

}  // namespace korrin
