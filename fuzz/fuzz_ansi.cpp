// Any bytes as a coloured text: split into lines, parsed, stripped and
// written for a terminal. The plain text grows at most by the cursor-forward
// blanks, and every run lies inside its line.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "reading/ansi_text.h"

using namespace korrin;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t i = 0; i <= input.size(); ++i)
    if (i == input.size() || input[i] == '\n') {
      lines.emplace_back(input.substr(start, i - start));
      start = i + 1;
    }
  TAnsiDocument doc = ParseAnsi(lines);
  for (size_t i = 0; i < doc.Lines.size(); ++i) {
    const TAnsiLine& line = doc.Lines[i];
    if (line.Text.size() > lines[i].size() * TAnsiParser::kScreenWidth) std::abort();
    size_t at = 0;
    for (const auto& s : line.Spans) {
      if (s.Start != at || s.Length == 0 || s.Fg > 15 || s.Bg > 7) std::abort();
      at += s.Length;
    }
    if (at != line.Text.size()) std::abort();
    volatile size_t sink = TerminalLine(line).size() + SliceSpans(line.Spans, 1, 5).size();
    (void)sink;
  }
  volatile size_t sink = StripAnsi(input).size();
  (void)sink;
  return 0;
}
