#include "explorer/qt/mail_list_view.h"

#include <QApplication>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QTreeView>

#include "engine/mail_tree.h"
#include "platform/qt/qt_platform.h"
#include "widgets/mail_images.h"

namespace korrin {

TMailListModel::TMailListModel(TMailList& list, QObject* parent) : QAbstractTableModel(parent), list_(list) {}

int TMailListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(list_.Rows().size());
}

int TMailListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : std::max<int>(1, static_cast<int>(list_.Columns().size()));
}

QIcon TMailListModel::ShellIcon(const std::string& name) const {
  QString suffix = QFileInfo(FromCp437(name)).suffix().toLower();
  auto it = iconCache_.find(suffix);
  if (it != iconCache_.end()) return *it;
  QIcon icon = FileIcon(FromCp437(name));
  iconCache_.insert(suffix, icon);
  return icon;
}

QVariant TMailListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= static_cast<int>(list_.Rows().size())) return {};
  const TMailListRow& row = list_.Rows()[static_cast<size_t>(index.row())];
  if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
    if (index.column() == 0) return FromCharset(row.Caption, row.Charset);
    size_t sub = static_cast<size_t>(index.column() - 1);
    // The path of a box row's file is no message text.
    if (sub >= row.SubItems.size()) return QString();
    return sub < 3 ? FromCharset(row.SubItems[sub], row.Charset) : FromCp437(row.SubItems[sub]);
  }
  if (role == Qt::DecorationRole && index.column() == 0) {
    if (!row.ShellIconName.empty()) return ShellIcon(row.ShellIconName);
    return ListImage(row.ImageIndex);
  }
  return {};
}

QVariant TMailListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  const auto& cols = list_.Columns();
  return section < static_cast<int>(cols.size()) ? FromUtf8(cols[static_cast<size_t>(section)].Caption) : QString();
}

void TMailListModel::Reset() {
  beginResetModel();
  endResetModel();
}

void TMailListModel::RowChanged(int row) { emit dataChanged(index(row, 0), index(row, columnCount() - 1)); }

TMailListView::TMailListView(QWidget* parent) : TListViewEx(parent) {
  setObjectName("MailListView1");
  setMinimumWidth(370);
  model_ = new TMailListModel(list_, this);
  setModel(model_);
  list_.SetProcessMessages(MakeProcessMessages(20));
  list_.OnRowsChanged = [this] { ShowRows(); };
  list_.OnRowChanged = [this](int row) { model_->RowChanged(row); };
  QFont f("MS Sans Serif");
  setFont(f);
  ReportView()->header()->setSectionsClickable(true);
  connect(ReportView()->header(), &QHeaderView::sectionClicked, this, &TMailListView::HeaderClicked);
}

void TMailListView::KeepSelectionWhile(const std::function<void()>& change) {
  const int row = CurrentRow();
  const int source = row < 0 ? -1 : list_.MessageNumber(row) - 1;
  change();
  if (source >= 0) SetCurrentRow(list_.DisplayRow(source));
}

void TMailListView::HeaderClicked(int section) {
  bool sorted = false;
  KeepSelectionWhile([&] { sorted = list_.SortByHeader(section); });
  if (sorted) emit orderChanged();
}

void TMailListView::SortBy(int columnKind) {
  TMailTreeNode* node = list_.MailTree() ? list_.MailTree()->Selected() : nullptr;
  if (!node || !node->Record || !SortableKind(node->Record->Kind)) return;
  TListSort sort{columnKind, false};
  KeepSelectionWhile([&] { list_.SetSort(node->Record->Kind, sort); });
  emit orderChanged();
}

void TMailListView::ShowSortIndicator() {
  QHeaderView* header = ReportView()->header();
  const TListSort sort = list_.CurrentSort();
  const int32_t* order = list_.ColumnOrder();
  const int32_t* at = std::find(order, order + 4, sort.Column);
  if (!sort.Sorted() || at == order + 4) {
    header->setSortIndicatorShown(false);
    return;
  }
  header->setSortIndicatorShown(true);
  header->setSortIndicator(static_cast<int>(at - order), sort.Descending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void TMailListView::Refill() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  setUpdatesEnabled(false);
  list_.Refill();
  setUpdatesEnabled(true);
  QApplication::restoreOverrideCursor();
}

void TMailListView::ShowRows() {
  model_->Reset();
  // Column widths are given for a small 8-point font: scale them to ours.
  const double scale = std::max(1.0, fontMetrics().horizontalAdvance(QLatin1Char('x')) / 5.0);
  const auto& cols = list_.Columns();
  for (int i = 0; i < static_cast<int>(cols.size()); ++i) {
    int w = cols[static_cast<size_t>(i)].Width;
    ReportView()->setColumnWidth(i, w < 0 ? std::max(50, width() - 4) : static_cast<int>(w * scale));
  }
  ShowSortIndicator();
  if (statusLabel_) statusLabel_->setText(FromUtf8(list_.StatusText()));
}

}  // namespace korrin
