#include "engine/qwk_blocks.h"

#include <algorithm>

#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/random.h"
#include "platform/text.h"

namespace korrin {

std::string BodyText(const std::vector<std::string>& lines) {
  std::string text;
  size_t total = 0;
  for (const auto& l : lines) total += l.size() + 1;
  text.reserve(total);
  for (const auto& l : lines) {
    size_t n = l.size();
    if (n > 0 && l[n - 1] == '\n') --n;
    if (n > 0 && l[n - 1] == '\r') --n;
    text.append(l, 0, n);
    text.push_back('\r');
  }
  return text;
}

namespace {
int64_t CountForLength(size_t length) { return static_cast<int64_t>(length / kQWKBlockSize) + 2; }
}  // namespace

int32_t BlockCountFor(const std::vector<std::string>& lines) {
  if (lines.empty()) return 0;
  int64_t count = CountForLength(BodyText(lines).size());
  return count > kMaxBlockCount ? -1 : static_cast<int32_t>(count);
}

std::string EncodeMessage(TQWKHeader& header, const std::vector<std::string>& lines) {
  if (lines.empty()) {
    header.SetBlockCount(0);
    return std::string(header.Raw());
  }
  std::string body = BodyText(lines);
  int64_t count = CountForLength(body.size());
  if (count > kMaxBlockCount) return {};
  header.SetBlockCount(static_cast<int32_t>(count));
  std::string out(header.Raw());
  size_t bodyBytes = static_cast<size_t>(count - 1) * kQWKBlockSize;
  out.reserve(kQWKBlockSize + bodyBytes);
  for (char c : body) {
    if (c == '\r') c = static_cast<char>(qwkhdr::kLineEnd);
    else if (c == '\n') c = ' ';
    out.push_back(c);
  }
  out.append(kQWKBlockSize + bodyBytes - out.size(), ' ');
  return out;
}

int32_t WriteMessage(TBlockFile& file, TQWKHeader& header, const std::vector<std::string>& lines) {
  std::string bytes = EncodeMessage(header, lines);
  if (bytes.empty() || !file.Write(bytes)) {
    GetPrompts().Error(kErrWritingMessage);
    return -1;
  }
  return header.BlockCount();
}

int64_t ReadBodyPieces(TBlockFile& file, int64_t length, const std::function<bool(std::string_view)>& piece) {
  int64_t done = 0;
  char buf[kBodyPieceSize];
  while (done < length) {
    size_t want = static_cast<size_t>(std::min<int64_t>(kBodyPieceSize, length - done));
    size_t got = file.Read(buf, want);
    if (got == 0) break;
    done += static_cast<int64_t>(got);
    if (!piece(std::string_view(buf, got))) break;
    if (got < want) break;
  }
  return done;
}

bool CopyBodyToTextFile(TBlockFile& file, int64_t headerOffset, const std::string& target) {
  char raw[kQWKBlockSize];
  size_t got = file.ReadAt(headerOffset, raw, sizeof raw);
  TQWKHeader header(std::string_view(raw, got));
  TBlockFile out;
  if (!out.Open(target, TOpenMode::omCreate)) {
    GetPrompts().Error(kErrWriteFile + target);
    return false;
  }
  bool ok = true;
  file.Seek(headerOffset + static_cast<int64_t>(kQWKBlockSize));
  ReadBodyPieces(file, header.BodyLength(), [&](std::string_view piece) {
    std::string text(piece);
    std::replace(text.begin(), text.end(), static_cast<char>(qwkhdr::kLineEnd), '\r');
    ok = out.Write(text);
    return ok;
  });
  if (!ok) GetPrompts().Error(kErrWriteFile + target);
  return ok;
}

bool ExportBodyFromFile(const std::string& source, const std::string& target) {
  TBlockFile in;
  if (!in.Open(source, TOpenMode::omRead)) {
    GetPrompts().Error(kErrReadBoxFile + source);
    return false;
  }
  return CopyBodyToTextFile(in, 0, target);
}

bool ReadBoxHeader(const std::string& path, TQWKHeader& header) {
  header = TQWKHeader();
  TBlockFile in;
  if (!in.Open(path, TOpenMode::omRead)) return false;
  char raw[kQWKBlockSize];
  size_t got = in.ReadAt(0, raw, sizeof raw);
  header = TQWKHeader(std::string_view(raw, got));
  return true;
}

std::string NewBoxFilePath(const std::string& folder) {
  return IncludeTrailingBackslash(folder) + RandomBoxFileName(folder);
}

int32_t WriteBoxFile(const std::string& path, TQWKHeader& header, const std::vector<std::string>& lines) {
  std::string bytes = EncodeMessage(header, lines);
  if (bytes.empty() || !WriteFileAtomic(path, bytes)) {
    GetPrompts().Error(kErrWritingMessage);
    return -1;
  }
  return header.BlockCount();
}

std::string ReplyFileName(const std::string& bbsid) { return bbsid + ".msg"; }

std::string ReplyFileFirstBlock(const std::string& bbsid) {
  std::string block = Trim(bbsid).substr(0, kQWKBlockSize);
  block.append(kQWKBlockSize - block.size(), ' ');
  return block;
}

std::string ReplyFileBBSID(std::string_view firstBlock) {
  return TrimRight(firstBlock.substr(0, std::min(firstBlock.size(), kQWKBlockSize)));
}

}  // namespace korrin
