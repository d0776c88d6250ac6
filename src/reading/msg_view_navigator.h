#pragma once
// How the message viewer steps through the main window's folder: next and
// previous message (marking conference messages read, moving on to the next
// or previous conference at the ends of a conference, wrapping around in a
// box), next and previous conference (the boxes go round Out Box, Save Box,
// Sent Box), and the tree node and row of the message shown, which are
// selected again when the main list has lost its selection.
//
// The tree and the list are the core models of the main window; the host
// callbacks reach its list control's selection and its double-click action
// (which opens the row in the viewer again).

#include <cstdint>
#include <functional>

#include "engine/control_file.h"

namespace korrin {

class TMailTree;
class TMailList;
struct TMailTreeNode;

struct TMsgViewNavHost {
  std::function<int()> SelectedRow;     // -1 when no row is selected
  std::function<void(int)> SelectRow;   // selects the row and scrolls it into view
  std::function<void(int)> OpenRow;     // the list's double-click action on the row
};

class TMsgViewNavigator {
public:
  TMsgViewNavigator(TMailTree& tree, TMailList& list, TMsgViewNavHost host);

  // Remembers the tree's selected node (by its position in the tree) and
  // the list's selected row.
  void Remember();
  int RememberedNode() const { return node_; }
  int RememberedRow() const { return row_; }
  // Selects the remembered node and row again where they differ from the
  // selection (a node or row that no longer exists is left alone).
  void Reselect();
  // Reselect, only when the list has no selected row.
  void ReselectWhenUnselected();

  // `kind` is the folder kind the message shown was loaded from. After the
  // user picked another folder, the first press shows that folder's selected row.
  void NextMessage(TFolderKind kind);
  void PreviousMessage(TFolderKind kind);
  // `ordinal` is the ordinal of the message's conference.
  void NextConference(TFolderKind kind, int32_t ordinal);
  void PreviousConference(TFolderKind kind, int32_t ordinal);

private:
  int RowCount() const;
  bool SelectedHasRecord() const;
  int SelectedNode() const;  // the tree's selected node by its position, -1 for none
  // The user picked another folder in the main window since the message
  // shown was opened: its selected row is shown (not skipped) and true returned.
  bool ShowSelectedOfAnotherFolder();
  // Moving on from a conference without messages to the next (or previous)
  // one: the viewer never stops where the next press would bring it back.
  void SkipEmptyConferences(bool forward);
  void SelectAndOpen(int row);
  bool SelectBox(TMailTreeNode* box);

  TMailTree& tree_;
  TMailList& list_;
  TMsgViewNavHost host_;
  int node_ = -1;
  int row_ = -1;
};

}  // namespace korrin
