#pragma once
// Window-free rules of the options dialog: the column page's list and the
// correction of folder edits on OK.

#include <cstdint>
#include <string>
#include <vector>

namespace korrin {

// The message-list column kinds: 0 Date, 1 From, 2 To, 3 Subject.
const char* ColumnName(int32_t kind);

// The column page's entries, each the kind digit followed by the column's
// name ("0Date", "1From", "2To", "3Subject"), in display order.
class TColumnList {
public:
  // Kinds outside 0-3 and repeats are dropped; kinds missing from the
  // order are appended, so the list always holds the four columns.
  explicit TColumnList(const int32_t order[4]);

  const std::vector<std::string>& Entries() const { return entries_; }
  // The entry as drawn: without its kind digit.
  std::string Display(size_t index) const { return entries_.at(index).substr(1); }
  // Moves the entry one place; returns the moved entry's new position
  // (unchanged at the top or bottom, or when index is out of range).
  int MoveUp(int index);
  int MoveDown(int index);
  // The header preview's sections: each name followed by 16 blanks.
  std::vector<std::string> HeaderSections() const;
  void Order(int32_t order[4]) const;

private:
  std::vector<std::string> entries_;
};

// A folder edit's text on OK: kept when it names an existing folder of more
// than two characters, else replaced by the program folder.
std::string CorrectFolderEdit(const std::string& text, const std::string& programFolder);

// The folder shown after browsing: without trailing separator (the root keeps it).
std::string BrowsedFolderText(const std::string& chosen);

}  // namespace korrin
