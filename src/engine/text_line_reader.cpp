#include "engine/text_line_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace korrin {

TTextLineReader::~TTextLineReader() { Close(); }

bool TTextLineReader::Open(const std::string& path) {
  Close();
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  pos_ = len_ = 0;
  ended_ = false;
  return true;
}

void TTextLineReader::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  pos_ = len_ = 0;
  ended_ = true;
}

bool TTextLineReader::Fill() {
  if (ended_ || fd_ < 0) return false;
  for (;;) {
    ssize_t n = ::read(fd_, buf_, sizeof buf_);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ended_ = true;
      return false;
    }
    pos_ = 0;
    len_ = static_cast<size_t>(n);
    return true;
  }
}

int TTextLineReader::Peek() {
  if (pos_ >= len_ && !Fill()) return -1;
  unsigned char c = static_cast<unsigned char>(buf_[pos_]);
  if (c == 0x1A) {  // Ctrl-Z: end of a DOS text file
    ended_ = true;
    pos_ = len_ = 0;
    return -1;
  }
  return c;
}

bool TTextLineReader::Eof() { return Peek() < 0; }

bool TTextLineReader::ReadLine(std::string& line) {
  line.clear();
  if (Peek() < 0) return false;
  for (;;) {
    int c = Peek();
    if (c < 0) return true;
    ++pos_;
    if (c == '\n') return true;
    if (c == '\r') {
      if (Peek() == '\n') ++pos_;
      return true;
    }
    if (line.size() < kMaxLine) line.push_back(static_cast<char>(c));
  }
}

std::optional<std::vector<std::string>> ReadTextLines(const std::string& path) {
  TTextLineReader reader;
  if (!reader.Open(path)) return std::nullopt;
  std::vector<std::string> lines;
  std::string line;
  while (reader.ReadLine(line)) lines.push_back(line);
  return lines;
}

}  // namespace korrin
