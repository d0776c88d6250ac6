#include "engine/header_texts.h"

#include "platform/text.h"

namespace korrin {

std::string LongerText(const std::string& longForm, const std::string& headerForm) {
  // Header fields are padded with blanks: compare and show them without.
  std::string l = TrimRight(longForm), h = TrimRight(headerForm);
  return l.size() > h.size() ? l : h;
}

std::string ReplySubject(const std::string& subject) {
  if (Contains(AnsiUpperCase(subject), "RE:")) return subject;
  return "Re: " + subject;
}

}  // namespace korrin
