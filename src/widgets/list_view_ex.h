#pragma once
// A list control with the four classic view styles (large icons, small
// icons, list, details) over one model and one selection.

#include <QStackedWidget>

class QAbstractItemModel;
class QAbstractItemView;
class QItemSelectionModel;
class QListView;
class QTreeView;

namespace korrin {

enum class TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };

class TListViewEx : public QStackedWidget {
  Q_OBJECT
public:
  explicit TListViewEx(QWidget* parent = nullptr);

  void setModel(QAbstractItemModel* model);
  QAbstractItemModel* model() const { return model_; }
  TViewStyle ViewStyle() const { return style_; }
  void SetViewStyle(TViewStyle style);

  // Row of the current item, -1 when none.
  int CurrentRow() const;
  void SetCurrentRow(int row);
  std::vector<int> SelectedRows() const;
  void SelectAll();

  QListView* IconView() const { return icons_; }
  QTreeView* ReportView() const { return report_; }
  QAbstractItemView* ActiveView() const;

signals:
  void rowActivated(int row);       // double click or Enter
  void currentRowChanged(int row);  // the selected current row (CurrentRow), once it is selected
  void contextMenuRequested(const QPoint& globalPos);

private:
  QListView* icons_;
  QTreeView* report_;
  QAbstractItemModel* model_ = nullptr;
  QItemSelectionModel* selection_ = nullptr;
  int shownRow_ = -1;  // the row last told by currentRowChanged
  TViewStyle style_ = TViewStyle::vsIcon;
};

}  // namespace korrin
