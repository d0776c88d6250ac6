#pragma once
// A quick look at a message body before the message record reads it: the
// MIME codec changes what the record shows only when the body holds a MIME
// header keyword or a uuencode "begin" line. Bodies without any of them
// are read without the codec, which gives the same text in less time.

#include <cstdint>
#include <string>
#include <string_view>

namespace korrin::tool {

// True when the bytes hold "MIME-VERSION", "CONTENT-" or "BEGIN 6" in any
// letter case: a superset of the lines on which the codec acts.
bool BodyMayHoldMime(std::string_view body);

// "messages.dat" mapped read-only, for looking at bodies by block number.
class TMessagesMap {
public:
  TMessagesMap() = default;
  ~TMessagesMap();
  TMessagesMap(const TMessagesMap&) = delete;
  TMessagesMap& operator=(const TMessagesMap&) = delete;

  bool Open(const std::string& path);
  bool IsOpen() const { return data_ != nullptr; }
  // The body bytes of the message whose header is at the block, cut at the
  // end of the file; nothing for a block outside it.
  std::string_view Body(int64_t block) const;

private:
  const char* data_ = nullptr;
  size_t size_ = 0;
};

}  // namespace korrin::tool
