#include "explorer/mail_commands.h"

#include "platform/text.h"

namespace korrin {

TCommandStates ToolbarStates(const TCommandContext& c) {
  TCommandStates s;
  bool row = c.MessageRow() && !c.Busy;
  s.View = row;
  s.Reply = row && c.Kind != TFolderKind::fkSentBox;
  s.Forward = row && c.Kind != TFolderKind::fkOutBox;
  s.Delete = row && c.Kind != TFolderKind::fkConference;
  s.New = c.PostOfficeExists && !c.Busy;
  s.Search = !c.Busy && c.RowSelected && c.FolderHasRecord;
  return s;
}

TCommandStates MailMenuStates(const TCommandContext& c) {
  TCommandStates s;
  if (!c.PostOfficeExists || c.Busy) return s;
  bool row = c.MessageRow();
  s.View = row;
  s.Reply = row && c.Kind != TFolderKind::fkSentBox;
  s.Forward = row && c.Kind != TFolderKind::fkOutBox;
  s.Delete = row && c.Kind != TFolderKind::fkConference;
  s.MarkRead = row && c.Kind == TFolderKind::fkConference;
  s.DeleteAll = c.IsBox();
  s.New = true;
  s.Search = !c.Busy && c.RowSelected && c.FolderHasRecord;
  return s;
}

TCommandStates PopupStates(const TCommandContext& c) {
  TCommandStates s;
  bool row = c.MessageRow() && !c.Busy;
  s.View = row;
  s.ViewVisible = !c.QuickViewerShown;
  s.Reply = row && c.Kind != TFolderKind::fkSentBox;
  s.Forward = row && c.Kind != TFolderKind::fkOutBox;
  s.Delete = row && c.Kind != TFolderKind::fkConference;
  s.New = true;
  s.NextPrevMessage = c.RowSelected && c.FolderHasRecord;
  s.NextPrevConference = c.TreeHasNodes;
  s.Copy = c.QuickViewerHasSelection;
  return s;
}

std::string ReplyCaption(const TConfRec* folder) {
  return folder && folder->Kind == TFolderKind::fkOutBox ? "Edit" : "Reply";
}

std::string ReplyMenuCaption(const TConfRec* folder) {
  return folder && folder->Kind == TFolderKind::fkOutBox ? "Edit Message" : "Reply to Message";
}

std::string ListStatusText(int selectedIndex, int count) {
  if (selectedIndex >= 0) return " " + std::to_string(selectedIndex + 1) + " of " + std::to_string(count) + " object(s)";
  return " " + std::to_string(count) + " object(s)";
}

std::string BoxDisplayName(TFolderKind kind) {
  switch (kind) {
    case TFolderKind::fkOutBox: return "Out Box";
    case TFolderKind::fkSaveBox: return "Save Box";
    case TFolderKind::fkSentBox: return "Sent Box";
    default: return {};
  }
}

std::string DeleteAllQuestion(TFolderKind kind) {
  return "Are you sure you wish to delete all messages in the " + BoxDisplayName(kind) + "?";
}

}  // namespace korrin
