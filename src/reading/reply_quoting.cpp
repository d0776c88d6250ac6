#include "reading/reply_quoting.h"

#include <fstream>

#include "engine/qwk_msg.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/text.h"

namespace korrin {

namespace {
bool IsAddressDelimiter(char c) { return c == ' ' || c == '(' || c == ')' || c == '<' || c == '>'; }

// Break characters of WrapLine besides the blank.
bool IsBreakChar(char ch) {
  auto c = static_cast<unsigned char>(ch);
  if (c == ' ' || c >= 127) return true;
  switch (c) {
    case '@': case '[': case '\\': case ']': case '^': case '_': case '`': case '{': case '|': case '}': case '~':
      return true;
    default: return false;
  }
}

// 1-based position of the first ">" when it is among the first `limit`
// characters, else 0.
size_t QuoteMarkWithin(std::string_view text, size_t limit) {
  size_t p = text.find('>');
  return p != std::string_view::npos && p < limit ? p + 1 : 0;
}

std::string TrimLeftBlanks(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  return std::string(s.substr(i));
}

std::string TrimRightBlanks(std::string_view s) {
  size_t n = s.size();
  while (n > 0 && s[n - 1] == ' ') --n;
  return std::string(s.substr(0, n));
}

class TQuoteWriter {
public:
  explicit TQuoteWriter(const std::string& initials) : initials_(initials) {}
  void Write(const std::string& prefix, const std::string& text) {
    std::string t = TrimRightBlanks(text);
    lines.push_back(prefix.empty() ? initials_ + "> " + t : prefix + t);
  }
  void WriteEmpty() { lines.emplace_back(); }
  // Writes the carry in lines of the wrap width; the indent blank goes in
  // front of each head that lacks it. Returns what is left (69 characters or less).
  std::string WriteLong(const std::string& prefix, std::string carry, bool indent) {
    while (carry.size() > kQuoteWrapWidth) {
      TWrappedLine w = WrapLine(carry);
      if (!w.Cut) break;
      std::string head = w.Head;
      if (indent && (head.empty() || head[0] != ' ')) head.insert(head.begin(), ' ');
      Write(prefix, head);
      carry = TrimLeftBlanks(w.Rest);
    }
    return carry;
  }
  std::vector<std::string> lines;

private:
  const std::string& initials_;
};
}  // namespace

std::string Initials(std::string_view source) {
  try {
    std::string name = TrimRightBlanks(source);
    size_t at = name.find('@');
    if (at != std::string::npos) {
      size_t right = at;
      while (right < name.size() && !IsAddressDelimiter(name[right])) ++right;
      size_t left = at;
      bool found = false;
      while (left > 0) {
        --left;
        if (IsAddressDelimiter(name[left])) {
          found = true;
          break;
        }
      }
      // A name that is nothing but the address keeps it: its part before
      // "@" then gives the initials.
      if (found) {
        std::string rest = name.substr(0, left) + name.substr(right);
        bool onlyMarks = rest.find_first_not_of(" ()<>\"") == std::string::npos;
        if (!onlyMarks) name = rest;
      }
    }
    std::string cleaned;
    for (char c : name) {
      if (c == '"' || c == '<' || c == '>' || c == '(' || c == ')') continue;
      cleaned.push_back(c == '.' ? ' ' : c);
    }
    at = cleaned.find('@');
    if (at != std::string::npos) cleaned.erase(at);
    cleaned = Trim(cleaned);
    if (cleaned.empty()) return {};
    std::string initials = AnsiUpperCase(cleaned.substr(0, 1));
    if (cleaned.size() > 1 && cleaned[1] == ' ') return initials;
    for (size_t i = 1; i + 1 < cleaned.size(); ++i) {
      if (cleaned[i] != ' ') continue;
      char next = cleaned[i + 1];
      // The last character of the name is not an initial; nor is a second blank.
      if (i + 1 == cleaned.size() - 1 || next == ' ') continue;
      initials += AnsiUpperCase(std::string(1, next));
    }
    return initials;
  } catch (...) {
    return {};
  }
}

std::string QuotePrefix(std::string_view line) {
  size_t first = QuoteMarkWithin(line, 6);
  if (first == 0) return {};
  std::string prefix(line.substr(0, first));
  std::string_view rest = line.substr(first);
  // Further quote levels follow closely ("JS> AB>", ">>", "> >"); a ">" farther
  // along belongs to the text and stays out of the prefix.
  while (size_t next = QuoteMarkWithin(rest, 5)) {
    prefix.append(rest.substr(0, next));
    rest = rest.substr(next);
  }
  return prefix;
}

TWrappedLine WrapLine(std::string_view source) {
  TWrappedLine w;
  std::string text = TrimRightBlanks(source);
  if (text.size() <= kQuoteWrapWidth) {
    w.Head = text;
    return w;
  }
  size_t c = 0;  // 1-based
  for (size_t i = kQuoteWrapWidth; i >= 1; --i) {
    if (IsBreakChar(text[i - 1])) {
      c = i;
      break;
    }
  }
  if (c == 0) c = kQuoteWrapWidth;
  w.Cut = true;
  w.Head = text.substr(0, c - 1);
  w.Rest = text.substr(c - 1) + " ";
  if (size_t q = QuoteMarkWithin(text, 5)) {
    std::string lead = text.substr(0, q);
    if (size_t r = QuoteMarkWithin(std::string_view(text).substr(q), 5)) lead += text.substr(q, r);
    w.Rest = lead + w.Rest;
  }
  return w;
}

std::vector<std::string> QuoteLines(const std::vector<std::string>& text, const std::string& initials) {
  TQuoteWriter out(initials);
  std::string carry;
  std::string prevPrefix = text.empty() ? std::string() : QuotePrefix(text.front());
  std::string prevLine;
  for (const std::string& source : text) {
    std::string line;
    line.reserve(source.size());
    for (char c : source)
      if (c != '\r' && c != '\n') line.push_back(c);
    std::string prefix = QuotePrefix(line);
    line.erase(0, prefix.size());
    if (QuoteMarkWithin(line, 5)) continue;
    if (!carry.empty()) {
      size_t n = 0;
      while (n < line.size() && n < carry.size() && line[n] == ' ') ++n;
      line.erase(0, n);
    }
    if (line.empty()) {
      carry = TrimLeftBlanks(carry);
      if (!carry.empty()) {
        carry = out.WriteLong(prevPrefix, carry, false);
        if (!carry.empty()) out.Write(prevPrefix, carry);
      }
      out.WriteEmpty();
      carry.clear();
      prevPrefix = prefix;
      continue;
    }
    if (prefix != prevPrefix && !carry.empty()) {
      carry = TrimLeftBlanks(carry);
      if (!prevLine.empty() && prevLine[0] == ' ' && (carry.empty() || carry[0] != ' ')) carry = ' ' + carry;
      out.Write(prevPrefix, carry);
      carry.clear();
    }
    if (prefix == prevPrefix && !carry.empty()) {
      std::string joined = Trim(carry);
      joined += ' ';
      joined += line;
      line = std::move(joined);
    }
    TWrappedLine w = WrapLine(line);
    out.Write(prefix, w.Head);
    carry = w.Cut ? TrimLeftBlanks(w.Rest) : std::string();
    bool indent = !line.empty() && line[0] == ' ';
    // A carry longer than a line goes out in lines of its own at once.
    carry = out.WriteLong(prefix, carry, indent);
    prevLine = w.Head;
    prevPrefix = prefix;
  }
  if (!carry.empty()) out.Write(prevPrefix, carry);
  return std::move(out.lines);
}

std::string QuoteInitialsOf(const TQWKMsg& msg) {
  return Initials(!msg.LongFrom().empty() ? msg.LongFrom() : msg.MsgFROM());
}

std::optional<std::vector<std::string>> QuoteMessage(const TQWKMsg& msg, const std::string& workFolder,
                                                     std::string* initials) {
  std::string quoteInitials = QuoteInitialsOf(msg);
  if (initials) *initials = quoteInitials;
  std::string path = IncludeTrailingBackslash(workFolder) + kQuoteWorkFileName;
  {
    std::ofstream work(path, std::ios::binary | std::ios::trunc);
    if (workFolder.empty() || !work) {
      GetPrompts().Error(kErrInsertQuotes);
      return std::nullopt;
    }
    // The networks' kludge lines are no text to quote.
    for (const std::string& line : QuoteLines(VisibleLines(msg.Text(), false), quoteInitials)) work << line << "\r\n";
    work.flush();
    if (!work) {
      GetPrompts().Error(kErrInsertQuotes);
      return std::nullopt;
    }
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    GetPrompts().Error(kErrInsertQuotes);
    return std::nullopt;
  }
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

}  // namespace korrin
