#include "installer/console_prompts.h"

#include <cstdio>

namespace korrin {

TBoxAnswer TConsolePrompts::Box(TBoxKind kind, const std::string& text, TBoxButtons buttons, const std::string&) {
  const char* label = kind == TBoxKind::bkError     ? "error: "
                      : kind == TBoxKind::bkWarning ? "warning: "
                                                    : "";
  if (kind == TBoxKind::bkError) ++errors_;
  // Line breaks of the box texts become plain line ends.
  std::string line;
  for (char c : text)
    if (c != '\r') line += c;
  std::fprintf(stderr, "%s: %s%s\n", program_.c_str(), label, line.c_str());
  switch (buttons) {
    case TBoxButtons::bbOk: return TBoxAnswer::baOk;
    case TBoxButtons::bbOkCancel: return answerYes_ ? TBoxAnswer::baOk : TBoxAnswer::baCancel;
    default: return answerYes_ ? TBoxAnswer::baYes : TBoxAnswer::baNo;
  }
}

}  // namespace korrin
