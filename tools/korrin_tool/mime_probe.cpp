#include "korrin_tool/mime_probe.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
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
  if (body.empty()) return false;  // memchr must not get a null pointer
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
  if (fd_ >= 0) ::close(fd_);
}

bool TMessagesMap::Open(const std::string& path) {
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) return false;
  struct stat st;
  if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd_);
    fd_ = -1;
    return false;
  }
  size_ = static_cast<uint64_t>(st.st_size);
  return true;
}

std::string_view TMessagesMap::Body(int64_t block) {
  if (fd_ < 0 || block < 1) return {};
  const uint64_t offset = static_cast<uint64_t>(block - 1) * kQWKBlockSize;
  if (offset >= size_) return {};
  // Most messages fit the first read; a longer body takes a second one.
  constexpr size_t kFirstRead = 8192;
  auto readAt = [this](uint64_t at, size_t n, size_t into) {
    buffer_.resize(into + n);
    size_t got = 0;
    while (got < n) {
      ssize_t r = ::pread(fd_, buffer_.data() + into + got, n - got, static_cast<off_t>(at + got));
      if (r < 0 && errno == EINTR) continue;
      if (r <= 0) break;
      got += static_cast<size_t>(r);
    }
    buffer_.resize(into + got);
  };
  readAt(offset, static_cast<size_t>(std::min<uint64_t>(kFirstRead, size_ - offset)), 0);
  if (buffer_.size() < kQWKBlockSize) return {};
  TQWKHeader header(std::string_view(buffer_.data(), kQWKBlockSize));
  const uint64_t start = offset + kQWKBlockSize;
  const uint64_t length = std::min<uint64_t>(static_cast<uint64_t>(header.BodyLength()), size_ - std::min(start, size_));
  const size_t have = buffer_.size();
  if (kQWKBlockSize + length > have) readAt(offset + have, static_cast<size_t>(kQWKBlockSize + length - have), have);
  return std::string_view(buffer_).substr(kQWKBlockSize, std::min<size_t>(length, buffer_.size() - kQWKBlockSize));
}

}  // namespace korrin::tool
