#include "platform/prompts.h"

#include <cstdio>

#include "platform/failure.h"

namespace korrin {

TBoxAnswer TStderrPrompts::Box(TBoxKind kind, const std::string& text, TBoxButtons buttons, const std::string&) {
  const char* label = kind == TBoxKind::bkError ? "error" : kind == TBoxKind::bkWarning ? "warning" : "note";
  std::fprintf(stderr, "korrin: %s: %s\n", label, text.c_str());
  return Refusal(buttons);
}

TBoxAnswer TStderrPrompts::Refusal(TBoxButtons buttons) {
  switch (buttons) {
    case TBoxButtons::bbOk: return TBoxAnswer::baOk;
    case TBoxButtons::bbOkCancel: return TBoxAnswer::baCancel;
    default: return TBoxAnswer::baNo;
  }
}

namespace {
TStderrPrompts& DefaultPrompts() {
  static TStderrPrompts prompts;
  return prompts;
}
Prompts* current = nullptr;
}  // namespace

Prompts& GetPrompts() { return current ? *current : DefaultPrompts(); }
void SetPrompts(Prompts* prompts) { current = prompts; }

bool ShowFailure(const TResult& result) {
  if (!result && !result.Text().empty()) GetPrompts().Box(result.Failure().Kind, result.Text(), TBoxButtons::bbOk);
  return result.Ok();
}

}  // namespace korrin
