#pragma once
// The message list pane: shows the rows the core list computes.

#include <QAbstractTableModel>
#include <QHash>
#include <QIcon>
#include <functional>

#include "engine/mail_list.h"
#include "widgets/list_view_ex.h"

class QLabel;

namespace korrin {

class TMailListModel : public QAbstractTableModel {
  Q_OBJECT
public:
  explicit TMailListModel(TMailList& list, QObject* parent = nullptr);
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  void Reset();
  void RowChanged(int row);

private:
  QIcon ShellIcon(const std::string& name) const;
  TMailList& list_;
  mutable QHash<QString, QIcon> iconCache_;
};

class TMailListView : public TListViewEx {
  Q_OBJECT
public:
  explicit TMailListView(QWidget* parent = nullptr);

  TMailList& List() { return list_; }
  TMailListModel& Model() { return *model_; }
  void SetStatusLabel(QLabel* label) { statusLabel_ = label; }
  // Refills from the core list and shows its rows.
  void Refill();
  // The selected row (the current one when selected), -1 when none.
  int Selected() const { return CurrentRow(); }
  // Sorts by a column kind (0 Date, 1 From, 2 To, 3 Subject; -1 the packet's
  // order); the selected message stays selected.
  void SortBy(int columnKind);

signals:
  void orderChanged();  // a header click or SortBy changed the list's order

private:
  void ShowRows();
  void HeaderClicked(int section);
  void KeepSelectionWhile(const std::function<void()>& change);
  void ShowSortIndicator();
  TMailList list_;
  TMailListModel* model_;
  QLabel* statusLabel_ = nullptr;
};

}  // namespace korrin
