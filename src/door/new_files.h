#pragma once
// The BBS's list of new files ("newfiles.dat") as the new-files viewer
// shows it, one entry at a time, and the file requests that go back to the
// door as "REQUEST" lines of "todoor.ext".

#include <cstddef>
#include <string>
#include <vector>

namespace korrin {

class TDoorControl;
class TToDoor;

inline constexpr const char* kNewFilesFileName = "newfiles.dat";

// One entry of the list.
struct TMyNode {
  std::string EntryName;         // up to and including three characters after the first "."
  std::string EntrySize;         // first word after the name
  std::string EntryDate;         // first word from column 24
  std::vector<std::string> EntryDescription;
  // The row of the New Files list that shows this entry (its first "." lies
  // in columns 1 to 19); -1 for an entry the list leaves out.
  int Row = -1;
};

// Reads "newfiles.dat" of the folder (any letter case) line by line into
// entries. A missing or unreadable file gives no entries. Any bytes and
// lines of any length are accepted; the file is never held whole.
std::vector<TMyNode> LoadNewFiles(const std::string& folder);

// "1024 bytes", "2.0 k", "3.0 meg"; a text that is not a number unchanged.
std::string FormatFileSize(const std::string& size);

// Order of day, month and year in a typed date.
enum class TDateOrder { doMDY, doDMY, doYMD };

// The entry's date as "Tuesday December 8 2026". The separator is the last
// found of "-", "/", "\", ",", ":", "." taken in that order ("," stands for
// "."); the text is read in the given order, a year of two digits within
// fifty years of `currentYear`, a missing year as `currentYear`. A text that
// is no valid date comes back unchanged.
std::string NewFileDateText(const std::string& entryDate, TDateOrder order, int currentYear);

// What the viewer shows of one entry.
struct TNewFileView {
  std::string Name;  // trimmed
  std::string Size;  // FormatFileSize
  std::string Date;  // NewFileDateText
  std::vector<std::string> Description;
  std::string Count;  // n + " of " + number of entries
};

// The viewer's list and position, without the window.
class TNewFilesViewer {
public:
  void Load(const std::string& folder) { SetEntries(LoadNewFiles(folder)); }
  void SetEntries(std::vector<TMyNode> entries);
  const std::vector<TMyNode>& Entries() const { return entries_; }
  size_t Count() const { return entries_.size(); }

  // 0-based index of the entry shown; kept within the list (0 when empty).
  int CurrentEntry() const { return current_; }
  void SetCurrentEntry(int index);
  // The next entry, from the last to the first; the previous one, from the
  // first to the last.
  void Next();
  void Previous();

  // The list's rows and the entries: a file with odd lines has entries the
  // list leaves out, so a row's index is not always its entry's.
  int EntryOfRow(int row) const;
  // The row of the entry, or -1.
  int RowOfEntry(int entry) const;

  // The shown entry's texts; all empty and "0 of 0" without entries.
  TNewFileView View(TDateOrder order, int currentYear) const;
  // The shown entry's name, trimmed; empty without entries.
  std::string CurrentName() const;

private:
  std::vector<TMyNode> entries_;
  int current_ = 0;
};

// File requests.
inline constexpr const char* kRequestMaximumText = "You have reached the maximum allowed file requests per mail packet.";
inline constexpr const char* kRequestCaption = "Request a file";
inline constexpr const char* kRequestPrompt = "Enter a valid filename :";

enum class TRequestResult { rrRequested, rrAlreadyRequested, rrMaximum, rrNotAllowed, rrInvalidName, rrNotWritten,
                                  rrCancelled };

// Requests are allowed when the door announces them (whatever its name).
bool RequestsAllowed(const TDoorControl& door);
// The names requested so far: the text after the first 8 characters of
// every line of "todoor.ext" in the folder that starts with "REQUEST".
std::vector<std::string> PendingRequests(const std::string& directory);
// A typed name can be requested when it has at most 12 characters, holds a
// "." and no control character (which would start another door command).
bool IsValidRequestName(const std::string& name);

// Appends "REQUEST " + name to "todoor.ext" of the to-door's folder unless
// the name is requested already (compared without regard to case) or the
// door's maximum is reached, each with its information box. Nothing happens
// for an empty name or a door that allows no requests.
TRequestResult RequestFile(const TDoorControl& door, TToDoor& toDoor, const std::string& name);
// "Request any file": asks for a name in the input box; a name that is not
// valid gets the error box name + " is not a valid filename.".
TRequestResult RequestAnyFile(const TDoorControl& door, TToDoor& toDoor);

}  // namespace korrin
