#pragma once
// Launching files and addresses and starting programs. Results use the
// shell's codes: above 32 is success, 2 file not found, 31 no program is
// associated with the file, others below 32 are failures.

#include <string>
#include <vector>

namespace korrin {

constexpr int kShellOk = 42;
constexpr int kShellFileNotFound = 2;
constexpr int kShellPathNotFound = 3;
constexpr int kShellNoAssociation = 31;

class Shell {
public:
  virtual ~Shell() = default;
  // Performs "Open" on a file or an address (http:, mailto:, ...), with an
  // optional working folder.
  virtual int OpenDocument(const std::string& target, const std::string& folder = {}) = 0;
  // Starts a program detached from this process.
  virtual int StartProgram(const std::string& program, const std::vector<std::string>& args,
                           const std::string& folder = {}) = 0;
};

// Opens documents with xdg-open and starts programs with posix_spawn.
class TPosixShell : public Shell {
public:
  int OpenDocument(const std::string& target, const std::string& folder = {}) override;
  int StartProgram(const std::string& program, const std::vector<std::string>& args,
                   const std::string& folder = {}) override;
};

Shell& GetShell();
void SetShell(Shell* shell);

// The launch error text of a result code (empty for success).
std::string ShellErrorText(int code);

}  // namespace korrin
