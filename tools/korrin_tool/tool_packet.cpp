#include "korrin_tool/tool_packet.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "engine/control_file.h"
#include "engine/message_scan.h"
#include "engine/messages_file.h"
#include "engine/qwk_index.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace fs = std::filesystem;

namespace korrin::tool {

std::atomic<int>& PendingSignal() {
  static std::atomic<int> signal{0};
  return signal;
}

bool Interrupted() { return PendingSignal().load() != 0; }

void CheckInterrupted() {
  int sig = PendingSignal().load();
  if (sig != 0) throw EToolError(128 + sig, sig == SIGPIPE ? "" : "interrupted");
}

// --- prompts

TBoxAnswer TToolPrompts::Box(TBoxKind, const std::string& text, TBoxButtons buttons, const std::string&) {
  if (std::find(texts_.begin(), texts_.end(), text) == texts_.end()) texts_.push_back(text);
  return Refusal(buttons);
}

void TToolPrompts::PrintWarnings() {
  for (; printed_ < texts_.size(); ++printed_) {
    std::string line = texts_[printed_];
    std::replace(line.begin(), line.end(), '\n', ' ');
    err_ << "korrin-tool: warning: " << line << "\n";
  }
}

// --- work folder

namespace {
// The write end of the current guardian's pipe, -1 when there is none.
int g_guardian = -1;

// The guardian: a process that waits for the tool to end, however it ends
// (a signal, a crash, a kill), and then removes the work folders and every
// path handed to it. Everything it needs is prepared before the fork, so the
// child calls only async-signal-safe functions.
pid_t StartGuardian(const std::string& root, const std::string& memory, int& writeEnd) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return -1;
  static char paths[16384];
  static const char* argv[64];
  const std::string rootPath = ExcludeTrailingBackslash(root), memoryPath = ExcludeTrailingBackslash(memory);
  const char* rootC = rootPath.c_str();
  const char* memoryC = memoryPath.c_str();
  pid_t pid = ::fork();
  if (pid < 0) {
    ::close(fds[0]);
    ::close(fds[1]);
    return -1;
  }
  if (pid == 0) {
    for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGPIPE, SIGQUIT}) ::signal(sig, SIG_IGN);
    ::close(fds[1]);
    // Only the pipe stays open: the tool's output ends when the tool does.
    for (int fd = 0; fd < 1024; ++fd)
      if (fd != fds[0]) ::close(fd);
    size_t used = 0;
    for (;;) {
      ssize_t n = ::read(fds[0], paths + used, sizeof paths - 1 - used);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      // An empty entry: the tool removed everything itself.
      for (size_t k = used; k < used + static_cast<size_t>(n); ++k)
        if (paths[k] == '\0' && (k == 0 || paths[k - 1] == '\0')) ::_exit(0);
      used += static_cast<size_t>(n);
      if (used >= sizeof paths - 1) break;
    }
    size_t argc = 0;
    argv[argc++] = "rm";
    argv[argc++] = "-rf";
    argv[argc++] = "--";
    argv[argc++] = rootC;
    argv[argc++] = memoryC;
    for (size_t i = 0; i < used && argc < 63;) {
      size_t len = ::strnlen(paths + i, used - i);
      if (len == 0 || i + len >= used) break;
      argv[argc++] = paths + i;
      i += len + 1;
    }
    argv[argc] = nullptr;
    ::execv("/bin/rm", const_cast<char* const*>(argv));
    ::_exit(127);
  }
  ::close(fds[0]);
  writeEnd = fds[1];
  return pid;
}

void TellGuardian(const std::string& text) {
  if (g_guardian < 0) return;
  std::string message = text;
  message.push_back('\0');
  ssize_t n;
  do n = ::write(g_guardian, message.data(), message.size());
  while (n < 0 && errno == EINTR);
}
}  // namespace

void RemoveAtExit(const std::string& path) {
  if (!path.empty()) TellGuardian(path);
}

TWorkFolder::TWorkFolder() {
  std::string pattern = TempFolder() + "korrin-tool-XXXXXX";
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back('\0');
  if (::mkdtemp(buf.data()) == nullptr)
    throw EToolError(kExitUnreadable, "cannot create a temporary folder in " + TempFolder() + ": " + std::strerror(errno));
  root_ = IncludeTrailingBackslash(buf.data());
  std::error_code ec;
  fs::create_directory(ScratchFolder(), ec);
  memory_ = root_;
  const char* tmpdir = std::getenv("TMPDIR");
  if ((tmpdir == nullptr || *tmpdir == '\0') && ::access("/dev/shm", W_OK | X_OK) == 0) {
    std::string shm = "/dev/shm/korrin-tool-XXXXXX";
    if (::mkdtemp(shm.data()) != nullptr) memory_ = IncludeTrailingBackslash(shm);
  }
  const char* home = std::getenv("KORRIN_HOME");
  if (home == nullptr || *home == '\0') {
    std::string own = memory_ + "home";
    fs::create_directory(own, ec);
    ::setenv("KORRIN_HOME", own.c_str(), 1);
    homeSet_ = true;
  }
  if (g_guardian < 0) {
    guardian_ = StartGuardian(root_, memory_, guardianPipe_);
    g_guardian = guardianPipe_;
  }
}

TWorkFolder::~TWorkFolder() {
  if (homeSet_) ::unsetenv("KORRIN_HOME");
  std::error_code ec;
  fs::remove_all(root_, ec);
  if (memory_ != root_) fs::remove_all(memory_, ec);
  if (guardian_ > 0) {
    TellGuardian("");
    ::close(guardianPipe_);
    g_guardian = -1;
    int status;
    while (::waitpid(guardian_, &status, 0) < 0 && errno == EINTR) {
    }
  }
}

// --- unpacking

bool MatchesPattern(const std::string& name, const std::string& pattern) {
  if (pattern.size() > 1 && pattern[0] == '*') {
    std::string tail = pattern.substr(1);
    return name.size() > tail.size() && SameText(name.substr(name.size() - tail.size()), tail);
  }
  return SameText(name, pattern);
}

namespace {
std::string ArchiveFailure(int code) {
  switch (code) {
    case TXceedZip::xcdNoLibrary:
      return std::string("the unpacking plugin ") + XCD_UNZIP_LIBRARY +
             " was not found (it is looked for in $KORRIN_PLUGIN_DIR, beside korrin-tool and in lib/korrin/ of its prefix)";
    case TXceedZip::xcdNotFound: return "No such file";
    case TXceedZip::xcdCorrupt: return "damaged or unknown archive";
    case TXceedZip::xcdNothingToDo: return "the archive holds no packet files";
    case TXceedZip::xcdOutOfMemory: return "out of memory while unpacking";
    case TXceedZip::xcdDiskFull: return "the disk is full";
    case TXceedZip::xcdAccess: return "the archive cannot be opened";
    default: return "cannot unpack (archive code " + std::to_string(code) + ")";
  }
}
}  // namespace

// --- packet

namespace {
// The private copy gets lower-case file names: every lookup of the core
// then finds its file at once instead of searching the folder. A name
// whose lower-case form is taken already stays as it is.
void LowerCaseNames(const std::string& folder) {
  std::error_code ec;
  std::vector<std::string> names;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
    names.push_back(it->path().filename().string());
  for (const auto& name : names) {
    std::string lower = name;
    for (char& c : lower)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (lower == name) continue;
    std::error_code e2;
    if (fs::exists(fs::symlink_status(folder + lower, e2))) continue;
    fs::rename(folder + name, folder + lower, e2);
  }
}
}  // namespace

std::optional<int> ConferenceNumberOf(const TConfRec& record) {
  const std::string& name = record.IndexFile;
  if (name.size() <= 4 || !SameText(name.substr(name.size() - 4), ".ndx")) return std::nullopt;
  std::string stem = name.substr(0, name.size() - 4);
  if (stem.empty() || !std::all_of(stem.begin(), stem.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  auto n = ParseInt(stem);
  if (!n || *n > 65535) return std::nullopt;
  return static_cast<int>(*n);
}

bool IsPersonal(const TConfRec& record) {
  return record.Kind == TFolderKind::fkConference && SameText(record.IndexFile, IndexFileStem(kPersonalIndexNumber));
}

namespace {
TSessionOptions ToolSession() {
  TSessionOptions options;
  options.RegistryFile = ":memory:";
  options.RecordPostOffice = false;
  return options;
}
}  // namespace

TToolPacket::TToolPacket(TWorkFolder& work) : session_(ToolSession()) {
  if (!session_.CreateWorkFolder(work.Root()))
    throw EToolError(kExitUnreadable, "cannot create a temporary folder in " + work.Root());
  directory_ = session_.WorkFolder();
  TXceedZip& zip = session_.Zip();
  zip.SetProcessMessages([&zip] {
    if (Interrupted()) zip.Abort();
  });
  session_.Tree().SetPersonalConference(true);
  session_.Tree().SetTextCase(TTextCase::tcAsIs);
}

void TToolPacket::Unpack(const std::string& path, bool reply) {
  const std::string& folder = directory_ = session_.WorkFolder();
  std::error_code ec;
  auto status = fs::status(path, ec);
  if (ec || !fs::exists(status)) throw EToolError(kExitUnreadable, path + ": No such file or directory");
  if (fs::is_directory(status)) {
    const std::vector<std::string>& patterns = PacketFilePatterns(reply);
    int copied = 0;
    for (fs::directory_iterator it(path, ec), end; !ec && it != end; it.increment(ec)) {
      CheckInterrupted();
      std::string name = it->path().filename().string();
      std::error_code fe;
      if (!it->is_regular_file(fe)) continue;
      if (std::none_of(patterns.begin(), patterns.end(), [&](const std::string& p) { return MatchesPattern(name, p); }))
        continue;
      fs::copy_file(it->path(), folder + name, fs::copy_options::overwrite_existing, fe);
      if (fe) throw EToolError(kExitUnreadable, it->path().string() + ": " + fe.message());
      ++copied;
    }
    if (ec) throw EToolError(kExitUnreadable, path + ": " + ec.message());
    if (copied == 0) throw EToolError(kExitUnreadable, path + ": no packet files in this folder");
    if (!reply)
      for (const std::string& screen : MissingScreens(folder))
        if (auto found = FindFileNoCase(IncludeTrailingBackslash(path), screen)) {
          std::error_code fe;
          fs::copy_file(*found, folder + fs::path(*found).filename().string(), fs::copy_options::overwrite_existing, fe);
        }
    return;
  }
  if (!fs::is_regular_file(status)) throw EToolError(kExitUnreadable, path + ": not a packet file");
  const TUnpackOutcome unpacked = session_.UnpackPacket(path, reply);
  CheckInterrupted();
  if (IsFinalArchiveFailure(unpacked.Failure) || !unpacked.Unpacked)
    throw EToolError(kExitUnreadable, path + ": " + ArchiveFailure(unpacked.Failure == TXceedZip::xcdSuccess
                                                                        ? TXceedZip::xcdNothingToDo
                                                                        : unpacked.Failure));
}

void TToolPacket::Open(const std::string& path, bool copy) {
  source_ = path;
  std::error_code ec;
  const bool folder = fs::is_directory(path, ec);
  // A folder without index files gets them written: into a copy, never into the user's folder.
  if (folder && !copy && (!HoldsIndexFiles(path) || !BrokenIndexFiles(path).empty())) copy = true;
  if (folder && !copy) {
    if (::access(path.c_str(), R_OK | X_OK) != 0) throw EToolError(kExitUnreadable, path + ": " + std::strerror(errno));
    directory_ = IncludeTrailingBackslash(path);
  } else {
    Unpack(path, false);
    LowerCaseNames(directory_);
  }
  if (!FileExistsNoCase(directory_, kControlFileName))
    throw EToolError(kExitUnreadable, path + ": not a QWK packet (no control.dat)");
  if (!FileExistsNoCase(directory_, kMessagesFileName))
    throw EToolError(kExitUnreadable, path + ": not a QWK packet (no messages.dat)");
  if (!folder) session_.Tree().SetPacketFile(path);
  const TResult read = session_.ReadPacketFolder(directory_);
  if (!read) throw EToolError(kExitUnreadable, path + ": " + (read.Text().empty() ? "not a QWK packet" : read.Text()));
}

void TToolPacket::OpenReplyFiles(const std::string& path) {
  source_ = path;
  std::error_code ec;
  if (fs::is_directory(path, ec) || !SameText(ExtractFileExt(path), ".msg")) {
    Unpack(path, true);
    return;
  }
  // The reply file itself.
  if (!fs::is_regular_file(path, ec)) throw EToolError(kExitUnreadable, path + ": No such file");
  fs::copy_file(path, directory_ + ExtractFileName(path), ec);
  if (ec) throw EToolError(kExitUnreadable, path + ": " + ec.message());
}

TMailTreeNode* TToolPacket::FindConference(const std::string& numberText) const {
  const std::string wanted = IndexFileStem(numberText);
  for (TMailTreeNode* node : session_.Tree().Nodes())
    if (node->Record && node->Record->Kind == TFolderKind::fkConference && !IsPersonal(*node->Record) &&
        SameText(node->Record->IndexFile, wanted))
      return node;
  return nullptr;
}

TMailTreeNode* TToolPacket::Personal() const {
  for (TMailTreeNode* node : session_.Tree().Nodes())
    if (node->Record && IsPersonal(*node->Record)) return node;
  return nullptr;
}

std::vector<TMailTreeNode*> TToolPacket::ConferenceNodes(bool withPersonal) const {
  std::vector<TMailTreeNode*> out;
  for (TMailTreeNode* node : session_.Tree().Nodes())
    if (node->Record && node->Record->Kind == TFolderKind::fkConference && !node->Record->IndexFile.empty() &&
        (withPersonal || !IsPersonal(*node->Record)))
      out.push_back(node);
  return out;
}

int32_t TToolPacket::MessageCount(const TConfRec& record) const {
  if (record.IndexFile.empty()) return 0;
  TQWKIndex index;
  if (!index.Open(directory_ + record.IndexFile, false)) return 0;
  return index.Count();
}

}  // namespace korrin::tool
