#pragma once
// Message boxes of the installer's programs run without windows: each box is
// a line on standard error ("setup: error: ..."), and questions get a fixed
// answer.

#include <string>

#include "platform/prompts.h"

namespace korrin {

class TConsolePrompts : public TStderrPrompts {
public:
  TConsolePrompts(std::string program, bool answerYes) : program_(std::move(program)), answerYes_(answerYes) {}
  TBoxAnswer Box(TBoxKind kind, const std::string& text, TBoxButtons buttons, const std::string& caption) override;

  // How many error boxes were shown.
  int Errors() const { return errors_; }

private:
  std::string program_;
  bool answerYes_;
  int errors_ = 0;
};

}  // namespace korrin
