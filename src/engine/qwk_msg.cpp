#include "engine/qwk_msg.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>

#include "engine/board_settings.h"
#include "engine/messages_file.h"
#include "engine/qwk_blocks.h"
#include "engine/qwk_index.h"
#include "engine/to_reader.h"
#include "platform/charset.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/text.h"
#include "engine/tessel_mime.h"

namespace korrin {

namespace {

constexpr char kLineEndChar = static_cast<char>(qwkhdr::kLineEnd);
// Lines of the text that ExtractExtendedHeader looks at: indices 0 to 13.
constexpr size_t kExtendedHeaderLines = 14;
// "tmpR.txt" is written in pieces of this size.
constexpr size_t kWriteChunk = 64 * 1024;
// The carbon-copy lines stop collecting pieces once this long.
constexpr size_t kCarbonCopyLineLength = 60;
// Lines kept from one message for the next.
constexpr size_t kPooledLines = 4096;
constexpr size_t kPooledLineCapacity = 512;
// Work buffers larger than this are given back after a message.
constexpr size_t kKeptBufferCapacity = 1 << 20;

void Release(std::string& buffer) {
  buffer.clear();
  if (buffer.capacity() > kKeptBufferCapacity) std::string().swap(buffer);
}
// Leading empty lines removed before writing.
constexpr int kMaxLeadingEmpty = 6;

const char* const kKludgeHeads[] = {"X-Mail", "X-News", "X-Send", "X-Read", "Mime-V", "NNTP-P"};

bool IsKludgeHead(const char* head, size_t len) {
  if (len < 6) return false;
  for (const char* k : kKludgeHeads)
    if (std::equal(k, k + 6, head)) return true;
  return false;
}

// The "@" words of kludge lines as gateways write them (the networks' 0x01
// control lines with "@" for the 0x01).
constexpr std::string_view kAtKludgeWords[] = {"MSGID", "REPLY", "PID",  "TID",      "VIA",   "TZUTC",
                                               "TZ",    "CHRS",  "CHARSET", "CODEPAGE", "INTL", "FMPT",
                                               "TOPT",  "FLAGS", "PATH", "SEEN-BY",  "SPLIT", "EID"};

// The position of `word` in the upper-cased text when it starts at one of
// the first three characters; npos otherwise. Only the start of the line is
// upper-cased: a later first occurrence cannot count.
size_t HeadMatch(const std::string& line, std::string_view word, bool upper) {
  std::string_view head(line.data(), std::min(line.size(), word.size() + 2));
  std::string prefix = upper ? AnsiUpperCase(head) : std::string(head);
  size_t p = prefix.find(word);
  return p != std::string::npos && p <= 2 ? p : std::string::npos;
}

std::string From(const std::string& line, size_t pos) { return pos < line.size() ? line.substr(pos) : std::string(); }

bool BlankOrNul(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return c == ' ' || c == '\0'; });
}

// Splits the text of "tmpR.txt" into lines as it is written: a line ends at
// a carriage return, a line feed or both. Line strings are taken from a
// pool of strings kept from the message before, so that reading message
// after message does not allocate a string per line.
class TLineSplitter {
public:
  TLineSplitter(std::vector<std::string>& lines, std::vector<std::string>* pool) : lines_(lines), pool_(pool) {}
  void Feed(std::string_view data) {
    const char* p = data.data();
    const char* end = p + data.size();
    while (p < end) {
      if (afterCR_ && *p == '\n') {
        ++p;
        afterCR_ = false;
        continue;
      }
      afterCR_ = false;
      const char* q = p;
      while (q < end && *q != '\r' && *q != '\n') ++q;
      cur_.append(p, q);
      if (q == end) break;
      lines_.push_back(std::move(cur_));
      cur_.clear();
      if (pool_ && !pool_->empty()) {
        cur_.swap(pool_->back());
        pool_->pop_back();
        cur_.clear();
      }
      afterCR_ = *q == '\r';
      p = q + 1;
    }
  }
  // The text after the last line end (the blanks that fill the last block,
  // usually).
  std::string& Rest() { return cur_; }

private:
  std::vector<std::string>& lines_;
  std::vector<std::string>* pool_;
  std::string cur_;
  bool afterCR_ = false;
};

std::string TempPath(const std::string& name) { return ProgramFolder() + name; }

// A temporary file rewritten for every message. It is overwritten in place
// and then cut to its new length instead of being emptied on opening: a
// file emptied and written again is flushed to the disk when it is closed
// (file systems do that to protect files replaced that way), which would
// cost a disk write for every message read.
class TTempFile {
public:
  TTempFile() = default;
  ~TTempFile() { Close(); }
  TTempFile(const TTempFile&) = delete;
  TTempFile& operator=(const TTempFile&) = delete;

  bool Open(const std::string& path) {
    Close();
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd_ < 0) return false;
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
      Close();
      return false;
    }
    oldSize_ = static_cast<int64_t>(st.st_size);
    size_ = 0;
    ok_ = true;
    return true;
  }
  bool Write(std::string_view data) {
    if (fd_ < 0 || !ok_) return false;
    size_t done = 0;
    while (done < data.size()) {
      ssize_t w = ::pwrite(fd_, data.data() + done, data.size() - done, static_cast<off_t>(size_ + done));
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) return ok_ = false;
      done += static_cast<size_t>(w);
    }
    size_ += static_cast<int64_t>(data.size());
    return true;
  }
  // Forgets the last n bytes written.
  void DropTail(size_t n) {
    if (n == 0) return;
    size_ -= std::min<int64_t>(size_, static_cast<int64_t>(n));
    cut_ = true;  // the file reaches past size_ now, whatever its old size
  }
  // Cuts the file to what was written and closes it; false when anything failed.
  bool Close() {
    if (fd_ < 0) return false;
    if (ok_ && (size_ != oldSize_ || cut_) && ::ftruncate(fd_, static_cast<off_t>(size_)) != 0) ok_ = false;
    cut_ = false;
    ::close(fd_);
    fd_ = -1;
    return ok_;
  }

private:
  int fd_ = -1;
  int64_t size_ = 0, oldSize_ = 0;
  bool ok_ = false;
  bool cut_ = false;
};

// Writes all bytes to a temporary file; false on failure.
bool WriteWhole(const std::string& path, std::string_view data) {
  TTempFile f;
  return f.Open(path) && f.Write(data) && f.Close();
}

}  // namespace

std::string KludgeCharset(const std::vector<std::string>& text) {
  for (const auto& line : text) {
    std::string_view l(line);
    if (l.empty() || (l[0] != '\x01' && l[0] != '@')) continue;
    l.remove_prefix(1);
    size_t colon = l.find(':');
    if (colon == std::string_view::npos) continue;
    std::string key = AnsiUpperCase(std::string(l.substr(0, colon)));
    if (key != "CHRS" && key != "CHARSET") continue;
    // "CHRS: LATIN-1 2": the set's name is the first word.
    std::string value = Trim(std::string(l.substr(colon + 1)));
    std::string name = value.substr(0, value.find_first_of(" \t"));
    std::string set = CanonicalCharset(name);
    if (!set.empty()) return set;
  }
  return {};
}

bool IsKludgeLine(std::string_view line) {
  if (line.empty()) return false;
  if (line[0] == '\x01') return true;
  if (line[0] != '@') return false;
  for (std::string_view word : kAtKludgeWords) {
    if (line.size() < word.size() + 1) continue;
    bool same = true;
    for (size_t i = 0; i < word.size() && same; ++i) {
      char c = line[i + 1];
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
      same = c == word[i];
    }
    if (!same) continue;
    // The word ends there: "@TZX:" is no "@TZ:" and "@VIAduct" no "@VIA".
    if (line.size() == word.size() + 1 || line[word.size() + 1] == ':' || line[word.size() + 1] == ' ') return true;
  }
  return false;
}

std::vector<std::string> VisibleLines(const std::vector<std::string>& text, bool showKludges) {
  if (showKludges) return text;
  std::vector<std::string> out;
  out.reserve(text.size());
  for (const auto& l : text)
    if (!IsKludgeLine(l)) out.push_back(l);
  return out;
}

bool BodyHasPacketLines(std::string_view body) {
  size_t start = 0;
  while (start < body.size()) {
    size_t end = std::min(body.find(static_cast<char>(qwkhdr::kLineEnd), start), body.size());
    const std::string_view line = body.substr(start, end - start);
    if (IsKludgeHead(line.data(), line.size())) return true;
    start = end + 1;
  }
  return false;
}

const std::vector<std::string>& KilledBannerLines() {
  static const std::vector<std::string> lines = [] {
    std::vector<std::string> out;
    TLineSplitter split(out, nullptr);
    split.Feed(KilledBanner());
    return out;
  }();
  return lines;
}

std::string KilledBanner() {
  std::string b;
  b += "           *****************************************\r\n\r\n";
  b += "           WARNING! \r\n";
  b += "           This message has been deleted.\r\n\r\n";
  b += "           Deleting a second time undeletes message.\r\n\r\n";
  b += "           *****************************************\r\n";
  b.append(298 - b.size(), ' ');
  b += "\r\n";
  return b;
}

TQWKMsg::TQWKMsg() = default;

// --- properties

void TQWKMsg::SetConference(uint16_t value) {
  conference_ = value;
  LookupAreaFlags();
}

void TQWKMsg::SetMsgTo(const std::string& value) {
  if (value != msgTo_) msgTo_ = NormalizeNameCase(value);
}

void TQWKMsg::SetMsgFROM(const std::string& value) {
  if (value != msgFROM_) msgFROM_ = NormalizeNameCase(value);
}

void TQWKMsg::SetText(const TStringList& value) {
  if (&value == &text_) return;
  text_ = value;
  EstimateBlocks();
  FireTextChange();
}

void TQWKMsg::SetPassword(const std::string& value) { password_ = value.substr(0, qwkhdr::kPasswordLen); }

void TQWKMsg::SetPacketDirectory(const std::string& directory) {
  if (directory == packetDirectory_) return;
  packetDirectory_ = directory;
  if (qwkExtCTRL_) qwkExtCTRL_->SetDirectory(directory);
}

void TQWKMsg::FireTextChange() {
  if (onTextChange_) onTextChange_(this);
}

void TQWKMsg::LookupAreaFlags() {
  areaFlags_ = 0;
  if (qwkExtCTRL_) areaFlags_ = qwkExtCTRL_->AreaFlagsOf(std::to_string(conference_));
}

void TQWKMsg::EstimateBlocks() {
  int64_t total = 1;
  for (const auto& l : text_) total += static_cast<int64_t>(l.size()) + 1;
  int64_t blocks = total / static_cast<int64_t>(kQWKBlockSize) + 2;
  blocks_ = static_cast<int32_t>(std::min<int64_t>(blocks, INT32_MAX));
}

// --- reading

bool TQWKMsg::LoadFromPacket(const std::string& directory, int32_t n, const TConfRec& folder) {
  confRecord_ = folder;
  indexPosition_ = n;
  indexName_ = folder.IndexFile;
  SetPacketDirectory(directory);
  qwke_ = FileExistsNoCase(directory, kToReaderFileName);
  // An index name is a plain file name of the packet folder.
  if (indexName_.empty() || indexName_.find(kPathDelim) != std::string::npos) return false;
  auto indexPath = FindFileNoCase(directory, indexName_);
  if (!indexPath) return false;

  TMessagesFile messages;
  if (!messages.Open(directory, TOpenMode::omReadWrite)) return false;
  TQWKIndex index;
  index.Open(*indexPath);
  indexCount_ = index.Count();
  if (n < 1 || n > indexCount_) return true;

  confName_ = folder.Name;
  auto block = index.BlockNumber(n);
  index.Close();
  // A record that points at no header of the file (0, negative, beyond
  // the end) holds no message.
  if (!block || *block > INT32_MAX || !messages.HoldsHeader(*block)) return false;
  blockNumber_ = static_cast<int32_t>(*block);
  TBlockFile& file = messages.File();
  file.Seek(BlockOffset(blockNumber_));
  if (auto headers = PacketExtendedHeaders(directory)) pendingHeader_ = headers->Find(BlockOffset(blockNumber_));
  if (!ReadMessage(file, true)) return false;  // the file shrank under us
  MarkReadIn(file);
  return true;
}

bool TQWKMsg::LoadFromFile(const std::string& path, const TConfRec& folder) {
  confRecord_ = folder;
  indexPosition_ = 0;
  indexName_.clear();
  TBlockFile file;
  if (!file.Open(path, TOpenMode::omRead)) {
    GetPrompts().Error(kErrReadBoxFile + path);
    return false;
  }
  return ReadMessage(file, false);
}

bool TQWKMsg::ReadFrom(TBlockFile& file) { return ReadMessage(file, false); }

bool TQWKMsg::ReadFrom(TBlockFile& file, const TExtendedHeaders* headers) {
  if (headers) pendingHeader_ = headers->Find(file.Position());
  return ReadMessage(file, false);
}

void TQWKMsg::ApplyExtendedHeader(const TExtendedHeader& header) {
  if (!header.To.empty() && !forwardMessage_) qwkeHdr_.LongTo = header.To;
  if (!header.From.empty()) qwkeHdr_.LongFrom = header.From;
  if (!header.Subject.empty()) qwkeHdr_.LongSubject = header.Subject;
  messageID_ = header.MessageID;
  inReplyTo_ = header.InReplyTo;
  if (header.Utf8) charset_ = kCharsetUtf8;
}

bool TQWKMsg::ReadMessage(TBlockFile& file, bool packetMessage) {
  char raw[kQWKBlockSize];
  size_t got = file.Read(raw, sizeof raw);
  std::optional<TExtendedHeader> extended;
  extended.swap(pendingHeader_);
  if (got == 0) return false;
  header_ = TQWKHeader(std::string_view(raw, got));

  if (forwardMessage_) {
    forwardHDR_.OrigFrom = NormalizeNameCase(header_.From());
    forwardHDR_.OrigTo = NormalizeNameCase(header_.To());
    forwardHDR_.OrigDate = header_.Date() + " " + header_.Time();
    forwardHDR_.OrigSubject = header_.Subject();
  }
  const int64_t length = header_.BodyLength();
  tagline_.clear();
  kludgePosition_ = 0;

  const std::string tmpPath = TempPath(kTmpReadFileName);
  TTempFile tmp;
  bool tmpOk = tmp.Open(tmpPath);

  // The lines of the message before become the pool for this one (short
  // ones only, so that one huge message does not stay in memory).
  for (auto& l : text_)
    if (l.capacity() <= kPooledLineCapacity && spare_.size() < kPooledLines) spare_.push_back(std::move(l));
  text_.clear();
  TLineSplitter split(text_, &spare_);
  std::string& out = piece_;
  out.clear();
  auto flush = [&] {
    if (tmpOk && !out.empty()) tmpOk = tmp.Write(out);
    split.Feed(out);
    out.clear();
  };

  const bool killed = header_.Killed();
  if (killed) out = KilledBanner();

  // The current line is judged by its first bytes; only those are kept, so
  // a body without line ends costs no more memory than its text.
  char head[16];
  size_t lineLen = 0;
  int32_t counted = 0;
  // Lines written, and lines written up to the last counted one: the
  // gateway cut ends there (kludge lines just above a gateway header line
  // belong to it, as they did when they were joined to it).
  size_t physical = 0, physicalCounted = 0, cutLines = 0;
  ReadBodyPieces(file, length, [&](std::string_view piece) {
    const char* p = piece.data();
    const char* end = p + piece.size();
    while (p < end) {
      const void* hit = std::memchr(p, qwkhdr::kLineEnd, static_cast<size_t>(end - p));
      const char* q = hit ? static_cast<const char*>(hit) : end;
      size_t seg = static_cast<size_t>(q - p);
      if (lineLen < sizeof head) std::memcpy(head + lineLen, p, std::min(seg, sizeof head - lineLen));
      lineLen += seg;
      out.append(p, seg);
      if (q == end) break;
      if (IsKludgeHead(head, lineLen)) {
        kludgePosition_ = counted;
        cutLines = physicalCounted;
      }
      // Kludge lines are lines of their own; in packet messages they do not
      // count towards the gateway cut.
      out.push_back('\r');
      ++physical;
      if (!packetMessage || !IsKludgeLine(std::string_view(head, std::min(lineLen, sizeof head)))) {
        ++counted;
        physicalCounted = physical;
      }
      lineLen = 0;
      p = q + 1;
    }
    if (out.size() >= kWriteChunk) flush();
    return true;
  });
  flush();
  Release(out);
  // The blanks that fill the last block follow the last line end, or the
  // last line when it has none: they are no text.
  std::string& rest = split.Rest();
  size_t kept = rest.size();
  while (kept > 0 && BlankOrNul(std::string_view(rest).substr(kept - 1, 1))) --kept;
  tmp.DropTail(rest.size() - kept);
  rest.resize(kept);
  if (!rest.empty()) text_.push_back(std::move(rest));
  tmpOk = tmp.Close() && tmpOk;

  if (mimeCTRL_ && tmpOk) {
    bool mime = false;
    try {
      mimeCTRL_->ScanFile(tmpPath);
      mime = mimeCTRL_->EncodingType() != TEncodingType::etNone;
    } catch (const std::exception&) {
      mime = false;  // an unreadable file: the plain text stands
    }
    if (mime) {
      text_ = mimeCTRL_->TextLines();
      std::string saved;
      for (const auto& l : text_) {
        saved += l;
        saved += "\r\n";
      }
      WriteWhole(TempPath(kTmpMimeFileName), saved);
    }
  }

  qwkeHdr_.LongTo.clear();
  qwkeHdr_.LongFrom.clear();
  qwkeHdr_.LongSubject.clear();
  // The copies of the message read are its own: a message without a CC
  // line must not inherit the list of the one read before.
  carbonCopies_.clear();

  // The gateway header block (the first k counted body lines) is cut from
  // packet messages only. The cut is kept in step with the lines that the
  // extended header took away and starts below the killed banner.
  size_t banner = 0;
  if (killed) {
    const auto& b = KilledBannerLines();
    if (text_.size() >= b.size() && std::equal(b.begin(), b.end(), text_.begin())) banner = b.size();
  }
  cutTracked_ = packetMessage && kludgePosition_ > 0;
  cutStart_ = banner;
  cutEnd_ = banner + cutLines;
  ExtractExtendedHeader();
  // The character set: the extended header's UTF-8 flag, a charset kludge
  // line, the board's set.
  charset_ = KludgeCharset(text_);
  if (charset_.empty()) charset_ = CurrentBoardCharset();
  messageID_.clear();
  inReplyTo_.clear();
  if (extended) ApplyExtendedHeader(*extended);
  if (cutTracked_) {
    cutTracked_ = false;
    size_t start = std::min(cutStart_, text_.size());
    size_t end = std::min(cutEnd_, text_.size());
    text_.erase(text_.begin() + static_cast<std::ptrdiff_t>(start), text_.begin() + static_cast<std::ptrdiff_t>(end));
    text_.insert(text_.begin() + static_cast<std::ptrdiff_t>(start), std::string());
  }

  EstimateBlocks();
  ParseHeader();  // also looks up the area flags of the conference
  FireTextChange();
  return true;
}

void TQWKMsg::ParseHeader() {
  TStatusChar st = DecodeStatusChar(header_.StatusChar());
  if (st.Known) SetStatus(st.Status);
  SetWasRead(st.WasRead);
  SetNumber(header_.Number());
  SetPostDate(header_.Date());
  SetPostTime(header_.Time());
  if (forwardMessage_) msgTo_.clear();
  else SetMsgTo(header_.To());
  SetMsgFROM(header_.From());
  SetSubject(header_.Subject());
  password_ = header_.Password();
  SetReferNum(header_.ReferNum());
  SetAlive(!header_.Killed());
  confLow_ = header_.Byte(qwkhdr::kConference);
  confHigh_ = header_.Byte(qwkhdr::kConference + 1);
  SetConference(header_.Conference());
  readMark_ = header_.ReadMark();
  if (onHDRChange_) onHDRChange_(this);
}

void TQWKMsg::LineTakenAt(size_t i) {
  if (!cutTracked_) return;
  if (i < cutStart_) {
    --cutStart_;
    --cutEnd_;
  } else if (i < cutEnd_) {
    --cutEnd_;
  }
}

void TQWKMsg::ExtractExtendedHeader() {
  // The header lines are looked for among the first lines still in the text;
  // taking one brings the next line into view. Taken lines are only marked
  // and leave the text in one sweep at the end, so the cut costs time linear
  // in the text however many header lines it has.
  std::vector<size_t> view;  // indices in text_ of the first lines not taken
  std::vector<bool> taken(text_.size(), false);
  size_t next = 0;
  auto fill = [&] {
    while (view.size() < kExtendedHeaderLines && next < text_.size()) view.push_back(next++);
  };
  auto line = [&](size_t i) -> const std::string& { return text_[view[i]]; };
  auto take = [&](size_t i) {
    taken[view[i]] = true;
    view.erase(view.begin() + static_cast<std::ptrdiff_t>(i));
    LineTakenAt(i);
    fill();
  };
  fill();
  bool toTaken = false, fromTaken = false, subjectTaken = false;
  bool matched = true;
  while (matched && !view.empty()) {
    matched = false;
    for (size_t i = view.size(); i-- > 0;) {
      size_t p;
      if (i < view.size() && (p = HeadMatch(line(i), "TO:", true)) != std::string::npos) {
        if (!toTaken) qwkeHdr_.LongTo = From(line(i), p + 4);
        toTaken = true;
        take(i);
        matched = true;
      }
      if (i < view.size() && (p = HeadMatch(line(i), "FROM:", true)) != std::string::npos) {
        if (!fromTaken) qwkeHdr_.LongFrom = From(line(i), p + 6);
        fromTaken = true;
        take(i);
        matched = true;
      }
      if (i < view.size() && (p = HeadMatch(line(i), "SUBJECT:", true)) != std::string::npos) {
        if (!subjectTaken) qwkeHdr_.LongSubject = From(line(i), p + 9);
        subjectTaken = true;
        take(i);
        matched = true;
      }
      if (i < view.size() && HeadMatch(line(i), "Date:", false) != std::string::npos) {
        take(i);
        matched = true;
      }
      if (i < view.size() && HeadMatch(line(i), "CC:", false) != std::string::npos) {
        carbonCopies_ = From(line(i), 4);
        take(i);
        while (i < view.size() && !line(i).empty()) {
          carbonCopies_ += line(i);
          take(i);
        }
        matched = true;
      }
    }
  }
  if (next == 0 || std::find(taken.begin(), taken.end(), true) == taken.end()) return;
  size_t kept = 0;
  for (size_t i = 0; i < text_.size(); ++i)
    if (!taken[i]) {
      if (kept != i) text_[kept] = std::move(text_[i]);
      ++kept;
    }
  text_.resize(kept);
}

bool TQWKMsg::MarkReadIn(TBlockFile& file) {
  if (blockNumber_ < 1 || indexName_.empty() || indexName_.find(kPathDelim) != std::string::npos ||
      !FileExistsNoCase(packetDirectory_, indexName_))
    return false;
  // The file as it is now: the marker is never written past its end.
  int64_t offset = BlockOffset(blockNumber_);
  int64_t size = file.Size();
  if (offset + static_cast<int64_t>(qwkhdr::kReadMark) >= size) return false;
  TQWKHeader marked = header_;
  marked.SetReadMark();
  size_t n = static_cast<size_t>(std::min<int64_t>(kQWKBlockSize, size - offset));
  return file.WriteAt(offset, std::string_view(marked.Data(), n));
}

bool TQWKMsg::MarkRead() {
  TMessagesFile messages;
  if (!messages.Open(packetDirectory_, TOpenMode::omReadWrite)) return false;
  return MarkReadIn(messages.File());
}

bool TQWKMsg::ExportBody(const std::string& target) {
  TMessagesFile messages;
  if (!messages.Open(packetDirectory_, TOpenMode::omRead)) return false;
  return messages.ExportBody(blockNumber_, target);
}

bool TQWKMsg::ExportBodyFromFile(const std::string& source, const std::string& target) {
  return korrin::ExportBodyFromFile(source, target);
}

// --- writing

void TQWKMsg::RemoveTearLine() {
  for (size_t i = text_.size(); i-- > 0;) {
    const std::string& l = text_[i];
    if (l.find(kTearLinePrefix) != std::string::npos && l.find(kTearLineMark) != std::string::npos) {
      // With the empty line that writing put after it, when that ends the text.
      size_t n = i + 2 == text_.size() && text_.back().empty() ? 2 : 1;
      text_.erase(text_.begin() + static_cast<std::ptrdiff_t>(i), text_.begin() + static_cast<std::ptrdiff_t>(i + n));
      return;
    }
  }
}

void TQWKMsg::RemoveKilledBanner() {
  const auto& b = KilledBannerLines();
  if (text_.size() >= b.size() && std::equal(b.begin(), b.end(), text_.begin()))
    text_.erase(text_.begin(), text_.begin() + static_cast<std::ptrdiff_t>(b.size()));
}

namespace {
// A long text read back from the body stays with a header field that holds
// its first 25 characters, so a message read and written again keeps it.
bool Continues(const std::string& field, const std::string& longText) {
  return longText.size() > kQWKNameLength && !TrimRight(field).empty() &&
         SameText(TrimRight(field), TrimRight(longText.substr(0, kQWKNameLength)));
}
}  // namespace

void TQWKMsg::BuildHeader() {
  header_.SetStatus(status_, wasRead_);
  header_.SetDate(postDate_);
  std::string time = postTime_;
  if (!time.empty() && time.back() == ':') time.pop_back();
  if (time.size() >= 2 && time[1] == ':') time.insert(0, "0");
  SetPostTime(time);
  header_.SetTime(postTime_);

  header_.SetTo(msgTo_);
  header_.SetFrom(msgFROM_);
  header_.SetSubject(subject_);
  if (msgTo_.size() > kQWKNameLength) qwkeHdr_.LongTo = NormalizeNameCase(msgTo_);
  else if (!Continues(msgTo_, qwkeHdr_.LongTo)) qwkeHdr_.LongTo.clear();
  if (msgFROM_.size() > kQWKNameLength) qwkeHdr_.LongFrom = NormalizeNameCase(msgFROM_);
  else if (!Continues(msgFROM_, qwkeHdr_.LongFrom)) qwkeHdr_.LongFrom.clear();
  if (subject_.size() > kQWKNameLength) qwkeHdr_.LongSubject = subject_;
  else if (!Continues(subject_, qwkeHdr_.LongSubject)) qwkeHdr_.LongSubject.clear();

  header_.SetPassword(password_);
  header_.SetReferNum(referNum_);
  header_.SetAlive(alive_);
  header_.SetNumber(std::to_string(conference_));
  header_.SetConference(conference_);
  for (size_t i = qwkhdr::kReadMark; i < kQWKBlockSize; ++i) header_.SetByte(i, ' ');
}

void TQWKMsg::InsertCarbonCopyLines() {
  text_.insert(text_.begin(), std::string());
  // Pieces up to and including a comma are collected into lines of about
  // 60 characters. Every piece is written: the reading side takes any
  // number of continuation lines.
  std::string rest = "CC: " + carbonCopies_;
  size_t at = 0;
  while (!rest.empty()) {
    std::string line;
    while (!rest.empty() && line.size() < kCarbonCopyLineLength && line.size() != rest.size()) {
      size_t comma = rest.find(',');
      if (comma == std::string::npos) {
        line += rest;
        rest.clear();
      } else {
        line.append(rest, 0, comma + 1);
        rest.erase(0, comma + 1);
      }
    }
    if (line.empty()) {  // cannot happen with the rule above; never loop forever
      line = std::move(rest);
      rest.clear();
    }
    text_.insert(text_.begin() + static_cast<std::ptrdiff_t>(at++), std::move(line));
  }
}

bool TQWKMsg::WriteTo(TBlockFile& file) {
  BuildHeader();
  RemoveTearLine();
  RemoveKilledBanner();

  for (int i = 0; i < kMaxLeadingEmpty && !text_.empty() && text_.front().empty(); ++i) text_.erase(text_.begin());

  auto firstEmpty = [&] { return text_.empty() || text_.front().empty(); };
  auto lastEmpty = [&] { return text_.empty() || text_.back().empty(); };

  if (forwardMessage_) {
    if (!firstEmpty()) text_.insert(text_.begin(), std::string());
    text_.insert(text_.begin(), "* Original Date:  " + forwardHDR_.OrigDate);
    text_.insert(text_.begin(), "* Original Subject: " + forwardHDR_.OrigSubject);
    text_.insert(text_.begin(), "* Originally To:    " + forwardHDR_.OrigTo);
    text_.insert(text_.begin(), "* Originally From:  " + forwardHDR_.OrigFrom);
    text_.insert(text_.begin(), std::string());
  }

  const bool longTo = qwkeHdr_.LongTo.size() > kQWKNameLength;
  const bool longFrom = qwkeHdr_.LongFrom.size() > kQWKNameLength;
  const bool longSubject = qwkeHdr_.LongSubject.size() > kQWKNameLength;
  if ((longTo || longFrom || longSubject) && !firstEmpty()) text_.insert(text_.begin(), std::string());
  if (longSubject) text_.insert(text_.begin(), "Subject: " + qwkeHdr_.LongSubject);
  if (longFrom) text_.insert(text_.begin(), "From: " + qwkeHdr_.LongFrom);
  if (longTo) text_.insert(text_.begin(), "To: " + qwkeHdr_.LongTo);

  if (carbonCopies_.size() >= 2) InsertCarbonCopyLines();

  if (!tagline_.empty()) {
    if (!lastEmpty()) text_.emplace_back();
    text_.push_back(std::string(" ") + kTaglineMark + tagline_);
    text_.emplace_back();
  }
  if (!tairline_.empty()) {
    if (!lastEmpty()) text_.emplace_back();
    text_.push_back(kTearLinePrefix + tairline_);
    text_.emplace_back();
  }

  if (text_.empty()) {
    header_.SetBlockCount(0);
    if (!file.Write(header_.Raw())) {
      GetPrompts().Error(kErrWriteFile + file.Path());
      return false;
    }
    blocks_ = 0;
    return true;
  }

  // The body text goes through "tmpS.txt" and is read back from there in
  // pieces into the blocks.
  std::string& body = piece_;
  body = BodyText(text_);
  const int64_t count = static_cast<int64_t>(body.size() / kQWKBlockSize) + 2;
  const std::string tmpPath = TempPath(kTmpSendFileName);
  TBlockFile tmp;
  if (count > kMaxBlockCount || !WriteWhole(tmpPath, body) || !tmp.Open(tmpPath, TOpenMode::omRead) ||
      tmp.Size() != static_cast<int64_t>(body.size())) {
    Release(body);
    GetPrompts().Error(kErrWritingMessage);
    return false;
  }
  header_.SetBlockCount(static_cast<int32_t>(count));
  const size_t total = static_cast<size_t>(count) * kQWKBlockSize;
  std::string& bytes = block_;
  bytes.assign(header_.Raw());
  bytes.reserve(total);
  bool ok = true;
  ReadBodyPieces(tmp, static_cast<int64_t>(body.size()), [&](std::string_view piece) {
    for (char c : piece) {
      if (c == '\r') c = kLineEndChar;
      else if (c == '\n') c = ' ';
      bytes.push_back(c);
    }
    return true;
  });
  if (bytes.size() != kQWKBlockSize + body.size()) ok = false;
  tmp.Close();
  if (!ok) {
    Release(bytes);
    Release(body);
    GetPrompts().Error(kErrWritingMessage);
    return false;
  }
  bytes.append(total - bytes.size(), ' ');
  ok = file.Write(bytes);
  Release(bytes);
  Release(body);
  if (!ok) {
    GetPrompts().Error(kErrWriteFile + file.Path());
    return false;
  }
  blocks_ = static_cast<int32_t>(count);
  return true;
}

bool TQWKMsg::SaveToFile(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  const std::string tmp = path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(++counter);
  TBlockFile file;
  if (!file.Open(tmp, TOpenMode::omCreate)) {
    GetPrompts().Error(kErrWriteFile + path);
    return false;
  }
  bool ok = WriteTo(file);
  bool written = ok;
  // The box file is what the user wrote: it reaches the disk before it
  // replaces an older one.
  ok = ok && file.Sync();
  file.Close();
  if (ok) ok = std::rename(tmp.c_str(), path.c_str()) == 0;
  if (!ok) {
    ::unlink(tmp.c_str());
    if (written) GetPrompts().Error(kErrWriteFile + path);
  }
  return ok;
}

}  // namespace korrin
