#pragma once
// The packet's extended headers file "headers.dat": one text section per
// message, named in brackets by the hexadecimal byte offset of the
// message's header block in messages.dat ("[80]" is the first message),
// with lines "Key: value" or "Key = value" (LF or CR LF). It carries the
// full To, From and Subject that the 25-character header fields cut, the
// message identifiers and whether the message is in UTF-8.
//
// The file is read once per packet into an index of the sections' places
// (streamed: files of several MB are normal); a section is parsed when a
// message asks for it.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/block_file.h"

namespace korrin {

inline constexpr const char* kHeadersFileName = "headers.dat";

// The fields of one section that the reader uses (empty when absent).
struct TExtendedHeader {
  std::string To;
  std::string From;  // "From", else "Sender"
  std::string Subject;
  std::string MessageID;
  std::string InReplyTo;
  bool Utf8 = false;  // "Utf8: true": header fields and body are UTF-8
};

// Parses the lines of one section (its name line excluded). Unknown keys
// and lines without a key are ignored; values are trimmed.
TExtendedHeader ParseHeaderSection(std::string_view text);

// The section of one message in the file's format (name line included).
std::string FormatHeaderSection(int64_t offset, const TExtendedHeader& header);

class TExtendedHeaders {
public:
  // Longer sections are read only this far.
  static constexpr size_t kMaxSection = 64 * 1024;

  // Indexes the file; false when it cannot be opened (the index stays empty).
  bool Open(const std::string& path);
  // Indexes text held in memory (tests and fuzzing).
  void OpenText(std::string text);
  size_t Count() const { return sections_.size(); }
  // The section of the message whose header starts at this byte offset of
  // messages.dat; nothing when there is none or it cannot be read.
  std::optional<TExtendedHeader> Find(int64_t offset) const;

private:
  struct TSection {
    uint64_t Key;
    uint64_t Start;
    uint32_t Length;
  };
  void Index(std::string_view chunk, uint64_t base, bool last);
  void AddSection(uint64_t end);

  TBlockFile file_;
  std::string text_;  // with OpenText
  // Read-ahead window over the file: sections are mostly asked for in file
  // order, so one read serves many.
  mutable std::string window_;
  mutable uint64_t windowStart_ = 0;
  mutable uint64_t lastEnd_ = 0;  // end of the section asked for last
  std::vector<TSection> sections_;
  // Scanning state.
  std::string line_;
  bool keyLine_ = false;  // the line being read starts with a key: no section name
  uint64_t lineStart_ = 0;
  bool inSection_ = false;
  uint64_t key_ = 0, start_ = 0;
};

// The index of "headers.dat" in a packet folder, built once per file (kept
// while the file's size and time stay the same); null when the folder has
// none.
std::shared_ptr<const TExtendedHeaders> PacketExtendedHeaders(const std::string& directory);
// Drops the index of a folder whose packet goes (its file is closed once no
// reader holds the index).
void ForgetPacketExtendedHeaders(const std::string& directory);

}  // namespace korrin
