#include "korrin_tool/mime_probe.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "engine/qwk_header.h"

namespace korrin::tool {

namespace {
// Case-insensitive comparison of ASCII text with an upper-case word.
bool HasWordAt(std::string_view s, size_t pos, std::string_view upperWord) {
  if (pos + upperWord.size() > s.size()) return false;
  for (size_t i = 0; i < upperWord.size(); ++i) {
    char c = s[pos + i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != upperWord[i]) return false;
  }
  return true;
}
}  // namespace

bool BodyMayHoldMime(std::string_view body) {
  // Every keyword has a character that is rare in text at a fixed place:
  // the "-" of "MIME-" and "CONTENT-", the "6" of "BEGIN 6".
  const char* data = body.data();
  const size_t n = body.size();
  for (const char* p = data; (p = static_cast<const char*>(std::memchr(p, '-', n - (p - data)))) != nullptr; ++p) {
    size_t i = static_cast<size_t>(p - data);
    if (i >= 4 && HasWordAt(body, i - 4, "MIME-VERSION")) return true;
    if (i >= 7 && HasWordAt(body, i - 7, "CONTENT-")) return true;
    if (i + 1 >= n) break;
  }
  for (const char* p = data; (p = static_cast<const char*>(std::memchr(p, '6', n - (p - data)))) != nullptr; ++p) {
    size_t i = static_cast<size_t>(p - data);
    if (i >= 6 && HasWordAt(body, i - 6, "BEGIN 6")) return true;
    if (i + 1 >= n) break;
  }
  return false;
}

bool BodyHasPacketLines(std::string_view body) {
  static const char* const kHeads[] = {"X-Mail", "X-News", "X-Send", "X-Read", "Mime-V", "NNTP-P"};
  size_t start = 0;
  while (start < body.size()) {
    size_t end = body.find('\xE3', start);
    if (end == std::string_view::npos) end = body.size();
    std::string_view line = body.substr(start, end - start);
    if (!line.empty() && line[0] == '\x01') return true;
    if (line.size() >= 2 && line[1] == '@') return true;
    if (line.size() >= 6)
      for (const char* h : kHeads)
        if (line.compare(0, 6, h) == 0) return true;
    start = end + 1;
  }
  return false;
}

TMessagesMap::~TMessagesMap() {
  if (data_) ::munmap(const_cast<char*>(data_), size_);
}

bool TMessagesMap::Open(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0;
  if (ok) {
    void* p = ::mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_SHARED, fd, 0);
    if (p != MAP_FAILED) {
      data_ = static_cast<const char*>(p);
      size_ = static_cast<size_t>(st.st_size);
    }
  }
  ::close(fd);
  return data_ != nullptr;
}

std::string_view TMessagesMap::Body(int64_t block) const {
  if (!data_ || block < 1) return {};
  const uint64_t offset = static_cast<uint64_t>(block - 1) * kQWKBlockSize;
  if (offset >= size_) return {};
  const size_t headerLen = std::min<size_t>(kQWKBlockSize, size_ - offset);
  TQWKHeader header(std::string_view(data_ + offset, headerLen));
  const uint64_t start = offset + kQWKBlockSize;
  if (start >= size_) return {};
  const uint64_t length = std::min<uint64_t>(static_cast<uint64_t>(header.BodyLength()), size_ - start);
  return {data_ + start, static_cast<size_t>(length)};
}

}  // namespace korrin::tool
