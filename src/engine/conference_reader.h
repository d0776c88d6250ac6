#pragma once
// The messages of one conference of the open packet: its index file and
// "messages.dat" together. Row i of a message list is index record i + 1,
// also when that record does not point at a message.

#include <cstdint>
#include <optional>
#include <string>

#include "engine/messages_file.h"
#include "engine/qwk_index.h"

namespace korrin {

class TConferenceReader {
public:
  // Opens "messages.dat" of the packet folder ("Could not read file -
  // Messages.DAT" and false when it cannot) and then the index file named
  // in the folder ("Could not read file " + path when it cannot; it then
  // holds no records). `indexFile` is a name in the folder (any case).
  bool Open(const std::string& directory, const std::string& indexFile, TOpenMode mode = TOpenMode::omRead);
  void Close();

  // Records of the index.
  int32_t Count() const { return index_.Count(); }
  // Block number stored in record n; nothing outside 1..Count or when the
  // stored value is not a usable number.
  std::optional<int64_t> BlockNumber(int32_t n) { return index_.BlockNumber(n); }
  // True when record n points at a header inside "messages.dat" (block
  // number at least 1, finite, not past the end of the file).
  bool IsReadable(int32_t n);
  // Reads the header of message n; all blanks and false when the record is
  // not readable.
  bool ReadHeader(int32_t n, TQWKHeader& header);
  // Writes the header of message n back with the read mark set or cleared
  // (file opened with omReadWrite).
  bool MarkRead(int32_t n, const TQWKHeader& header, bool read = true);
  // Body of message n to a text file.
  bool ExportBody(int32_t n, const std::string& target);

  TMessagesFile& Messages() { return messages_; }
  TQWKIndex& Index() { return index_; }

private:
  TMessagesFile messages_;
  TQWKIndex index_;
};

}  // namespace korrin
