#include "engine/to_reader.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <optional>

#include "engine/text_line_reader.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/text.h"

namespace korrin {

namespace {

enum class TReadResult { rrMissing, rrUnreadable, rrRead };

// Every line of a file of the folder (any letter case).
TReadResult ReadLines(const std::string& directory, const char* name, std::vector<std::string>& lines) {
  lines.clear();
  if (directory.empty()) return TReadResult::rrMissing;
  auto path = FindFileNoCase(directory, name);
  if (!path) return TReadResult::rrMissing;
  auto read = ReadTextLines(*path);
  if (!read) return TReadResult::rrUnreadable;
  lines = std::move(*read);
  return TReadResult::rrRead;
}

bool StartsWith(const std::string& line, const std::string& word) { return line.compare(0, word.size(), word) == 0; }

std::string DropTokens(std::string text, int tokens) {
  for (int i = 0; i < tokens; ++i) {
    auto blank = text.find(' ');
    if (blank == std::string::npos) break;
    text.erase(0, blank + 1);
  }
  return text;
}

std::string FirstToken(const std::string& text) {
  auto blank = text.find(' ');
  return blank == std::string::npos ? text : text.substr(0, blank);
}

// The text after the second comma (a missing comma deletes nothing).
std::string ThirdField(std::string line) {
  for (int i = 0; i < 2; ++i) {
    auto comma = line.find(',');
    if (comma == std::string::npos) break;
    line.erase(0, comma + 1);
  }
  return line;
}

}  // namespace

uint32_t AreaFlagOfLetter(char c) {
  switch (c) {
    case 'a': return afa;
    case 'p': return afp;
    case 'g': return afg;
    case 'w': return afw;
    case 'k': return afk;
    case 'f': return aff;
    case 'F': return afF;
    case 'B': return afB;
    case 'P': return afP;
    case 'O': return afO;
    case 'X': return afX;
    case 'R': return afR;
    case 'Z': return afZ;
    case 'L': return afL;
    case 'N': return afN;
    case 'E': return afE;
    case 'I': return afI;
    case 'U': return afU;
    case 'H': return afH;
    case 'A': return afA;
    case '&': return afAmp;
    default: return 0;
  }
}

void TToReader::Report(const char* text) {
  if (shown_) {
    if (std::find_if(shown_->begin(), shown_->end(), [&](const char* t) { return std::strcmp(t, text) == 0; }) !=
        shown_->end())
      return;
    shown_->push_back(text);
  }
  GetPrompts().Box(TBoxKind::bkPlain, text, TBoxButtons::bbOk);
}

void TToReader::LoadExtensionLists() {
  std::vector<const char*> shown;
  shown_ = &shown;
  LoadFilterList();
  LoadTwitList();
  LoadKeywordList();
  LoadFileList();
  LoadAttachList();
  shown_ = nullptr;
}

void TToReader::LoadWordList(TStringList& list, const std::string& word) {
  list.clear();
  std::vector<std::string> lines;
  auto r = ReadLines(directory_, kToReaderFileName, lines);
  if (r == TReadResult::rrUnreadable) Report(kErrReadToReader);
  if (r != TReadResult::rrRead) return;
  for (const auto& line : lines)
    if (StartsWith(line, word)) list.push_back(line.size() > word.size() ? line.substr(word.size() + 1) : std::string());
  // Additions still waiting in the reply's command file.
  auto d = ReadLines(directory_, kToDoorFileName, lines);
  if (d == TReadResult::rrUnreadable) Report(kErrReadRequiredToDoor);
  if (d != TReadResult::rrRead) return;
  for (const auto& line : lines) {
    if (!StartsWith(line, word)) continue;
    std::string rest = line.size() > word.size() ? line.substr(word.size() + 1) : std::string();
    if (rest.empty() || rest[0] != '-') list.push_back(rest);
  }
}

void TToReader::LoadFilterList() { LoadWordList(filterList_, "FILTER"); }
void TToReader::LoadTwitList() { LoadWordList(twitList_, "TWIT"); }
void TToReader::LoadKeywordList() { LoadWordList(keywordList_, "KEYWORD"); }

void TToReader::LoadFileList() {
  fileList_.clear();
  std::vector<std::string> lines;
  auto r = ReadLines(directory_, kToReaderFileName, lines);
  if (r == TReadResult::rrUnreadable) Report(kErrReadRequiredToReader);
  for (const auto& line : lines)
    if (line.substr(0, 5).find("FILE") != std::string::npos) fileList_.push_back(line.substr(std::min<size_t>(5, line.size())));
  auto a = ReadLines(directory_, kAttachedListFileName, lines);
  if (a == TReadResult::rrUnreadable) Report(kErrReadRequiredAttached);
  for (const auto& line : lines)
    if (!line.empty()) fileList_.push_back(ThirdField(line));
}

void TToReader::LoadAttachList() {
  attachList_.clear();
  std::vector<std::string> lines;
  auto r = ReadLines(directory_, kToReaderFileName, lines);
  if (r == TReadResult::rrUnreadable) Report(kErrReadRequiredToReader);
  for (const auto& line : lines)
    if (line.substr(0, 7).find("ATTACH") != std::string::npos) attachList_.push_back(line);
}

uint32_t TToReader::AreaFlagsOf(const std::string& conference) const {
  auto stamp = [](const std::string& path, int64_t& size, int64_t& mtime) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return false;
    size = st.st_size;
    mtime = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return true;
  };
  int64_t size = 0, mtime = 0;
  bool fresh = !areaCache_.path.empty() && ExtractFilePath(areaCache_.path) == IncludeTrailingBackslash(directory_) &&
               stamp(areaCache_.path, size, mtime) && size == areaCache_.size && mtime == areaCache_.mtime;
  if (!fresh) {
    areaCache_ = TAreaCache{};
    std::vector<std::string> lines;
    auto r = ReadLines(directory_, kToReaderFileName, lines);
    if (r == TReadResult::rrUnreadable) GetPrompts().Box(TBoxKind::bkPlain, kErrReadToReader, TBoxButtons::bbOk);
    auto path = r == TReadResult::rrRead ? FindFileNoCase(directory_, kToReaderFileName) : std::nullopt;
    if (path && stamp(*path, size, mtime)) areaCache_ = TAreaCache{*path, size, mtime, {}};
    for (auto& line : lines)
      if (StartsWith(line, "AREA")) areaCache_.lines.push_back(std::move(line));
    if (!path) {
      // Not cached: an unreadable file is reported again at the next call.
      areaCache_.path.clear();
    }
  }
  const std::vector<std::string>& lines = areaCache_.lines;
  uint32_t flags = 0;
  for (const auto& line : lines) {
    std::string conf = StartsWith(line, "AREA") ? FirstToken(DropTokens(line, 1)) : line;
    if (conf != conference) continue;
    for (char c : FirstToken(DropTokens(line, 2))) flags |= AreaFlagOfLetter(c);
  }
  return flags;
}

}  // namespace korrin
