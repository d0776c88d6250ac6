#include "platform/launch.h"

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/shell.h"
#include "platform/text.h"

namespace fs = std::filesystem;

namespace korrin {

namespace {
// Types that a desktop runs, or hands to an interpreter, when they are opened.
constexpr std::array kProgramTypes = {".exe", ".com", ".bat", ".cmd", ".pif", ".scr", ".msi", ".cpl", ".appimage",
                                      ".run", ".bin", ".elf", ".so", ".jar", ".apk", ".deb", ".rpm", ".app"};
constexpr std::array kScriptTypes = {".sh",  ".bash", ".csh", ".ksh", ".zsh",  ".fish", ".py", ".pyw", ".pl",
                                     ".rb",  ".php",  ".js",  ".jse", ".vbs",  ".vbe",  ".wsf", ".wsh", ".ps1",
                                     ".psm1", ".tcl", ".lua", ".awk", ".command", ".hta", ".reg"};
constexpr std::array kEntryTypes = {".desktop", ".lnk", ".url", ".kdelnk", ".directory"};

template <size_t N>
bool OneOf(const std::string& ext, const std::array<const char*, N>& list) {
  for (const char* e : list)
    if (SameText(ext, e)) return true;
  return false;
}
}  // namespace

TLaunchRisk ClassifyLaunch(const std::string& path) {
  const std::string ext = ExtractFileExt(path);
  if (OneOf(ext, kEntryTypes)) return TLaunchRisk::lrDesktopEntry;
  if (OneOf(ext, kProgramTypes)) return TLaunchRisk::lrExecutable;
  if (OneOf(ext, kScriptTypes)) return TLaunchRisk::lrScript;
  char head[64] = {};
  size_t got = 0;
  if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
    got = std::fread(head, 1, sizeof head, f);
    std::fclose(f);
  }
  const std::string start(head, got);
  if (start.rfind("\x7f" "ELF", 0) == 0 || start.rfind("MZ", 0) == 0) return TLaunchRisk::lrExecutable;
  if (start.rfind("#!", 0) == 0) return TLaunchRisk::lrScript;
  if (start.rfind("[Desktop Entry]", 0) == 0 || start.rfind("\xEF\xBB\xBF[Desktop Entry]", 0) == 0)
    return TLaunchRisk::lrDesktopEntry;
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) != 0)
    return TLaunchRisk::lrExecutableBit;
  return TLaunchRisk::lrDocument;
}

std::string LaunchQuestion(const std::string& path, TLaunchRisk risk) {
  const std::string name = "\"" + ExtractFileName(path) + "\"";
  switch (risk) {
    case TLaunchRisk::lrDocument: return {};
    case TLaunchRisk::lrExecutableBit:
      return "The file " + name + " is marked as a program. Opening it may run it.\r\n\r\nDo you want to open it?";
    case TLaunchRisk::lrDesktopEntry:
      return "The file " + name + " is a desktop shortcut that can start a program.\r\n\r\nDo you want to open it?";
    case TLaunchRisk::lrScript:
      return "The file " + name + " is a script. Opening it may run it.\r\n\r\nDo you want to open it?";
    case TLaunchRisk::lrExecutable:
      return "The file " + name + " is a program. Opening it may run it.\r\n\r\nDo you want to open it?";
  }
  return {};
}

int LaunchPrecheck(const std::string& file, const std::string& folder) {
  std::error_code ec;
  if (!folder.empty() && !fs::is_directory(folder, ec)) return kShellPathNotFound;
  if (!fs::exists(file, ec)) return kShellFileNotFound;
  if (::access(file.c_str(), R_OK) != 0) return 5;
  return 0;
}

bool LaunchFile(const std::string& file, const std::string& params, const std::string& folder) {
  (void)params;
  int code = LaunchPrecheck(file, folder);
  if (code == 0) {
    const TLaunchRisk risk = ClassifyLaunch(file);
    // Nothing that came with a packet runs without the user's word.
    if (risk != TLaunchRisk::lrDocument && !GetPrompts().ConfirmYesNo(LaunchQuestion(file, risk))) return false;
    code = GetShell().OpenDocument(file, folder);
  }
  if (code > 32) return true;
  GetPrompts().Error(ShellErrorText(code));
  return false;
}

}  // namespace korrin
