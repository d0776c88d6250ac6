#pragma once
// Code page 437 to UTF-8 for the tool's three outputs, fast enough for
// mailboxes of hundreds of thousands of messages: the characters are the
// code page's (platform/codepage.h), looked up in a table built once.

#include <string>
#include <string_view>

namespace korrin::tool {

// Appends the UTF-8 form of the bytes. NUL bytes are left out when dropNul is set.
void AppendCp437(std::string& out, std::string_view cp437, bool dropNul);
// Every character as it is (for JSON, whose writer escapes controls).
std::string Cp437Text(std::string_view cp437);
// For mail: NUL bytes, which mail programs do not take, left out.
std::string MailText(std::string_view cp437);
// For a terminal: NUL bytes left out, the other control characters but
// the tab shown as the code page's pictures (so no byte of a message can
// drive the terminal).
std::string TerminalText(std::string_view cp437);

// The same three for bytes in any character set (platform/charset.h); code
// page 437 takes the fast paths above.
std::string CharsetText(std::string_view bytes, const std::string& charset);
std::string MailText(std::string_view bytes, const std::string& charset);
std::string TerminalText(std::string_view bytes, const std::string& charset);

}  // namespace korrin::tool
