#pragma once
// Texts made from a message's header fields, shared by the list, the
// viewer, the editor and the command-line tool.

#include <string>

namespace korrin {

// The longer of the long form and the header form (the header form when
// equal), without trailing blanks.
std::string LongerText(const std::string& longForm, const std::string& headerForm);
// A reply's subject: unless it holds "RE:" in any case, "Re: " goes in front.
std::string ReplySubject(const std::string& subject);

}  // namespace korrin
