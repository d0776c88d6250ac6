#pragma once
// Text helpers shared by every subsystem. Message text is kept as the bytes
// of the packet's code page (437); the case rules here act on the characters
// of that code page, not on raw bytes of another one.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korrin {

// Case transform applied to names in the folder tree and the message list.
enum class TTextCase { tcLowerCase, tcUpperCase, tcAsIs, tcProperName };

// Lower and upper case of code page 437 text: ASCII letters and the accented
// letters that have both cases in the code page.
std::string AnsiLowerCase(std::string_view text);
std::string AnsiUpperCase(std::string_view text);
bool SameText(std::string_view a, std::string_view b);

// Lower-cases the text; then, unless it holds "." or "@", upper-cases the
// first character and every character after a blank (ASCII letters only).
std::string NormalizeNameCase(std::string_view text);

std::string ApplyTextCase(TTextCase textCase, std::string_view text);

// "1024 bytes", "1.5 k", "3.0 meg"; a text that is not a number comes back unchanged.
std::string SizeText(std::string_view text);

std::string Trim(std::string_view text);
std::string TrimLeft(std::string_view text);
std::string TrimRight(std::string_view text);
std::string RemoveBlanks(std::string_view text);
bool Contains(std::string_view text, std::string_view part);
bool ContainsNoCase(std::string_view text, std::string_view part);
std::vector<std::string> SplitLines(std::string_view text);

// Whole-text decimal conversion (leading and trailing blanks allowed, an
// optional sign); nothing when the text is not a number or out of range.
std::optional<int64_t> ParseInt(std::string_view text);
int64_t StrToIntDef(std::string_view text, int64_t fallback);

// Formats like C's printf, into a std::string.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace korrin
