#include "engine/qwk_header.h"

#include <algorithm>

#include "platform/text.h"

namespace korrin {

TStatusChar DecodeStatusChar(char c) {
  switch (c) {
    case ' ': return {true, tStatus::sPublic, false};
    case '-': return {true, tStatus::sPublic, true};
    case '+': return {true, tStatus::sPrivate, false};
    case '*': return {true, tStatus::sPrivate, true};
    case '~': return {true, tStatus::sSysop, true};
    case '`': return {true, tStatus::sSysop, false};
    case '!':
    case '#':
    case '$':
    case '%':
    case '^': return {true, tStatus::sPassword, false};
    default: return {false, tStatus::sPublic, false};
  }
}

char EncodeStatusChar(tStatus status, bool wasRead) {
  bool priv = status == tStatus::sPrivate;
  if (wasRead) return priv ? '*' : '-';
  return priv ? '+' : ' ';
}

TQWKHeader::TQWKHeader() { bytes_.fill(' '); }

TQWKHeader::TQWKHeader(std::string_view raw) {
  bytes_.fill(' ');
  std::copy_n(raw.begin(), std::min(raw.size(), bytes_.size()), bytes_.begin());
}

std::string TQWKHeader::Field(size_t offset, size_t width) const {
  if (offset >= bytes_.size()) return {};
  width = std::min(width, bytes_.size() - offset);
  return std::string(bytes_.data() + offset, width);
}

void TQWKHeader::SetField(size_t offset, size_t width, std::string_view text) {
  if (offset >= bytes_.size()) return;
  width = std::min(width, bytes_.size() - offset);
  for (size_t i = 0; i < width; ++i) bytes_[offset + i] = i < text.size() ? text[i] : ' ';
}

int32_t TQWKHeader::BlockCount() const {
  // Blanks are skipped; NUL bytes, which some doors pad fields with, too.
  std::string digits;
  for (size_t i = 0; i < qwkhdr::kBlocksLen; ++i) {
    char c = bytes_[qwkhdr::kBlocks + i];
    if (c != ' ' && c != '\0') digits.push_back(c);
  }
  auto v = ParseInt(digits);
  return v ? static_cast<int32_t>(*v) : 0;  // six characters always fit
}

void TQWKHeader::SetBlockCount(int32_t count) { SetField(qwkhdr::kBlocks, qwkhdr::kBlocksLen, std::to_string(count)); }

int64_t TQWKHeader::BodyLength() const {
  int32_t count = BlockCount();
  return count > 1 ? static_cast<int64_t>(count - 1) * static_cast<int64_t>(kQWKBlockSize) : 0;
}

int64_t TQWKHeader::BlockSpan() const {
  int32_t count = BlockCount();
  return count > 1 ? count : 1;
}

uint16_t TQWKHeader::Conference() const {
  return static_cast<uint16_t>(Byte(qwkhdr::kConference) | (Byte(qwkhdr::kConference + 1) << 8));
}

void TQWKHeader::SetConference(uint16_t conference) {
  SetByte(qwkhdr::kConference, static_cast<unsigned char>(conference & 0xFF));
  SetByte(qwkhdr::kConference + 1, static_cast<unsigned char>(conference >> 8));
}

}  // namespace korrin
