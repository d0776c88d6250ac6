#pragma once
// Conference index files ("*.ndx"): 5-byte records, one per message in
// display order. Bytes 0-3 hold the block number of the message header in
// "messages.dat" as a BASIC single-precision number, byte 4 the low byte of
// the conference number (not used: it is wrong for conferences above 255).

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/block_file.h"

namespace korrin {

inline constexpr size_t kIndexRecordSize = 5;
inline constexpr const char* kErrReadIndexFile = "Could not read file ";  // followed by the path

using TBasicSingle = std::array<unsigned char, 4>;

// Byte 3 is the exponent e (0: the value 0), bit 7 of byte 2 the sign, the
// rest a 23-bit fraction f: value = +-(1 + f / 2^23) * 2^(e - 129).
double BasicSingleToDouble(const unsigned char* bytes);
// The nearest BASIC single (exact for whole numbers below 2^24).
TBasicSingle DoubleToBasicSingle(double value);
inline TBasicSingle BlockNumberToBasic(int64_t block) { return DoubleToBasicSingle(static_cast<double>(block)); }
// The value rounded to the nearest whole number (ties to even); nothing when
// it is not finite or too large to be a block number.
std::optional<int64_t> BasicSingleToBlockNumber(const unsigned char* bytes);

// Reads an index file record by record, a chunk at a time; record n is read
// at offset (n - 1) * 5 without touching the records before it.
class TQWKIndex {
public:
  // Opens the index. When it cannot be opened shows "Could not read file " +
  // path (unless report is false) and holds no records.
  bool Open(const std::string& path, bool report = true);
  void Close();
  bool IsOpen() const { return file_.IsOpen(); }
  const std::string& Path() const { return path_; }

  // Whole records in the file; a cut-off last record does not count.
  int32_t Count() const { return count_; }
  // The 5 bytes of record n (1-based); nothing outside 1..Count.
  std::optional<std::array<unsigned char, kIndexRecordSize>> Record(int32_t n);
  // Block number of record n; nothing outside 1..Count or when the stored
  // value is not a usable number (0 and negative values are returned as they
  // are: the caller decides whether the block holds a message).
  std::optional<int64_t> BlockNumber(int32_t n);

private:
  bool LoadChunk(int32_t n);

  TBlockFile file_;
  std::string path_;
  int32_t count_ = 0;
  int32_t chunkFirst_ = 0;  // first record held in chunk_, 0 when none
  std::vector<unsigned char> chunk_;
};

// Records of an index file (file size div 5); "Could not read file " + path
// and 0 when it cannot be opened.
int32_t CountIndexRecords(const std::string& path);
// How many of an index's `count` records can point at a message of their own
// in a messages.dat of `messagesSize` bytes: no more than it has blocks.
int32_t MeaningfulIndexRecords(int32_t count, int64_t messagesSize);
// Block number of record n read directly; nothing when the file cannot be
// opened (reported), n is out of range or the value is unusable.
std::optional<int64_t> ReadIndexBlockNumber(const std::string& path, int32_t n);

}  // namespace korrin
