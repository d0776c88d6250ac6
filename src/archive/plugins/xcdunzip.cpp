// The unpacking plugin: lists and extracts the entries of any archive format
// libarchive reads (ZIP, 7-Zip, RAR, LHA, tar, cab, ...).
//
// Vector: password, then switches and names in any order:
//   -v list (event 80) instead of extracting
//   -f freshen (only files that exist and are older), -u update (new or older)
//   -j drop stored folders   -! multi-disk archive (accepted; one volume)
//   -n never overwrite       -o always overwrite (neither: ask, event 10)
//   -d FOLDER extract folder (created when missing; default the current one)
// The first name is the archive, the others are patterns (none: every entry).
//
// Safety: entries with absolute names, "..", a drive prefix, links and
// device entries are never written (skipped, code 40). An entry declared or
// found to expand beyond 4 GiB, or beyond 1000 times its packed size (when it
// exceeds 1 MiB), and an archive whose decompressed bytes exceed 1000 times
// its own size, are refused as corrupt (code 110); the entries passed over
// count as well, since passing over a compressed stream decompresses it.
// When folders are dropped (-j), the first entry of a name (without regard
// to case) is kept, except that an entry at the archive's root replaces one
// from a folder: later entries of the same name are passed over (code 40). Every file is written under a
// temporary name and renamed into place once complete, so a failed entry
// leaves the previous file untouched. Folders are walked with descriptors and
// never through a symbolic link found on disk.

#include <archive.h>
#include <archive_entry.h>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <unordered_map>
#include <vector>

#include "archive/plugins/common.h"

namespace korrin::xcd {
namespace {

constexpr uint64_t kMaxEntrySize = 4ull << 30;
constexpr uint64_t kMaxRatio = 1000;
constexpr uint64_t kRatioFloor = 1u << 20;
constexpr int kMaxPasswordAsks = 3;

int g_busy = 0;

struct TUnzipArgs {
  std::string password;
  bool list = false, freshen = false, update = false, junk = false;
  bool never = false, always = false;
  std::string archive;
  std::vector<std::string> patterns;
  std::string folder;
};

bool ParseArgs(int argc, const char* const* argv, TUnzipArgs& out) {
  if (argc < 2 || argv == nullptr || argv[0] == nullptr) return false;
  out.password = argv[0];
  bool haveArchive = false;
  for (int i = 1; i < argc; ++i) {
    if (argv[i] == nullptr) return false;
    std::string_view a = argv[i];
    if (a.size() >= 2 && a[0] == '-') {
      if (a == "-v") out.list = true;
      else if (a == "-f") out.freshen = true;
      else if (a == "-u") out.update = true;
      else if (a == "-j") out.junk = true;
      else if (a == "-!") {
      } else if (a == "-n") out.never = true;
      else if (a == "-o") out.always = true;
      else if (a == "-d") {
        if (++i >= argc || argv[i] == nullptr) return false;
        out.folder = argv[i];
      } else {
        return false;
      }
    } else if (!haveArchive) {
      out.archive = std::string(a);
      haveArchive = true;
    } else {
      out.patterns.emplace_back(a);
    }
  }
  return haveArchive && !out.archive.empty();
}

// Closes a descriptor on scope exit.
struct TFdCloser {
  int fd = -1;
  ~TFdCloser() {
    if (fd >= 0) ::close(fd);
  }
};

// The folders below the extract folder, opened by descriptor one component
// at a time (never following a link), with their names for lookups without
// regard to case.
class TTargetTree {
public:
  explicit TTargetTree(int root) { folders_[""].fd = root; }
  ~TTargetTree() {
    for (auto& [key, f] : folders_)
      if (f.fd >= 0) ::close(f.fd);
  }

  struct TFolder {
    int fd = -1;
    bool listed = false;
    std::unordered_map<std::string, std::string> names;  // lower case -> name on disk
  };

  // The folder made of the first `count` components, created when `create`;
  // nullptr (errno set) when it cannot be opened or is not a folder.
  TFolder* Folder(const std::vector<std::string>& parts, size_t count, bool create) {
    if (folders_.size() > 64) Trim();
    std::string key;
    TFolder* cur = &folders_[""];
    for (size_t i = 0; i < count; ++i) {
      std::string name = Existing(*cur, parts[i]);
      bool made = false;
      if (name.empty()) {
        if (!create) {
          errno = ENOENT;
          return nullptr;
        }
        name = parts[i];
        if (::mkdirat(cur->fd, name.c_str(), 0777) != 0 && errno != EEXIST) return nullptr;
        made = true;
      }
      std::string childKey = key.empty() ? name : key + "/" + name;
      auto it = folders_.find(childKey);
      if (it == folders_.end()) {
        int fd = ::openat(cur->fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) return nullptr;
        if (made) Added(*cur, name);
        cur = &folders_[childKey];
        cur->fd = fd;
        if (made) cur->listed = true;  // a new folder is empty
      } else {
        cur = &it->second;
      }
      key = childKey;
    }
    return cur;
  }

  // The name on disk of `name` in the folder, whatever its case; empty when none.
  std::string Existing(TFolder& f, const std::string& name) {
    struct stat st;
    if (::fstatat(f.fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) return name;
    if (!f.listed) List(f);
    auto it = f.names.find(AsciiLower(name));
    return it == f.names.end() ? std::string() : it->second;
  }

  void Added(TFolder& f, const std::string& name) {
    if (f.listed) f.names.emplace(AsciiLower(name), name);
  }

private:
  void List(TFolder& f) {
    f.listed = true;
    int fd = ::dup(f.fd);
    if (fd < 0) return;
    DIR* d = ::fdopendir(fd);
    if (d == nullptr) {
      ::close(fd);
      return;
    }
    ::rewinddir(d);
    while (dirent* e = ::readdir(d)) {
      std::string n = e->d_name;
      if (n == "." || n == "..") continue;
      f.names.emplace(AsciiLower(n), n);
    }
    ::closedir(d);
  }

  // Keeps the number of open descriptors bounded for archives with many folders.
  void Trim() {
    for (auto it = folders_.begin(); it != folders_.end();) {
      if (it->first.empty()) {
        ++it;
        continue;
      }
      ::close(it->second.fd);
      it = folders_.erase(it);
    }
  }

  std::map<std::string, TFolder> folders_;
};

class TUnzipJob {
public:
  TUnzipJob(const TUnzipArgs& args, TEvents& events) : args_(args), events_(events) {}
  ~TUnzipJob() {
    if (a_ != nullptr) archive_read_free(a_);
  }

  int Run();

private:
  static const char* PassphraseCallback(struct archive*, void* data) {
    return static_cast<TUnzipJob*>(data)->NextPassphrase();
  }
  const char* NextPassphrase();

  void OpenArchive();
  bool ExtractEntry(struct archive_entry* entry, const std::string& name, const TZipSizes* sizes);
  bool WriteFile(struct archive_entry* entry, TTargetTree::TFolder& folder, const std::string& target,
                 const std::string& name, uint64_t packed);
  void Skip(const std::string& name, uint64_t size, int reason, bool counts);
  // Counts decompressed bytes against the archive's limit; false (corrupt)
  // once beyond it.
  bool CountOut(uint64_t size);
  // Reads what is left of the current entry's data, counting it; false when
  // the archive is corrupt or beyond the limit. ZIP entries are passed over
  // by seeking, without decompressing.
  bool PassOver(struct archive_entry* entry);
  void Fatal(int code) { throw TXcdFailure{code}; }
  uint32_t Attributes(struct archive_entry* entry, const std::string& name) const;

  const TUnzipArgs& args_;
  TEvents& events_;
  struct archive* a_ = nullptr;
  std::unique_ptr<TTargetTree> tree_;
  uint64_t archiveSize_ = 0;
  uint64_t totalOut_ = 0;
  int matched_ = 0;
  bool zip_ = false;
  bool lastWritten_ = false;  // the last WriteFile put its file in place
  // -j: the folder depth of the entry written for each lower-case name.
  std::unordered_map<std::string, size_t> writtenDepth_;
  bool skipped_ = false;
  bool corrupt_ = false;
  mode_t umask_ = 022;
  // Passwords: the one of the vector first, then up to kMaxPasswordAsks answers per entry.
  std::string currentName_;
  int entryIndex_ = 0;
  int askedEntry_ = -1;
  int asks_ = 0;
  bool vectorPasswordGiven_ = false;
  std::string answer_;
};

const char* TUnzipJob::NextPassphrase() {
  if (!vectorPasswordGiven_) {
    vectorPasswordGiven_ = true;
    if (!args_.password.empty()) return args_.password.c_str();
  }
  if (askedEntry_ != entryIndex_) {
    askedEntry_ = entryIndex_;
    asks_ = 0;
  }
  if (asks_ >= kMaxPasswordAsks || events_.Aborted()) return nullptr;
  ++asks_;
  char buffer[1024] = {0};
  XcdFileRecord r = MakeRecord(currentName_, 0, 0, 0);
  r.encrypted = 1;
  r.text = buffer;
  r.textSize = sizeof buffer;
  if (!events_.Fire(XCD_EVENT_PASSWORD, r)) return nullptr;
  buffer[sizeof buffer - 1] = 0;
  answer_ = buffer;
  if (answer_.empty()) return nullptr;
  return answer_.c_str();
}

void TUnzipJob::OpenArchive() {
  struct stat st;
  if (::stat(args_.archive.c_str(), &st) != 0) Fatal(errno == ENOENT || errno == ENOTDIR ? XCD_CODE_NOT_FOUND : XCD_CODE_ACCESS);
  if (!S_ISREG(st.st_mode)) Fatal(S_ISDIR(st.st_mode) ? XCD_CODE_NOT_FOUND : XCD_CODE_ACCESS);
  if (::access(args_.archive.c_str(), R_OK) != 0) Fatal(XCD_CODE_ACCESS);
  archiveSize_ = static_cast<uint64_t>(st.st_size);

  a_ = archive_read_new();
  if (a_ == nullptr) Fatal(XCD_CODE_OUT_OF_MEMORY);
  // The formats are named one by one: the catch-all would also accept mtree
  // texts, which name files on this machine to read.
  archive_read_support_format_zip(a_);
  archive_read_support_format_7zip(a_);
  archive_read_support_format_rar(a_);
  archive_read_support_format_rar5(a_);
  archive_read_support_format_lha(a_);
  archive_read_support_format_tar(a_);
  archive_read_support_format_cpio(a_);
  archive_read_support_format_cab(a_);
  archive_read_support_format_ar(a_);
  archive_read_support_format_iso9660(a_);
  archive_read_support_format_xar(a_);
  archive_read_support_filter_gzip(a_);
  archive_read_support_filter_bzip2(a_);
  archive_read_support_filter_xz(a_);
  archive_read_support_filter_lzma(a_);
  archive_read_support_filter_lzip(a_);
  archive_read_support_filter_zstd(a_);
  archive_read_support_filter_lz4(a_);
  archive_read_support_filter_compress(a_);
  archive_read_set_passphrase_callback(a_, this, &TUnzipJob::PassphraseCallback);
  if (archive_read_open_filename(a_, args_.archive.c_str(), kIoBufferSize) != ARCHIVE_OK)
    Fatal(CodeFromArchive(a_, XCD_CODE_CORRUPT) == XCD_CODE_OUT_OF_MEMORY ? XCD_CODE_OUT_OF_MEMORY
                                                                           : XCD_CODE_CORRUPT);
}

uint32_t TUnzipJob::Attributes(struct archive_entry* entry, const std::string& name) const {
  uint32_t attr = 0;
  if (archive_entry_filetype(entry) == AE_IFDIR) attr |= XCD_ATTR_DIRECTORY;
  else attr |= XCD_ATTR_ARCHIVE;
  if ((archive_entry_perm(entry) & 0222) == 0 && archive_entry_perm(entry) != 0) attr |= XCD_ATTR_READONLY;
  if (IsHiddenName(name)) attr |= XCD_ATTR_HIDDEN;
  return attr;
}

void TUnzipJob::Skip(const std::string& name, uint64_t size, int reason, bool counts) {
  if (counts) skipped_ = true;
  XcdFileRecord r = MakeRecord(name, size, 0, 0);
  r.reason = reason;
  events_.Fire(XCD_EVENT_SKIPPING, r);
}

bool TUnzipJob::CountOut(uint64_t size) {
  totalOut_ += size;
  if (totalOut_ > kRatioFloor && totalOut_ > kMaxRatio * archiveSize_) corrupt_ = true;
  return !corrupt_;
}

bool TUnzipJob::PassOver(struct archive_entry* entry) {
  if (zip_) return true;
  if (archive_entry_size_is_set(entry) && static_cast<uint64_t>(archive_entry_size(entry)) > kMaxEntrySize) {
    corrupt_ = true;
    return false;
  }
  uint64_t pos = 0;
  for (;;) {
    const void* buf = nullptr;
    size_t size = 0;
    la_int64_t offset = 0;
    int r = archive_read_data_block(a_, &buf, &size, &offset);
    if (r == ARCHIVE_EOF) return true;
    // Data that cannot be read is no reason to stop here: the next header tells.
    if (r != ARCHIVE_OK) return r != ARCHIVE_FATAL || (corrupt_ = true, false);
    pos += size;
    if (pos > kMaxEntrySize) corrupt_ = true;
    if (!CountOut(size)) return false;
  }
}

int TUnzipJob::Run() {
  OpenArchive();
  if (!args_.list) {
    std::string folder = args_.folder.empty() ? std::string(".") : args_.folder;
    // Create the extract folder with its parents.
    std::string partial;
    for (size_t i = 0; i <= folder.size(); ++i) {
      if (i == folder.size() || folder[i] == '/') {
        if (!partial.empty()) ::mkdir(partial.c_str(), 0777);
      }
      if (i < folder.size()) partial += folder[i];
    }
    int root = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (root < 0) Fatal(XCD_CODE_ACCESS);
    tree_ = std::make_unique<TTargetTree>(root);
    umask_ = ::umask(022);
    ::umask(umask_);
  }

  bool zip = false;
  bool zipRead = false;
  std::unordered_multimap<std::string, TZipSizes> zipSizes;

  for (;; ++entryIndex_) {
    struct archive_entry* entry = nullptr;
    int r = archive_read_next_header(a_, &entry);
    if (events_.Aborted()) Fatal(XCD_CODE_ABORTED);
    if (r == ARCHIVE_EOF) break;
    if (r == ARCHIVE_FATAL) {
      if (CodeFromArchive(a_, 0) == XCD_CODE_OUT_OF_MEMORY) Fatal(XCD_CODE_OUT_OF_MEMORY);
      corrupt_ = true;
      break;
    }
    if (r == ARCHIVE_FAILED || r == ARCHIVE_RETRY) {
      corrupt_ = true;
      continue;
    }
    if (!zipRead) {
      zipRead = true;
      zip = zip_ = (archive_format(a_) & ARCHIVE_FORMAT_BASE_MASK) == ARCHIVE_FORMAT_ZIP;
      if (zip) zipSizes = ReadZipDirectory(args_.archive);
    }
    const char* rawName = archive_entry_pathname(entry);
    if (rawName == nullptr) rawName = archive_entry_pathname_utf8(entry);
    std::string name = NameToUtf8(rawName != nullptr ? rawName : "");
    currentName_ = name;

    TZipSizes found;
    const TZipSizes* sizes = nullptr;
    if (zip) {
      auto it = zipSizes.find(name);
      if (it != zipSizes.end()) {
        found = it->second;
        sizes = &found;
        zipSizes.erase(it);
      }
    }

    const bool isDir = archive_entry_filetype(entry) == AE_IFDIR;
    std::string matchName = name;
    while (!matchName.empty() && matchName.back() == '/') matchName.pop_back();
    if (!args_.patterns.empty() && !MatchesAny(args_.patterns, matchName)) {
      if (!PassOver(entry)) break;
      continue;
    }

    if (args_.list) {
      if (isDir) continue;
      ++matched_;
      uint64_t size = archive_entry_size_is_set(entry) ? static_cast<uint64_t>(archive_entry_size(entry)) : 0;
      XcdFileRecord rec = MakeRecord(name, size, archive_entry_mtime(entry), Attributes(entry, name));
      rec.compressedSize = sizes != nullptr ? sizes->compressed : 0;
      rec.encrypted = archive_entry_is_encrypted(entry) ? 1 : 0;
      if (!events_.Fire(XCD_EVENT_LISTING, rec)) Fatal(XCD_CODE_ABORTED);
      if (!PassOver(entry)) break;
      continue;
    }
    if (!isDir) ++matched_;
    if (!ExtractEntry(entry, name, sizes) || !PassOver(entry)) break;
  }

  if (events_.Aborted()) return XCD_CODE_ABORTED;
  if (corrupt_) return XCD_CODE_CORRUPT;
  if (skipped_) return XCD_CODE_SKIPPED;
  if (matched_ == 0) return XCD_CODE_NOTHING_TO_DO;
  return XCD_CODE_SUCCESS;
}

// Extracts one entry; false stops the whole extraction.
bool TUnzipJob::ExtractEntry(struct archive_entry* entry, const std::string& name, const TZipSizes* sizes) {
  const mode_t type = archive_entry_filetype(entry);
  const uint64_t declared = archive_entry_size_is_set(entry) ? static_cast<uint64_t>(archive_entry_size(entry)) : 0;

  std::vector<std::string> parts;
  if (!SafeComponents(name, parts)) {
    Skip(name, declared, XCD_SKIP_UNSAFE_NAME, true);
    return true;
  }
  if (type == AE_IFDIR) {
    if (args_.junk) return true;
    if (tree_->Folder(parts, parts.size(), true) == nullptr) Skip(name, 0, XCD_SKIP_WRITE, true);
    return true;
  }
  if (type != AE_IFREG || archive_entry_hardlink(entry) != nullptr || archive_entry_symlink(entry) != nullptr) {
    Skip(name, declared, XCD_SKIP_LINK, true);
    return true;
  }

  // Absurd sizes stop the whole extraction: such an archive is built to harm.
  uint64_t packed = sizes != nullptr ? sizes->compressed : 0;
  uint64_t expected = std::max(declared, sizes != nullptr ? sizes->uncompressed : 0);
  if (expected > kMaxEntrySize) {
    corrupt_ = true;
    return false;
  }
  if (sizes != nullptr && expected > kRatioFloor && expected > kMaxRatio * packed) {
    corrupt_ = true;
    return false;
  }

  size_t dirCount = args_.junk ? 0 : parts.size() - 1;
  std::string key;
  if (args_.junk) {
    key = AsciiLower(parts.back());
    auto seen = writtenDepth_.find(key);
    if (seen != writtenDepth_.end() && !(parts.size() == 1 && seen->second > 1)) {
      Skip(name, declared, XCD_SKIP_EXISTS, false);
      return true;
    }
  }
  TTargetTree::TFolder* folder = tree_->Folder(parts, dirCount, true);
  if (folder == nullptr) {
    if (errno == ENOSPC || errno == EDQUOT) Fatal(XCD_CODE_DISK_FULL);
    Skip(name, declared, XCD_SKIP_WRITE, true);
    return true;
  }
  const std::string& leaf = parts.back();
  std::string existing = tree_->Existing(*folder, leaf);
  std::string target = existing.empty() ? leaf : existing;
  struct stat st;
  bool exists = !existing.empty() && ::fstatat(folder->fd, target.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
  if (exists && S_ISDIR(st.st_mode)) {
    Skip(name, declared, XCD_SKIP_WRITE, true);
    return true;
  }
  const int64_t mtime = archive_entry_mtime_is_set(entry) ? archive_entry_mtime(entry) : 0;
  if (args_.freshen && !exists) return true;
  if ((args_.freshen || args_.update) && exists && mtime <= st.st_mtim.tv_sec) return true;
  if (exists && !args_.always) {
    bool replace = false;
    if (!args_.never) {
      XcdFileRecord r = MakeRecord(name, declared, mtime, Attributes(entry, name));
      r.compressedSize = packed;
      if (!events_.Fire(XCD_EVENT_REPLACE, r)) Fatal(XCD_CODE_ABORTED);
      replace = r.answer == 1;
    }
    if (!replace) {
      Skip(name, declared, XCD_SKIP_EXISTS, false);
      return true;
    }
  }
  lastWritten_ = false;
  const bool goOn = WriteFile(entry, *folder, target, name, packed);
  if (args_.junk && lastWritten_) writtenDepth_[key] = parts.size();
  return goOn;
}

bool TUnzipJob::WriteFile(struct archive_entry* entry, TTargetTree::TFolder& folder, const std::string& target,
                          const std::string& name, uint64_t packed) {
  const uint64_t declared = archive_entry_size_is_set(entry) ? static_cast<uint64_t>(archive_entry_size(entry)) : 0;
  const int64_t mtime = archive_entry_mtime_is_set(entry) ? archive_entry_mtime(entry) : 0;
  XcdFileRecord rec = MakeRecord(name, declared, mtime, Attributes(entry, name));
  rec.compressedSize = packed;
  rec.encrypted = archive_entry_is_encrypted(entry) ? 1 : 0;
  if (!events_.Fire(XCD_EVENT_EXTRACTING, rec)) Fatal(XCD_CODE_ABORTED);

  std::string temp = TempName("xcd");
  TFdCloser out;
  out.fd = ::openat(folder.fd, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (out.fd < 0) {
    if (errno == ENOSPC || errno == EDQUOT) Fatal(XCD_CODE_DISK_FULL);
    Skip(name, declared, XCD_SKIP_WRITE, true);
    return true;
  }
  auto discard = [&]() {
    ::close(out.fd);
    out.fd = -1;
    ::unlinkat(folder.fd, temp.c_str(), 0);
  };

  uint64_t pos = 0;
  bool sparse = false;
  for (;;) {
    const void* buf = nullptr;
    size_t size = 0;
    la_int64_t offset = 0;
    int r = archive_read_data_block(a_, &buf, &size, &offset);
    if (r == ARCHIVE_EOF) break;
    // A warning here reports a bad checksum or a wrong size: the data is not what was packed.
    if (r != ARCHIVE_OK) {
      const char* msg = archive_error_string(a_);
      std::string text = msg != nullptr ? msg : "";
      bool outOfMemory = CodeFromArchive(a_, 0) == XCD_CODE_OUT_OF_MEMORY;
      discard();
      if (events_.Aborted()) Fatal(XCD_CODE_ABORTED);
      if (outOfMemory) Fatal(XCD_CODE_OUT_OF_MEMORY);
      if (rec.encrypted && text.find("assphrase") != std::string::npos) {
        Skip(name, declared, XCD_SKIP_PASSWORD, true);
      } else if (text.find("nsupported") != std::string::npos || text.find("not supported") != std::string::npos) {
        Skip(name, declared, XCD_SKIP_UNSUPPORTED, true);
      } else {
        corrupt_ = true;
      }
      return r != ARCHIVE_FATAL;
    }
    if (static_cast<uint64_t>(offset) != pos) {
      if (offset < 0 || static_cast<uint64_t>(offset) < pos) {
        discard();
        corrupt_ = true;
        return false;
      }
      pos = static_cast<uint64_t>(offset);
      if (::lseek(out.fd, offset, SEEK_SET) < 0) {
        discard();
        Skip(name, declared, XCD_SKIP_WRITE, true);
        return true;
      }
      sparse = true;
    }
    pos += size;
    totalOut_ += size;
    if (pos > kMaxEntrySize || (pos > kRatioFloor && packed > 0 && pos > kMaxRatio * packed) ||
        (totalOut_ > kRatioFloor && totalOut_ > kMaxRatio * archiveSize_)) {
      discard();
      corrupt_ = true;
      return false;
    }
    if (size > 0 && !WriteAll(out.fd, buf, size)) {
      int err = errno;
      discard();
      if (err == ENOSPC || err == EDQUOT || err == EFBIG) Fatal(XCD_CODE_DISK_FULL);
      Skip(name, declared, XCD_SKIP_WRITE, true);
      return true;
    }
    rec.bytesProcessed = pos;
    rec.size = std::max(declared, pos);
    rec.percent = Percent(pos, declared > 0 ? declared : pos);
    if (!events_.Fire(XCD_EVENT_STATUS, rec)) {
      discard();
      Fatal(XCD_CODE_ABORTED);
    }
  }
  if (declared == 0 || pos == 0) {
    rec.bytesProcessed = pos;
    rec.percent = 100;
    if (!events_.Fire(XCD_EVENT_STATUS, rec)) {
      discard();
      Fatal(XCD_CODE_ABORTED);
    }
  }
  if (sparse && ::ftruncate(out.fd, static_cast<off_t>(std::max(pos, declared))) != 0) {
    discard();
    Skip(name, declared, XCD_SKIP_WRITE, true);
    return true;
  }

  mode_t perm = static_cast<mode_t>(archive_entry_perm(entry) & 0777);
  if (perm == 0) perm = 0666;
  perm = (perm & ~umask_) | 0400;
  ::fchmod(out.fd, perm);
  if (mtime != 0) {
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_NOW;
    times[1].tv_sec = static_cast<time_t>(mtime);
    times[1].tv_nsec = archive_entry_mtime_nsec(entry);
    ::futimens(out.fd, times);
  }
  int fd = out.fd;
  out.fd = -1;
  if (::close(fd) != 0) {
    int err = errno;
    ::unlinkat(folder.fd, temp.c_str(), 0);
    if (err == ENOSPC || err == EDQUOT) Fatal(XCD_CODE_DISK_FULL);
    Skip(name, declared, XCD_SKIP_WRITE, true);
    return true;
  }
  if (::renameat(folder.fd, temp.c_str(), folder.fd, target.c_str()) != 0) {
    ::unlinkat(folder.fd, temp.c_str(), 0);
    Skip(name, declared, XCD_SKIP_WRITE, true);
    return true;
  }
  tree_->Added(folder, target);
  lastWritten_ = true;
  return true;
}

}  // namespace
}  // namespace korrin::xcd

XCD_EXPORT int32_t xcdunzip(int32_t version, int32_t argc, const char* const* argv, XcdCallback callback,
                            void* user) {
  using namespace korrin::xcd;
  return RunEntry<TUnzipArgs, TUnzipJob>(g_busy, version, argc, argv, callback, user, XCD_CODE_CORRUPT);
}
