#pragma once
// Colour escape sequences in message texts, bulletins and welcome screens.
// The parser turns bytes into plain text (what is selected, searched and
// copied) and colour runs over it; the windows turn the runs into formats.
// Colours and reset are kept, cursor-forward becomes blanks, every other
// cursor or screen sequence is dropped. Any bytes are accepted: the output
// is at most a fixed multiple of the input and every sequence ends.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace korrin {

// Colour indexes: 0 black, 1 red, 2 green, 3 brown, 4 blue, 5 magenta,
// 6 cyan, 7 light grey, and 8-15 their bright forms.
inline constexpr uint8_t kAnsiDefaultFg = 7;
inline constexpr uint8_t kAnsiDefaultBg = 0;

// One run of equally coloured characters of a line (positions in bytes of
// the plain line, which is code page 437: one byte a character).
struct TAnsiSpan {
  size_t Start = 0;
  size_t Length = 0;
  uint8_t Fg = kAnsiDefaultFg;  // 0-15, bold already made bright
  uint8_t Bg = kAnsiDefaultBg;  // 0-7
  bool operator==(const TAnsiSpan&) const = default;
};

struct TAnsiLine {
  std::string Text;
  std::vector<TAnsiSpan> Spans;  // cover Text from start to end, in order
};

struct TAnsiDocument {
  std::vector<TAnsiLine> Lines;
  // A colour sequence was met: the text wants the screen's colours (light
  // grey on black) instead of the window's.
  bool HasColour = false;
};

// Reads lines one after the other; the colour state carries from line to line.
class TAnsiParser {
public:
  static constexpr int kScreenWidth = 80;  // cursor-forward goes at most this far

  TAnsiLine ParseLine(std::string_view line);
  bool HasColour() const { return hasColour_; }
  void Reset() { *this = TAnsiParser(); }

private:
  void Sgr(const int* params, int count);
  void Emit(TAnsiLine& out, char c) const;
  uint8_t Fg() const;
  uint8_t Bg() const;

  uint8_t fg_ = kAnsiDefaultFg, bg_ = kAnsiDefaultBg;
  bool bold_ = false, reverse_ = false, hasColour_ = false;
};

TAnsiDocument ParseAnsi(const std::vector<std::string>& lines);
// The text without its sequences (cursor-forward as blanks).
std::string StripAnsi(std::string_view text);
// Whether the text holds an escape character at all (the cheap test first).
bool HasAnsiEscape(std::string_view text);
// A line's spans cut to [start, start + length), positions made relative to start.
std::vector<TAnsiSpan> SliceSpans(const std::vector<TAnsiSpan>& spans, size_t start, size_t length);
// The line again with only clean colour sequences (for a terminal); a line
// that ends coloured ends with a reset. `text` converts the pieces of text
// (code page 437 kept as it is without it).
std::string TerminalLine(const TAnsiLine& line,
                         const std::function<std::string(std::string_view)>& text = nullptr);

}  // namespace korrin
