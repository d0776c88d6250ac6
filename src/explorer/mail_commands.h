#pragma once
// Window-free rules of the explorer's mail commands: which command is
// enabled for which folder and row, captions that follow the folder,
// subjects of replies, the status texts of the window.

#include <string>

#include "engine/control_file.h"
#include "engine/header_texts.h"

namespace korrin {

struct TCommandContext {
  bool Busy = false;
  bool RowSelected = false;
  size_t RowSubItems = 0;       // sub-texts of the selected row
  bool FolderHasRecord = false;
  TFolderKind Kind = TFolderKind::fkConference;
  bool PostOfficeExists = false;
  bool QuickViewerShown = false;
  bool TreeHasNodes = false;
  bool QuickViewerHasSelection = false;

  bool MessageRow() const { return RowSelected && FolderHasRecord && RowSubItems >= 4; }
  bool IsBox() const {
    return FolderHasRecord && (Kind == TFolderKind::fkOutBox || Kind == TFolderKind::fkSaveBox ||
                               Kind == TFolderKind::fkSentBox);
  }
};

struct TCommandStates {
  bool View = false, Reply = false, Forward = false, Delete = false;
  bool MarkRead = false, DeleteAll = false, New = false, Search = false;
  bool NextPrevMessage = false, NextPrevConference = false, Copy = false;
  bool ViewVisible = true;
};

// The toolbar buttons (idle update and busy changes).
TCommandStates ToolbarStates(const TCommandContext& c);
// The Mail menu and the commands' shortcuts; each command checks it when invoked.
TCommandStates MailMenuStates(const TCommandContext& c);
// The list and quick-viewer pop-up, set when it opens.
TCommandStates PopupStates(const TCommandContext& c);

// "Edit" for the Out Box, else "Reply"; the menus' "Edit Message" / "Reply to Message".
std::string ReplyCaption(const TConfRec* folder);
std::string ReplyMenuCaption(const TConfRec* folder);

// " 3 of 12 object(s)" with a selected row (index 2), else " 12 object(s)".
std::string ListStatusText(int selectedIndex, int count);

// The box's display name for "Delete all".
std::string BoxDisplayName(TFolderKind kind);
std::string DeleteAllQuestion(TFolderKind kind);

}  // namespace korrin
