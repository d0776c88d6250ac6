#pragma once
// "Configure OLMS Door": the door's keyword, filter and twit lists on three
// tabbed pages; every change goes to "todoor.ext" at once.

#include <QDialog>

#include "door/door_filter_lists.h"

class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QStackedWidget;
class QTabBar;

namespace korrin {

class TMainHost;

class TOLMSSetup : public QDialog {
  Q_OBJECT
public:
  // Opens on tab 0 (keywords), 1 (filters) or 2 (twits).
  TOLMSSetup(TMainHost& host, int page, QWidget* parent = nullptr);

  void AddClick(TFilterPage page);
  void RemoveClick(TFilterPage page);
  int Page() const;
  void SetPage(int page);

  // The Edit menu's commands: the dialog on its page, modally.
  static void Execute(TMainHost& host, int page);

private:
  struct TPageControls {
    QGroupBox* Group = nullptr;
    QLabel* Max = nullptr;
    QListWidget* List = nullptr;
  };

  TMainHost& host_;
  QTabBar* TabSet1 = nullptr;
  QStackedWidget* Notebook1 = nullptr;
  TPageControls pages_[3];
};

}  // namespace korrin
