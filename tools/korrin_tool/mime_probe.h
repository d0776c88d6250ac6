#pragma once
// A quick look at a message body before the message record reads it, to
// read it the cheapest way that gives the same result: the MIME codec
// changes what the record shows only when the body holds a MIME header
// keyword or a uuencode "begin" line, and reading through the index (which
// opens the files and marks the message read each time) differs from
// reading at the message's block only for the kludge lines below.

#include <cstdint>
#include <string>
#include <string_view>

namespace korrin::tool {

// True when the bytes hold "MIME-VERSION", "CONTENT-" or "BEGIN 6" in any
// letter case: a superset of the lines on which the codec acts.
bool BodyMayHoldMime(std::string_view body);

// True when a line of the body (lines end with 0xE3) starts with 0x01, has
// "@" as its second character, or starts with one of the gateway header
// words ("X-Mail", "X-News", "X-Send", "X-Read", "Mime-V", "NNTP-P"): the
// lines that the record treats differently in a packet message than in a
// reply or box file. A body without them reads the same either way.
bool BodyHasPacketLines(std::string_view body);

// "messages.dat" read by block number, one message at a time (the body
// is read into a buffer that the next call reuses).
class TMessagesMap {
public:
  TMessagesMap() = default;
  ~TMessagesMap();
  TMessagesMap(const TMessagesMap&) = delete;
  TMessagesMap& operator=(const TMessagesMap&) = delete;

  bool Open(const std::string& path);
  bool IsOpen() const { return fd_ >= 0; }
  // The body bytes of the message whose header is at the block, cut at the
  // end of the file; nothing for a block outside it. Valid until the next call.
  std::string_view Body(int64_t block);

private:
  int fd_ = -1;
  uint64_t size_ = 0;
  std::string buffer_;
};

}  // namespace korrin::tool
