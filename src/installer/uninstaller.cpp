#include "installer/uninstaller.h"

#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <optional>

#include "installer/setup_folders.h"
#include "installer/setup_script.h"
#include "installer/uninstall_record.h"
#include "platform/errors.h"
#include "platform/ini_file.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/registry.h"
#include "platform/text.h"

namespace fs = std::filesystem;

namespace korrin {

namespace {

bool HasWildcard(const std::string& name) { return name.find_first_of("*?") != std::string::npos; }

// The canonical form of a folder for comparisons (links resolved where the folder exists).
std::string Canonical(const std::string& path) {
  std::error_code ec;
  fs::path p = fs::weakly_canonical(fs::path(ExcludeTrailingBackslash(path)), ec);
  return ec ? ExcludeTrailingBackslash(path) : p.string();
}

}  // namespace

TUninstaller::TUninstaller(std::string folder, TRegistry& registry, Prompts& prompts)
    : folder_(ExcludeTrailingBackslash(std::move(folder))), registry_(registry), prompts_(prompts) {}

bool TUninstaller::Run() {
  std::optional<std::string> script = FindFileNoCase(folder_, kUninstallScriptName);
  if (folder_.empty() || !script) {
    prompts_.Error("Could not read file - " + IncludeTrailingBackslash(folder_) + kUninstallScriptName);
    return false;
  }
  if (ReaderIsRunning(registry_, prompts_)) return false;
  script_ = *script;
  TIniFile ini(script_);
  productName_ = ini.ReadString("Product", "Name", "");

  const std::string self = IncludeTrailingBackslash(WindowsFolder()) + kUninstallerName;
  RemoveListed("Installfiles", folder_, {});
  RemoveListed("Windowsfiles", WindowsFolder(), UninstallerShared(self) ? kUninstallerName : "");
  RemoveListed("Systemfiles", SystemFolder(), {});
  RemoveLinks();
  RemoveGroupFolder();
  RemoveEntry();
  RemoveFile(script_);

  std::error_code ec;
  if (::rmdir(folder_.c_str()) != 0 && errno != ENOENT) {
    folderKept_ = true;
    prompts_.Information("Files that setup did not install remain in " + folder_);
  }
  for (const std::string& path : notRemoved_) prompts_.Error("Could not remove " + path);
  return notRemoved_.empty();
}

void TUninstaller::RemoveListed(const std::string& section, const std::string& folder, const std::string& keep) {
  TIniFile ini(script_);
  for (int i = 0; i < kMaxListEntries; ++i) {
    std::string entry = ini.ReadString(section, "File" + std::to_string(i), "");
    if (entry.empty()) break;
    std::string name = FileNamePart(SplitEntry(entry).Name);
    if (name.empty() || name == "." || name == ".." || (!keep.empty() && SameText(name, keep))) continue;
    if (HasWildcard(name)) {
      // Which files a pattern brought is not recorded: they stay.
      notRemoved_.push_back(IncludeTrailingBackslash(folder) + name);
      continue;
    }
    if (auto path = FindFileNoCase(folder, name)) RemoveFile(*path);
  }
}

void TUninstaller::RemoveFile(const std::string& path) {
  std::error_code ec;
  fs::file_status st = fs::symlink_status(path, ec);
  if (ec || !fs::exists(st)) return;
  if (fs::is_directory(st) || !fs::remove(path, ec) || ec) {
    notRemoved_.push_back(path);
    return;
  }
  removed_.push_back(path);
}

void TUninstaller::RemoveLinks() {
  TIniFile ini(script_);
  const std::string ours = Canonical(folder_) + kPathDelim;
  for (int i = 0;; ++i) {
    std::string link = ini.ReadString("Remove", "Link" + std::to_string(i), "");
    if (link.empty()) break;
    std::error_code ec;
    if (!fs::is_regular_file(fs::symlink_status(link, ec)) || ExtractFileExt(link) != kLinkExtension) continue;
    // Only an entry that starts a program of this installation is ours.
    std::string program = DesktopEntryProgram(ReadWholeFile(link).value_or(""));
    if (program.empty() || Canonical(ExtractFilePath(program)) + kPathDelim != ours) continue;
    RemoveFile(link);
  }
}

void TUninstaller::RemoveGroupFolder() {
  TIniFile ini(script_);
  std::string group = ini.ReadString("Remove", "Group Name", "");
  if (group.empty()) return;
  const fs::path programs = ExcludeTrailingBackslash(ProgramsFolder());
  fs::path relative = fs::path(group).lexically_normal();
  if (relative.is_absolute() || relative.empty() || *relative.begin() == "..") return;
  // The group folder and its parents below the Programs folder, while empty.
  for (fs::path p = relative; !p.empty() && p != "."; p = p.parent_path()) {
    if (::rmdir((programs / p).c_str()) != 0) break;
  }
}

void TUninstaller::RemoveEntry() {
  if (productName_.empty()) return;
  try {
    if (!registry_.OpenKey(kUninstallKey + productName_, false)) return;
    // An entry that names another folder belongs to another installation.
    if (registry_.ReadString("DisplayName") != productName_ ||
        Canonical(registry_.ReadString("Path")) != Canonical(folder_))
      return;
    registry_.CloseKey();
    registry_.DeleteKey(kUninstallKey + productName_);
  } catch (const ERegistryException& e) {
    prompts_.Error(e.what());
  }
}

bool TUninstaller::UninstallerShared(const std::string& uninstaller) {
  try {
    if (!registry_.OpenKey(kUninstallKey, false)) return false;
    for (const std::string& name : registry_.GetKeyNames()) {
      if (SameText(name, productName_)) continue;
      if (!registry_.OpenKey(kUninstallKey + name, false)) continue;
      if (registry_.ReadString("UninstallString").rfind(uninstaller, 0) == 0) return true;
    }
  } catch (const ERegistryException&) {
  }
  return false;
}

}  // namespace korrin
