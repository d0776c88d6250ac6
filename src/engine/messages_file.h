#pragma once
// The packet's message file "messages.dat": block 1 is the door's leading
// block, messages follow on block boundaries and are reached only by the
// block numbers of the index files. The file is read a header at a time,
// never whole.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/block_file.h"
#include "engine/qwk_header.h"

namespace korrin {

inline constexpr const char* kMessagesFileName = "messages.dat";
inline constexpr const char* kErrReadMessages = "Could not read file - Messages.DAT";

// Byte offset of the header at a block number.
inline int64_t BlockOffset(int64_t block) { return (block - 1) * static_cast<int64_t>(kQWKBlockSize); }

class TMessagesFile {
public:
  // Opens "messages.dat" of the packet folder (any letter case). When it
  // cannot be opened shows "Could not read file - Messages.DAT" (unless
  // report is false) and returns false.
  bool Open(const std::string& directory, TOpenMode mode = TOpenMode::omRead, bool report = true);
  // The same for a file given by its path.
  bool OpenPath(const std::string& path, TOpenMode mode = TOpenMode::omRead, bool report = true);
  void Close();
  bool IsOpen() const { return file_.IsOpen(); }
  TBlockFile& File() { return file_; }

  // Size at opening (kept up to date by this class's own writes).
  int64_t Size() const { return size_; }
  // True when a header starts at the block inside the file.
  bool HoldsHeader(int64_t block) const;

  // Reads the header at the block. A header cut by the end of the file is
  // padded with blanks; outside the file the header is all blanks and the
  // result false.
  bool ReadHeader(int64_t block, TQWKHeader& header);
  // Body bytes that really follow the header: its block count, cut at the
  // end of the file.
  int64_t BodyLengthInFile(int64_t block, const TQWKHeader& header) const;
  // The body bytes of the message at the block, read into `buffer`: as
  // many as its header counts, cut at the end of the file. Empty for a
  // block outside the file.
  std::string_view ReadBody(int64_t block, std::string& buffer);
  // Writes the header back with "R" at offset 125, or a blank there when
  // `read` is false (the file must be open for writing). Never extends the file.
  bool MarkRead(int64_t block, const TQWKHeader& header, bool read = true);
  // Copies the body of the message at the block to a text file, 0xE3 turned
  // into a carriage return.
  bool ExportBody(int64_t block, const std::string& target);

private:
  TBlockFile file_;
  int64_t size_ = 0;
  // Read-ahead window for header reads in index order.
  std::vector<char> window_;
  int64_t windowStart_ = -1;
};

}  // namespace korrin
