#pragma once
// The files that came with a packet: the Downloads commands' states, taking
// a download out of the packet archive into a folder (with the replace
// question and the rename from the stored name), opening one with its
// program, and the names of files dragged out of the list.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/control_file.h"

namespace korrin {

class TMailTree;
class TToReader;
class TXceedZip;
struct TMailListRow;

// The text without leading and trailing blanks and without ":", "*", "?",
// ".", "/", "\" and control characters; "TsTemp" when nothing is left.
std::string SafeFileName(std::string_view text);

// The last path component of a name taken from a packet ("/" and "\" both
// separate); nothing for "", ".", "..", a name with wildcards or with a
// control character, which are no file names.
std::optional<std::string> SafeLeafName(std::string_view name);

// A row of the Download Box: the name shown, and the name under which the
// file is stored in the packet archive (empty when it is stored under the
// name shown).
struct TDownloadRow {
  std::string Caption;
  std::string StoredName;
};
TDownloadRow DownloadOfRow(const TMailListRow& row);

// What the Downloads menu and the file pop-up depend on.
struct TDownloadContext {
  bool TreeSelection = false;
  bool FolderHasRecord = false;
  TFolderKind Kind = TFolderKind::fkConference;
  bool RowSelected = false;
  bool HasRows = false;
};
struct TDownloadStates {
  bool Open = false, Extract = false, ExtractAll = false;
};
// Nothing without a tree selection: the items stay as they are.
std::optional<TDownloadStates> DownloadsMenuStates(const TDownloadContext& c);
std::optional<TDownloadStates> DownloadsPopupStates(const TDownloadContext& c);
// The list's pop-up is the file pop-up for the Download Box and New Files.
bool UsesFilePopup(const TConfRec* folder);
// The Downloads menu is shown while a packet is open that has download or attachment names.
bool DownloadsMenuVisible(bool packetOpen, const TToReader& toReader);

// "The file "NAME" already exists. Do you want to replace this file?"
std::string ReplaceQuestion(const std::string& name);
// The archive asks the replace question in its "ask" mode: Yes replaces,
// No skips the file, Abort stops the whole extraction.
void InstallReplaceQuestion(TXceedZip& zip);
// Each entry of a listed archive joins the to-reader's file list (without folder).
void InstallListing(TXceedZip& zip, TToReader& toReader);

inline constexpr const char* kRenamingFailure = "Could not renaming ";  // Open, Extract, dragging
inline constexpr const char* kRenameFailure = "Could not rename ";      // Extract All

enum class TExtractResult { erDone, erSkipped, erFailed, erAborted };

// Takes downloads out of the open packet's archive. A file is unpacked into
// a new folder of its own inside the target folder and then renamed into
// place under its caption, so nothing is written outside the target folder
// whatever the names in the packet hold, no file already in the target is
// touched unless the user agrees, and an existing link is replaced, never
// written through.
class TDownloads {
public:
  TDownloads(TXceedZip& zip, const TMailTree& tree, const std::string& workFolder);

  // Extracts the row into `folder`, as `name` when given (else its
  // caption's last component). With `ask`, an existing file is replaced
  // only after Yes to the replace question. Failures are shown: a failed
  // rename with `renameWording` + stored name + " to " + caption.
  TExtractResult ExtractRow(const TDownloadRow& row, const std::string& folder, bool ask, const char* renameWording,
                            const std::string& name = {}, std::string* written = nullptr);
  // Into a new folder of its own in the work folder (the unpacked packet's
  // files are never replaced); the file's path, or nothing.
  std::optional<std::string> ExtractToWork(const TDownloadRow& row);
  // Every row into `folder`, asking before replacing; false when the user aborted.
  bool ExtractAll(const std::vector<TDownloadRow>& rows, const std::string& folder);

  // A row begins (the progress box's caption "Extracting - " + caption).
  std::function<void(const std::string& caption)> OnRowBegins;

private:
  TXceedZip& zip_;
  const TMailTree& tree_;
  std::string workFolder_;
};

// Distinct names for the files of one drag: a name equal (ignoring case) to
// an earlier one gets " (2)", " (3)", ... before its extension.
std::vector<std::string> DistinctFileNames(const std::vector<std::string>& names);
// The file name of a message dragged out: SafeFileName of its subject (code
// page 437) + ".txt".
std::string MessageFileName(const std::string& subject);

}  // namespace korrin
