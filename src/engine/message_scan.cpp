#include "engine/message_scan.h"

#include <algorithm>
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

// The records of an index file listing these blocks.
std::string IndexBytes(int conference, const std::vector<int64_t>& blocks) {
  std::string data;
  data.reserve(blocks.size() * kIndexRecordSize);
  for (int64_t block : blocks) {
    TBasicSingle b = BlockNumberToBasic(block);
    data.append(reinterpret_cast<const char*>(b.data()), b.size());
    data.push_back(static_cast<char>(conference & 0xFF));
  }
  return data;
}

// A header's block count field holds a number (blanks and NULs around it);
// in the middle of a body it holds text or nothing.
bool BlockFieldIsNumber(const TQWKHeader& header) {
  std::string_view field = header.Raw().substr(qwkhdr::kBlocks, qwkhdr::kBlocksLen);
  bool digit = false;
  for (char c : field) {
    if (c >= '0' && c <= '9') digit = true;
    else if (c != ' ' && c != '\0') return false;
  }
  return digit;
}
}  // namespace

std::map<uint16_t, std::vector<int64_t>> ScanMessageConferences(const std::string& directory) {
  std::map<uint16_t, std::vector<int64_t>> conferences;
  TMessagesFile messages;
  if (!messages.Open(directory, TOpenMode::omRead, false)) return conferences;
  TQWKHeader header;
  // Block 1 is the door's; messages follow, each spanning its block count.
  for (int64_t block = 2; messages.HoldsHeader(block) && messages.ReadHeader(block, header);) {
    // A block of padding or one whose block count is no number: passed over
    // one block at a time. Voting records are no messages.
    const bool isHeader = !BlankOrNulBlock(header.Raw()) && BlockFieldIsNumber(header);
    if (isHeader && header.StatusChar() != 'V') conferences[header.Conference()].push_back(block);
    block += isHeader ? header.BlockSpan() : 1;
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
    const std::string path = IncludeTrailingBackslash(directory) + IndexFileStem(std::to_string(conference));
    if (WriteFileAtomic(path, IndexBytes(conference, blocks), false)) ++written;
  }
  return written;
}

namespace {
// The conference number of an index file name "NNN.ndx"; -1 for any other.
int IndexConference(const std::string& name) {
  if (name.size() < 5 || name.size() > 9 || !SameText(name.substr(name.size() - 4), ".ndx")) return -1;
  const std::string stem = name.substr(0, name.size() - 4);
  if (!std::all_of(stem.begin(), stem.end(), [](char c) { return c >= '0' && c <= '9'; })) return -1;
  const long n = std::stol(stem);
  return n > 65535 ? -1 : static_cast<int>(n);
}

bool PointsAtHeader(TMessagesFile& messages, TQWKIndex& index, int32_t n) {
  auto block = index.BlockNumber(n);
  TQWKHeader header;
  return block && *block >= 2 && messages.HoldsHeader(*block) && messages.ReadHeader(*block, header) &&
         BlockFieldIsNumber(header);
}
}  // namespace

std::vector<std::string> BrokenIndexFiles(const std::string& directory) {
  std::vector<std::string> broken;
  TMessagesFile messages;
  if (!messages.Open(directory, TOpenMode::omRead, false)) return broken;
  // Records beyond a messages.dat that lost its end are not the index's fault.
  if (messages.Size() <= static_cast<int64_t>(kQWKBlockSize)) return broken;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(directory, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (IndexConference(name) < 0) continue;
    TQWKIndex index;
    if (!index.Open(it->path().string(), false) || index.Count() == 0) continue;
    // One record that reaches a message is enough: the others are shown as
    // records that cannot be read.
    bool reaches = false;
    for (int32_t n = 1; n <= index.Count() && !reaches; ++n)
      reaches = PointsAtHeader(messages, index, n == 1 ? 1 : n == 2 ? index.Count() : n - 1);
    if (!reaches) broken.push_back(name);
  }
  std::sort(broken.begin(), broken.end());
  return broken;
}

int RepairIndexFiles(const std::string& directory) {
  const std::vector<std::string> broken = BrokenIndexFiles(directory);
  if (broken.empty()) return 0;
  const auto conferences = ScanMessageConferences(directory);
  int written = 0;
  for (const std::string& name : broken) {
    const int conference = IndexConference(name);
    auto it = conferences.find(static_cast<uint16_t>(conference));
    const std::string data = it == conferences.end() ? std::string() : IndexBytes(conference, it->second);
    if (WriteFileAtomic(IncludeTrailingBackslash(directory) + name, data, false)) ++written;
  }
  return written;
}

}  // namespace korrin
