#include "reading/msg_view_navigator.h"

#include <algorithm>

#include "engine/mail_tree.h"
#include "engine/mail_list.h"

namespace korrin {

TMsgViewNavigator::TMsgViewNavigator(TMailTree& tree, TMailList& list, TMsgViewNavHost host)
    : tree_(tree), list_(list), host_(std::move(host)) {}

int TMsgViewNavigator::RowCount() const { return static_cast<int>(list_.Rows().size()); }

bool TMsgViewNavigator::SelectedHasRecord() const { return tree_.Selected() && tree_.Selected()->Record; }

int TMsgViewNavigator::SelectedNode() const {
  auto nodes = tree_.Nodes();
  auto it = std::find(nodes.begin(), nodes.end(), tree_.Selected());
  return it == nodes.end() ? -1 : static_cast<int>(it - nodes.begin());
}

bool TMsgViewNavigator::ShowSelectedOfAnotherFolder() {
  int row = host_.SelectedRow();
  if (node_ < 0 || SelectedNode() == node_ || row < 0) return false;
  SelectAndOpen(row);
  return true;
}

void TMsgViewNavigator::Remember() {
  node_ = SelectedNode();
  row_ = host_.SelectedRow ? host_.SelectedRow() : -1;
}

void TMsgViewNavigator::Reselect() {
  auto nodes = tree_.Nodes();
  if (node_ < 0 || node_ >= static_cast<int>(nodes.size())) return;
  TMailTreeNode* node = nodes[static_cast<size_t>(node_)];
  if (tree_.Selected() != node) tree_.Select(node);
  if (row_ >= 0 && row_ < RowCount() && host_.SelectedRow() != row_) host_.SelectRow(row_);
}

void TMsgViewNavigator::ReselectWhenUnselected() {
  if (host_.SelectedRow() < 0) Reselect();
}

bool TMsgViewNavigator::SelectBox(TMailTreeNode* box) {
  if (!box) return false;
  tree_.Select(box);
  return true;
}

void TMsgViewNavigator::SelectAndOpen(int row) {
  host_.SelectRow(row);
  host_.OpenRow(row);
  // Opening may have refilled the list; the row shown stays in view.
  int selected = host_.SelectedRow();
  if (selected >= 0) host_.SelectRow(selected);
}

void TMsgViewNavigator::SkipEmptyConferences(bool forward) {
  // Bounded by the tree's size: a packet whose conferences are all empty ends on one of them.
  for (size_t guard = tree_.Nodes().size(); RowCount() == 0 && guard > 0; --guard) {
    const TMailTreeNode* n = tree_.Selected();
    if (!n || !n->Record || n->Record->Kind != TFolderKind::fkConference) return;
    forward ? tree_.NextConference(n->Record->Ordinal) : tree_.PreviousConference(n->Record->Ordinal);
  }
}

void TMsgViewNavigator::NextMessage(TFolderKind kind) {
  ReselectWhenUnselected();
  if (!SelectedHasRecord() || ShowSelectedOfAnotherFolder()) return;
  int row = host_.SelectedRow();
  int count = RowCount();
  if (row < 0) return;
  if (row + 1 < count) {
    if (kind == TFolderKind::fkConference) list_.MarkSelectedRead(row);
    SelectAndOpen(row + 1);
    return;
  }
  if (kind == TFolderKind::fkConference) {
    const TConfRec* rec = tree_.Selected()->Record.get();
    tree_.NextConference(rec->Ordinal);
    SkipEmptyConferences(true);
    if (RowCount() > 0) SelectAndOpen(0);
  } else if (count > 0) {
    SelectAndOpen(0);
  }
}

void TMsgViewNavigator::PreviousMessage(TFolderKind kind) {
  ReselectWhenUnselected();
  if (!SelectedHasRecord() || ShowSelectedOfAnotherFolder()) return;
  int row = host_.SelectedRow();
  if (row < 0) return;
  if (row > 0) {
    if (kind == TFolderKind::fkConference) list_.MarkSelectedRead(row);
    SelectAndOpen(row - 1);
    return;
  }
  if (kind == TFolderKind::fkConference) {
    const TConfRec* rec = tree_.Selected()->Record.get();
    tree_.PreviousConference(rec->Ordinal);
    SkipEmptyConferences(false);
  }
  if (RowCount() > 0) SelectAndOpen(RowCount() - 1);
}

void TMsgViewNavigator::NextConference(TFolderKind kind, int32_t ordinal) {
  switch (kind) {
    case TFolderKind::fkConference:
      tree_.NextConference(ordinal);
      SkipEmptyConferences(true);
      break;
    case TFolderKind::fkOutBox: if (!SelectBox(tree_.SaveBox())) return; break;
    case TFolderKind::fkSaveBox: if (!SelectBox(tree_.SentBox())) return; break;
    case TFolderKind::fkSentBox: if (!SelectBox(tree_.OutBox())) return; break;
    default: return;
  }
  if (RowCount() > 0) SelectAndOpen(0);
}

void TMsgViewNavigator::PreviousConference(TFolderKind kind, int32_t ordinal) {
  switch (kind) {
    case TFolderKind::fkConference:
      tree_.PreviousConference(ordinal);
      SkipEmptyConferences(false);
      break;
    case TFolderKind::fkOutBox: if (!SelectBox(tree_.SentBox())) return; break;
    case TFolderKind::fkSaveBox: if (!SelectBox(tree_.OutBox())) return; break;
    case TFolderKind::fkSentBox: if (!SelectBox(tree_.SaveBox())) return; break;
    default: return;
  }
  if (RowCount() > 0) SelectAndOpen(RowCount() - 1);
}

}  // namespace korrin
