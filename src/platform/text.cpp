#include "platform/text.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cerrno>

namespace korrin {

namespace {
// Code page 437 letter pairs outside ASCII: upper, lower.
constexpr unsigned char kPairs[][2] = {
    {0x80, 0x87}, {0x9A, 0x81}, {0x90, 0x82}, {0x8E, 0x84}, {0x8F, 0x86},
    {0x92, 0x91}, {0x99, 0x94}, {0xA5, 0xA4},
};

unsigned char LowerByte(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
  if (c >= 0x80)
    for (const auto& p : kPairs)
      if (p[0] == c) return p[1];
  return c;
}

unsigned char UpperByte(unsigned char c) {
  if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
  if (c >= 0x80)
    for (const auto& p : kPairs)
      if (p[1] == c) return p[0];
  return c;
}
}  // namespace

std::string AnsiLowerCase(std::string_view text) {
  std::string out(text);
  for (auto& ch : out) ch = static_cast<char>(LowerByte(static_cast<unsigned char>(ch)));
  return out;
}

std::string AnsiUpperCase(std::string_view text) {
  std::string out(text);
  for (auto& ch : out) ch = static_cast<char>(UpperByte(static_cast<unsigned char>(ch)));
  return out;
}

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (LowerByte(static_cast<unsigned char>(a[i])) != LowerByte(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

std::string NormalizeNameCase(std::string_view text) {
  std::string out = AnsiLowerCase(text);
  if (text.find('.') != std::string_view::npos || text.find('@') != std::string_view::npos) return out;
  for (size_t i = 0; i < out.size(); ++i) {
    if ((i == 0 || out[i - 1] == ' ') && out[i] >= 'a' && out[i] <= 'z') out[i] = static_cast<char>(out[i] - 32);
  }
  return out;
}

std::string ApplyTextCase(TTextCase textCase, std::string_view text) {
  switch (textCase) {
    case TTextCase::tcLowerCase: return AnsiLowerCase(text);
    case TTextCase::tcUpperCase: return AnsiUpperCase(text);
    case TTextCase::tcProperName: return NormalizeNameCase(text);
    case TTextCase::tcAsIs: break;
  }
  return std::string(text);
}

std::string SizeText(std::string_view text) {
  auto value = ParseInt(text);
  if (!value) return std::string(text);
  char buf[64];
  double v = static_cast<double>(*value);
  if (*value <= 1024) {
    std::snprintf(buf, sizeof buf, "%4.0f bytes", v);
  } else {
    v /= 1024.0;
    if (v < 1024.0) {
      std::snprintf(buf, sizeof buf, "%5.1f k", v);
    } else {
      std::snprintf(buf, sizeof buf, "%5.1f meg", v / 1024.0);
    }
  }
  return TrimLeft(buf);
}

std::string TrimLeft(std::string_view text) {
  size_t b = 0;
  while (b < text.size() && static_cast<unsigned char>(text[b]) <= ' ') ++b;
  return std::string(text.substr(b));
}

std::string TrimRight(std::string_view text) {
  size_t e = text.size();
  while (e > 0 && static_cast<unsigned char>(text[e - 1]) <= ' ') --e;
  return std::string(text.substr(0, e));
}

std::string Trim(std::string_view text) { return TrimLeft(TrimRight(text)); }

std::string RemoveBlanks(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char ch : text)
    if (ch != ' ') out.push_back(ch);
  return out;
}

bool Contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

bool ContainsNoCase(std::string_view text, std::string_view part) {
  return AnsiLowerCase(text).find(AnsiLowerCase(part)) != std::string::npos;
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      lines.emplace_back(text.substr(start));
      break;
    }
    lines.emplace_back(text.substr(start, end - start));
    if (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ++end;
    start = end + 1;
  }
  return lines;
}

std::optional<int64_t> ParseInt(std::string_view text) {
  std::string t = Trim(text);
  if (t.empty()) return std::nullopt;
  size_t i = 0;
  if (t[0] == '+' || t[0] == '-') i = 1;
  if (i == t.size()) return std::nullopt;
  for (size_t j = i; j < t.size(); ++j)
    if (t[j] < '0' || t[j] > '9') return std::nullopt;
  errno = 0;
  long long v = std::strtoll(t.c_str(), nullptr, 10);
  if (errno == ERANGE) return std::nullopt;
  return v;
}

int64_t StrToIntDef(std::string_view text, int64_t fallback) {
  auto v = ParseInt(text);
  return v ? *v : fallback;
}

std::string Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string out(n > 0 ? static_cast<size_t>(n) : 0, '\0');
  if (n > 0) std::vsnprintf(out.data(), out.size() + 1, format, args);
  va_end(args);
  return out;
}

}  // namespace korrin
