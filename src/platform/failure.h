#pragma once
// The outcome of a core operation that can fail: success, or the text of
// the box the user is to be told and its kind. The core returns it instead
// of showing the box; windows show it through the program's prompts
// (ShowFailure), korrin-tool prints its text.

#include <string>
#include <utility>

#include "platform/prompts.h"

namespace korrin {

struct TFailure {
  TBoxKind Kind = TBoxKind::bkError;
  // Empty when there is nothing to tell (the user cancelled, or the reason
  // was shown already).
  std::string Text;
};

class TResult {
public:
  // Success.
  TResult() = default;
  TResult(TFailure failure) : failure_(std::move(failure)), failed_(true) {}
  // A failure told in an error box.
  static TResult Error(std::string text) { return TFailure{TBoxKind::bkError, std::move(text)}; }

  bool Ok() const { return !failed_; }
  explicit operator bool() const { return !failed_; }
  const TFailure& Failure() const { return failure_; }
  const std::string& Text() const { return failure_.Text; }

private:
  TFailure failure_;
  bool failed_ = false;
};

// Shows a failure's text in its box through the program's prompts (nothing
// for success or a failure without text). Returns Ok().
bool ShowFailure(const TResult& result);

}  // namespace korrin
