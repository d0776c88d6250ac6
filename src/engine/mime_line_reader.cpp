#include "engine/mime_line_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/errors.h"

namespace korrin {

namespace {
constexpr size_t kReadSize = 1 << 16;

[[noreturn]] void Fail(const std::string& what, const std::string& path, int err) {
  throw EInOutError(what + path + " (" + std::strerror(err) + ")", err);
}
}  // namespace

// ---------------------------------------------------------------- reader

TMimeLineReader::TMimeLineReader() : buf_(new char[kReadSize]) {}

TMimeLineReader::~TMimeLineReader() { Close(); }

bool TMimeLineReader::Open(const std::string& path) {
  Close();
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  path_ = path;
  dev_ = st.st_dev;
  ino_ = st.st_ino;
  pos_ = len_ = 0;
  skipLF_ = false;
  return true;
}

void TMimeLineReader::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  pos_ = len_ = 0;
  skipLF_ = false;
}

bool TMimeLineReader::Fill() {
  if (fd_ < 0) return false;
  for (;;) {
    ssize_t n = ::read(fd_, buf_.get(), kReadSize);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) Fail("Could not read file - ", path_, errno);
    pos_ = 0;
    len_ = static_cast<size_t>(n);
    return n > 0;
  }
}

bool TMimeLineReader::ReadLine(std::string& line) {
  if (hasPending_) {
    hasPending_ = false;
    line = std::move(pending_);
    return true;
  }
  line.clear();
  bool started = false;
  for (;;) {
    if (pos_ == len_ && !Fill()) return started;
    if (skipLF_) {
      skipLF_ = false;
      if (buf_[pos_] == '\n') {
        ++pos_;
        continue;
      }
    }
    const char* b = buf_.get() + pos_;
    const char* e = buf_.get() + len_;
    const char* p = b;
    while (p < e && *p != '\n' && *p != '\r') ++p;
    line.append(b, static_cast<size_t>(p - b));
    started = true;
    if (p == e) {
      pos_ = len_;
      continue;
    }
    skipLF_ = *p == '\r';
    pos_ = static_cast<size_t>(p - buf_.get()) + 1;
    return true;
  }
}

size_t TMimeLineReader::ReadBytes(char* dest, size_t size) {
  size_t got = 0;
  while (got < size) {
    if (pos_ == len_ && !Fill()) break;
    size_t n = std::min(size - got, len_ - pos_);
    std::memcpy(dest + got, buf_.get() + pos_, n);
    pos_ += n;
    got += n;
  }
  return got;
}

bool TMimeLineReader::IsSameFile(const std::string& path) const {
  if (fd_ < 0) return false;
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return false;
  return st.st_dev == dev_ && st.st_ino == ino_;
}

// ---------------------------------------------------------------- writer

TMimeFileWriter::TMimeFileWriter() : buf_(new char[kSize]) {}

TMimeFileWriter::~TMimeFileWriter() {
  // Reached on the way out of a failure: keep what was written, report nothing.
  if (fd_ >= 0) {
    try {
      Flush();
    } catch (const EInOutError&) {
    }
    ::close(fd_);
  }
}

void TMimeFileWriter::Create(const std::string& path) {
  if (fd_ >= 0) Close();
  path_ = path;
  used_ = 0;
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) Fail("Could not create file - ", path, errno);
  fd_ = fd;
}

void TMimeFileWriter::Flush() {
  size_t done = 0;
  while (done < used_) {
    ssize_t n = ::write(fd_, buf_.get() + done, used_ - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      used_ = 0;
      Fail("Could not write file - ", path_, n < 0 ? errno : EIO);
    }
    done += static_cast<size_t>(n);
  }
  used_ = 0;
}

void TMimeFileWriter::Close() {
  if (fd_ < 0) return;
  int fd = fd_;
  try {
    Flush();
  } catch (...) {
    ::close(fd);
    fd_ = -1;
    throw;
  }
  fd_ = -1;
  if (::close(fd) != 0) Fail("Could not write file - ", path_, errno);
}

void TMimeFileWriter::Write(std::string_view data) {
  while (!data.empty()) {
    if (used_ == kSize) Flush();
    size_t n = std::min(kSize - used_, data.size());
    std::memcpy(buf_.get() + used_, data.data(), n);
    used_ += n;
    data.remove_prefix(n);
  }
}

void TMimeFileWriter::WriteLine(std::string_view text) {
  Write(text);
  Write("\r\n");
}

}  // namespace korrin
