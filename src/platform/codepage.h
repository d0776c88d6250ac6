#pragma once
// Code page 437 (the packets' character set) to Unicode and back.

#include <string>
#include <string_view>

namespace korrin {

// The Unicode code point of a code page 437 byte. Bytes below 0x80 are ASCII.
char32_t Cp437ToUnicode(unsigned char byte);
// The code page 437 byte of a code point, or -1 when the code page lacks it.
int UnicodeToCp437(char32_t ch);

std::string Cp437ToUtf8(std::string_view bytes);

// Converts UTF-8 to code page 437. A character the code page cannot hold
// (and every malformed sequence) becomes `replacement`; the characters that
// were replaced are appended to `replaced` (UTF-8, each once) when given.
std::string Utf8ToCp437(std::string_view utf8, char replacement = '?', std::string* replaced = nullptr);

// Decodes one UTF-8 character at text[pos], advancing pos; U+FFFD for a malformed sequence.
char32_t DecodeUtf8(std::string_view text, size_t& pos);
void AppendUtf8(std::string& out, char32_t ch);

}  // namespace korrin
