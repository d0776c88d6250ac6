#pragma once
// Exception types that core code raises and the windows report.

#include <stdexcept>
#include <string>

namespace korrin {

// An input or output failure that no caller handles: the current command
// ends and the window shows the run-time error box with this text.
class EInOutError : public std::runtime_error {
public:
  explicit EInOutError(const std::string& what, int code = 0) : std::runtime_error(what), code_(code) {}
  int Code() const { return code_; }

private:
  int code_;
};

// A registry operation failed ("Invalid data type for '%s'", ...).
class ERegistryException : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

}  // namespace korrin
