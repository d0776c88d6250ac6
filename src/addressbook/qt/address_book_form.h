#pragma once
// The address book window "TAdressBook": every contact and group in one of
// four view styles, with the commands that make, edit, delete, exchange and
// write to them. At most one exists; ShowAddressBook makes it or brings it
// forward.

#include <QMainWindow>
#include <QPointer>

#include <string>
#include <vector>

#include "addressbook/address_book.h"

class QAction;
class QLabel;
class QMenu;
class QStandardItemModel;
class QToolButton;

namespace korrin {

class TMainHost;
class TListViewEx;

struct TAddressBookActions {
  // File
  QAction *NewContact1 = nullptr, *NewGroup1 = nullptr, *Properties1 = nullptr, *Delete1 = nullptr,
          *ImportvCard1 = nullptr, *ExportvCard1 = nullptr, *Exit1 = nullptr;
  // View
  QAction *Toolbar1 = nullptr, *LargeIcon1 = nullptr, *SmallIcon1 = nullptr, *List1 = nullptr, *Detail1 = nullptr,
          *Refresh1 = nullptr, *KorrinExplorer1 = nullptr, *MSGViewer1 = nullptr, *MSGEditor1 = nullptr;
  // Help
  QAction *AddressBookHelp1 = nullptr, *About1 = nullptr;
  // Pop-up
  QAction *NewContact2 = nullptr, *NewGroup2 = nullptr, *Properties2 = nullptr, *Delete2 = nullptr, *Exit2 = nullptr;
};

class TAdressBook : public QMainWindow {
  Q_OBJECT
public:
  explicit TAdressBook(TMainHost& host, QWidget* parent = nullptr);
  ~TAdressBook() override;

  // The window while it exists.
  static TAdressBook* Instance();

  // Rows and keys again from the store; the selected index is kept.
  void RebuildList();
  int SelectedRow() const;
  void SelectRow(int row);
  const std::vector<EntryRow>& Rows() const { return rows_; }
  TListViewEx* List() const { return ListView1; }
  const TAddressBookActions& Commands() const { return acts_; }
  // The last state that was not minimised (normal or maximised).
  Qt::WindowStates LastState() const { return lastState_; }

  void NewContactClick();
  void NewGroupClick();
  void PropertiesClick();
  void DeleteClick();
  void WriteClick();
  void ImportClick();
  void ExportClick();
  void UpdateButtons();

protected:
  void changeEvent(QEvent* event) override;
  bool event(QEvent* event) override;

private:
  void BuildActions();
  void BuildMenus();
  void BuildToolbar();
  void EditRow(int row);
  void SetStyle(int icons);
  void ApplyPlacement();
  void SavePlacement();
  void FileMenuAboutToShow();
  void ViewMenuAboutToShow();

  TMainHost& host_;
  TAddressBookStore book_;
  std::vector<EntryRow> rows_;
  Qt::WindowStates lastState_ = Qt::WindowNoState;
  TAddressBookActions acts_;
  QStandardItemModel* model_ = nullptr;
  TListViewEx* ListView1 = nullptr;
  QWidget* Toolbar = nullptr;
  QLabel* TransPic1 = nullptr;
  QToolButton *ContactBtn = nullptr, *GroupBtn = nullptr, *PropBtn = nullptr, *DeleteBtn = nullptr, *NewBtn = nullptr;
  QMenu *File1 = nullptr, *View1 = nullptr, *Help1 = nullptr, *PopupMenu1 = nullptr;
};

// Makes the address book window, or brings the existing one forward
// (restored to its last state when minimised). Returns it.
TAdressBook* ShowAddressBook(TMainHost& host);

}  // namespace korrin
