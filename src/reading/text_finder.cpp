#include "reading/text_finder.h"

namespace korrin {

char32_t TTextFinder::Fold(char32_t c) {
  if (c >= U'A' && c <= U'Z') return c + 32;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;  // Latin-1 capitals
  if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return c + 32;  // Greek capitals
  return c;
}

bool TTextFinder::IsWordChar(char32_t c) {
  if ((c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z') || (c >= U'0' && c <= U'9') || c == U'_') return true;
  if (c >= 0xC0 && c <= 0x24F && c != 0xD7 && c != 0xF7) return true;  // Latin letters
  if (c >= 0x370 && c <= 0x3FF) return true;                          // Greek
  return false;
}

namespace {
bool MatchAt(const std::u32string& text, const std::u32string& needle, size_t at, const TFindOptions& o) {
  if (at + needle.size() > text.size()) return false;
  for (size_t i = 0; i < needle.size(); ++i) {
    char32_t a = text[at + i], b = needle[i];
    if (o.MatchCase ? a != b : TTextFinder::Fold(a) != TTextFinder::Fold(b)) return false;
  }
  if (o.WholeWord) {
    if (at > 0 && TTextFinder::IsWordChar(text[at - 1])) return false;
    size_t end = at + needle.size();
    if (end < text.size() && TTextFinder::IsWordChar(text[end])) return false;
  }
  return true;
}
}  // namespace

size_t TTextFinder::Find(const std::u32string& text, const std::u32string& needle, size_t from,
                         const TFindOptions& options) {
  if (needle.empty() || needle.size() > text.size()) return npos;
  if (from > text.size()) from = text.size();
  if (options.Down) {
    for (size_t at = from; at + needle.size() <= text.size(); ++at)
      if (MatchAt(text, needle, at, options)) return at;
    return npos;
  }
  if (from < needle.size()) return npos;
  for (size_t at = from - needle.size() + 1; at-- > 0;)
    if (MatchAt(text, needle, at, options)) return at;
  return npos;
}

}  // namespace korrin
