#pragma once
// Whether a message line is quoted text ("> text", "JS> text"): the viewers
// draw such lines in the quote colour.

#include <string_view>

namespace korrin {

// A ">" within the first six characters after leading blanks, with no blank
// between the line's start and the ">" other than leading ones.
bool IsQuotedLine(std::string_view line);

}  // namespace korrin
