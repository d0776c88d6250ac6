#pragma once
// A binary file read and written at byte offsets: "messages.dat", index
// files, reply files and box files. Reads past the end come back short,
// never as an error; only regular files are opened.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace korrin {

enum class TOpenMode {
  omRead,       // existing file, read only
  omReadWrite,  // existing file, read and write
  omCreate,     // created or emptied, read and write
};

class TBlockFile {
public:
  TBlockFile() = default;
  ~TBlockFile();
  TBlockFile(TBlockFile&& other) noexcept;
  TBlockFile& operator=(TBlockFile&& other) noexcept;
  TBlockFile(const TBlockFile&) = delete;
  TBlockFile& operator=(const TBlockFile&) = delete;

  bool Open(const std::string& path, TOpenMode mode);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }
  const std::string& Path() const { return path_; }

  // Current size of the file (0 when closed).
  int64_t Size() const;
  int64_t Position() const { return pos_; }
  void Seek(int64_t position) { pos_ = position < 0 ? 0 : position; }
  bool Eof() const { return pos_ >= Size(); }

  // Reads up to n bytes at the position and advances it; the count read.
  size_t Read(void* buffer, size_t n);
  // Reads up to n bytes at an offset; the position stays.
  size_t ReadAt(int64_t offset, void* buffer, size_t n) const;
  // Writes all bytes at the position and advances it; false on failure.
  bool Write(std::string_view data);
  bool WriteAt(int64_t offset, std::string_view data);
  // Flushes written data to the disk.
  bool Sync();

private:
  int fd_ = -1;
  int64_t pos_ = 0;
  std::string path_;
};

}  // namespace korrin
