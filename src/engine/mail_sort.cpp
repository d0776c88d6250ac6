#include "engine/mail_sort.h"

#include <cctype>

namespace korrin {

TListSort TListSort::FromCode(int32_t code) {
  TListSort s;
  if (code >= 1 && code <= 4) s.Column = code - 1;
  if (code <= -1 && code >= -4) s.Column = -code - 1, s.Descending = true;
  return s;
}

namespace {
bool Digit(char c) { return c >= '0' && c <= '9'; }
}  // namespace

int32_t SortableDate(std::string_view date) {
  // Three numbers: month, day, year.
  int32_t part[3] = {0, 0, 0};
  int n = 0, digits = 0;
  for (size_t i = 0; i <= date.size() && n < 3; ++i) {
    if (i < date.size() && Digit(date[i])) {
      if (digits < 4) part[n] = part[n] * 10 + (date[i] - '0');
      ++digits;
    } else if (digits > 0) {
      ++n;
      digits = 0;
    }
  }
  if (n < 3) return 0;
  int32_t month = part[0], day = part[1], year = part[2];
  if (month < 1 || month > 12 || day < 1 || day > 31) return 0;
  if (year < 100) year += year < 80 ? 2000 : 1900;
  return year * 10000 + month * 100 + day;
}

std::string CollationKey(std::string_view text, bool isSubject) {
  size_t i = 0;
  for (;;) {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    if (isSubject && i + 2 < text.size() && (text[i] == 'R' || text[i] == 'r') &&
        (text[i + 1] == 'E' || text[i + 1] == 'e') && text[i + 2] == ':') {
      i += 3;
      continue;
    }
    break;
  }
  std::string key(text.substr(i));
  for (char& c : key)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return key;
}

int CompareCollated(std::string_view a, std::string_view b) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (Digit(a[i]) && Digit(b[j])) {
      // Leading zeros skipped, then the longer run is the larger number.
      while (i < a.size() && a[i] == '0') ++i;
      while (j < b.size() && b[j] == '0') ++j;
      size_t ei = i, ej = j;
      while (ei < a.size() && Digit(a[ei])) ++ei;
      while (ej < b.size() && Digit(b[ej])) ++ej;
      if (ei - i != ej - j) return ei - i < ej - j ? -1 : 1;
      if (int c = a.substr(i, ei - i).compare(b.substr(j, ej - j)); c != 0) return c < 0 ? -1 : 1;
      i = ei, j = ej;
      continue;
    }
    const auto ca = static_cast<unsigned char>(a[i]), cb = static_cast<unsigned char>(b[j]);
    if (ca != cb) return ca < cb ? -1 : 1;
    ++i, ++j;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

}  // namespace korrin
