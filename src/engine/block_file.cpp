#include "engine/block_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace korrin {

TBlockFile::~TBlockFile() { Close(); }

TBlockFile::TBlockFile(TBlockFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), pos_(std::exchange(other.pos_, 0)), path_(std::move(other.path_)) {}

TBlockFile& TBlockFile::operator=(TBlockFile&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = std::exchange(other.fd_, -1);
    pos_ = std::exchange(other.pos_, 0);
    path_ = std::move(other.path_);
  }
  return *this;
}

bool TBlockFile::Open(const std::string& path, TOpenMode mode) {
  Close();
  int flags = O_CLOEXEC;
  switch (mode) {
    case TOpenMode::omRead: flags |= O_RDONLY; break;
    case TOpenMode::omReadWrite: flags |= O_RDWR; break;
    case TOpenMode::omCreate: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
  }
  int fd = ::open(path.c_str(), flags, 0644);
  if (fd < 0) return false;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  pos_ = 0;
  path_ = path;
  return true;
}

void TBlockFile::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  pos_ = 0;
}

int64_t TBlockFile::Size() const {
  if (fd_ < 0) return 0;
  struct stat st {};
  if (::fstat(fd_, &st) != 0) return 0;
  return static_cast<int64_t>(st.st_size);
}

size_t TBlockFile::ReadAt(int64_t offset, void* buffer, size_t n) const {
  if (fd_ < 0 || offset < 0) return 0;
  size_t done = 0;
  auto* out = static_cast<char*>(buffer);
  while (done < n) {
    ssize_t r = ::pread(fd_, out + done, n - done, static_cast<off_t>(offset + static_cast<int64_t>(done)));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) break;
    done += static_cast<size_t>(r);
  }
  return done;
}

size_t TBlockFile::Read(void* buffer, size_t n) {
  size_t r = ReadAt(pos_, buffer, n);
  pos_ += static_cast<int64_t>(r);
  return r;
}

bool TBlockFile::WriteAt(int64_t offset, std::string_view data) {
  if (fd_ < 0 || offset < 0) return false;
  size_t done = 0;
  while (done < data.size()) {
    ssize_t w = ::pwrite(fd_, data.data() + done, data.size() - done,
                         static_cast<off_t>(offset + static_cast<int64_t>(done)));
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return false;
    done += static_cast<size_t>(w);
  }
  return true;
}

bool TBlockFile::Write(std::string_view data) {
  if (!WriteAt(pos_, data)) return false;
  pos_ += static_cast<int64_t>(data.size());
  return true;
}

bool TBlockFile::Sync() { return fd_ >= 0 && ::fsync(fd_) == 0; }

}  // namespace korrin
