#include "reading/reply_quoting.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "engine/qwk_msg.h"
#include "platform/text.h"
#include "support/packet_builder.h"
#include "support/recording_prompts.h"
#include "support/test_env.h"

using namespace korrin;
namespace fs = std::filesystem;

TEST(ReplyQuoting, InitialsFromNamesAndAddresses) {
  EXPECT_EQ(Initials("John Smith"), "JS");
  EXPECT_EQ(Initials("john smith   "), "JS");
  EXPECT_EQ(Initials("Mary Ann Jones"), "MAJ");
  EXPECT_EQ(Initials("John Smith <jsmith@example.org>"), "JS");   // the address is left out
  EXPECT_EQ(Initials("John Smith (jsmith@example.org)"), "JS");
  EXPECT_EQ(Initials("jsmith@example.org"), "J");                  // the part before "@"
  EXPECT_EQ(Initials("john.smith@example.org"), "JS");
  EXPECT_EQ(Initials("<john.smith@example.org>"), "JS");
  EXPECT_EQ(Initials("\"Bob Brown\" bob@example.org"), "BB");
  EXPECT_EQ(Initials("John Q"), "J");                              // a final one-letter word is not used
  EXPECT_EQ(Initials("J Smith"), "J");                             // second character a blank
  EXPECT_EQ(Initials("John  Smith"), "JS");
  EXPECT_EQ(Initials(""), "");
  EXPECT_EQ(Initials("@"), "");
  EXPECT_EQ(Initials("   "), "");
}

TEST(ReplyQuoting, PrefixAndWrap) {
  EXPECT_EQ(QuotePrefix("JS> Hello"), "JS>");
  EXPECT_EQ(QuotePrefix("> Hello"), ">");
  EXPECT_EQ(QuotePrefix("JS> AB> nested"), "JS> AB>");
  EXPECT_EQ(QuotePrefix(">> twice"), ">>");
  EXPECT_EQ(QuotePrefix("ABCDE> five letters"), "ABCDE>");
  EXPECT_EQ(QuotePrefix("ABCDEF> six"), "");  // the ">" at position 7
  EXPECT_EQ(QuotePrefix("Hello there"), "");
  EXPECT_EQ(QuotePrefix("if one > two"), "");
  // A ">" farther in the text is no quote level: nothing of the line is lost.
  EXPECT_EQ(QuotePrefix("JS> <b>bold</b> text"), "JS> <b>");

  TWrappedLine shortLine = WrapLine("Short line   ");
  EXPECT_FALSE(shortLine.Cut);
  EXPECT_EQ(shortLine.Head, "Short line");

  std::string words;
  while (words.size() < 100) words += "word ";
  TWrappedLine w = WrapLine(words);
  ASSERT_TRUE(w.Cut);
  EXPECT_LE(w.Head.size(), kQuoteWrapWidth);
  EXPECT_EQ(w.Head + w.Rest, Trim(words) + " ");  // the rest starts at the blank, one blank added
  EXPECT_EQ(w.Rest.front(), ' ');

  std::string solid(80, 'x');
  TWrappedLine s = WrapLine(solid);
  EXPECT_EQ(s.Head, std::string(68, 'x'));  // no break character: cut at 69
  EXPECT_EQ(s.Rest, std::string(12, 'x') + " ");
}

namespace {
size_t TextAfterPrefix(const std::string& line) {
  std::string p = QuotePrefix(line);
  return line.size() - p.size();
}
}  // namespace

TEST(ReplyQuoting, ParagraphsReflowAndQuotedLinesKeepTheirPrefix) {
  std::string a, b;
  for (int i = 0; a.size() < 80; ++i) a += "alpha" + std::to_string(i) + " ";
  a = a.substr(0, 80);
  for (int i = 0; b.size() < 80; ++i) b += "beta" + std::to_string(i) + " ";
  b = b.substr(0, 80);
  std::vector<std::string> text{"Hello there", "", a, b, "", "AB> already quoted", "AB> and more", "",
                                std::string(150, 'z')};
  auto out = QuoteLines(text, "JS");
  ASSERT_GE(out.size(), 8u);
  EXPECT_EQ(out[0], "JS> Hello there");
  EXPECT_EQ(out[1], "");  // empty lines stay empty, without prefix
  // The two long lines are re-flowed: every line short enough, nothing lost,
  // the overflow of the first joined to the second with one blank.
  std::string flowed;
  size_t i = 2;
  for (; i < out.size() && !out[i].empty(); ++i) {
    ASSERT_EQ(out[i].rfind("JS> ", 0), 0u) << out[i];
    EXPECT_LE(out[i].size() - 4, kQuoteWrapWidth) << out[i];
    flowed += (flowed.empty() ? "" : " ") + Trim(out[i].substr(4));
  }
  EXPECT_EQ(flowed, Trim(a) + " " + Trim(b));
  ASSERT_LT(i + 3, out.size());
  EXPECT_EQ(out[i + 1], "AB> already quoted");  // no second prefix
  EXPECT_EQ(out[i + 2], "AB> and more");
  EXPECT_EQ(out[i + 3], "");
  // The last long line ends the quote with its overflow on lines of their own.
  std::string last;
  for (size_t j = i + 4; j < out.size(); ++j) {
    EXPECT_LE(TextAfterPrefix(out[j]), kQuoteWrapWidth + 1) << out[j];
    last += out[j].substr(4);
  }
  EXPECT_EQ(last, std::string(150, 'z'));
  EXPECT_GE(out.size() - (i + 4), 3u);

  // A change of quote level ends the paragraph; an indented paragraph keeps its indent.
  auto levels = QuoteLines({"JS> first level", "plain line after it"}, "MA");
  ASSERT_EQ(levels.size(), 2u);
  EXPECT_EQ(levels[0], "JS> first level");
  EXPECT_EQ(levels[1], "MA> plain line after it");
  EXPECT_EQ(QuoteLines({"Anything"}, ""), std::vector<std::string>{"> Anything"});
}

TEST(ReplyQuoting, QuoteMessageOfAPacketMessageThroughTheWorkFile) {
  std::string dir = test::NewTempDir("pkt");
  test::TPacketBuilder()
      .BBS("Demo Board", "DEMO")
      .Conference(1, "General")
      .Message(1, test::TPacketMessage().From("JOHN SMITH").Subject("Hi").Body("Hello there\n\nSee you"))
      .Message(1, test::TPacketMessage()
                      .From("GATEWAY")
                      .Subject("Mail")
                      .Body("From: Mary Ann <mary.ann@example.org>\n\nShort note"))
      .WriteTo(dir);
  TQWKMsg msg;
  TConfRec rec;
  rec.Name = "General";
  rec.IndexFile = "001.ndx";
  ASSERT_TRUE(msg.LoadFromPacket(dir, 1, rec));
  std::string work = test::NewTempDir("work");
  std::string initials;
  auto lines = QuoteMessage(msg, work, &initials);
  ASSERT_TRUE(lines.has_value());
  EXPECT_EQ(initials, "JS");
  EXPECT_EQ(*lines, (std::vector<std::string>{"JS> Hello there", "", "JS> See you"}));
  EXPECT_EQ(test::ReadFile(work + kQuoteWorkFileName), "JS> Hello there\r\n\r\nJS> See you\r\n");

  // The extended From wins over the header's.
  ASSERT_TRUE(msg.LoadFromPacket(dir, 2, rec));
  lines = QuoteMessage(msg, work, &initials);
  ASSERT_TRUE(lines.has_value());
  EXPECT_EQ(initials, "MA");
  EXPECT_EQ(lines->back(), "MA> Short note");

  // A work file that cannot be created leaves the text alone.
  test::TRecordingPrompts prompts;
  EXPECT_FALSE(QuoteMessage(msg, work + "missing/folder/").has_value());
  EXPECT_TRUE(prompts.Shown(kErrInsertQuotes));
}
