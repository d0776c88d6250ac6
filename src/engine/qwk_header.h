#pragma once
// The 128-byte QWK block and the message header that starts every message
// in "messages.dat", in reply files and in ".qms" box files.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace korrin {

inline constexpr size_t kQWKBlockSize = 128;

// Status of a message as the header's first character tells it.
enum class tStatus : uint8_t { sPublic, sPrivate, sSysop, sPassword };

// What a status character means when read.
struct TStatusChar {
  bool Known = false;  // false: the status stays as it was
  tStatus Status = tStatus::sPublic;
  bool WasRead = false;
};
TStatusChar DecodeStatusChar(char c);
// The character written: "*" / "-" for a read message (private / otherwise),
// "+" / blank for an unread one. Sysop and password messages count as public.
char EncodeStatusChar(tStatus status, bool wasRead);

// Field offsets and widths of the header.
namespace qwkhdr {
inline constexpr size_t kStatus = 0;
inline constexpr size_t kNumber = 1, kNumberLen = 7;
inline constexpr size_t kDate = 8, kDateLen = 8;
inline constexpr size_t kTime = 16, kTimeLen = 5;
inline constexpr size_t kTo = 21, kToLen = 25;
inline constexpr size_t kFrom = 46, kFromLen = 25;
inline constexpr size_t kSubject = 71, kSubjectLen = 25;
inline constexpr size_t kPassword = 96, kPasswordLen = 12;
inline constexpr size_t kReferNum = 108, kReferNumLen = 8;
inline constexpr size_t kBlocks = 116, kBlocksLen = 6;
inline constexpr size_t kActive = 122;
inline constexpr size_t kConference = 123;  // 16-bit little-endian
inline constexpr size_t kReadMark = 125, kReadMarkLen = 2;
inline constexpr size_t kNetTag = 127;
inline constexpr unsigned char kActiveByte = 0xE1;
inline constexpr unsigned char kKilledByte = 0xE2;
inline constexpr char kReadMarkChar = 'R';
// Line end inside a body.
inline constexpr unsigned char kLineEnd = 0xE3;
}  // namespace qwkhdr

class TQWKHeader {
public:
  // 128 blanks.
  TQWKHeader();
  // The given bytes, cut or padded with blanks to 128.
  explicit TQWKHeader(std::string_view raw);

  char* Data() { return bytes_.data(); }
  const char* Data() const { return bytes_.data(); }
  std::string_view Raw() const { return {bytes_.data(), bytes_.size()}; }
  unsigned char Byte(size_t offset) const { return static_cast<unsigned char>(bytes_[offset]); }
  void SetByte(size_t offset, unsigned char value) { bytes_[offset] = static_cast<char>(value); }

  // The field's bytes as stored (blanks kept).
  std::string Field(size_t offset, size_t width) const;
  // Left-justified, padded with blanks, cut to the width.
  void SetField(size_t offset, size_t width, std::string_view text);

  char StatusChar() const { return bytes_[qwkhdr::kStatus]; }
  void SetStatusChar(char c) { bytes_[qwkhdr::kStatus] = c; }
  void SetStatus(tStatus status, bool wasRead) { SetStatusChar(EncodeStatusChar(status, wasRead)); }

  std::string Number() const { return Field(qwkhdr::kNumber, qwkhdr::kNumberLen); }
  std::string Date() const { return Field(qwkhdr::kDate, qwkhdr::kDateLen); }
  std::string Time() const { return Field(qwkhdr::kTime, qwkhdr::kTimeLen); }
  std::string To() const { return Field(qwkhdr::kTo, qwkhdr::kToLen); }
  std::string From() const { return Field(qwkhdr::kFrom, qwkhdr::kFromLen); }
  std::string Subject() const { return Field(qwkhdr::kSubject, qwkhdr::kSubjectLen); }
  std::string Password() const { return Field(qwkhdr::kPassword, qwkhdr::kPasswordLen); }
  std::string ReferNum() const { return Field(qwkhdr::kReferNum, qwkhdr::kReferNumLen); }
  std::string BlockCountText() const { return Field(qwkhdr::kBlocks, qwkhdr::kBlocksLen); }
  std::string ReadMark() const { return Field(qwkhdr::kReadMark, qwkhdr::kReadMarkLen); }

  void SetNumber(std::string_view v) { SetField(qwkhdr::kNumber, qwkhdr::kNumberLen, v); }
  void SetDate(std::string_view v) { SetField(qwkhdr::kDate, qwkhdr::kDateLen, v); }
  void SetTime(std::string_view v) { SetField(qwkhdr::kTime, qwkhdr::kTimeLen, v); }
  void SetTo(std::string_view v) { SetField(qwkhdr::kTo, qwkhdr::kToLen, v); }
  void SetFrom(std::string_view v) { SetField(qwkhdr::kFrom, qwkhdr::kFromLen, v); }
  void SetSubject(std::string_view v) { SetField(qwkhdr::kSubject, qwkhdr::kSubjectLen, v); }
  void SetPassword(std::string_view v) { SetField(qwkhdr::kPassword, qwkhdr::kPasswordLen, v); }
  void SetReferNum(std::string_view v) { SetField(qwkhdr::kReferNum, qwkhdr::kReferNumLen, v); }

  // The block count, header included: blanks skipped, the rest read as a
  // decimal number; 0 when it is not one.
  int32_t BlockCount() const;
  // Writes the count left-justified ("0" and five blanks for 0).
  void SetBlockCount(int32_t count);
  // Body bytes that follow the header: (count - 1) * 128, 0 for a count of 0 or 1.
  int64_t BodyLength() const;
  // Blocks the message occupies in its file (the header alone for a count below 1).
  int64_t BlockSpan() const;

  bool Killed() const { return Byte(qwkhdr::kActive) == qwkhdr::kKilledByte; }
  void SetAlive(bool alive) { SetByte(qwkhdr::kActive, alive ? qwkhdr::kActiveByte : qwkhdr::kKilledByte); }

  uint16_t Conference() const;
  // Writes the number into offsets 123-124 (not into the number field).
  void SetConference(uint16_t conference);

  bool MarkedRead() const { return bytes_[qwkhdr::kReadMark] == qwkhdr::kReadMarkChar; }
  void SetReadMark() { bytes_[qwkhdr::kReadMark] = qwkhdr::kReadMarkChar; }
  void ClearReadMark() { bytes_[qwkhdr::kReadMark] = ' '; }

  bool operator==(const TQWKHeader& other) const { return bytes_ == other.bytes_; }

private:
  std::array<char, kQWKBlockSize> bytes_;
};

}  // namespace korrin
