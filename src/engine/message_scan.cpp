#include "engine/message_scan.h"

#include <filesystem>

#include "engine/control_file.h"
#include "engine/messages_file.h"
#include "engine/qwk_index.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace korrin {

namespace {
bool BlankOrNulBlock(std::string_view raw) {
  return raw.find_first_not_of(std::string_view(" \0", 2)) == std::string_view::npos;
}
}  // namespace

std::map<uint16_t, std::vector<int64_t>> ScanMessageConferences(const std::string& directory) {
  std::map<uint16_t, std::vector<int64_t>> conferences;
  TMessagesFile messages;
  if (!messages.Open(directory, TOpenMode::omRead, false)) return conferences;
  TQWKHeader header;
  // Block 1 is the door's; messages follow, each spanning its block count.
  for (int64_t block = 2; messages.HoldsHeader(block) && messages.ReadHeader(block, header);) {
    const int64_t span = header.BlockSpan();
    // A block of padding, a voting record, a header whose block count is no
    // number: one block passed over.
    const bool message = !BlankOrNulBlock(header.Raw()) && header.StatusChar() != 'V' && header.BlockCount() >= 1;
    if (message) conferences[header.Conference()].push_back(block);
    block += message ? span : 1;
  }
  return conferences;
}

bool HoldsIndexFiles(const std::string& directory) {
  std::error_code ec;
  for (std::filesystem::directory_iterator it(directory, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.size() > 4 && SameText(name.substr(name.size() - 4), ".ndx")) return true;
  }
  return false;
}

int WriteIndexFilesFromMessages(const std::string& directory) {
  if (directory.empty() || HoldsIndexFiles(directory)) return 0;
  int written = 0;
  for (const auto& [conference, blocks] : ScanMessageConferences(directory)) {
    std::string data;
    data.reserve(blocks.size() * kIndexRecordSize);
    for (int64_t block : blocks) {
      TBasicSingle b = BlockNumberToBasic(block);
      data.append(reinterpret_cast<const char*>(b.data()), b.size());
      data.push_back(static_cast<char>(conference & 0xFF));
    }
    const std::string path = IncludeTrailingBackslash(directory) + IndexFileStem(std::to_string(conference));
    if (WriteFileAtomic(path, data, false)) ++written;
  }
  return written;
}

}  // namespace korrin
