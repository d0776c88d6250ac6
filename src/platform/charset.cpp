#include "platform/charset.h"

#include <iconv.h>

#include <cerrno>
#include <map>
#include <memory>
#include <mutex>
#include <utility>

#include "platform/codepage.h"
#include "platform/text.h"

namespace korrin {

namespace {

// Whether the converter can turn the set into UTF-8 and back, asked once per name.
bool ConverterKnows(const std::string& name) {
  static std::mutex lock;
  static std::map<std::string, bool> known;
  std::lock_guard<std::mutex> guard(lock);
  auto it = known.find(name);
  if (it != known.end()) return it->second;
  bool ok = false;
  iconv_t a = iconv_open("UTF-8", name.c_str());
  if (a != reinterpret_cast<iconv_t>(-1)) {
    iconv_close(a);
    iconv_t b = iconv_open(name.c_str(), "UTF-8");
    if (b != reinterpret_cast<iconv_t>(-1)) {
      iconv_close(b);
      ok = true;
    }
  }
  known.emplace(name, ok);
  return ok;
}

// One converter handle, closed when done.
class TConverter {
public:
  TConverter(const std::string& to, const std::string& from) : cd_(iconv_open(to.c_str(), from.c_str())) {}
  ~TConverter() {
    if (Ok()) iconv_close(cd_);
  }
  TConverter(const TConverter&) = delete;
  TConverter& operator=(const TConverter&) = delete;
  bool Ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  // Converts as much as it can from the initial shift state; returns the
  // bytes consumed. `out` grows.
  size_t Run(std::string_view in, std::string& out) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in.data());
    size_t left = in.size();
    char buf[4096];
    while (left > 0) {
      char* dst = buf;
      size_t room = sizeof buf;
      size_t r = iconv(cd_, &src, &left, &dst, &room);
      out.append(buf, static_cast<size_t>(dst - buf));
      if (r == static_cast<size_t>(-1) && errno != E2BIG) break;
    }
    // Flush a pending shift state.
    char* dst = buf;
    size_t room = sizeof buf;
    iconv(cd_, nullptr, nullptr, &dst, &room);
    out.append(buf, static_cast<size_t>(dst - buf));
    return in.size() - left;
  }

private:
  iconv_t cd_;
};

// The converter between two sets, opened once per thread: texts are
// converted a line (or a piece of one) at a time.
TConverter& ConverterFor(const std::string& to, const std::string& from) {
  thread_local std::map<std::pair<std::string, std::string>, std::unique_ptr<TConverter>> open;
  auto& c = open[{to, from}];
  if (!c) c = std::make_unique<TConverter>(to, from);
  return *c;
}

std::string ValidUtf8Text(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  size_t pos = 0;
  while (pos < bytes.size()) {
    size_t start = pos;
    char32_t ch = DecodeUtf8(bytes, pos);
    if (ch == 0xFFFD && !(pos - start == 3 && bytes.substr(start, 3) == "\xEF\xBF\xBD")) AppendUtf8(out, 0xFFFD);
    else out.append(bytes.substr(start, pos - start));
  }
  return out;
}

}  // namespace

const std::vector<TCharsetChoice>& CharsetChoices() {
  static const std::vector<TCharsetChoice> choices = [] {
    static const TCharsetChoice all[] = {
        {"CP437", "Code page 437 (DOS)"},        {"ISO-8859-1", "Latin-1 (ISO-8859-1)"},
        {"UTF-8", "UTF-8"},                      {"CP850", "Code page 850 (DOS Latin-1)"},
        {"CP866", "Code page 866 (DOS Cyrillic)"}, {"CP852", "Code page 852 (DOS Central European)"},
        {"CP865", "Code page 865 (DOS Nordic)"},  {"CP862", "Code page 862 (DOS Hebrew)"},
        {"CP737", "Code page 737 (DOS Greek)"},   {"ISO-8859-15", "Latin-9 (ISO-8859-15)"},
        {"ISO-8859-2", "Latin-2 (ISO-8859-2)"},   {"ISO-8859-5", "Cyrillic (ISO-8859-5)"},
        {"ISO-8859-7", "Greek (ISO-8859-7)"},     {"KOI8-R", "Cyrillic (KOI8-R)"},
        {"KOI8-U", "Ukrainian (KOI8-U)"},         {"CP1250", "Windows Central European (1250)"},
        {"CP1251", "Windows Cyrillic (1251)"},    {"CP1252", "Windows Western (1252)"},
    };
    std::vector<TCharsetChoice> out;
    for (const auto& c : all)
      if (IsCp437(c.Name) || IsUtf8(c.Name) || ConverterKnows(c.Name)) out.push_back(c);
    return out;
  }();
  return choices;
}

std::string CanonicalCharset(std::string_view name) {
  const std::string n = AnsiUpperCase(Trim(name));
  if (n.empty()) return {};
  // The names the networks' charset kludge uses.
  static const std::map<std::string, std::string> aliases = {
      {"IBMPC", "CP437"},      {"PC-8", "CP437"},         {"CP437", "CP437"},     {"IBM437", "CP437"},
      {"437", "CP437"},        {"LATIN-1", "ISO-8859-1"}, {"LATIN1", "ISO-8859-1"}, {"ISO-8859-1", "ISO-8859-1"},
      {"UTF-8", "UTF-8"},      {"UTF8", "UTF-8"},         {"ASCII", "CP437"},     {"US-ASCII", "CP437"},
      {"LATIN-2", "ISO-8859-2"}, {"LATIN-5", "ISO-8859-9"}, {"LATIN-9", "ISO-8859-15"}, {"CP866", "CP866"},
  };
  if (auto it = aliases.find(n); it != aliases.end()) return it->second;
  return ConverterKnows(n) ? n : std::string();
}

bool IsCp437(std::string_view charset) {
  return charset.empty() || SameText(charset, "CP437") || SameText(charset, "IBM437");
}

bool IsUtf8(std::string_view charset) { return SameText(charset, "UTF-8") || SameText(charset, "UTF8"); }

std::string DecodeToUtf8(std::string_view bytes, std::string_view charset) {
  if (IsUtf8(charset)) return ValidUtf8Text(bytes);
  if (IsCp437(charset) || !ConverterKnows(std::string(charset))) return Cp437ToUtf8(bytes);
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 4);
  TConverter& conv = ConverterFor("UTF-8", std::string(charset));
  if (!conv.Ok()) return Cp437ToUtf8(bytes);
  while (!bytes.empty()) {
    size_t used = conv.Run(bytes, out);
    bytes.remove_prefix(used);
    if (bytes.empty()) break;
    // A byte that is no character of the set.
    AppendUtf8(out, 0xFFFD);
    bytes.remove_prefix(1);
  }
  return out;
}

std::string EncodeFromUtf8(std::string_view utf8, std::string_view charset, char replacement, std::string* replaced) {
  if (IsCp437(charset) || !ConverterKnows(std::string(charset))) return Utf8ToCp437(utf8, replacement, replaced);
  std::string out;
  out.reserve(utf8.size());
  const bool toUtf8 = IsUtf8(charset);
  TConverter& conv = ConverterFor(std::string(charset), "UTF-8");
  size_t pos = 0;
  while (pos < utf8.size()) {
    size_t start = pos;
    char32_t ch = DecodeUtf8(utf8, pos);
    std::string_view piece = utf8.substr(start, pos - start);
    bool bad = ch == 0xFFFD && piece != "\xEF\xBF\xBD";
    if (!bad && ch < 0x80) {
      out.push_back(static_cast<char>(ch));
      continue;
    }
    if (!bad && toUtf8) {
      out.append(piece);
      continue;
    }
    std::string converted;
    if (!bad && conv.Ok() && conv.Run(piece, converted) == piece.size() && !converted.empty()) {
      out += converted;
      continue;
    }
    out.push_back(replacement);
    if (replaced) {
      std::string shown = bad ? std::string("\xEF\xBF\xBD") : std::string(piece);
      if (replaced->find(shown) == std::string::npos) replaced->append(shown);
    }
  }
  return out;
}

}  // namespace korrin
