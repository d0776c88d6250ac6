#include "engine/conference_reader.h"

#include "platform/paths.h"
#include "platform/prompts.h"

namespace korrin {

bool TConferenceReader::Open(const std::string& directory, const std::string& indexFile, TOpenMode mode) {
  Close();
  if (!messages_.Open(directory, mode)) return false;
  index_.Open(PathNoCase(directory, indexFile));
  return true;
}

void TConferenceReader::Close() {
  messages_.Close();
  index_.Close();
}

bool TConferenceReader::IsReadable(int32_t n) {
  auto block = index_.BlockNumber(n);
  return block && messages_.HoldsHeader(*block);
}

bool TConferenceReader::ReadHeader(int32_t n, TQWKHeader& header) {
  auto block = index_.BlockNumber(n);
  if (!block) {
    header = TQWKHeader();
    return false;
  }
  return messages_.ReadHeader(*block, header);
}

bool TConferenceReader::MarkRead(int32_t n, const TQWKHeader& header, bool read) {
  auto block = index_.BlockNumber(n);
  return block && messages_.MarkRead(*block, header, read);
}

bool TConferenceReader::ExportBody(int32_t n, const std::string& target) {
  auto block = index_.BlockNumber(n);
  if (!block || !messages_.HoldsHeader(*block)) {
    GetPrompts().Error(kErrReadMessages);
    return false;
  }
  return messages_.ExportBody(*block, target);
}

}  // namespace korrin
