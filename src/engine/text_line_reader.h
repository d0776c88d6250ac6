#pragma once
// Line-by-line reading of the packet's small text files (control file, door
// files, extension lists). A line ends at LF, CR LF or a lone CR; the last
// line needs no line end; a Ctrl-Z ends the file as in DOS text files.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace korrin {

class TTextLineReader {
public:
  // Longer lines are cut to this many bytes; the rest of the line is skipped.
  static constexpr size_t kMaxLine = 65536;

  TTextLineReader() = default;
  ~TTextLineReader();
  TTextLineReader(const TTextLineReader&) = delete;
  TTextLineReader& operator=(const TTextLineReader&) = delete;

  // Opens a regular file for reading; false when it cannot be opened.
  bool Open(const std::string& path);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }

  // True when no further line can be read.
  bool Eof();
  // Reads the next line without its line end. At end of file the line is
  // empty and the result is false (a read past the end yields an empty line,
  // as the callers' loops expect).
  bool ReadLine(std::string& line);

private:
  bool Fill();
  int Peek();

  int fd_ = -1;
  char buf_[16384];
  size_t pos_ = 0, len_ = 0;
  bool ended_ = false;
};

// Every line of a file; nothing when it cannot be opened.
std::optional<std::vector<std::string>> ReadTextLines(const std::string& path);

}  // namespace korrin
