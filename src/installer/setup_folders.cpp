#include "installer/setup_folders.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <vector>

#include "platform/errors.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "platform/version.h"

namespace fs = std::filesystem;

namespace korrin {

TDestinationCheck CheckDestination(const std::string& destination, const std::string& setupFolder,
                                   Prompts& prompts) {
  // Only a local absolute path will do; "//host/share" names a network share.
  if (destination.empty() || destination[0] != kPathDelim || destination.rfind("//", 0) == 0) {
    prompts.Warning("You must enter a valid directory path");
    return TDestinationCheck::dcAgain;
  }
  if (SameText(ExcludeTrailingBackslash(destination), ExcludeTrailingBackslash(setupFolder))) {
    prompts.Warning("This temporary directory will be removed when installation is complete.");
    return TDestinationCheck::dcAgain;
  }
  // Every level, however deep: extraction needs the whole folder.
  std::string level;
  size_t pos = 1;
  while (pos <= destination.size()) {
    size_t next = destination.find(kPathDelim, pos);
    if (next == std::string::npos) next = destination.size();
    if (next > pos) {
      level = destination.substr(0, next);
      std::error_code ec;
      if (!fs::is_directory(level, ec)) {
        fs::create_directory(level, ec);
        if (!fs::is_directory(level, ec)) {
          prompts.Warning("Cannot create directory. Please check syntax" + level);
          return TDestinationCheck::dcFailed;
        }
      }
    }
    pos = next + 1;
  }
  return TDestinationCheck::dcOk;
}

namespace {

// A real folder (no link) of this user that no one else may write to.
bool PrivateFolder(const std::string& path) {
  struct stat st;
  if (::lstat(ExcludeTrailingBackslash(path).c_str(), &st) != 0) return false;
  return S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

bool MakePrivateFolder(const std::string& path) {
  return ::mkdir(ExcludeTrailingBackslash(path).c_str(), 0700) == 0 || errno == EEXIST;
}

}  // namespace

TWorkFolder ChooseTempFolder(const std::string& windowsFolder, Prompts& prompts) {
  TWorkFolder w;
  const std::string temp = IncludeTrailingBackslash(windowsFolder) + "temp";
  std::error_code ec;
  if (!fs::exists(temp, ec)) {
    ForceDirectories(windowsFolder);
    MakePrivateFolder(temp);
  }
  if (!fs::is_directory(temp, ec)) {
    prompts.Box(TBoxKind::bkPlain, "Error determining temporary directory", TBoxButtons::bbOk);
    return w;
  }
  w.Ok = true;
  w.Temp = IncludeTrailingBackslash(temp);
  const std::string work = w.Temp + "tamwiz.tmp";
  if (PrivateFolder(temp)) {
    struct stat st;
    if (::lstat(work.c_str(), &st) != 0) {
      if (MakePrivateFolder(work) && PrivateFolder(work)) {
        w.Work = IncludeTrailingBackslash(work);
        return w;
      }
    } else if (PrivateFolder(work)) {
      prompts.Box(TBoxKind::bkPlain, "Trying to recover from aborted installation", TBoxButtons::bbOk);
      w.Work = IncludeTrailingBackslash(work);
      w.Recovered = true;
      return w;
    }
  }
  // A folder that someone else could have made or can write is never used:
  // this run gets a fresh one that only it knows.
  if (auto fresh = CreateUniqueFolder(TempFolder())) {
    w.Temp = TempFolder();
    w.Work = *fresh;
    return w;
  }
  prompts.Box(TBoxKind::bkPlain, "Error creating temporary directory", TBoxButtons::bbOk);
  return w;
}

bool FinishSetup(const std::string& workFolder, Prompts& prompts) {
  if (workFolder.empty()) return true;
  bool clean = true;
  std::error_code ec;
  std::vector<fs::path> files;
  for (fs::directory_iterator it(workFolder, ec), end; !ec && it != end; it.increment(ec))
    if (!it->is_directory(ec) || it->is_symlink(ec)) files.push_back(it->path());
  for (const fs::path& f : files) {
    std::error_code rec;
    if (!fs::remove(f, rec) || rec) {
      prompts.Error("File I/O error deleting " + f.filename().string());
      clean = false;
    }
  }
  if (::rmdir(ExcludeTrailingBackslash(workFolder).c_str()) != 0 && errno != ENOENT) {
    prompts.Box(TBoxKind::bkPlain, "Error removing temporary directory", TBoxButtons::bbOk);
    clean = false;
  }
  return clean;
}

TDiskSpace DiskSpaceOf(const std::string& path) {
  fs::path p = path.empty() ? fs::path("/") : fs::path(path);
  std::error_code ec;
  while (!fs::exists(p, ec) && p.has_parent_path() && p.parent_path() != p) p = p.parent_path();
  fs::space_info info = fs::space(p, ec);
  if (ec) return {};
  return {static_cast<int64_t>(info.capacity), static_cast<int64_t>(info.available)};
}

int ReaderRunningId(TRegistry& reg) {
  int64_t value = 0;
  try {
    if (!reg.OpenKey(std::string(kProgramKey) + "\\Main", false)) return 0;
    switch (reg.GetDataType("Status")) {
      case TRegDataType::rdInteger: value = reg.ReadInteger("Status"); break;
      case TRegDataType::rdString: {
        std::string text = Trim(reg.ReadString("Status"));
        value = text.empty() ? 0 : StrToIntDef(text, 1);
        break;
      }
      default: return 0;
    }
  } catch (const ERegistryException&) {
    return 0;
  }
  if (value == 0) return 0;
  if (value <= 1 || value > INT32_MAX) return 1;
  // A reader that crashed left its flag behind: only a live process counts.
  const pid_t pid = static_cast<pid_t>(value);
  if (::kill(pid, 0) == 0 || errno == EPERM) return pid;
  return 0;
}

bool ReaderIsRunning(TRegistry& registry, Prompts& prompts) {
  if (ReaderRunningId(registry) == 0) return false;
  prompts.Information(kReaderRunningText);
  return true;
}

bool HoldsFile(const std::string& folder, const std::string& fileName) {
  return !folder.empty() && !fileName.empty() && FileExistsNoCase(folder, fileName);
}

std::string FileNamePart(const std::string& path) {
  size_t p = path.find_last_of("/\\");
  return p == std::string::npos ? path : path.substr(p + 1);
}

}  // namespace korrin
