#pragma once
// The printed page of a message: three empty lines, four header lines with
// two columns, a rule and the text, each line after a margin of five blanks.

#include <string>
#include <vector>

#include "reading/ansi_text.h"

namespace korrin {

class TQWKMsg;

class TMsgViewPrint {
public:
  static constexpr int kMargin = 5;      // blanks in front of every line
  static constexpr int kLeftColumn = 50;  // characters of the left column after the margin
  static constexpr int kRuleWidth = 80;

  // `left` padded with blanks to 50 characters (unchanged when as long or longer).
  static std::string Pad(const std::string& left);
  // The page lines of the message (code page 437 bytes): `position` and
  // `count` are the numbers the toolbar shows, `text` the lines of the text view.
  static std::vector<std::string> PageLines(const TQWKMsg& msg, int position, int count,
                                            const std::vector<std::string>& text);
  // A page line cut into pieces of at most `width` characters (at least 1);
  // an empty line stays one empty piece. Continued pieces have no margin of
  // their own: they go on where the line left off.
  static std::vector<std::string> Wrap(const std::string& line, int width);
  // The page lines wrapped to `width` and grouped into pages of `linesPerPage`.
  static std::vector<std::vector<std::string>> Pages(const std::vector<std::string>& lines, int width,
                                                     int linesPerPage);

  // A printed piece of a page line with the colour runs that fall on it.
  struct TPrintLine {
    std::string Text;
    std::vector<TAnsiSpan> Spans;  // empty: printed in black
  };
  // As Pages, each piece with its colours; `spans[i]` holds the runs over
  // page line i (missing entries: no colours).
  static std::vector<std::vector<TPrintLine>> ColouredPages(const std::vector<std::string>& lines,
                                                            const std::vector<std::vector<TAnsiSpan>>& spans,
                                                            int width, int linesPerPage);
  // The runs of a text line moved past the margin, for its page line.
  static std::vector<TAnsiSpan> MarginSpans(const std::vector<TAnsiSpan>& spans);
};

}  // namespace korrin
