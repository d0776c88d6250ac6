// The packing plugin: adds files to a ZIP archive.
//
// Vector: password, then switches, the archive, the files:
//   -f freshen (replace entries whose file is newer)   -u update (and add new)
//   -e encrypt with the password   -0..-9 compression level
//   -m move (delete the originals once the archive is in place)
//   -S include hidden files (names starting with ".")   -D add folder entries
//   -r recurse into folders   -j store names without folders
//   -g write the archive in place instead of through a temporary file
//   -b FOLDER for the temporary file   -n EXTS store these extensions
//   -t MMDDYY only files changed on or after that day
//   -$ -! -& volume label, multi-disk, clear disks: accepted, nothing to do
//   on one volume
// After the archive: files (wildcards allowed in the last component),
// "-i" patterns to include only, "-x" patterns to leave out.
//
// An existing archive is rewritten into a temporary file: its entries are
// copied, replaced ones at their place, new ones at the end; it is replaced
// only when the new one is complete. On any failure it stays as it was.

#include <archive.h>
#include <archive_entry.h>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "archive/plugins/common.h"

namespace korrin::xcd {
namespace {

int g_busy = 0;

struct TZipArgs {
  std::string password;
  int mode = 0;  // 0 add, 1 freshen, 2 update
  bool encrypt = false, move = false, hidden = false, dirEntries = false, recurse = false, junk = false;
  bool grow = false;
  int level = 6;
  std::string tempPath;
  std::vector<std::string> stored;
  bool haveSince = false;
  time_t since = 0;
  std::string archive;
  std::vector<std::string> files, includes, excludes;
};

bool ParseArgs(int argc, const char* const* argv, TZipArgs& out) {
  if (argc < 2 || argv == nullptr || argv[0] == nullptr) return false;
  out.password = argv[0];
  bool haveArchive = false;
  enum { kFiles, kIncludes, kExcludes } list = kFiles;
  for (int i = 1; i < argc; ++i) {
    if (argv[i] == nullptr) return false;
    std::string_view a = argv[i];
    auto value = [&](std::string& v) {
      if (++i >= argc || argv[i] == nullptr) return false;
      v = argv[i];
      return true;
    };
    if (a.size() >= 2 && a[0] == '-') {
      std::string v;
      if (a == "-f") out.mode = 1;
      else if (a == "-u") out.mode = 2;
      else if (a == "-e") out.encrypt = true;
      else if (a.size() == 2 && a[1] >= '0' && a[1] <= '9') out.level = a[1] - '0';
      else if (a == "-m") out.move = true;
      else if (a == "-S") out.hidden = true;
      else if (a == "-D") out.dirEntries = true;
      else if (a == "-r") out.recurse = true;
      else if (a == "-j") out.junk = true;
      else if (a == "-g") out.grow = true;
      else if (a == "-$" || a == "-!" || a == "-&") {
      } else if (a == "-b") {
        if (!value(out.tempPath)) return false;
      } else if (a == "-n") {
        if (!value(v)) return false;
        out.stored = SplitExtensions(v);
      } else if (a == "-t") {
        if (!value(v) || !ParseMmddyy(v, out.since)) return false;
        out.haveSince = true;
      } else if (a == "-i" && haveArchive) {
        list = kIncludes;
      } else if (a == "-x" && haveArchive) {
        list = kExcludes;
      } else {
        return false;
      }
    } else if (!haveArchive) {
      out.archive = std::string(a);
      haveArchive = true;
    } else if (list == kIncludes) {
      out.includes.emplace_back(a);
    } else if (list == kExcludes) {
      out.excludes.emplace_back(a);
    } else {
      out.files.emplace_back(a);
    }
  }
  return haveArchive && !out.archive.empty();
}

// One file or folder to store.
struct TCandidate {
  std::string source;
  std::string stored;
  bool dir = false;
  struct stat st {};
  bool replaces = false;  // takes the place of an entry of the old archive
  bool written = false;
};

// One entry of the existing archive.
struct TOldEntry {
  std::string name;
  int64_t mtime = 0;
  int replacedBy = -1;  // index into the candidates
};

// Joins the path's components without "", "." and "..", so that the stored
// name is relative and never climbs out.
std::string StoredName(const std::string& path) {
  std::string out;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    std::string part = path.substr(start, end - start);
    if (!part.empty() && part != "." && part != "..") {
      if (!out.empty()) out += '/';
      out += part;
    }
    start = end + 1;
  }
  return out;
}

std::string JoinPath(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  if (dir.back() == '/') return dir + name;
  return dir + "/" + name;
}

std::vector<std::string> ListFolder(const std::string& dir) {
  std::vector<std::string> names;
  DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
  if (d == nullptr) return names;
  while (dirent* e = ::readdir(d)) {
    std::string n = e->d_name;
    if (n != "." && n != "..") names.push_back(std::move(n));
  }
  ::closedir(d);
  std::sort(names.begin(), names.end());
  return names;
}

class TZipJob {
public:
  TZipJob(const TZipArgs& args, TEvents& events) : args_(args), events_(events) {}
  ~TZipJob();
  int Run();

private:
  static const char* PassphraseCallback(struct archive*, void* data) {
    auto* job = static_cast<TZipJob*>(data);
    if (job->passwordGiven_ || job->args_.password.empty()) return nullptr;
    job->passwordGiven_ = true;
    return job->args_.password.c_str();
  }

  void Fatal(int code) { throw TXcdFailure{code}; }
  void Collect();
  void AddPath(const std::string& path, bool named);
  void AddTree(const std::string& dir);
  void AddCandidate(const std::string& path, const struct stat& st, bool dir);
  void Skip(const std::string& name, int reason);
  bool Selected(const std::string& stored) const;

  struct archive* OpenOld();
  void ReadOldEntries();
  void Plan();
  void OpenOutput();
  void SetCompression(const std::string& name, bool isDir);
  bool WriteCandidate(TCandidate& c);
  void CopyOld(struct archive* in, struct archive_entry* entry);
  void WriteArchive();
  void Finish();
  void Move();

  const TZipArgs& args_;
  TEvents& events_;
  std::vector<TCandidate> candidates_;
  std::unordered_map<std::string, size_t> byStored_;
  std::set<std::pair<dev_t, ino_t>> visited_;
  std::vector<TOldEntry> old_;
  bool oldExists_ = false;
  struct stat oldSt_ {};
  bool skipped_ = false;
  bool warning_ = false;
  bool passwordGiven_ = false;
  int work_ = 0;

  struct archive* w_ = nullptr;
  int outFd_ = -1;
  std::string outPath_;
  bool outIsTemp_ = false;
  bool outDone_ = false;
  std::string compression_;
  std::vector<char> buffer_;
};

TZipJob::~TZipJob() {
  if (w_ != nullptr) archive_write_free(w_);
  if (outFd_ >= 0) ::close(outFd_);
  if (!outPath_.empty() && !outDone_) ::unlink(outPath_.c_str());
}

void TZipJob::Skip(const std::string& name, int reason) {
  skipped_ = true;
  XcdFileRecord r = MakeRecord(name, 0, 0, 0);
  r.reason = reason;
  if (!events_.Fire(XCD_EVENT_SKIPPING, r)) Fatal(XCD_CODE_ABORTED);
}

bool TZipJob::Selected(const std::string& stored) const {
  if (!args_.includes.empty() && !MatchesAny(args_.includes, stored)) return false;
  if (MatchesAny(args_.excludes, stored)) return false;
  return true;
}

void TZipJob::AddCandidate(const std::string& path, const struct stat& st, bool dir) {
  // The archive being written never goes into itself.
  if (oldExists_ && st.st_dev == oldSt_.st_dev && st.st_ino == oldSt_.st_ino) return;
  TCandidate c;
  c.source = path;
  c.dir = dir;
  c.st = st;
  c.stored = args_.junk ? BaseName(path) : StoredName(path);
  if (c.stored.empty()) return;
  if (!dir) {
    if (!Selected(c.stored)) return;
    if (args_.haveSince && st.st_mtime < args_.since) return;
  }
  if (dir) c.stored += '/';
  auto it = byStored_.find(c.stored);
  if (it != byStored_.end()) {
    const TCandidate& other = candidates_[it->second];
    if (other.st.st_dev == st.st_dev && other.st.st_ino == st.st_ino) return;
    if (dir && other.dir) return;
    Fatal(XCD_CODE_REPEATED_NAMES);
  }
  byStored_.emplace(c.stored, candidates_.size());
  candidates_.push_back(std::move(c));
}

void TZipJob::AddTree(const std::string& dir) {
  struct stat st;
  if (::stat(dir.c_str(), &st) != 0) return;
  // A link back up the tree must not recurse for ever.
  if (!visited_.emplace(st.st_dev, st.st_ino).second) return;
  if (args_.dirEntries && !args_.junk) AddCandidate(dir, st, true);
  for (const std::string& name : ListFolder(dir)) {
    if (!args_.hidden && name[0] == '.') continue;
    AddPath(JoinPath(dir, name), false);
  }
}

// `named`: the path was given as it stands, not found by a wildcard or a
// walk; such a file is taken even when hidden, and its absence is reported.
void TZipJob::AddPath(const std::string& path, bool named) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) {
    if (named) Skip(StoredName(path), XCD_SKIP_UNREADABLE);
    return;
  }
  if (S_ISDIR(st.st_mode)) {
    if (args_.recurse) AddTree(path);
    else if (args_.dirEntries && !args_.junk) AddCandidate(path, st, true);
    return;
  }
  if (S_ISREG(st.st_mode)) AddCandidate(path, st, false);
}

void TZipJob::Collect() {
  for (const std::string& entry : args_.files) {
    std::string base = BaseName(entry);
    if (!HasWildcards(base)) {
      AddPath(entry, true);
      continue;
    }
    size_t slash = entry.rfind('/');
    std::string dir = slash == std::string::npos ? std::string() : entry.substr(0, slash + 1);
    for (const std::string& name : ListFolder(dir)) {
      if (!WildcardMatch(base, name)) continue;
      if (!args_.hidden && name[0] == '.') continue;
      AddPath(dir + name, false);
    }
  }
}

struct archive* TZipJob::OpenOld() {
  struct archive* r = archive_read_new();
  if (r == nullptr) Fatal(XCD_CODE_OUT_OF_MEMORY);
  archive_read_support_format_zip(r);
  archive_read_set_passphrase_callback(r, this, &TZipJob::PassphraseCallback);
  if (archive_read_open_filename(r, args_.archive.c_str(), kIoBufferSize) != ARCHIVE_OK) {
    int code = CodeFromArchive(r, XCD_CODE_CORRUPT);
    archive_read_free(r);
    Fatal(code == XCD_CODE_OUT_OF_MEMORY ? code : XCD_CODE_CORRUPT);
  }
  return r;
}

void TZipJob::ReadOldEntries() {
  if (!oldExists_ || oldSt_.st_size == 0) return;
  struct archive* r = OpenOld();
  for (;;) {
    struct archive_entry* e = nullptr;
    int rc = archive_read_next_header(r, &e);
    if (rc == ARCHIVE_EOF) break;
    if (rc < ARCHIVE_WARN) {
      archive_read_free(r);
      Fatal(XCD_CODE_CORRUPT);
    }
    const char* n = archive_entry_pathname(e);
    TOldEntry o;
    o.name = n != nullptr ? n : "";
    o.mtime = archive_entry_mtime(e);
    old_.push_back(std::move(o));
  }
  archive_read_free(r);
}

// Decides which candidates are written, and which old entries they replace.
void TZipJob::Plan() {
  std::unordered_map<std::string, size_t> exact, folded;
  for (size_t i = 0; i < old_.size(); ++i) {
    exact.emplace(old_[i].name, i);
    folded.emplace(AsciiLower(old_[i].name), i);
  }
  std::vector<TCandidate> chosen;
  for (TCandidate& c : candidates_) {
    size_t index = old_.size();
    if (auto it = exact.find(c.stored); it != exact.end()) index = it->second;
    else if (auto f = folded.find(AsciiLower(c.stored)); f != folded.end()) index = f->second;
    const bool inOld = index < old_.size();
    if (c.dir) {
      if (inOld || args_.mode == 1) continue;
      chosen.push_back(std::move(c));
      continue;
    }
    if (inOld) {
      TOldEntry& o = old_[index];
      // Stored times have a resolution of two seconds.
      bool newer = static_cast<int64_t>(c.st.st_mtime) > o.mtime + 1;
      if (args_.mode != 0 && !newer) continue;
      if (o.replacedBy >= 0) continue;
      o.replacedBy = static_cast<int>(chosen.size());
      c.replaces = true;
    } else if (args_.mode == 1) {
      continue;
    }
    chosen.push_back(std::move(c));
  }
  candidates_ = std::move(chosen);
  work_ = static_cast<int>(candidates_.size());
}

void TZipJob::OpenOutput() {
  if (args_.grow && !oldExists_) {
    outPath_ = args_.archive;
    outFd_ = ::open(outPath_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (outFd_ < 0) {
      int err = errno;
      outPath_.clear();
      Fatal(CodeFromErrno(err, XCD_CODE_ACCESS));
    }
  } else {
    std::string dir = args_.tempPath;
    if (dir.empty()) {
      size_t slash = args_.archive.rfind('/');
      dir = slash == std::string::npos ? std::string(".") : args_.archive.substr(0, slash + 1);
    }
    for (int attempt = 0; attempt < 16 && outFd_ < 0; ++attempt) {
      outPath_ = JoinPath(dir, TempName("xcdzip"));
      outFd_ = ::open(outPath_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
      if (outFd_ < 0 && errno != EEXIST) break;
    }
    if (outFd_ < 0) {
      int err = errno;
      outPath_.clear();
      Fatal(CodeFromErrno(err, XCD_CODE_TEMP_FILE));
    }
    outIsTemp_ = true;
  }

  w_ = archive_write_new();
  if (w_ == nullptr) Fatal(XCD_CODE_OUT_OF_MEMORY);
  archive_write_set_format_zip(w_);
  archive_write_set_bytes_per_block(w_, static_cast<int>(kIoBufferSize));
  archive_write_set_bytes_in_last_block(w_, 1);
  if (args_.level > 0) {
    std::string level = std::to_string(args_.level);
    archive_write_set_format_option(w_, "zip", "compression-level", level.c_str());
  }
  if (args_.encrypt && !args_.password.empty()) {
    if (archive_write_set_format_option(w_, "zip", "encryption", "zipcrypt") != ARCHIVE_OK ||
        archive_write_set_passphrase(w_, args_.password.c_str()) != ARCHIVE_OK)
      Fatal(XCD_CODE_BAD_ARGUMENTS);
  }
  if (archive_write_open_fd(w_, outFd_) != ARCHIVE_OK) Fatal(CodeFromArchive(w_, XCD_CODE_TEMP_FILE));
}

void TZipJob::SetCompression(const std::string& name, bool isDir) {
  std::string wanted = (args_.level == 0 || isDir || HasExtension(name, args_.stored)) ? "store" : "deflate";
  if (wanted == compression_) return;
  // Format options are fixed once the archive is open; these two calls are not.
  if (wanted == "store") archive_write_zip_set_compression_store(w_);
  else archive_write_zip_set_compression_deflate(w_);
  compression_ = wanted;
}

// Writes one file or folder; false when the file cannot be opened (nothing
// was written then).
bool TZipJob::WriteCandidate(TCandidate& c) {
  int fd = -1;
  struct stat st = c.st;
  if (!c.dir) {
    fd = ::open(c.source.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      if (fd >= 0) ::close(fd);
      Skip(c.stored, XCD_SKIP_UNREADABLE);
      return false;
    }
  }
  struct FdCloser {
    int fd;
    ~FdCloser() {
      if (fd >= 0) ::close(fd);
    }
  } closer{fd};

  const uint64_t size = c.dir ? 0 : static_cast<uint64_t>(st.st_size);
  uint32_t attr = c.dir ? XCD_ATTR_DIRECTORY : XCD_ATTR_ARCHIVE;
  if ((st.st_mode & 0222) == 0) attr |= XCD_ATTR_READONLY;
  if (IsHiddenName(c.stored)) attr |= XCD_ATTR_HIDDEN;
  XcdFileRecord rec = MakeRecord(c.stored, size, st.st_mtime, attr);
  if (!events_.Fire(c.replaces ? XCD_EVENT_UPDATING : XCD_EVENT_ADDING, rec)) Fatal(XCD_CODE_ABORTED);

  struct archive_entry* e = archive_entry_new();
  if (e == nullptr) Fatal(XCD_CODE_OUT_OF_MEMORY);
  struct EntryFree {
    struct archive_entry* e;
    ~EntryFree() { archive_entry_free(e); }
  } entryFree{e};
  archive_entry_set_pathname(e, c.stored.c_str());
  archive_entry_set_filetype(e, c.dir ? AE_IFDIR : AE_IFREG);
  archive_entry_set_perm(e, st.st_mode & 0777);
  archive_entry_set_mtime(e, st.st_mtime, st.st_mtim.tv_nsec);
  archive_entry_set_size(e, static_cast<la_int64_t>(size));
  SetCompression(c.stored, c.dir);
  if (archive_write_header(w_, e) != ARCHIVE_OK) Fatal(CodeFromArchive(w_, XCD_CODE_TEMP_FILE));

  uint64_t done = 0;
  while (!c.dir && done < size) {
    size_t want = static_cast<size_t>(std::min<uint64_t>(buffer_.size(), size - done));
    ssize_t n = ::read(fd, buffer_.data(), want);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) Fatal(XCD_CODE_ACCESS);  // the entry cannot be taken back once begun
    if (n == 0) break;                   // the file shrank while it was read
    if (archive_write_data(w_, buffer_.data(), static_cast<size_t>(n)) < 0)
      Fatal(CodeFromArchive(w_, XCD_CODE_TEMP_FILE));
    done += static_cast<uint64_t>(n);
    rec.bytesProcessed = done;
    rec.percent = Percent(done, size);
    if (!events_.Fire(XCD_EVENT_STATUS, rec)) Fatal(XCD_CODE_ABORTED);
  }
  if (size == 0) {
    rec.percent = 100;
    if (!events_.Fire(XCD_EVENT_STATUS, rec)) Fatal(XCD_CODE_ABORTED);
  }
  if (archive_write_finish_entry(w_) != ARCHIVE_OK) Fatal(CodeFromArchive(w_, XCD_CODE_TEMP_FILE));
  c.written = true;
  return true;
}

void TZipJob::CopyOld(struct archive* in, struct archive_entry* entry) {
  const char* n = archive_entry_pathname(entry);
  SetCompression(n != nullptr ? n : "", archive_entry_filetype(entry) == AE_IFDIR);
  if (archive_write_header(w_, entry) != ARCHIVE_OK) Fatal(CodeFromArchive(w_, XCD_CODE_TEMP_FILE));
  for (;;) {
    la_ssize_t got = archive_read_data(in, buffer_.data(), buffer_.size());
    if (got == 0) break;
    if (got < 0) Fatal(archive_entry_is_encrypted(entry) ? XCD_CODE_ACCESS : XCD_CODE_CORRUPT);
    if (archive_write_data(w_, buffer_.data(), static_cast<size_t>(got)) < 0)
      Fatal(CodeFromArchive(w_, XCD_CODE_TEMP_FILE));
    if (events_.Aborted()) Fatal(XCD_CODE_ABORTED);
  }
  if (archive_write_finish_entry(w_) != ARCHIVE_OK) Fatal(CodeFromArchive(w_, XCD_CODE_TEMP_FILE));
}

void TZipJob::WriteArchive() {
  buffer_.resize(kIoBufferSize);
  OpenOutput();
  if (!old_.empty()) {
    struct archive* in = OpenOld();
    struct ReadFree {
      struct archive* a;
      ~ReadFree() { archive_read_free(a); }
    } readFree{in};
    for (size_t i = 0;; ++i) {
      struct archive_entry* e = nullptr;
      int rc = archive_read_next_header(in, &e);
      if (rc == ARCHIVE_EOF) break;
      if (rc < ARCHIVE_WARN || i >= old_.size()) Fatal(XCD_CODE_CORRUPT);
      int by = old_[i].replacedBy;
      if (by >= 0 && WriteCandidate(candidates_[static_cast<size_t>(by)])) continue;
      CopyOld(in, e);
    }
  }
  for (TCandidate& c : candidates_)
    if (!c.replaces) WriteCandidate(c);
  if (archive_write_close(w_) != ARCHIVE_OK) Fatal(CodeFromArchive(w_, XCD_CODE_TEMP_FILE));
}

// Makes the written archive durable and puts it in place of the old one.
void TZipJob::Finish() {
  if (::fsync(outFd_) != 0 && errno != EINVAL) Fatal(CodeFromErrno(errno, XCD_CODE_TEMP_FILE));
  int fd = outFd_;
  outFd_ = -1;
  if (::close(fd) != 0) Fatal(CodeFromErrno(errno, XCD_CODE_TEMP_FILE));
  if (outIsTemp_) {
    if (oldExists_) ::chmod(outPath_.c_str(), oldSt_.st_mode & 07777);
    else {
      mode_t mask = ::umask(022);
      ::umask(mask);
      ::chmod(outPath_.c_str(), 0666 & ~mask);
    }
    if (::rename(outPath_.c_str(), args_.archive.c_str()) != 0) {
      if (errno != EXDEV) Fatal(XCD_CODE_TEMP_FILE);
      // The temporary folder lies on another file system: copy beside the archive first.
      size_t slash = args_.archive.rfind('/');
      std::string dir = slash == std::string::npos ? std::string(".") : args_.archive.substr(0, slash + 1);
      std::string near = JoinPath(dir, TempName("xcdzip"));
      int src = ::open(outPath_.c_str(), O_RDONLY | O_CLOEXEC);
      int dst = ::open(near.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
      bool ok = src >= 0 && dst >= 0;
      int err = 0;
      while (ok) {
        ssize_t n = ::read(src, buffer_.data(), buffer_.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
          ok = n == 0;
          break;
        }
        if (!WriteAll(dst, buffer_.data(), static_cast<size_t>(n))) {
          err = errno;
          ok = false;
        }
      }
      if (ok && ::fsync(dst) != 0 && errno != EINVAL) {
        err = errno;
        ok = false;
      }
      struct stat st;
      if (ok && ::stat(outPath_.c_str(), &st) == 0) ::fchmod(dst, st.st_mode & 07777);
      if (src >= 0) ::close(src);
      if (dst >= 0 && ::close(dst) != 0) ok = false;
      if (!ok || ::rename(near.c_str(), args_.archive.c_str()) != 0) {
        ::unlink(near.c_str());
        Fatal(CodeFromErrno(err, XCD_CODE_TEMP_FILE));
      }
      ::unlink(outPath_.c_str());
    }
  }
  outDone_ = true;
}

void TZipJob::Move() {
  std::vector<std::string> folders;
  for (const TCandidate& c : candidates_) {
    if (!c.written) continue;
    if (c.dir) {
      folders.push_back(c.source);
      continue;
    }
    XcdFileRecord rec = MakeRecord(c.stored, static_cast<uint64_t>(c.st.st_size), c.st.st_mtime, 0);
    if (!events_.Fire(XCD_EVENT_DELETING, rec)) return;
    if (::unlink(c.source.c_str()) != 0) warning_ = true;
  }
  // Deepest folders first; one that still holds files stays.
  std::sort(folders.begin(), folders.end(), [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
  for (const std::string& f : folders) ::rmdir(f.c_str());
}

int TZipJob::Run() {
  if (args_.mode == 1 && ::access(args_.archive.c_str(), F_OK) != 0) return XCD_CODE_NOT_FOUND;
  if (::stat(args_.archive.c_str(), &oldSt_) == 0) {
    if (!S_ISREG(oldSt_.st_mode)) return XCD_CODE_ACCESS;
    oldExists_ = true;
  }
  Collect();
  if (candidates_.empty()) return XCD_CODE_NOTHING_TO_DO;
  ReadOldEntries();
  Plan();
  if (work_ == 0) return XCD_CODE_NOTHING_TO_DO;
  WriteArchive();
  if (events_.Aborted()) return XCD_CODE_ABORTED;
  Finish();
  if (args_.move) Move();
  if (events_.Aborted()) return XCD_CODE_ABORTED;
  if (skipped_) return XCD_CODE_SKIPPED;
  if (warning_) return XCD_CODE_WARNING;
  return XCD_CODE_SUCCESS;
}

}  // namespace
}  // namespace korrin::xcd

XCD_EXPORT int32_t xcdzip(int32_t version, int32_t argc, const char* const* argv, XcdCallback callback, void* user) {
  using namespace korrin::xcd;
  return RunEntry<TZipArgs, TZipJob>(g_busy, version, argc, argv, callback, user, XCD_CODE_ACCESS);
}
