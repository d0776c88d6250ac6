#include "reading/ansi_text.h"

#include <gtest/gtest.h>

#include "reading/msg_view_print.h"

using namespace korrin;

namespace {
TAnsiSpan Span(size_t start, size_t length, uint8_t fg, uint8_t bg = 0) { return {start, length, fg, bg}; }
}  // namespace

TEST(AnsiText, ColourRunsFollowTheSequences) {
  // Red, then bold (bright) red on blue, then a reset in the middle of a line.
  TAnsiDocument doc = ParseAnsi({"\x1b[31mred\x1b[1;44mBR\x1b[0m plain"});
  ASSERT_EQ(doc.Lines.size(), 1u);
  EXPECT_TRUE(doc.HasColour);
  EXPECT_EQ(doc.Lines[0].Text, "redBR plain");
  EXPECT_EQ(doc.Lines[0].Spans,
            (std::vector<TAnsiSpan>{Span(0, 3, 1), Span(3, 2, 9, 4), Span(5, 6, kAnsiDefaultFg)}));

  // The state carries across lines; "ESC[m" resets; bright foregrounds of
  // the 90s and reverse video.
  doc = ParseAnsi({"\x1b[32mgreen", "still", "\x1b[m\x1b[93my\x1b[7mR"});
  EXPECT_EQ(doc.Lines[1].Spans, (std::vector<TAnsiSpan>{Span(0, 5, 2)}));
  EXPECT_EQ(doc.Lines[2].Spans, (std::vector<TAnsiSpan>{Span(0, 1, 11), Span(1, 1, 0, 3)}));

  // Text without sequences wants no screen colours.
  EXPECT_FALSE(ParseAnsi({"just text", ""}).HasColour);
}

TEST(AnsiText, CursorForwardIsBlanksAndOtherSequencesAreDropped) {
  EXPECT_EQ(StripAnsi("a\x1b[3Cb\x1b[Cc"), "a   b c");
  EXPECT_EQ(StripAnsi("\x1b[2J\x1b[1;1H\x1b[sx\x1b[u\x1b[5Ay\x1b[?25lz\x1b""7w"), "xyzw");
  // A huge count goes no further than a screen's width.
  EXPECT_EQ(StripAnsi("\x1b[99999999999C").size(), static_cast<size_t>(TAnsiParser::kScreenWidth));
  // A sequence cut by a byte that cannot belong to it leaves that byte as
  // text; a sequence cut by the line end is dropped; a lone escape too.
  EXPECT_EQ(StripAnsi("a\x1b[12\x01" "b"), "a\x01" "b");
  EXPECT_EQ(StripAnsi("end\x1b[1;3"), "end");
  EXPECT_EQ(StripAnsi("end\x1b"), "end");
  // Many parameters: the surplus is ignored, the text kept.
  std::string many = "\x1b[";
  for (int i = 0; i < 1000; ++i) many += "31;";
  EXPECT_EQ(StripAnsi(many + "mok"), "ok");
  // Text bytes of the code page stay as they are.
  EXPECT_EQ(StripAnsi("\xc9\xcd\xbb"), "\xc9\xcd\xbb");
}

TEST(AnsiText, SlicesAndTerminalLines) {
  TAnsiLine line = TAnsiParser().ParseLine("\x1b[31mab\x1b[0mcd");
  EXPECT_EQ(SliceSpans(line.Spans, 1, 2), (std::vector<TAnsiSpan>{Span(0, 1, 1), Span(1, 1, 7)}));
  EXPECT_TRUE(SliceSpans(line.Spans, 10, 2).empty());
  EXPECT_EQ(TerminalLine(line), "\x1b[0;31;40mab\x1b[0mcd");
  EXPECT_EQ(TerminalLine(TAnsiParser().ParseLine("\x1b[1;37mW")), "\x1b[0;1;37;40mW\x1b[0m");
  EXPECT_EQ(TerminalLine(TAnsiParser().ParseLine("plain")), "plain");
}

TEST(AnsiText, PrintedPagesKeepTheColoursOfWrappedLines) {
  // A coloured text line after the margin, wrapped at 8 characters.
  TAnsiLine line = TAnsiParser().ParseLine("ab\x1b[31mcdefgh\x1b[44mij");
  std::vector<std::string> lines = {"head", std::string(TMsgViewPrint::kMargin, ' ') + line.Text};
  auto pages = TMsgViewPrint::ColouredPages(lines, {{}, TMsgViewPrint::MarginSpans(line.Spans)}, 8, 2);
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_TRUE(pages[0][0].Spans.empty());
  EXPECT_EQ(pages[0][1].Text, "     abc");
  EXPECT_EQ(pages[0][1].Spans, (std::vector<TAnsiSpan>{Span(5, 2, 7), Span(7, 1, 1)}));
  EXPECT_EQ(pages[1][0].Text, "defghij");
  EXPECT_EQ(pages[1][0].Spans, (std::vector<TAnsiSpan>{Span(0, 5, 1), Span(5, 2, 1, 4)}));
}
