#include "engine/messages_file.h"

#include <algorithm>
#include <cstring>

#include "engine/qwk_blocks.h"
#include "platform/paths.h"
#include "platform/prompts.h"

namespace korrin {

namespace {
// Headers are read through a small window: in a conference of short
// messages several headers share one read.
constexpr size_t kWindowSize = 4096;
// The first read of ReadBody.
constexpr int64_t kFirstBodyRead = 8192;
}  // namespace

bool TMessagesFile::Open(const std::string& directory, TOpenMode mode, bool report) {
  Close();
  auto path = directory.empty() ? std::nullopt : FindFileNoCase(directory, kMessagesFileName);
  if (!path) {
    if (report) GetPrompts().Error(kErrReadMessages);
    return false;
  }
  return OpenPath(*path, mode, report);
}

bool TMessagesFile::OpenPath(const std::string& path, TOpenMode mode, bool report) {
  Close();
  if (!file_.Open(path, mode)) {
    if (report) GetPrompts().Error(kErrReadMessages);
    return false;
  }
  size_ = file_.Size();
  return true;
}

void TMessagesFile::Close() {
  file_.Close();
  size_ = 0;
  window_.clear();
  windowStart_ = -1;
}

bool TMessagesFile::HoldsHeader(int64_t block) const {
  if (block < 1 || block > size_ / static_cast<int64_t>(kQWKBlockSize) + 1) return false;
  return BlockOffset(block) < size_;
}

bool TMessagesFile::ReadHeader(int64_t block, TQWKHeader& header) {
  header = TQWKHeader();
  if (!IsOpen() || !HoldsHeader(block)) return false;
  int64_t offset = BlockOffset(block);
  int64_t windowEnd = windowStart_ + static_cast<int64_t>(window_.size());
  if (windowStart_ < 0 || offset < windowStart_ || offset + static_cast<int64_t>(kQWKBlockSize) > windowEnd) {
    // The window never reaches past a partial header at the end of the file.
    window_.resize(kWindowSize);
    size_t got = file_.ReadAt(offset, window_.data(), window_.size());
    window_.resize(got);
    windowStart_ = offset;
    windowEnd = offset + static_cast<int64_t>(got);
    if (got == 0) return false;
  }
  size_t from = static_cast<size_t>(offset - windowStart_);
  size_t n = std::min(kQWKBlockSize, window_.size() - from);
  std::memcpy(header.Data(), window_.data() + from, n);
  return true;
}

int64_t TMessagesFile::BodyLengthInFile(int64_t block, const TQWKHeader& header) const {
  if (!HoldsHeader(block)) return 0;
  int64_t bodyStart = BlockOffset(block) + static_cast<int64_t>(kQWKBlockSize);
  int64_t available = std::max<int64_t>(0, size_ - bodyStart);
  return std::min(header.BodyLength(), available);
}

std::string_view TMessagesFile::ReadBody(int64_t block, std::string& buffer) {
  buffer.clear();
  if (!IsOpen() || !HoldsHeader(block)) return {};
  // The header and most bodies come in one read; a longer body takes a second.
  const int64_t offset = BlockOffset(block);
  buffer.resize(static_cast<size_t>(std::min<int64_t>(kFirstBodyRead, size_ - offset)));
  buffer.resize(file_.ReadAt(offset, buffer.data(), buffer.size()));
  if (buffer.size() < kQWKBlockSize) return {};
  const TQWKHeader header(std::string_view(buffer.data(), kQWKBlockSize));
  const size_t whole = kQWKBlockSize + static_cast<size_t>(BodyLengthInFile(block, header));
  if (whole > buffer.size()) {
    const size_t have = buffer.size();
    buffer.resize(whole);
    buffer.resize(have + file_.ReadAt(offset + static_cast<int64_t>(have), buffer.data() + have, whole - have));
  }
  return std::string_view(buffer).substr(kQWKBlockSize, std::min(whole, buffer.size()) - kQWKBlockSize);
}

bool TMessagesFile::MarkRead(int64_t block, const TQWKHeader& header, bool read) {
  if (!IsOpen() || !HoldsHeader(block)) return false;
  TQWKHeader marked = header;
  if (read) {
    marked.SetReadMark();
  } else {
    marked.ClearReadMark();
  }
  int64_t offset = BlockOffset(block);
  size_t n = static_cast<size_t>(std::min<int64_t>(kQWKBlockSize, size_ - offset));
  if (n <= qwkhdr::kReadMark) return false;  // the marker lies past the end of a cut file
  if (!file_.WriteAt(offset, std::string_view(marked.Data(), n))) return false;
  // Keep the read-ahead window in step with the file.
  int64_t windowEnd = windowStart_ + static_cast<int64_t>(window_.size());
  if (windowStart_ >= 0 && offset + static_cast<int64_t>(n) > windowStart_ && offset < windowEnd) {
    window_.clear();
    windowStart_ = -1;
  }
  return true;
}

bool TMessagesFile::ExportBody(int64_t block, const std::string& target) {
  if (!IsOpen() || !HoldsHeader(block)) {
    GetPrompts().Error(kErrReadMessages);
    return false;
  }
  return CopyBodyToTextFile(file_, BlockOffset(block), target);
}

}  // namespace korrin
