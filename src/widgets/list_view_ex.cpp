#include "widgets/list_view_ex.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QListView>
#include <QTreeView>

namespace korrin {

TListViewEx::TListViewEx(QWidget* parent) : QStackedWidget(parent) {
  icons_ = new QListView(this);
  icons_->setObjectName("IconView");
  icons_->setUniformItemSizes(true);
  icons_->setLayoutMode(QListView::Batched);
  icons_->setBatchSize(500);
  icons_->setResizeMode(QListView::Adjust);  // auto-arrange
  icons_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  icons_->setWordWrap(true);
  report_ = new QTreeView(this);
  report_->setObjectName("ReportView");
  report_->setRootIsDecorated(false);
  report_->setUniformRowHeights(true);
  report_->setItemsExpandable(false);
  report_->setAllColumnsShowFocus(true);
  report_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  report_->header()->setStretchLastSection(false);
  addWidget(icons_);
  addWidget(report_);
  for (QAbstractItemView* v : {static_cast<QAbstractItemView*>(icons_), static_cast<QAbstractItemView*>(report_)}) {
    v->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(v, &QAbstractItemView::activated, this, [this](const QModelIndex& i) { emit rowActivated(i.row()); });
    connect(v, &QWidget::customContextMenuRequested, this,
            [this, v](const QPoint& p) { emit contextMenuRequested(v->viewport()->mapToGlobal(p)); });
  }
  SetViewStyle(TViewStyle::vsIcon);
}

void TListViewEx::setModel(QAbstractItemModel* model) {
  model_ = model;
  icons_->setModel(model);
  report_->setModel(model);
  delete selection_;
  selection_ = new QItemSelectionModel(model, this);
  icons_->setSelectionModel(selection_);
  report_->setSelectionModel(selection_);
  // A mouse press moves the current row before it selects it: the row is
  // told once it is both current and selected.
  auto changed = [this] {
    int row = CurrentRow();
    if (row == shownRow_) return;
    shownRow_ = row;
    emit currentRowChanged(row);
  };
  connect(selection_, &QItemSelectionModel::currentRowChanged, this, changed);
  connect(selection_, &QItemSelectionModel::selectionChanged, this, changed);
  connect(model, &QAbstractItemModel::modelReset, this, [this] { shownRow_ = -1; });
}

void TListViewEx::SetViewStyle(TViewStyle style) {
  style_ = style;
  switch (style) {
    case TViewStyle::vsIcon:
      icons_->setViewMode(QListView::IconMode);
      icons_->setIconSize(QSize(32, 32));
      icons_->setGridSize(QSize(96, 72));
      icons_->setFlow(QListView::LeftToRight);
      icons_->setWrapping(true);
      setCurrentWidget(icons_);
      break;
    case TViewStyle::vsSmallIcon:
      icons_->setViewMode(QListView::IconMode);
      icons_->setIconSize(QSize(16, 16));
      icons_->setGridSize(QSize(160, 22));
      icons_->setFlow(QListView::LeftToRight);
      icons_->setWrapping(true);
      setCurrentWidget(icons_);
      break;
    case TViewStyle::vsList:
      icons_->setViewMode(QListView::ListMode);
      icons_->setIconSize(QSize(16, 16));
      icons_->setGridSize(QSize(180, 20));
      icons_->setFlow(QListView::TopToBottom);
      icons_->setWrapping(true);
      setCurrentWidget(icons_);
      break;
    case TViewStyle::vsReport:
      report_->setIconSize(QSize(16, 16));
      setCurrentWidget(report_);
      break;
  }
  icons_->setMovement(QListView::Static);
}

QAbstractItemView* TListViewEx::ActiveView() const {
  return style_ == TViewStyle::vsReport ? static_cast<QAbstractItemView*>(report_)
                                        : static_cast<QAbstractItemView*>(icons_);
}

int TListViewEx::CurrentRow() const {
  if (!selection_) return -1;
  QModelIndex cur = selection_->currentIndex();
  return cur.isValid() && selection_->isRowSelected(cur.row(), QModelIndex()) ? cur.row() : -1;
}

void TListViewEx::SetCurrentRow(int row) {
  if (!selection_ || !model_) return;
  if (row < 0 || row >= model_->rowCount()) {
    selection_->clearSelection();
    selection_->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    return;
  }
  QModelIndex idx = model_->index(row, 0);
  selection_->setCurrentIndex(idx, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  ActiveView()->scrollTo(idx);
}

std::vector<int> TListViewEx::SelectedRows() const {
  std::vector<int> rows;
  if (!selection_) return rows;
  for (const QModelIndex& i : selection_->selectedRows()) rows.push_back(i.row());
  std::sort(rows.begin(), rows.end());
  return rows;
}

void TListViewEx::SelectAll() { ActiveView()->selectAll(); }

}  // namespace korrin
