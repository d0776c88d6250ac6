#pragma once
// Window-free rules of the message viewer's commands: which buttons are
// enabled, the captions that follow the folder, links in the text, the
// header splitter, the address-book entry made from a header label, saving
// to the Save Box and writing attachments out of a message.

#include <optional>
#include <string>
#include <vector>

#include "engine/control_file.h"

namespace korrin {

class TQWKMsg;
class TTesselMime;

// Buttons and menu items that follow the message's folder kind.
struct TMsgViewStates {
  bool Copy = false;          // text selected, not busy
  bool PrevNextConf = false;  // conference message, not busy
  bool Reply = false;         // not from the Sent Box, not busy
  bool Forward = false;       // not from the Out Box, not busy
  bool Save = false;          // conference message, not busy
};
TMsgViewStates MsgViewStates(TFolderKind kind, bool busy, bool textSelected);

// The Reply button's hint: "Edit message|" for the Out Box, else "Reply to Author|".
std::string ReplyButtonHint(TFolderKind kind);
// The Mail menu's reply item for the main window's selected folder (none: nullptr).
std::string ViewerReplyMenuCaption(const TConfRec* mainFolder);
// "Add Reciever" is disabled when the recipient's first word is "ALL" in any case.
bool AddRecieverEnabled(const std::string& toLabel);

// What a new address-book contact gets from a header label: an address as
// its e-mail, else the first word as first name and the next as last name.
struct TContactSeed {
  std::string EMail, FirstName, LastName;
  bool operator==(const TContactSeed&) const = default;
};
TContactSeed ContactFromLabel(const std::string& label);

// The run of non-blank characters around position `pos` of the line (empty
// when `pos` is a blank or past the end).
std::string WordAt(const std::string& line, size_t pos);
// The address a double-clicked word opens: from "www." on with "http://" in
// front (the word's own "https://" kept), or from "http://", "https://" or
// "ftp://" on; cut at the first blank, then one trailing ".", ",", double
// quote and "/" removed in that order. Nothing for another word.
std::optional<std::string> LinkFromWord(const std::string& word);

// The header splitter: the bar is kept 3 to 112 pixels below the header's
// top while dragged; released, the header takes the position (at most 113;
// above the top gives 3).
int HeaderSplitBarTop(int y);
int HeaderHeightOnRelease(int y);

// The attachment list: the caption of a row is the name in lower case; the
// file written is that caption as a file name.
std::string AttachmentCaption(const std::string& name);
std::string AttachmentFileName(const std::string& caption);

// Asks "Copy message to \"Save Box\"?" and on OK writes the conference
// message the record holds, read again whole from the packet so that its
// attachments come along, as a new box file in the post office's Save Box.
// Returns the file written; empty when cancelled or failed (failures are
// reported).
std::string SaveToSaveBox(const TQWKMsg& msg, const std::string& poDirectory);

// Writes the raw body of the message to `target`: for a box message from its
// file, for a conference message from the packet. False for other folders or
// on failure.
bool ExportMessageBody(TQWKMsg& msg, const std::string& boxFile, const std::string& target);

// Writes each attachment (row captions) of the message into `folder` under
// its caption, decoding through "MimeText.tmp" in `workFolder`, which is
// removed afterwards. Returns the files written; input/output errors are
// reported and end the extraction.
std::vector<std::string> ExtractAttachments(TQWKMsg& msg, TTesselMime& mime, const std::string& boxFile,
                                            const std::string& workFolder, const std::vector<std::string>& captions,
                                            const std::string& folder);

inline constexpr const char* kMimeTextFileName = "MimeText.tmp";

}  // namespace korrin
