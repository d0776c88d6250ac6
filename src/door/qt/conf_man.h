#pragma once
// The Conference Manager: the conferences the BBS offers and those the
// door packs, in two sorted multi-select lists with "Add" and "Drop".

#include <QDialog>

#include "door/conference_manager.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace korrin {

class TMainHost;

class TConfMan : public QDialog {
  Q_OBJECT
public:
  explicit TConfMan(TMainHost& host, QWidget* parent = nullptr);

  TConferenceManager& Model() { return model_; }
  void IncludeBtnClick();
  void ExcludeBtnClick();
  void OkBtnClick();

  // The Edit menu's command: reads the door identity again, runs the
  // dialog and, after OK, writes one control message per change into the
  // Out Box (refilling the list when the Out Box is shown). True after OK.
  static bool Execute(TMainHost& host);

private:
  // Shows the model's lists, selections, counters and button states.
  void SetButtons();
  void TakeSelection(QListWidget* view, TCaptionList& list);

  TMainHost& host_;
  TConferenceManager model_;
  bool refreshing_ = false;
  QListWidget* SrcList = nullptr;
  QListWidget* DstList = nullptr;
  QLabel* AvailSel = nullptr;
  QLabel* CurSel = nullptr;
  QPushButton* IncludeBtn = nullptr;
  QPushButton* ExcludeBtn = nullptr;
};

}  // namespace korrin
