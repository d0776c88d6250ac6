#include "korrin_tool/mbox_writer.h"

#include <algorithm>
#include <cstring>
#include <fstream>

#include "platform/text.h"

namespace korrin::tool {

namespace {
constexpr size_t kFoldWidth = 78;
constexpr size_t kMaxLine = 998;

bool IsAText(unsigned char c) {
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
  return std::string_view("!#$%&'*+-/=?^_`{|}~").find(static_cast<char>(c)) != std::string_view::npos;
}

bool IsAscii(std::string_view s) {
  // Eight bytes at a time: any high bit set means a byte of 0x80 or more.
  size_t i = 0;
  uint64_t any = 0;
  for (; i + 8 <= s.size(); i += 8) {
    uint64_t w;
    std::memcpy(&w, s.data() + i, 8);
    any |= w;
  }
  for (; i < s.size(); ++i) any |= static_cast<unsigned char>(s[i]);
  return (any & 0x8080808080808080ull) == 0;
}

// Control characters have no place in a header: each becomes a blank.
std::string HeaderText(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  return Trim(out);
}

// Length in bytes of the UTF-8 character that starts with this byte.
size_t CharLength(unsigned char c) { return c < 0xC0 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4; }

// A plain mail address: atext runs joined by dots on both sides of one "@".
bool IsAddrSpec(std::string_view s) {
  auto at = s.find('@');
  if (at == std::string_view::npos || at == 0 || at + 1 >= s.size() || s.find('@', at + 1) != std::string_view::npos)
    return false;
  auto dotAtom = [](std::string_view part) {
    if (part.empty() || part.front() == '.' || part.back() == '.' || part.find("..") != std::string_view::npos)
      return false;
    return std::all_of(part.begin(), part.end(), [](char c) { return c == '.' || IsAText(static_cast<unsigned char>(c)); });
  };
  return dotAtom(s.substr(0, at)) && dotAtom(s.substr(at + 1));
}

// The first e-mail address among the name's words ("<>", "()" and quotes
// around it removed); empty when there is none.
std::string AddressInName(std::string_view name, std::string* rest) {
  if (name.find('@') == std::string_view::npos) return {};
  std::string text(name);
  size_t i = 0;
  while (i < text.size()) {
    size_t start = text.find_first_not_of(" \t<>()\"", i);
    if (start == std::string::npos) break;
    size_t end = text.find_first_of(" \t<>()\"", start);
    if (end == std::string::npos) end = text.size();
    std::string word = text.substr(start, end - start);
    if (word.find('@') != std::string::npos && IsAddrSpec(word)) {
      if (rest) {
        std::string r = text.substr(0, start) + text.substr(end);
        r.erase(std::remove_if(r.begin(), r.end(), [](char c) { return c == '<' || c == '>' || c == '(' || c == ')'; }),
                r.end());
        *rest = Trim(r);
      }
      return word;
    }
    i = end;
  }
  return {};
}

// A display name as a phrase: plain words as they are, a quoted string when
// it holds special characters, encoded words when it is not ASCII or long.
std::string Phrase(std::string_view utf8) {
  std::string s = HeaderText(utf8);
  if (s.empty()) return s;
  if (!IsAscii(s) || s.size() > 60 || s.find("=?") != std::string::npos) return EncodedWords(s);
  bool plain = std::all_of(s.begin(), s.end(), [](char c) { return c == ' ' || IsAText(static_cast<unsigned char>(c)); });
  if (plain) return s;
  std::string q = "\"";
  for (char c : s) {
    if (c == '"' || c == '\\') q.push_back('\\');
    q.push_back(c);
  }
  return q + "\"";
}

// Adds the text to the header line, breaking before words that would pass the fold width.
void AppendFolded(std::string& out, size_t& lineLen, std::string_view words) {
  size_t i = 0;
  bool first = true;
  while (i <= words.size()) {
    size_t end = words.find(' ', i);
    if (end == std::string_view::npos) end = words.size();
    std::string_view word = words.substr(i, end - i);
    if (!first && lineLen + 1 + word.size() > kFoldWidth) {
      out += "\n ";
      lineLen = 1;
    } else if (!first) {
      out.push_back(' ');
      ++lineLen;
    }
    out.append(word);
    lineLen += word.size();
    first = false;
    i = end + 1;
  }
}

// The boundary of a message: made of a hash of the message, so the same
// message always gets the same mailbox text (whichever process writes
// it); "=_" never occurs in base64 or quoted-printable text.
std::string NewBoundaryText(const TMboxMessage& m) {
  uint64_t h = 1469598103934665603ull;
  auto mix = [&h](std::string_view s) {
    for (unsigned char c : s) h = (h ^ c) * 1099511628211ull;
  };
  mix(m.MessageId);
  mix(m.Body);
  for (const auto& a : m.Attachments) mix(a.Name);
  static const char digits[] = "0123456789abcdef";
  for (int round = 0;; ++round) {
    std::string b = "=_korrin_";
    uint64_t v = h + static_cast<uint64_t>(round) * 0x9E3779B97F4A7C15ull;
    for (int i = 0; i < 16; ++i, v >>= 4) b.push_back(digits[v & 15]);
    if (m.Body.find(b) == std::string::npos) return b;
  }
}

// A file name as a MIME parameter: quoted when plain ASCII, else RFC 2231.
std::string FileNameParam(const char* param, std::string_view utf8) {
  std::string name = HeaderText(utf8);
  bool plain = IsAscii(name) && name.find_first_of("\"\\") == std::string::npos && name.size() < 60;
  if (plain) return std::string(param) + "=\"" + name + "\"";
  std::string out = std::string(param) + "*=utf-8''";
  static const char hex[] = "0123456789ABCDEF";
  for (unsigned char c : name) {
    if (IsAText(c) && c != '%' && c != '*' && c != '\'') {
      out.push_back(static_cast<char>(c));
    } else if (c == '.') {
      out.push_back('.');
    } else {
      out.push_back('%');
      out.push_back(hex[c >> 4]);
      out.push_back(hex[c & 15]);
    }
  }
  return out;
}

void AppendBase64Line(std::string& out, const unsigned char* p, size_t n) {
  static const char t[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  size_t i = 0;
  for (; i + 3 <= n; i += 3) {
    uint32_t v = (uint32_t{p[i]} << 16) | (uint32_t{p[i + 1]} << 8) | p[i + 2];
    out.push_back(t[v >> 18]);
    out.push_back(t[(v >> 12) & 63]);
    out.push_back(t[(v >> 6) & 63]);
    out.push_back(t[v & 63]);
  }
  if (n - i == 1) {
    uint32_t v = uint32_t{p[i]} << 16;
    out.push_back(t[v >> 18]);
    out.push_back(t[(v >> 12) & 63]);
    out += "==";
  } else if (n - i == 2) {
    uint32_t v = (uint32_t{p[i]} << 16) | (uint32_t{p[i + 1]} << 8);
    out.push_back(t[v >> 18]);
    out.push_back(t[(v >> 12) & 63]);
    out.push_back(t[(v >> 6) & 63]);
    out.push_back('=');
  }
}
}  // namespace

std::string Base64(std::string_view bytes) {
  std::string out;
  AppendBase64Line(out, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
  return out;
}

std::string EncodedWords(std::string_view utf8) {
  // 45 bytes give 60 base64 characters: with "=?utf-8?B?" and "?=" 72.
  constexpr size_t kChunk = 45;
  std::string out;
  size_t i = 0;
  while (i < utf8.size()) {
    size_t end = i;
    while (end < utf8.size()) {
      size_t len = std::min(CharLength(static_cast<unsigned char>(utf8[end])), utf8.size() - end);
      if (end + len - i > kChunk) break;
      end += len;
    }
    if (end == i) end = std::min(utf8.size(), i + kChunk);
    if (!out.empty()) out += "\n ";
    out += "=?utf-8?B?" + Base64(utf8.substr(i, end - i)) + "?=";
    i = end;
  }
  return out;
}

std::string UnstructuredHeader(std::string_view name, std::string_view utf8) {
  std::string value = HeaderText(utf8);
  std::string out(name);
  out += ":";
  if (value.empty()) return out;
  bool longWord = false;
  size_t start = 0;
  while (start <= value.size()) {
    size_t end = value.find(' ', start);
    if (end == std::string::npos) end = value.size();
    if (end - start > kMaxLine - 2 - name.size()) longWord = true;
    start = end + 1;
  }
  if (!IsAscii(value) || longWord || value.find("=?") != std::string::npos) {
    out += " " + EncodedWords(value);
    return out;
  }
  size_t lineLen = out.size();
  out.push_back(' ');
  ++lineLen;
  AppendFolded(out, lineLen, value);
  return out;
}

std::string AddressOf(std::string_view name, std::string_view domain) {
  std::string found = AddressInName(name, nullptr);
  if (!found.empty()) return found;
  std::string local;
  bool dot = false;
  for (unsigned char c : name) {
    if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z')) {
      if (dot && !local.empty()) local.push_back('.');
      dot = false;
      local.push_back(static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c));
    } else {
      dot = true;
    }
  }
  if (local.empty()) local = "unknown";
  if (local.size() > 64) local.resize(64);
  while (!local.empty() && local.back() == '.') local.pop_back();
  return local + "@" + std::string(domain);
}

std::string Mailbox(std::string_view name, std::string_view domain) {
  std::string rest;
  std::string found = AddressInName(name, &rest);
  if (!found.empty()) {
    std::string phrase = Phrase(rest);
    return phrase.empty() ? found : phrase + " <" + found + ">";
  }
  std::string phrase = Phrase(name);
  std::string addr = AddressOf(name, domain);
  return phrase.empty() ? addr : phrase + " <" + addr + ">";
}

std::string EscapeFromLine(std::string_view line) {
  size_t i = 0;
  while (i < line.size() && line[i] == '>') ++i;
  if (line.substr(i, 5) == "From ") return ">" + std::string(line);
  return std::string(line);
}

std::string QuotedPrintableLine(std::string_view line) {
  static const char hex[] = "0123456789ABCDEF";
  std::string out;
  size_t lineLen = 0;
  for (size_t i = 0; i < line.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(line[i]);
    bool last = i + 1 == line.size();
    bool encode = c == '=' || c >= 0x7F || (c < 0x20 && c != '\t') || (last && (c == ' ' || c == '\t'));
    size_t width = encode ? 3 : 1;
    // A soft break keeps every encoded line within 76 characters.
    if (lineLen + width > 75) {
      out += "=\n";
      lineLen = 0;
    }
    // No written line may begin with "From " (a new mailbox message) or a
    // lone dot, whether it follows a hard or a soft break.
    if (lineLen == 0 && (c == 'F' || c == '.')) {
      encode = true;
      width = 3;
    }
    if (encode) {
      out.push_back('=');
      out.push_back(hex[c >> 4]);
      out.push_back(hex[c & 15]);
    } else {
      out.push_back(static_cast<char>(c));
    }
    lineLen += width;
  }
  return out;
}

std::string MessageIdText(std::string_view text) {
  std::string out;
  for (unsigned char c : text) out.push_back(IsAText(c) || c == '.' ? static_cast<char>(c) : '_');
  while (!out.empty() && out.front() == '.') out.erase(out.begin());
  while (!out.empty() && out.back() == '.') out.pop_back();
  for (size_t p; (p = out.find("..")) != std::string::npos;) out.replace(p, 2, "._");
  return out.empty() ? "_" : out;
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
void ClockTime(std::string& out, const TMsgDateTime& w) {
  Two(out, w.Hour);
  out.push_back(':');
  Two(out, w.Minute);
  out.push_back(':');
  Two(out, w.Second);
}
}  // namespace

std::string Rfc5322Date(const TMsgDateTime& w) {
  std::string out;
  out.append(kDayNames[WeekDay(w)], 3).append(", ");
  Two(out, w.Day);
  out.push_back(' ');
  out.append(kMonthNames[w.Month - 1], 3).push_back(' ');
  Four(out, w.Year);
  out.push_back(' ');
  ClockTime(out, w);
  return out + " -0000";
}

std::string MboxFromDate(const TMsgDateTime& w) {
  std::string out;
  out.append(kDayNames[WeekDay(w)], 3).push_back(' ');
  out.append(kMonthNames[w.Month - 1], 3).push_back(' ');
  Two(out, w.Day, ' ');
  out.push_back(' ');
  ClockTime(out, w);
  out.push_back(' ');
  Four(out, w.Year);
  return out;
}

TMboxWriter::TMboxWriter(std::ostream& out, std::string domain) : out_(out), domain_(std::move(domain)) {}

bool TMboxWriter::Write(const TMboxMessage& m) {
  std::string& b = buffer_;
  b.clear();
  const std::string from = AddressOf(m.FromName, domain_);
  b.append("From ").append(from).push_back(' ');
  b.append(m.Date ? MboxFromDate(*m.Date) : std::string("Thu Jan  1 00:00:00 1970")).push_back('\n');
  b.append("From: ").append(Mailbox(m.FromName, domain_)).push_back('\n');
  b.append("To: ").append(Mailbox(m.ToName, domain_)).push_back('\n');
  // Carbon copies: one mailbox per comma-separated name, folded between them.
  std::string cc;
  size_t lineLen = 3;
  for (size_t start = 0; start <= m.CarbonCopies.size();) {
    size_t end = std::min(m.CarbonCopies.find(',', start), m.CarbonCopies.size());
    std::string name = Trim(m.CarbonCopies.substr(start, end - start));
    start = end + 1;
    if (name.empty()) continue;
    std::string box = Mailbox(name, domain_);
    if (!cc.empty()) {
      cc += ",";
      ++lineLen;
    }
    if (!cc.empty() && lineLen + 1 + box.size() > kFoldWidth) {
      cc += "\n ";
      lineLen = 1;
    } else {
      cc += " ";
      ++lineLen;
    }
    cc += box;
    size_t nl = box.rfind('\n');
    lineLen = nl == std::string::npos ? lineLen + box.size() : box.size() - nl - 1;
  }
  if (!cc.empty()) b += "Cc:" + cc + "\n";
  b.append(UnstructuredHeader("Subject", m.Subject)).push_back('\n');
  if (m.Date) b.append("Date: ").append(Rfc5322Date(*m.Date)).push_back('\n');
  b.append("Message-ID: <").append(m.MessageId).append(">\n");
  if (!m.InReplyTo.empty()) {
    b.append("In-Reply-To: <").append(m.InReplyTo).append(">\n");
    b.append("References: <").append(m.InReplyTo).append(">\n");
  }
  for (const auto& [name, value] : m.ExtraHeaders) b.append(UnstructuredHeader(name, value)).push_back('\n');
  if (m.Read) b += "Status: RO\n";
  b += "MIME-Version: 1.0\n";

  // The text part: 7bit or 8bit as it stands, quoted-printable when a line is too long.
  const std::string& text = m.Body;
  bool tooLong = false;
  for (const char *p = text.data(), *end = p + text.size(); p < end && !tooLong;) {
    const char* nl = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
    if (!nl) nl = end;
    tooLong = static_cast<size_t>(nl - p) > kMaxLine;
    p = nl + 1;
  }
  const bool ascii = IsAscii(text);
  const char* cte = tooLong ? "quoted-printable" : ascii ? "7bit" : "8bit";
  auto appendText = [&] {
    for (size_t start = 0; start < text.size();) {
      size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      std::string_view line(text.data() + start, end - start);
      if (tooLong) {
        b += QuotedPrintableLine(line);
      } else {
        size_t q = 0;
        while (q < line.size() && line[q] == '>') ++q;
        if (line.substr(q, 5) == "From ") b.push_back('>');
        b.append(line);
      }
      b.push_back('\n');
      start = end + 1;
    }
  };

  std::string boundary;
  if (m.Attachments.empty()) {
    b += "Content-Type: text/plain; charset=utf-8\n";
    b += std::string("Content-Transfer-Encoding: ") + cte + "\n\n";
    appendText();
  } else {
    boundary = NewBoundaryText(m);
    b += "Content-Type: multipart/mixed; boundary=\"" + boundary + "\"\n\n";
    b += "This is a message in MIME format.\n\n--" + boundary + "\n";
    b += "Content-Type: text/plain; charset=utf-8\n";
    b += std::string("Content-Transfer-Encoding: ") + cte + "\n\n";
    appendText();
    // The line end before a delimiter belongs to the delimiter: this one
    // keeps the text's own last line end.
    b.push_back('\n');
  }
  out_.write(b.data(), static_cast<std::streamsize>(b.size()));
  bool ok = true;
  if (!m.Attachments.empty()) {
    for (const auto& a : m.Attachments) ok = WriteAttachment(a, boundary) && ok;
    std::string end = "--" + boundary + "--\n";
    out_.write(end.data(), static_cast<std::streamsize>(end.size()));
  }
  // The empty line that ends every message of a mailbox.
  out_.put('\n');
  ++count_;
  return ok && static_cast<bool>(out_);
}

bool TMboxWriter::WriteAttachment(const TMboxAttachment& a, const std::string& boundary) {
  std::string head = "--" + boundary + "\n";
  head += "Content-Type: application/octet-stream; " + FileNameParam("name", a.Name) + "\n";
  head += "Content-Disposition: attachment; " + FileNameParam("filename", a.Name) + "\n";
  head += "Content-Transfer-Encoding: base64\n\n";
  out_.write(head.data(), static_cast<std::streamsize>(head.size()));
  std::ifstream in(a.Path, std::ios::binary);
  if (!in) return false;
  // 57 bytes make one 76-character line.
  std::vector<char> chunk(57 * 1024);
  std::string lines;
  while (in) {
    in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    size_t n = static_cast<size_t>(in.gcount());
    if (n == 0) break;
    lines.clear();
    for (size_t i = 0; i < n; i += 57) {
      AppendBase64Line(lines, reinterpret_cast<const unsigned char*>(chunk.data()) + i, std::min<size_t>(57, n - i));
      lines.push_back('\n');
    }
    out_.write(lines.data(), static_cast<std::streamsize>(lines.size()));
  }
  return !in.bad();
}

}  // namespace korrin::tool
