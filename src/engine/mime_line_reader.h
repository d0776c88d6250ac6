#pragma once
// Streaming file access for the MIME codec: a line reader that holds one line
// at a time, whatever the file's size or line lengths, and a buffered writer.
// Read and write failures raise EInOutError.

#include <sys/types.h>

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace korrin {

class TMimeLineReader {
public:
  TMimeLineReader();
  ~TMimeLineReader();
  TMimeLineReader(const TMimeLineReader&) = delete;
  TMimeLineReader& operator=(const TMimeLineReader&) = delete;

  // Opens a file for reading; false when it cannot be opened or is a folder.
  bool Open(const std::string& path);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }
  const std::string& Path() const { return path_; }

  // The next line without its line end (LF, CR LF or a lone CR). The last
  // line needs no line end. False when the file is used up.
  bool ReadLine(std::string& line);
  // Hands `line` out again as the next line.
  void PutBack(std::string line) {
    pending_ = std::move(line);
    hasPending_ = true;
  }
  // Up to `size` raw bytes; 0 at the end of the file.
  size_t ReadBytes(char* dest, size_t size);

  // True when `path` names the file that is open (same device and inode).
  bool IsSameFile(const std::string& path) const;

private:
  bool Fill();

  int fd_ = -1;
  std::string path_;
  std::unique_ptr<char[]> buf_;
  size_t pos_ = 0, len_ = 0;
  bool skipLF_ = false;
  std::string pending_;
  bool hasPending_ = false;
  dev_t dev_ = 0;
  ino_t ino_ = 0;
};

class TMimeFileWriter {
public:
  TMimeFileWriter();
  ~TMimeFileWriter();
  TMimeFileWriter(const TMimeFileWriter&) = delete;
  TMimeFileWriter& operator=(const TMimeFileWriter&) = delete;

  // Creates or empties the file. A symbolic link at that name is not
  // followed: writing through it could reach a file outside the folder.
  void Create(const std::string& path);
  // Writes what is buffered and closes the file.
  void Close();
  bool IsOpen() const { return fd_ >= 0; }

  void Write(std::string_view data);
  void Put(char ch) {
    if (used_ == kSize) Flush();
    buf_[used_++] = ch;
  }
  // The text followed by carriage return and line feed.
  void WriteLine(std::string_view text);

private:
  static constexpr size_t kSize = 1 << 16;
  void Flush();

  int fd_ = -1;
  std::string path_;
  std::unique_ptr<char[]> buf_;
  size_t used_ = 0;
};

}  // namespace korrin
