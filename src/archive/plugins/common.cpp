#include "archive/plugins/common.h"

#include <archive.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <random>

#include "platform/codepage.h"

namespace korrin::xcd {

TBusyGuard::TBusyGuard(int& flag) : flag_(flag), busy_(flag != 0) {
  if (!busy_) flag_ = 1;
}

TBusyGuard::~TBusyGuard() {
  if (!busy_) flag_ = 0;
}

TUtf8Locale::TUtf8Locale() {
  mine_ = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
  if (mine_ == nullptr) mine_ = newlocale(LC_CTYPE_MASK, "en_US.UTF-8", static_cast<locale_t>(nullptr));
  if (mine_ != nullptr) previous_ = uselocale(mine_);
}

TUtf8Locale::~TUtf8Locale() {
  if (mine_ != nullptr) {
    uselocale(previous_);
    freelocale(mine_);
  }
}

bool TEvents::Fire(int32_t event, XcdFileRecord& record) {
  if (aborted_) return false;
  if (callback_ != nullptr && callback_(event, &record, user_) != 0) aborted_ = true;
  return !aborted_;
}

XcdFileRecord MakeRecord(const std::string& name, uint64_t size, int64_t mtime, uint32_t attributes) {
  XcdFileRecord r;
  std::memset(&r, 0, sizeof r);
  r.structSize = sizeof r;
  r.fileName = name.c_str();
  r.size = size;
  r.dateTime = mtime;
  r.attributes = attributes;
  return r;
}

int32_t Percent(uint64_t done, uint64_t total) {
  if (total == 0) return 100;
  if (done >= total) return 100;
  return static_cast<int32_t>(done * 100 / total);
}

std::string AsciiLower(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

bool HasWildcards(std::string_view text) { return text.find_first_of("*?") != std::string_view::npos; }

namespace {

char Fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool GlobMatch(std::string_view p, std::string_view s) {
  size_t pi = 0, si = 0;
  size_t starP = std::string_view::npos, starS = 0;
  while (si < s.size()) {
    if (pi < p.size() && (p[pi] == '?' || Fold(p[pi]) == Fold(s[si]))) {
      ++pi;
      ++si;
    } else if (pi < p.size() && p[pi] == '*') {
      starP = pi++;
      starS = si;
    } else if (starP != std::string_view::npos) {
      pi = starP + 1;
      si = ++starS;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == '*') ++pi;
  return pi == p.size();
}

}  // namespace

bool WildcardMatch(std::string_view pattern, std::string_view name) {
  if (GlobMatch(pattern, name)) return true;
  // Like the old file systems: "name.*" matches a name without extension.
  if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" && name.find('.') == std::string_view::npos)
    return GlobMatch(pattern.substr(0, pattern.size() - 2), name);
  return false;
}

std::string BaseName(std::string_view path) {
  while (!path.empty() && path.back() == '/') path.remove_suffix(1);
  size_t slash = path.rfind('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

bool PathMatches(std::string_view pattern, std::string_view path) {
  if (pattern.find('/') != std::string_view::npos) return WildcardMatch(pattern, path);
  return WildcardMatch(pattern, BaseName(path));
}

bool MatchesAny(const std::vector<std::string>& patterns, std::string_view path) {
  for (const std::string& p : patterns)
    if (PathMatches(p, path)) return true;
  return false;
}

namespace {

bool ValidUtf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    size_t n;
    uint32_t cp;
    if ((c & 0xE0) == 0xC0) {
      n = 1;
      cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      n = 2;
      cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      n = 3;
      cp = c & 0x07;
    } else {
      return false;
    }
    if (i + n >= s.size()) return false;
    for (size_t k = 1; k <= n; ++k) {
      unsigned char cc = static_cast<unsigned char>(s[i + k]);
      if ((cc & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (cc & 0x3F);
    }
    if ((n == 1 && cp < 0x80) || (n == 2 && cp < 0x800) || (n == 3 && cp < 0x10000) || cp > 0x10FFFF ||
        (cp >= 0xD800 && cp <= 0xDFFF))
      return false;
    i += n + 1;
  }
  return true;
}

}  // namespace

std::string NameToUtf8(std::string_view raw) {
  std::string out = ValidUtf8(raw) ? std::string(raw) : Cp437ToUtf8(raw);
  for (char& c : out)
    if (c == '\\') c = '/';
  return out;
}

bool SafeComponents(std::string_view path, std::vector<std::string>& components) {
  components.clear();
  if (path.empty()) return false;
  if (path.front() == '/' || path.front() == '\\') return false;
  // A drive prefix such as "C:" or "c:\".
  if (path.size() >= 2 && path[1] == ':' &&
      ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')))
    return false;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find_first_of("/\\", start);
    if (end == std::string_view::npos) end = path.size();
    std::string_view part = path.substr(start, end - start);
    if (part == "..") return false;
    if (!part.empty() && part != ".") components.emplace_back(part);
    start = end + 1;
  }
  return !components.empty();
}

bool IsHiddenName(std::string_view name) {
  std::string base = BaseName(name);
  return !base.empty() && base[0] == '.' && base != "." && base != "..";
}

int CodeFromErrno(int err, int fallback) {
  switch (err) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return XCD_CODE_DISK_FULL;
    case ENOMEM:
      return XCD_CODE_OUT_OF_MEMORY;
    default:
      return fallback;
  }
}

int CodeFromArchive(struct archive* a, int fallback) {
  if (a == nullptr) return fallback;
  return CodeFromErrno(archive_errno(a), fallback);
}

std::vector<std::string> SplitExtensions(std::string_view list) {
  std::vector<std::string> out;
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find_first_of(";:, ", start);
    if (end == std::string_view::npos) end = list.size();
    std::string_view part = list.substr(start, end - start);
    if (!part.empty()) {
      std::string ext = AsciiLower(part);
      if (ext[0] != '.') ext.insert(ext.begin(), '.');
      out.push_back(ext);
    }
    start = end + 1;
  }
  return out;
}

bool HasExtension(std::string_view name, const std::vector<std::string>& extensions) {
  std::string base = AsciiLower(BaseName(name));
  size_t dot = base.rfind('.');
  if (dot == std::string::npos) return false;
  std::string ext = base.substr(dot);
  for (const std::string& e : extensions)
    if (e == ext) return true;
  return false;
}

bool ParseMmddyy(std::string_view text, time_t& result) {
  if (text.size() != 6) return false;
  int v[3];
  for (int i = 0; i < 3; ++i) {
    char a = text[i * 2], b = text[i * 2 + 1];
    if (a < '0' || a > '9' || b < '0' || b > '9') return false;
    v[i] = (a - '0') * 10 + (b - '0');
  }
  if (v[0] < 1 || v[0] > 12 || v[1] < 1 || v[1] > 31) return false;
  std::tm tm{};
  tm.tm_mon = v[0] - 1;
  tm.tm_mday = v[1];
  tm.tm_year = (v[2] >= 80 ? 1900 + v[2] : 2000 + v[2]) - 1900;
  tm.tm_isdst = -1;
  result = std::mktime(&tm);
  return result != static_cast<time_t>(-1);
}

namespace {

uint16_t Le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}
uint64_t Le64(const unsigned char* p) { return Le32(p) | (static_cast<uint64_t>(Le32(p + 4)) << 32); }

bool ReadAt(int fd, uint64_t offset, void* buffer, size_t size) {
  auto* out = static_cast<unsigned char*>(buffer);
  while (size > 0) {
    ssize_t n = ::pread(fd, out, size, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    out += n;
    offset += static_cast<uint64_t>(n);
    size -= static_cast<size_t>(n);
  }
  return true;
}

class TFd {
public:
  explicit TFd(int fd) : fd_(fd) {}
  ~TFd() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }

private:
  int fd_;
};

}  // namespace

std::unordered_multimap<std::string, TZipSizes> ReadZipDirectory(const std::string& path) {
  std::unordered_multimap<std::string, TZipSizes> result;
  TFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) return result;
  struct stat st;
  if (::fstat(fd.get(), &st) != 0 || st.st_size < 22) return result;
  const uint64_t fileSize = static_cast<uint64_t>(st.st_size);

  // The end record lies within the last 64 KiB + 22 bytes (its comment is at most 65535 bytes).
  const uint64_t tailSize = std::min<uint64_t>(fileSize, 65535 + 22);
  std::vector<unsigned char> tail(tailSize);
  if (!ReadAt(fd.get(), fileSize - tailSize, tail.data(), tailSize)) return result;
  int64_t eocd = -1;
  for (int64_t i = static_cast<int64_t>(tailSize) - 22; i >= 0; --i) {
    if (Le32(&tail[i]) == 0x06054b50) {
      eocd = i;
      break;
    }
  }
  if (eocd < 0) return result;
  const uint64_t eocdPos = fileSize - tailSize + static_cast<uint64_t>(eocd);
  uint64_t entries = Le16(&tail[eocd + 10]);
  uint64_t cdSize = Le32(&tail[eocd + 12]);
  uint64_t cdOffset = Le32(&tail[eocd + 16]);

  if (eocdPos >= 20) {
    unsigned char loc[20];
    if (ReadAt(fd.get(), eocdPos - 20, loc, sizeof loc) && Le32(loc) == 0x07064b50) {
      uint64_t z64Pos = Le64(loc + 8);
      unsigned char rec[56];
      if (z64Pos + sizeof rec <= fileSize && ReadAt(fd.get(), z64Pos, rec, sizeof rec) && Le32(rec) == 0x06064b50) {
        entries = Le64(rec + 32);
        cdSize = Le64(rec + 40);
        cdOffset = Le64(rec + 48);
      }
    }
  }
  // A directory larger than the file, or absurdly large, is not read.
  if (cdOffset > fileSize || cdSize > fileSize - cdOffset || cdSize > (256u << 20)) return result;
  std::vector<unsigned char> cd(cdSize);
  if (cdSize > 0 && !ReadAt(fd.get(), cdOffset, cd.data(), cdSize)) return result;

  size_t pos = 0;
  for (uint64_t n = 0; n < entries && pos + 46 <= cd.size(); ++n) {
    const unsigned char* h = &cd[pos];
    if (Le32(h) != 0x02014b50) break;
    uint64_t comp = Le32(h + 20);
    uint64_t uncomp = Le32(h + 24);
    size_t nameLen = Le16(h + 28), extraLen = Le16(h + 30), commentLen = Le16(h + 32);
    if (pos + 46 + nameLen + extraLen + commentLen > cd.size()) break;
    std::string name(reinterpret_cast<const char*>(h + 46), nameLen);
    // The Zip64 extra field holds the sizes that do not fit in 32 bits, in this order.
    const unsigned char* extra = h + 46 + nameLen;
    size_t e = 0;
    while (e + 4 <= extraLen) {
      uint16_t id = Le16(extra + e), len = Le16(extra + e + 2);
      if (e + 4 + len > extraLen) break;
      if (id == 0x0001) {
        size_t f = e + 4;
        if (uncomp == 0xFFFFFFFFu && f + 8 <= e + 4 + len) {
          uncomp = Le64(extra + f);
          f += 8;
        }
        if (comp == 0xFFFFFFFFu && f + 8 <= e + 4 + len) comp = Le64(extra + f);
      }
      e += 4 + len;
    }
    result.emplace(NameToUtf8(name), TZipSizes{comp, uncomp});
    pos += 46 + nameLen + extraLen + commentLen;
  }
  return result;
}

std::string TempName(std::string_view stem) {
  static std::atomic<unsigned> counter{0};
  static thread_local std::mt19937 rng(std::random_device{}() ^ static_cast<unsigned>(::getpid()));
  static const char kChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::string name = ".";
  name += stem;
  name += '-';
  for (int i = 0; i < 8; ++i) name += kChars[rng() % (sizeof kChars - 1)];
  name += std::to_string(counter++);
  name += ".tmp";
  return name;
}

bool WriteAll(int fd, const void* data, size_t size) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t n = ::write(fd, p, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) {
      errno = ENOSPC;
      return false;
    }
    p += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

}  // namespace korrin::xcd
