#include "platform/paths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <time.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <mutex>
#include <unordered_map>
#include <vector>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/prompts.h"
#include "platform/random.h"
#include "platform/text.h"

namespace fs = std::filesystem;

namespace korrin {

std::string IncludeTrailingBackslash(const std::string& path) {
  if (path.empty() || path.back() == kPathDelim) return path;
  return path + kPathDelim;
}

std::string ExcludeTrailingBackslash(const std::string& path) {
  if (path.size() > 1 && path.back() == kPathDelim) return path.substr(0, path.size() - 1);
  return path;
}

bool DirectoryUsable(const std::string& path) {
  std::error_code ec;
  return path.size() > 2 && fs::is_directory(path, ec);
}

bool ForceDirectories(const std::string& path) {
  if (path.empty()) return false;
  std::error_code ec;
  fs::create_directories(ExcludeTrailingBackslash(path), ec);
  return fs::is_directory(path, ec);
}

bool ForceDirectories(const std::string& path, Prompts& prompts) {
  if (ForceDirectories(path)) return true;
  prompts.Error("Could not create directory " + path);
  return false;
}

namespace {
// The names of a folder by their lower-case form (the first on disk of each),
// so that looking up many names costs one scan of the folder, not one each.
// A listing is used while the folder's identity and change time stay as they
// were when it was read, and only once that time lies clearly before the
// reading: a file made in the same clock tick as the listing is not missed.
struct TFolderListing {
  dev_t dev = 0;
  ino_t ino = 0;
  timespec changed{};
  bool trusted = false;
  std::unordered_map<std::string, std::string> names;
  uint64_t lastUse = 0;
};

constexpr size_t kListingsKept = 8;

int64_t Nanoseconds(const timespec& t) { return int64_t(t.tv_sec) * 1000000000 + t.tv_nsec; }

bool TrustedAt(const timespec& changed, const timespec& now) {
  // File systems without sub-second times count in whole seconds (or two).
  const int64_t margin = changed.tv_nsec == 0 ? 2000000000 : 20000000;
  return Nanoseconds(now) - Nanoseconds(changed) > margin;
}

std::optional<std::string> ListedName(const std::string& dir, const struct stat& st, const std::string& name) {
  static std::mutex lock;
  static std::vector<TFolderListing> listings;
  static uint64_t uses = 0;
  std::lock_guard<std::mutex> guard(lock);
  TFolderListing* listing = nullptr;
  for (auto& l : listings)
    if (l.dev == st.st_dev && l.ino == st.st_ino) listing = &l;
  const bool fresh = listing && listing->trusted && listing->changed.tv_sec == st.st_mtim.tv_sec &&
                     listing->changed.tv_nsec == st.st_mtim.tv_nsec;
  if (!fresh) {
    if (!listing) {
      if (listings.size() < kListingsKept) {
        listing = &listings.emplace_back();
      } else {
        listing = &*std::min_element(listings.begin(), listings.end(),
                                     [](const auto& a, const auto& b) { return a.lastUse < b.lastUse; });
      }
    }
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    listing->dev = st.st_dev;
    listing->ino = st.st_ino;
    listing->changed = st.st_mtim;
    listing->trusted = TrustedAt(st.st_mtim, now);
    listing->names.clear();
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
      std::string candidate = it->path().filename().string();
      listing->names.emplace(AnsiLowerCase(candidate), candidate);
    }
  }
  listing->lastUse = ++uses;
  auto it = listing->names.find(AnsiLowerCase(name));
  if (it == listing->names.end()) return std::nullopt;
  return it->second;
}
}  // namespace

std::optional<std::string> FindFileNoCase(const std::string& folder, const std::string& name) {
  if (name.empty()) return std::nullopt;
  std::string dir = IncludeTrailingBackslash(folder.empty() ? std::string(".") : folder);
  std::error_code ec;
  if (fs::exists(dir + name, ec)) return dir + name;
  // A name with a separator is no name in this folder.
  if (name.find(kPathDelim) != std::string::npos) return std::nullopt;
  struct stat st;
  if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return std::nullopt;
  auto found = ListedName(dir, st, name);
  if (!found) return std::nullopt;
  return dir + *found;
}

std::string PathNoCase(const std::string& folder, const std::string& name) {
  auto found = FindFileNoCase(folder, name);
  return found ? *found : IncludeTrailingBackslash(folder) + name;
}

bool FileExistsNoCase(const std::string& folder, const std::string& name) {
  return FindFileNoCase(folder, name).has_value();
}

std::string ExtractFileName(const std::string& path) {
  auto p = path.find_last_of(kPathDelim);
  return p == std::string::npos ? path : path.substr(p + 1);
}

std::string ExtractFilePath(const std::string& path) {
  auto p = path.find_last_of(kPathDelim);
  return p == std::string::npos ? std::string() : path.substr(0, p + 1);
}

std::string ExtractFileExt(const std::string& path) {
  std::string name = ExtractFileName(path);
  auto p = name.find_last_of('.');
  return p == std::string::npos ? std::string() : name.substr(p);
}

std::string ChangeFileExt(const std::string& path, const std::string& ext) {
  std::string name = ExtractFileName(path);
  auto p = name.find_last_of('.');
  std::string dir = path.substr(0, path.size() - name.size());
  return dir + (p == std::string::npos ? name : name.substr(0, p)) + ext;
}

namespace {
std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

std::string Ensured(const std::string& path) {
  ForceDirectories(path);
  return IncludeTrailingBackslash(path);
}
}  // namespace

std::string DataHome() {
  std::string xdg = Env("XDG_DATA_HOME");
  if (!xdg.empty()) return ExcludeTrailingBackslash(xdg);
  std::string home = Env("HOME");
  return (home.empty() ? std::string("/tmp") : ExcludeTrailingBackslash(home)) + "/.local/share";
}

std::string ExecutableFolder() {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return IncludeTrailingBackslash(fs::current_path(ec).string());
  return IncludeTrailingBackslash(exe.parent_path().string());
}

std::optional<std::string> FolderHolding(const std::string& base, std::initializer_list<const char*> folders,
                                         const std::string& name) {
  for (const char* folder : folders) {
    fs::path dir = (fs::path(base) / folder).lexically_normal();
    std::error_code ec;
    if (fs::is_regular_file(dir / name, ec)) return IncludeTrailingBackslash(dir.string());
  }
  return std::nullopt;
}

std::optional<std::string> InstalledHelpFolder() {
  return FolderHolding(ExecutableFolder(), {"help", "../share/korrin/help"}, "contents.html");
}

std::string ProgramFolder() {
  std::string home = Env("KORRIN_HOME");
  if (!home.empty()) {
    // Asked for every message read: the folder is made once per setting.
    static std::string lastHome, lastFolder;
    if (home == lastHome && DirectoryUsable(lastFolder)) return lastFolder;
    lastFolder = Ensured(home);
    lastHome = home;
    return lastFolder;
  }
  std::string exeDir = ExecutableFolder();
  if (FileExistsNoCase(exeDir, "korrin.ini") && ::access(exeDir.c_str(), W_OK) == 0) return exeDir;
  return Ensured(DataHome() + "/korrin");
}

std::string TempFolder() {
  std::string tmp = Env("TMPDIR");
  if (tmp.empty()) tmp = "/tmp";
  return Ensured(tmp);
}

std::string WindowsFolder() {
  std::string v = Env("KORRIN_WINDOWS_DIR");
  return Ensured(v.empty() ? DataHome() + "/korrin-system/windows" : v);
}

std::string SystemFolder() {
  std::string v = Env("KORRIN_SYSTEM_DIR");
  return Ensured(v.empty() ? DataHome() + "/korrin-system/system" : v);
}

std::string ProgramsFolder() {
  std::string v = Env("KORRIN_PROGRAMS_DIR");
  return Ensured(v.empty() ? DataHome() + "/applications" : v);
}

std::optional<std::string> CreateUniqueFolder(const std::string& parent) {
  std::string base = IncludeTrailingBackslash(parent);
  if (!ForceDirectories(base)) return std::nullopt;
  for (int attempt = 0; attempt < 10000; ++attempt) {
    std::string path = base + RandomName8();
    if (::mkdir(path.c_str(), 0700) == 0) return IncludeTrailingBackslash(path);
    if (errno != EEXIST) return std::nullopt;
  }
  return std::nullopt;
}

bool WriteFileAtomic(const std::string& path, const std::string& data, bool durable) {
  std::string tmp = path + ".tmp-" + RandomName8();
  int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
  if (fd < 0) return false;
  size_t done = 0;
  bool ok = true;
  while (done < data.size()) {
    ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    done += static_cast<size_t>(n);
  }
  if (durable) ok = ::fsync(fd) == 0 && ok;
  ok = ::close(fd) == 0 && ok;
  if (ok) ok = std::rename(tmp.c_str(), path.c_str()) == 0;
  if (!ok) ::unlink(tmp.c_str());
  return ok;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream buf;
  buf << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return buf.str();
}

}  // namespace korrin
