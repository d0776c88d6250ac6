#pragma once
// The order of the message list: by a column (dates as dates, numbers in
// names and subjects as numbers, case and a leading "Re: " ignored), either
// way, or the packet's own order. Kept per folder kind.

#include <cstdint>
#include <string>
#include <string_view>

namespace korrin {

// Column kinds as in the list's column order: 0 Date, 1 From, 2 To, 3 Subject.
struct TListSort {
  int32_t Column = -1;  // -1: the packet's order (the order the files give)
  bool Descending = false;
  bool operator==(const TListSort&) const = default;
  bool Sorted() const { return Column >= 0 && Column < 4; }
  // One integer for the settings: 0 packet order, column + 1, negative when descending.
  int32_t Code() const { return Sorted() ? (Descending ? -(Column + 1) : Column + 1) : 0; }
  static TListSort FromCode(int32_t code);
};

// A header date "MM-DD-YY" (any separator) as YYYYMMDD; years below 80 are
// in this century. 0 for a date that cannot be read.
int32_t SortableDate(std::string_view date);
// A name or subject made ready for comparison: leading blanks and any run of
// "Re:" prefixes dropped, letters in lower case.
std::string CollationKey(std::string_view text, bool isSubject);
// Compares two collation keys, runs of digits by their value.
int CompareCollated(std::string_view a, std::string_view b);

}  // namespace korrin
