#pragma once
// The tagline manager: the taglines available (the contents of
// "korrin.tag") and taglines taken from another tagline file, in two
// sorted multi-select lists with buttons that move entries between them.
// On OK the available list replaces "korrin.tag".

#include <QDialog>

#include "reading/taglines.h"

class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace korrin {

class TTagLineMan : public QDialog {
  Q_OBJECT
public:
  explicit TTagLineMan(QWidget* parent = nullptr);

  TTagLineManager& Model() { return model_; }

  void IncludeBtnClick();
  void IncAllBtnClick();
  void ExcludeBtnClick();
  void ExAllBtnClick();
  void OpenBtnClick();
  void SaveBtnClick();
  void DeleteBtnClick();
  void NewBtnClick();
  void OkBtnClick();

private:
  // Shows the model's lists, selections, counters and button states.
  void Refresh();
  void TakeSelection(QListWidget* view, TTagList& list, QLabel* counter);
  void EditEntry(QListWidget* view, TTagList& list, QListWidgetItem* item);

  TTagLineManager model_;
  bool refreshing_ = false;
  QListWidget* SrcList = nullptr;
  QListWidget* DstList = nullptr;
  QLabel* SrcSelLabel = nullptr;
  QLabel* DstSelLabel = nullptr;
  QPushButton* IncludeBtn = nullptr;
  QPushButton* IncAllBtn = nullptr;
  QPushButton* ExcludeBtn = nullptr;
  QPushButton* ExAllBtn = nullptr;
};

}  // namespace korrin
