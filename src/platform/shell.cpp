#include "platform/shell.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <filesystem>

extern char** environ;

namespace korrin {

namespace {
bool LooksLikeAddress(const std::string& target) {
  auto colon = target.find(':');
  if (colon == std::string::npos || colon < 2) return false;
  for (size_t i = 0; i < colon; ++i)
    if (!std::isalpha(static_cast<unsigned char>(target[i])) && target[i] != '+' && target[i] != '-') return false;
  return true;
}

// Runs the program in a grandchild so it outlives us and leaves no zombie.
int SpawnDetached(const std::string& program, const std::vector<std::string>& args, const std::string& folder) {
  std::vector<std::string> argv_s{program};
  argv_s.insert(argv_s.end(), args.begin(), args.end());
  pid_t child = ::fork();
  if (child < 0) return 8;
  if (child == 0) {
    ::setsid();
    if (!folder.empty() && ::chdir(folder.c_str()) != 0) ::_exit(3);
    std::vector<char*> argv;
    for (auto& a : argv_s) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t grandchild;
    int rc = ::posix_spawnp(&grandchild, program.c_str(), nullptr, nullptr, argv.data(), environ);
    ::_exit(rc == 0 ? 0 : 2);
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (!WIFEXITED(status)) return 0;
  int code = WEXITSTATUS(status);
  return code == 0 ? kShellOk : code;
}
}  // namespace

int TPosixShell::OpenDocument(const std::string& target, const std::string& folder) {
  std::error_code ec;
  if (!LooksLikeAddress(target) && !std::filesystem::exists(target, ec)) return kShellFileNotFound;
  int rc = SpawnDetached("xdg-open", {target}, folder);
  return rc == kShellFileNotFound ? kShellNoAssociation : rc;
}

int TPosixShell::StartProgram(const std::string& program, const std::vector<std::string>& args,
                              const std::string& folder) {
  std::error_code ec;
  if (program.find('/') != std::string::npos && !std::filesystem::exists(program, ec)) return kShellFileNotFound;
  return SpawnDetached(program, args, folder);
}

namespace {
TPosixShell& DefaultShell() {
  static TPosixShell shell;
  return shell;
}
Shell* currentShell = nullptr;
}  // namespace

Shell& GetShell() { return currentShell ? *currentShell : DefaultShell(); }
void SetShell(Shell* shell) { currentShell = shell; }

std::string ShellErrorText(int code) {
  if (code > 32) return {};
  switch (code) {
    case 0: return "System was out of memory, executable file was corrupt, or relocations were invalid.";
    case 2: return "File was not found.";
    case 3: return "Path was not found.";
    case 5: return "Attempt was made to dynamically link to a task, or there was a sharing or network-protection error.";
    case 6: return "Library required separate data segments for each task.";
    case 8: return "There was insufficient memory to start the application.";
    case 10: return "Windows version was incorrect.";
    case 11: return "Executable file was invalid. Either it was not a Windows application or there was an error in the .EXE image.";
    case 12: return "Application was designed for a different operating system.";
    case 13: return "Application was designed for MS-DOS 4.0.";
    case 14: return "Type of executable file was unknown.";
    case 15: return "Attempt was made to load a real-mode application (developed for an earlier version of Windows).";
    case 16: return "Attempt was made to load a second instance of an executable file containing multiple data segments that were not marked read-only.";
    case 19: return "Attempt was made to load a compressed executable file. The file must be decompressed before it can be loaded.";
    case 20: return "Dynamic-link library (DLL) file was invalid. One of the DLLs required to run this application was corrupt.";
    case 21: return "Application requires Windows 32-bit extensions.";
    default: return "An error occured while trying to execute the application.";
  }
}

}  // namespace korrin
