#pragma once
// Reply quoting: the source message's text with every line quoted by the
// author's initials and "> ", lines that were already quoted keeping their
// own prefix, and each paragraph of one quote level re-flowed so that no
// quoted line runs past 69 characters. Texts are code page 437 bytes.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korrin {

class TQWKMsg;

inline constexpr size_t kQuoteWrapWidth = 69;
inline constexpr const char* kQuoteWorkFileName = "tmpmsg.tmp";
inline constexpr const char* kErrInsertQuotes = "Could not insert quotes.";

// The initials of a name: the first letter of each word but a final
// one-letter word; an address in angle brackets or parentheses is left out,
// and a bare address gives the initials of its part before "@".
std::string Initials(std::string_view name);

// The quote prefix a line already carries: the line through its first ">"
// when that stands among the first six characters, extended through each
// further ">" that follows within five characters ("JS> AB> "). Empty when
// the line is not quoted.
std::string QuotePrefix(std::string_view line);

struct TWrappedLine {
  std::string Head;  // what stays on the line
  std::string Rest;  // what is cut off, with one blank at its end
  bool Cut = false;
};
// Cuts a text longer than 69 characters (trailing blanks ignored) at the last
// blank or other break character among its first 69, or at 69 when there is none.
TWrappedLine WrapLine(std::string_view text);

// Quotes the lines with the initials (a line without prefix gets initials +
// "> "), re-flowing each paragraph; empty lines stay empty.
std::vector<std::string> QuoteLines(const std::vector<std::string>& text, const std::string& initials);

// The initials of the record's author: of its extended From when that is
// set, else of MsgFROM.
std::string QuoteInitialsOf(const TQWKMsg& msg);

// Quotes the record's text through the work file "tmpmsg.tmp" in the work
// folder (rewritten each time) and returns its lines. When the work file
// cannot be created: "Could not insert quotes." and nothing.
std::optional<std::vector<std::string>> QuoteMessage(const TQWKMsg& msg, const std::string& workFolder,
                                                     std::string* initials = nullptr);

}  // namespace korrin
