#include "engine/qwk_index.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "engine/qwk_header.h"
#include "platform/prompts.h"

namespace korrin {

namespace {
constexpr int32_t kChunkRecords = 4096;
constexpr double kTwo23 = 8388608.0;

double RoundHalfEven(double v) {
  double f = std::floor(v);
  double diff = v - f;
  if (diff > 0.5) return f + 1.0;
  if (diff < 0.5) return f;
  return std::fmod(f, 2.0) == 0.0 ? f : f + 1.0;
}
}  // namespace

double BasicSingleToDouble(const unsigned char* b) {
  int e = b[3];
  if (e == 0) return 0.0;
  bool negative = (b[2] & 0x80) != 0;
  uint32_t f = (static_cast<uint32_t>(b[2] & 0x7F) << 16) | (static_cast<uint32_t>(b[1]) << 8) | b[0];
  double v = std::ldexp(1.0 + static_cast<double>(f) / kTwo23, e - 129);
  return negative ? -v : v;
}

TBasicSingle DoubleToBasicSingle(double value) {
  TBasicSingle out{0, 0, 0, 0};
  if (value == 0.0 || std::isnan(value)) return out;
  bool negative = value < 0;
  double a = std::fabs(value);
  int e = 0;
  int exp2 = 0;
  uint32_t f = 0;
  if (std::isinf(a)) {
    e = 255;
    f = 0x7FFFFF;
  } else {
    double m = std::frexp(a, &exp2);  // a = m * 2^exp2, m in [0.5, 1)
    double frac = RoundHalfEven((2.0 * m - 1.0) * kTwo23);
    e = exp2 + 128;
    if (frac >= kTwo23) {
      frac = 0;
      ++e;
    }
    f = static_cast<uint32_t>(frac);
    if (e < 1) return out;  // too small: 0
    if (e > 255) {
      e = 255;
      f = 0x7FFFFF;
    }
  }
  out[0] = static_cast<unsigned char>(f & 0xFF);
  out[1] = static_cast<unsigned char>((f >> 8) & 0xFF);
  out[2] = static_cast<unsigned char>(((f >> 16) & 0x7F) | (negative ? 0x80 : 0));
  out[3] = static_cast<unsigned char>(e);
  return out;
}

std::optional<int64_t> BasicSingleToBlockNumber(const unsigned char* bytes) {
  double v = BasicSingleToDouble(bytes);
  if (!std::isfinite(v)) return std::nullopt;
  double r = RoundHalfEven(v);
  constexpr double kLimit = 4611686018427387904.0;  // 2^62: far beyond any file
  if (r >= kLimit || r <= -kLimit) return std::nullopt;
  return static_cast<int64_t>(r);
}

bool TQWKIndex::Open(const std::string& path, bool report) {
  Close();
  path_ = path;
  if (!file_.Open(path, TOpenMode::omRead)) {
    if (report) GetPrompts().Error(kErrReadIndexFile + path);
    return false;
  }
  int64_t records = file_.Size() / static_cast<int64_t>(kIndexRecordSize);
  count_ = records > std::numeric_limits<int32_t>::max() ? std::numeric_limits<int32_t>::max()
                                                          : static_cast<int32_t>(records);
  return true;
}

void TQWKIndex::Close() {
  file_.Close();
  count_ = 0;
  chunkFirst_ = 0;
  chunk_.clear();
}

bool TQWKIndex::LoadChunk(int32_t n) {
  int32_t records = std::min<int64_t>(kChunkRecords, static_cast<int64_t>(count_) - n + 1);
  chunk_.resize(static_cast<size_t>(records) * kIndexRecordSize);
  size_t got = file_.ReadAt(static_cast<int64_t>(n - 1) * static_cast<int64_t>(kIndexRecordSize), chunk_.data(),
                            chunk_.size());
  chunk_.resize(got - got % kIndexRecordSize);
  chunkFirst_ = chunk_.empty() ? 0 : n;
  return !chunk_.empty();
}

std::optional<std::array<unsigned char, kIndexRecordSize>> TQWKIndex::Record(int32_t n) {
  if (n < 1 || n > count_) return std::nullopt;
  bool held = chunkFirst_ > 0 && n >= chunkFirst_ &&
              static_cast<size_t>(n - chunkFirst_) < chunk_.size() / kIndexRecordSize;
  if (!held && !LoadChunk(n)) return std::nullopt;
  std::array<unsigned char, kIndexRecordSize> rec;
  std::memcpy(rec.data(), chunk_.data() + static_cast<size_t>(n - chunkFirst_) * kIndexRecordSize, rec.size());
  return rec;
}

std::optional<int64_t> TQWKIndex::BlockNumber(int32_t n) {
  auto rec = Record(n);
  if (!rec) return std::nullopt;
  return BasicSingleToBlockNumber(rec->data());
}

int32_t MeaningfulIndexRecords(int32_t count, int64_t messagesSize) {
  const int64_t blocks = std::max<int64_t>(messagesSize, 0) / static_cast<int64_t>(kQWKBlockSize);
  return static_cast<int32_t>(std::min<int64_t>(count, blocks));
}

int32_t CountIndexRecords(const std::string& path) {
  TQWKIndex index;
  index.Open(path);
  return index.Count();
}

std::optional<int64_t> ReadIndexBlockNumber(const std::string& path, int32_t n) {
  TBlockFile file;
  if (!file.Open(path, TOpenMode::omRead)) {
    GetPrompts().Error(kErrReadIndexFile + path);
    return std::nullopt;
  }
  if (n < 1 || static_cast<int64_t>(n) * static_cast<int64_t>(kIndexRecordSize) > file.Size()) return std::nullopt;
  unsigned char rec[kIndexRecordSize];
  if (file.ReadAt(static_cast<int64_t>(n - 1) * static_cast<int64_t>(kIndexRecordSize), rec, sizeof rec) !=
      sizeof rec)
    return std::nullopt;
  return BasicSingleToBlockNumber(rec);
}

}  // namespace korrin
