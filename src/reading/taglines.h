#pragma once
// Taglines: the one-line sayings added to outgoing messages. They live in
// "korrin.tag" in the program folder, one a line, lines ended by CR LF.
// This file holds what the tagline windows decide without a window: reading
// and writing tagline files, the sorted lists of the tagline manager with
// their move rules, and the chooser's matching.
//
// Taglines are kept as the bytes of the packet code page, like message text.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korrin {

inline constexpr const char* kTaglineFileName = "korrin.tag";
// What the editor's tagline label shows when the message has no tagline.
inline constexpr const char* kNoTaglineLabel = "<None>";
// The manager keeps at least this many taglines in a file it writes.
inline constexpr size_t kMinTaglines = 10;

// The program's own tagline file, whatever the letter case of its name on disk.
std::string TaglineFilePath();

// The taglines of a file: one a line (CR LF, LF or CR), empty and blank
// lines left out. A missing or unreadable file gives no taglines.
std::vector<std::string> LoadTaglineFile(const std::string& path);
// Writes the taglines one a line with CR LF, through a temporary file renamed
// into place, so the old file stays whole when writing fails.
bool SaveTaglineFile(const std::string& path, const std::vector<std::string>& taglines);

// Two taglines are the same when equal after upper-casing.
bool SameTagline(std::string_view a, std::string_view b);
// Sort order of the lists: without regard to case, then by the bytes.
bool TaglineLess(std::string_view a, std::string_view b);

// The editor's random pick: an entry other than `current` (any entry when
// `current` is none of them, the single entry when there is only one);
// nothing when there are no taglines. Uses the program's generator.
std::optional<std::string> PickRandomTagline(const std::vector<std::string>& taglines, const std::string& current);

// A sorted multi-select list of taglines, as the manager's two lists keep them.
class TTagList {
public:
  struct Entry {
    std::string Text;
    bool Selected = false;
  };

  // Replaces the contents (sorted; duplicates in the source are kept, as a
  // loaded file gives them). Nothing is selected afterwards.
  void Assign(const std::vector<std::string>& taglines);
  void Clear() { entries_.clear(); }

  size_t Count() const { return entries_.size(); }
  bool Empty() const { return entries_.empty(); }
  const std::string& Text(size_t i) const { return entries_[i].Text; }
  bool Selected(size_t i) const { return entries_[i].Selected; }
  void SetSelected(size_t i, bool on) { entries_[i].Selected = on; }
  void SelectOnly(size_t i);
  void ClearSelection();
  size_t SelectedCount() const;
  // Index of the first selected entry, nothing when none is.
  std::optional<size_t> FirstSelected() const;
  std::vector<std::string> Texts() const;
  const std::vector<Entry>& Entries() const { return entries_; }

  // Index of an entry that is the same tagline (upper-case test).
  std::optional<size_t> Find(std::string_view text) const;
  // Index of the entry with exactly this text.
  std::optional<size_t> FindExact(std::string_view text) const;
  // Adds the text at its sorted place and returns its index.
  size_t Add(const std::string& text);
  // Adds the text unless the list holds the same tagline; the index of the
  // new or the existing entry.
  size_t AddUnique(const std::string& text);
  void Delete(size_t i) { entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(i)); }
  // Deletes every selected entry.
  void DeleteSelected();

private:
  std::vector<Entry> entries_;
};

// The tagline manager's lists and commands. `Src` holds taglines taken from
// another file, `Dst` the taglines available (the contents of "korrin.tag").
class TTagLineManager {
public:
  TTagLineManager() = default;

  TTagList& Src() { return src_; }
  TTagList& Dst() { return dst_; }
  const TTagList& Src() const { return src_; }
  const TTagList& Dst() const { return dst_; }

  // Fills the available list from the program's tagline file (if it exists)
  // and empties the source list.
  void Load();

  // Moves the selected source entries to the available list ("\/"): each is
  // added unless the other list already holds it, and leaves its own list in
  // any case. Then the entry at the first selected position (the last one if
  // the list became shorter) is selected in the source list, and the moved
  // taglines are selected in the available list. Nothing happens when no
  // source entry is selected.
  void Include() { MoveSelected(src_, dst_); }
  // The same from the available list to the source list ("/\").
  void Exclude() { MoveSelected(dst_, src_); }
  // Every source entry not yet available is added; the source list is emptied.
  void IncludeAll() { MoveAll(src_, dst_); }
  void ExcludeAll() { MoveAll(dst_, src_); }
  // Deletes the selected available entries.
  void DeleteSelected() { dst_.DeleteSelected(); }
  // Adds a new tagline unless it is already available, and selects it. A
  // blank text adds nothing. The index of the selected entry.
  std::optional<size_t> AddNew(const std::string& text);
  // Replaces entry i of the list by the text and selects it; a blank text
  // changes nothing, and a text that another entry already holds leaves
  // only that one. The index of the selected entry.
  std::optional<size_t> EditEntry(TTagList& list, size_t i, const std::string& text);

  // Loads a file into the source list, replacing it, unless it is the
  // program's own tagline file (compared in upper case with full paths) or
  // does not exist. True when it was loaded.
  bool OpenSource(const std::string& path);
  // The source list can be saved when it holds at least kMinTaglines.
  bool CanSaveSource() const { return src_.Count() >= kMinTaglines; }
  // Writes the source list to the file and empties it, unless the file is
  // the program's own tagline file or fewer than kMinTaglines are there.
  // False when nothing was written (then the list stays).
  bool SaveSource(const std::string& path);
  // OK is accepted with at least kMinTaglines available.
  bool CanAccept() const { return dst_.Count() >= kMinTaglines; }
  // Writes the available list to the program's tagline file, in its sorted
  // order, replacing the file. False when it could not be written.
  bool SaveAvailable() const;

  // Button state and counters.
  bool IncludeEnabled() const { return !src_.Empty(); }
  bool ExcludeEnabled() const { return !dst_.Empty(); }
  static std::string SelectedText(const TTagList& list);

  // The program's own tagline file, full path in upper case.
  static bool IsOwnTaglineFile(const std::string& path);

private:
  static void MoveSelected(TTagList& from, TTagList& to);
  static void MoveAll(TTagList& from, TTagList& to);

  TTagList src_;
  TTagList dst_;
};

// The tagline chooser's state: the list, the edit field and "&Use".
class TTagChooser {
public:
  // Fills the list from the program's tagline file; when the editor's label
  // shows a tagline (not "<None>"), the field gets it and the equal entry
  // is selected.
  void Load(const std::string& labelText);
  void Assign(const std::vector<std::string>& taglines, const std::string& labelText);

  const std::vector<std::string>& Items() const { return items_; }
  const std::string& EditText() const { return edit_; }
  std::optional<size_t> Selection() const { return selection_; }
  bool UseEnabled() const { return useEnabled_; }

  // A click on entry i copies it into the field.
  void Click(size_t i);
  // The field's text changed: the equal entry is selected (none when there
  // is none) and "&Use" is enabled only while the text is not empty.
  void SetEditText(const std::string& text);

  // What "&Use" gives the editor: the label text ("<None>" for an empty
  // field) and the record's tagline (empty for none).
  std::string ResultLabel() const;
  std::string ResultTagline() const;

private:
  std::vector<std::string> items_;
  std::string edit_;
  std::optional<size_t> selection_;
  bool useEnabled_ = true;
};

}  // namespace korrin
