#pragma once
// Searching a displayed text: from the caret down or up, with or without
// regard to case, whole words only or anywhere. Works on characters (the
// windows hand over the decoded text), so case rules apply to letters, not
// to the bytes of a code page.

#include <cstddef>
#include <string>

namespace korrin {

struct TFindOptions {
  bool MatchCase = false;
  bool WholeWord = false;
  bool Down = true;
};

class TTextFinder {
public:
  static constexpr size_t npos = std::u32string::npos;

  // The start of the first match at or after `from` (down), or of the last
  // match that ends at or before `from` (up); npos when there is none or the
  // needle is empty.
  static size_t Find(const std::u32string& text, const std::u32string& needle, size_t from,
                     const TFindOptions& options);
  // Lower case of the letters of the code page 437 repertoire (Latin and Greek).
  static char32_t Fold(char32_t c);
  // Letters, digits and "_".
  static bool IsWordChar(char32_t c);
};

}  // namespace korrin
