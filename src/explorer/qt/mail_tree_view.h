#pragma once
// The folder tree pane: shows the nodes of the core tree and passes the
// user's selection back to it.

#include <QTreeWidget>

#include "engine/mail_tree.h"

class QLabel;

namespace korrin {

class TMailTreeView : public QTreeWidget {
  Q_OBJECT
public:
  // Shows `tree`, which outlives the view.
  explicit TMailTreeView(TMailTree& tree, QWidget* parent = nullptr);
  ~TMailTreeView() override;
  // The width the shown labels need, with their indentation and pictures.
  int ContentWidth() const { return sizeHintForColumn(0); }

  TMailTree& Tree() { return tree_; }
  // Receives "Contents of ..." after each selection change and click.
  void SetStatusLabel(QLabel* label) { statusLabel_ = label; }
  // Receives the packet file's name.
  void SetCaptionLabel(QLabel* label) { captionLabel_ = label; }
  QTreeWidgetItem* ItemOf(const TMailTreeNode* node) const;
  TMailTreeNode* NodeOf(const QTreeWidgetItem* item) const;

signals:
  // The selected folder changed (after the tree's own notification).
  void folderChanged();

private:
  void Recreate();
  void FollowSelection();
  void UpdateLabels();

  TMailTree& tree_;
  QLabel* statusLabel_ = nullptr;
  QLabel* captionLabel_ = nullptr;
  bool syncing_ = false;
};

}  // namespace korrin
