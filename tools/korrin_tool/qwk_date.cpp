#include "korrin_tool/qwk_date.h"

#include <cstdio>

#include "platform/text.h"

namespace korrin::tool {

namespace {
const char* const kDayNames[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
const char* const kMonthNames[12] = {"January", "February", "March",     "April",   "May",      "June",
                                     "July",    "August",   "September", "October", "November", "December"};

bool LeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && LeapYear(y) ? 29 : days[m - 1];
}

// Splits at the separator into parts of digits only (blanks around each part allowed).
bool NumberParts(std::string_view text, char sep, int* out, size_t* digits, size_t want, size_t& got) {
  got = 0;
  size_t start = 0;
  while (true) {
    size_t end = text.find(sep, start);
    std::string part = Trim(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (got == want || part.empty() || part.size() > 4) return false;
    for (char c : part)
      if (c < '0' || c > '9') return false;
    out[got] = std::stoi(part);
    digits[got] = part.size();
    ++got;
    if (end == std::string_view::npos) return true;
    start = end + 1;
  }
}
}  // namespace

int ExpandYear(int year, size_t digits) {
  if (digits > 2) return year;
  return year < kTwoDigitYearPivot ? 2000 + year : 1900 + year;
}

int DayOfWeek(int y, int m, int d) {
  // Sakamoto's method.
  static const int t[12] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  if (m < 3) y -= 1;
  return (y + y / 4 - y / 100 + y / 400 + t[m - 1] + d) % 7;
}

char DateSeparator(std::string_view date) {
  char sep = '-';
  for (char c : {'-', '/', '\\', ',', ':', '.'})
    if (date.find(c) != std::string_view::npos) sep = c;
  return sep;
}

std::optional<TQWKDateTime> ParseQWKDateTime(std::string_view date, std::string_view time) {
  int d[3];
  size_t dig[3], got = 0;
  if (!NumberParts(TrimRight(date), DateSeparator(date), d, dig, 3, got) || got != 3) return std::nullopt;
  TQWKDateTime r;
  r.Month = d[0];
  r.Day = d[1];
  r.Year = ExpandYear(d[2], dig[2]);
  if (r.Year < 1 || r.Month < 1 || r.Month > 12 || r.Day < 1 || r.Day > DaysInMonth(r.Year, r.Month))
    return std::nullopt;
  std::string t = Trim(time);
  if (!t.empty()) {
    int v[3] = {0, 0, 0};
    if (!NumberParts(t, ':', v, dig, 3, got) || got < 2 || dig[0] > 2 || dig[1] > 2 || (got == 3 && dig[2] > 2))
      return std::nullopt;
    if (v[0] > 23 || v[1] > 59 || v[2] > 59) return std::nullopt;
    r.Hour = v[0];
    r.Minute = v[1];
    r.Second = v[2];
  }
  return r;
}

namespace {
void Two(std::string& out, int v, char pad = '0') {
  out.push_back(v >= 10 ? static_cast<char>('0' + v / 10 % 10) : pad);
  out.push_back(static_cast<char>('0' + v % 10));
}
void Four(std::string& out, int v) {
  Two(out, v / 100 % 100);
  Two(out, v % 100);
}
}  // namespace

std::string Rfc5322Date(const TQWKDateTime& w) {
  std::string out;
  out.reserve(32);
  out.append(kDayNames[DayOfWeek(w.Year, w.Month, w.Day)], 3);
  out += ", ";
  Two(out, w.Day);
  out.push_back(' ');
  out.append(kMonthNames[w.Month - 1], 3);
  out.push_back(' ');
  Four(out, w.Year);
  out.push_back(' ');
  Two(out, w.Hour);
  out.push_back(':');
  Two(out, w.Minute);
  out.push_back(':');
  Two(out, w.Second);
  out += " -0000";
  return out;
}

std::string MboxFromDate(const TQWKDateTime& w) {
  std::string out;
  out.reserve(24);
  out.append(kDayNames[DayOfWeek(w.Year, w.Month, w.Day)], 3);
  out.push_back(' ');
  out.append(kMonthNames[w.Month - 1], 3);
  out.push_back(' ');
  Two(out, w.Day, ' ');
  out.push_back(' ');
  Two(out, w.Hour);
  out.push_back(':');
  Two(out, w.Minute);
  out.push_back(':');
  Two(out, w.Second);
  out.push_back(' ');
  Four(out, w.Year);
  return out;
}

}  // namespace korrin::tool
