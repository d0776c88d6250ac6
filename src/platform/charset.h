#pragma once
// Character sets of message bytes: code page 437 (the packets' usual set),
// UTF-8, and every other set the C library's converter (iconv) knows.
// Names are the converter's ("CP437", "ISO-8859-1", "UTF-8", "CP866").

#include <string>
#include <string_view>
#include <vector>

namespace korrin {

inline constexpr const char* kCharsetCp437 = "CP437";
inline constexpr const char* kCharsetUtf8 = "UTF-8";
inline constexpr const char* kCharsetLatin1 = "ISO-8859-1";

struct TCharsetChoice {
  std::string Name;   // the converter's name
  std::string Label;  // what a window shows
};
// The sets a board can be given, code page 437 first; only those the
// converter of this system knows.
const std::vector<TCharsetChoice>& CharsetChoices();

// The converter's name for a set as packets and settings name it ("LATIN-1",
// "IBMPC", "cp866", "utf8"), or empty when the converter does not know it.
std::string CanonicalCharset(std::string_view name);
bool IsCp437(std::string_view charset);
bool IsUtf8(std::string_view charset);

// The bytes in `charset` as UTF-8. Code page 437 (and an unknown or empty
// set) goes through the code page's own table; bytes that are no character
// of the set become U+FFFD. Control bytes stay as they are.
std::string DecodeToUtf8(std::string_view bytes, std::string_view charset);
// UTF-8 into `charset`. A character the set cannot hold (and every malformed
// sequence) becomes `replacement`; those characters are appended to
// `replaced` (UTF-8, each once) when given.
std::string EncodeFromUtf8(std::string_view utf8, std::string_view charset, char replacement = '?',
                           std::string* replaced = nullptr);

}  // namespace korrin
