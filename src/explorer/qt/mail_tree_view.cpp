#include "explorer/qt/mail_tree_view.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>

#include <functional>

#include "platform/qt/qt_platform.h"
#include "widgets/mail_images.h"

namespace korrin {

namespace {
constexpr int kNodeRole = Qt::UserRole + 1;
}

TMailTreeView::TMailTreeView(TMailTree& tree, QWidget* parent) : QTreeWidget(parent), tree_(tree) {
  setObjectName("MailTreeView1");
  setHeaderHidden(true);
  setColumnCount(1);
  setUniformRowHeights(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setContextMenuPolicy(Qt::CustomContextMenu);
  tree_.OnRebuilt = [this] { Recreate(); };
  tree_.OnChange = [this] {
    FollowSelection();
    UpdateLabels();
    emit folderChanged();
  };
  connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item, QTreeWidgetItem*) {
    if (syncing_ || !item) return;
    TMailTreeNode* node = NodeOf(item);
    if (node && node != tree_.Selected()) tree_.Select(node);
  });
  connect(this, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem*, int) { UpdateLabels(); });
  connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
    if (TMailTreeNode* n = NodeOf(item)) n->Expanded = true;
    if (TMailTreeNode* n = NodeOf(item)) item->setIcon(0, TreeImage(n->ImageIndex));
  });
  connect(this, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* item) {
    if (TMailTreeNode* n = NodeOf(item)) n->Expanded = false;
  });
}

TMailTreeNode* TMailTreeView::NodeOf(const QTreeWidgetItem* item) const {
  return item ? static_cast<TMailTreeNode*>(item->data(0, kNodeRole).value<void*>()) : nullptr;
}

TMailTreeView::~TMailTreeView() {
  tree_.OnRebuilt = nullptr;
  tree_.OnChange = nullptr;
}

QTreeWidgetItem* TMailTreeView::ItemOf(const TMailTreeNode* node) const {
  if (!node) return nullptr;
  std::function<QTreeWidgetItem*(QTreeWidgetItem*)> find = [&](QTreeWidgetItem* item) -> QTreeWidgetItem* {
    if (NodeOf(item) == node) return item;
    for (int i = 0; i < item->childCount(); ++i)
      if (auto* found = find(item->child(i))) return found;
    return nullptr;
  };
  for (int i = 0; i < topLevelItemCount(); ++i)
    if (auto* found = find(topLevelItem(i))) return found;
  return nullptr;
}

void TMailTreeView::Recreate() {
  syncing_ = true;
  clear();
  std::function<void(QTreeWidgetItem*, TMailTreeNode*)> add = [&](QTreeWidgetItem* parent, TMailTreeNode* node) {
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
    item->setText(0, FromCp437(node->Caption));
    item->setIcon(0, TreeImage(node->ImageIndex));
    item->setData(0, kNodeRole, QVariant::fromValue<void*>(node));
    for (auto& c : node->Children) add(item, c.get());
  };
  if (tree_.Root()) add(nullptr, tree_.Root());
  syncing_ = false;
}

void TMailTreeView::FollowSelection() {
  syncing_ = true;
  for (TMailTreeNode* n : tree_.Nodes())
    if (QTreeWidgetItem* item = ItemOf(n)) {
      if (n->Expanded != item->isExpanded()) item->setExpanded(n->Expanded);
      item->setIcon(0, TreeImage(n == tree_.Selected() ? n->SelectedIndex : n->ImageIndex));
    }
  QTreeWidgetItem* item = ItemOf(tree_.Selected());
  setCurrentItem(item);
  if (item) scrollToItem(item);
  syncing_ = false;
}

void TMailTreeView::UpdateLabels() {
  if (statusLabel_) statusLabel_->setText(FromCp437(tree_.StatusText()));
  if (captionLabel_) captionLabel_->setText(FromUtf8(tree_.CaptionText()));
}

}  // namespace korrin
