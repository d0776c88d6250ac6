#include "reading/ansi_text.h"

#include <algorithm>

namespace korrin {

namespace {
constexpr char kEsc = '\x1b';
constexpr int kMaxParams = 16;
constexpr int kMaxParamValue = 9999;

bool IsParamByte(unsigned char c) { return c >= 0x30 && c <= 0x3f; }
bool IsIntermediateByte(unsigned char c) { return c >= 0x20 && c <= 0x2f; }
bool IsFinalByte(unsigned char c) { return c >= 0x40 && c <= 0x7e; }
}  // namespace

uint8_t TAnsiParser::Fg() const {
  if (reverse_) return bg_;
  return static_cast<uint8_t>(bold_ && fg_ < 8 ? fg_ + 8 : fg_);
}

uint8_t TAnsiParser::Bg() const { return reverse_ ? static_cast<uint8_t>(fg_ & 7) : bg_; }

void TAnsiParser::Emit(TAnsiLine& out, char c) const {
  const uint8_t fg = Fg(), bg = Bg();
  if (!out.Spans.empty() && out.Spans.back().Fg == fg && out.Spans.back().Bg == bg)
    ++out.Spans.back().Length;
  else
    out.Spans.push_back({out.Text.size(), 1, fg, bg});
  out.Text.push_back(c);
}

void TAnsiParser::Sgr(const int* params, int count) {
  hasColour_ = true;
  if (count == 0) {  // "ESC[m" is a reset
    fg_ = kAnsiDefaultFg, bg_ = kAnsiDefaultBg, bold_ = reverse_ = false;
    return;
  }
  for (int i = 0; i < count; ++i) {
    const int p = params[i];
    if (p == 0) {
      fg_ = kAnsiDefaultFg, bg_ = kAnsiDefaultBg, bold_ = reverse_ = false;
    } else if (p == 1) {
      bold_ = true;
    } else if (p == 22) {
      bold_ = false;
    } else if (p == 7) {
      reverse_ = true;
    } else if (p == 27) {
      reverse_ = false;
    } else if (p >= 30 && p <= 37) {
      fg_ = static_cast<uint8_t>(p - 30);
    } else if (p == 39) {
      fg_ = kAnsiDefaultFg;
    } else if (p >= 40 && p <= 47) {
      bg_ = static_cast<uint8_t>(p - 40);
    } else if (p == 49) {
      bg_ = kAnsiDefaultBg;
    } else if (p >= 90 && p <= 97) {
      fg_ = static_cast<uint8_t>(p - 90 + 8);
    } else if (p >= 100 && p <= 107) {
      bg_ = static_cast<uint8_t>(p - 100);  // eight backgrounds only
    }
    // Blink, underline, faint and the rest show nothing.
  }
}

TAnsiLine TAnsiParser::ParseLine(std::string_view line) {
  TAnsiLine out;
  out.Text.reserve(line.size());
  size_t i = 0;
  while (i < line.size()) {
    const char c = line[i];
    if (c != kEsc) {
      Emit(out, c);
      ++i;
      continue;
    }
    ++i;
    if (i >= line.size()) break;
    if (line[i] != '[') {
      // A two-byte escape (save cursor and the like): dropped with its byte.
      if (static_cast<unsigned char>(line[i]) >= 0x20 && static_cast<unsigned char>(line[i]) <= 0x7e) ++i;
      continue;
    }
    ++i;
    int params[kMaxParams];
    int count = 0, value = 0;
    bool digits = false, privateMarker = false;
    while (i < line.size()) {
      const auto b = static_cast<unsigned char>(line[i]);
      if (b >= '0' && b <= '9') {
        value = std::min(kMaxParamValue, value * 10 + (b - '0'));
        digits = true;
        ++i;
      } else if (b == ';') {
        if (count < kMaxParams) params[count++] = value;
        value = 0, digits = false;
        ++i;
      } else if (IsParamByte(b) || IsIntermediateByte(b)) {
        privateMarker = true;  // "?", "<", "=", ">" and intermediates: not ours
        ++i;
      } else if (IsFinalByte(b)) {
        if ((digits || count > 0) && count < kMaxParams) params[count++] = value;
        ++i;
        if (!privateMarker) {
          if (b == 'm') {
            Sgr(params, count);
          } else if (b == 'C') {
            const int n = std::clamp(count > 0 && params[0] > 0 ? params[0] : 1, 1, kScreenWidth);
            for (int k = 0; k < n; ++k) Emit(out, ' ');
          }
          // Other cursor and screen sequences are dropped.
        }
        break;
      } else {
        break;  // not a sequence byte: the sequence is cut, the byte is text
      }
    }
  }
  return out;
}

TAnsiDocument ParseAnsi(const std::vector<std::string>& lines) {
  TAnsiDocument doc;
  TAnsiParser parser;
  doc.Lines.reserve(lines.size());
  for (const auto& l : lines) doc.Lines.push_back(parser.ParseLine(l));
  doc.HasColour = parser.HasColour();
  return doc;
}

std::string StripAnsi(std::string_view text) {
  if (!HasAnsiEscape(text)) return std::string(text);
  TAnsiParser parser;
  return parser.ParseLine(text).Text;
}

bool HasAnsiEscape(std::string_view text) { return text.find(kEsc) != std::string_view::npos; }

std::vector<TAnsiSpan> SliceSpans(const std::vector<TAnsiSpan>& spans, size_t start, size_t length) {
  std::vector<TAnsiSpan> out;
  const size_t end = start + length;
  for (const auto& s : spans) {
    const size_t a = std::max(s.Start, start), b = std::min(s.Start + s.Length, end);
    if (a < b) out.push_back({a - start, b - a, s.Fg, s.Bg});
  }
  return out;
}

std::string TerminalLine(const TAnsiLine& line, const std::function<std::string(std::string_view)>& text) {
  std::string out;
  bool coloured = false;
  for (const auto& s : line.Spans) {
    const bool plain = s.Fg == kAnsiDefaultFg && s.Bg == kAnsiDefaultBg;
    if (plain) {
      if (coloured) out += "\x1b[0m";
    } else {
      out += "\x1b[0;";
      if (s.Fg >= 8) out += "1;";
      out += std::to_string(30 + (s.Fg & 7)) + ";" + std::to_string(40 + (s.Bg & 7)) + "m";
    }
    coloured = !plain;
    std::string_view piece = std::string_view(line.Text).substr(std::min(s.Start, line.Text.size()), s.Length);
    out += text ? text(piece) : std::string(piece);
  }
  if (coloured) out += "\x1b[0m";
  return out;
}

}  // namespace korrin
