#include "engine/extended_headers.h"

#include <sys/stat.h>

#include <algorithm>
#include <map>
#include <mutex>

#include "platform/paths.h"

namespace korrin {

namespace {

std::string_view TrimView(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n'))
    s.remove_suffix(1);
  return s;
}

bool SameKey(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

// The offset named by a section line "[hex]"; nothing for any other line.
std::optional<uint64_t> SectionName(std::string_view line) {
  line = TrimView(line);
  if (line.size() < 3 || line.front() != '[' || line.back() != ']') return std::nullopt;
  std::string_view hex = TrimView(line.substr(1, line.size() - 2));
  if (hex.empty() || hex.size() > 15) return std::nullopt;
  uint64_t value = 0;
  for (char c : hex) {
    int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
    if (d < 0) return std::nullopt;
    value = value * 16 + static_cast<uint64_t>(d);
  }
  return value;
}

}  // namespace

TExtendedHeader ParseHeaderSection(std::string_view text) {
  TExtendedHeader h;
  std::string_view sender;
  while (!text.empty()) {
    size_t nl = text.find('\n');
    std::string_view line = text.substr(0, nl);
    text.remove_prefix(nl == std::string_view::npos ? text.size() : nl + 1);
    // "Key: value" or "Key = value": whichever separator comes first.
    size_t sep = line.find_first_of(":=");
    if (sep == std::string_view::npos) continue;
    std::string_view key = TrimView(line.substr(0, sep));
    std::string_view value = TrimView(line.substr(sep + 1));
    if (key.empty()) continue;
    switch (key[0] | 0x20) {
      case 't':
        if (SameKey(key, "To")) h.To.assign(value);
        break;
      case 'f':
        if (SameKey(key, "From")) h.From.assign(value);
        break;
      case 's':
        if (SameKey(key, "Subject")) h.Subject.assign(value);
        else if (SameKey(key, "Sender")) sender = value;
        break;
      case 'm':
        if (SameKey(key, "Message-ID")) h.MessageID.assign(value);
        break;
      case 'i':
        if (SameKey(key, "In-Reply-To")) h.InReplyTo.assign(value);
        break;
      case 'u':
        if (SameKey(key, "Utf8")) h.Utf8 = SameKey(value, "true") || SameKey(value, "yes") || value == "1";
        break;
      default:
        break;
    }
  }
  if (h.From.empty()) h.From.assign(sender);
  return h;
}

std::string FormatHeaderSection(int64_t offset, const TExtendedHeader& header) {
  static const char* hex = "0123456789abcdef";
  std::string name;
  uint64_t v = static_cast<uint64_t>(offset);
  do {
    name.insert(name.begin(), hex[v % 16]);
    v /= 16;
  } while (v);
  std::string out = "[" + name + "]\r\n";
  // Line ends inside a value would start a new key: they become blanks.
  auto add = [&](const char* key, const std::string& value) {
    if (value.empty()) return;
    std::string clean = value;
    std::replace(clean.begin(), clean.end(), '\r', ' ');
    std::replace(clean.begin(), clean.end(), '\n', ' ');
    out += std::string(key) + ": " + clean + "\r\n";
  };
  add("Message-ID", header.MessageID);
  add("In-Reply-To", header.InReplyTo);
  add("Subject", header.Subject);
  add("To", header.To);
  add("From", header.From);
  if (header.Utf8) out += "Utf8: true\r\n";
  out += "\r\n";
  return out;
}

void TExtendedHeaders::AddSection(uint64_t end) {
  if (!inSection_) return;
  inSection_ = false;
  uint64_t length = std::min<uint64_t>(end - start_, kMaxSection);
  sections_.push_back({key_, start_, static_cast<uint32_t>(length)});
}

void TExtendedHeaders::Index(std::string_view chunk, uint64_t base, bool last) {
  size_t p = 0;
  while (p < chunk.size()) {
    size_t nl = chunk.find('\n', p);
    size_t take = (nl == std::string_view::npos ? chunk.size() : nl) - p;
    // Only the start of a line matters: a section name is short, and a line
    // that starts with a key is passed over without a copy.
    if (line_.empty() && !keyLine_ && take > 0)
      keyLine_ = chunk[p] != '[' && chunk[p] != ' ' && chunk[p] != '\t';
    if (!keyLine_ && line_.size() < 64) line_.append(chunk.substr(p, std::min<size_t>(take, 64 - line_.size())));
    if (nl == std::string_view::npos) break;
    const bool named = !keyLine_;
    keyLine_ = false;
    if (auto key = named ? SectionName(line_) : std::nullopt) {
      AddSection(lineStart_);
      inSection_ = true;
      key_ = *key;
      start_ = base + nl + 1;
    }
    line_.clear();
    p = nl + 1;
    lineStart_ = base + p;
  }
  if (last) {
    uint64_t end = base + chunk.size();
    if (!line_.empty()) {
      if (auto key = SectionName(line_)) {
        AddSection(lineStart_);
        inSection_ = true;
        key_ = *key;
        start_ = end;
      }
    }
    AddSection(end);
    line_.clear();
    keyLine_ = false;
    // Sorted by key; of two sections for one message the first stands.
    std::stable_sort(sections_.begin(), sections_.end(),
                     [](const TSection& a, const TSection& b) { return a.Key < b.Key; });
    sections_.erase(std::unique(sections_.begin(), sections_.end(),
                                [](const TSection& a, const TSection& b) { return a.Key == b.Key; }),
                    sections_.end());
    sections_.shrink_to_fit();
  }
}

bool TExtendedHeaders::Open(const std::string& path) {
  sections_.clear();
  text_.clear();
  window_.clear();
  windowStart_ = 0;
  if (!file_.Open(path, TOpenMode::omRead)) return false;
  std::string buffer(1 << 16, '\0');
  uint64_t base = 0;
  for (;;) {
    size_t got = file_.ReadAt(static_cast<int64_t>(base), buffer.data(), buffer.size());
    bool last = got < buffer.size();
    Index(std::string_view(buffer.data(), got), base, last);
    base += got;
    if (last) break;
  }
  return true;
}

void TExtendedHeaders::OpenText(std::string text) {
  file_.Close();
  sections_.clear();
  text_ = std::move(text);
  Index(text_, 0, true);
}

std::optional<TExtendedHeader> TExtendedHeaders::Find(int64_t offset) const {
  if (offset < 0) return std::nullopt;
  auto it = std::lower_bound(sections_.begin(), sections_.end(), static_cast<uint64_t>(offset),
                             [](const TSection& s, uint64_t key) { return s.Key < key; });
  if (it == sections_.end() || it->Key != static_cast<uint64_t>(offset)) return std::nullopt;
  if (!file_.IsOpen()) {
    if (it->Start >= text_.size()) return ParseHeaderSection({});
    return ParseHeaderSection(std::string_view(text_).substr(it->Start, it->Length));
  }
  const uint64_t end = it->Start + it->Length;
  if (it->Start < windowStart_ || end > windowStart_ + window_.size()) {
    // Read ahead while the sections are asked for in file order; a list of
    // one conference skips through the file and reads just its sections.
    const bool inOrder = it->Start >= lastEnd_ && it->Start - lastEnd_ < 4096;
    const size_t want = inOrder ? 64 * 1024 : 1024;
    window_.resize(std::max<size_t>(want, it->Length));
    window_.resize(file_.ReadAt(static_cast<int64_t>(it->Start), window_.data(), window_.size()));
    windowStart_ = it->Start;
  }
  lastEnd_ = end;
  const size_t from = static_cast<size_t>(it->Start - windowStart_);
  if (from >= window_.size()) return ParseHeaderSection({});
  return ParseHeaderSection(std::string_view(window_).substr(from, it->Length));
}

namespace {
struct TCacheEntry {
  int64_t Size = -1;
  int64_t Time = 0;
  int64_t Inode = 0;
  std::shared_ptr<const TExtendedHeaders> Headers;
};
std::mutex cacheLock;
std::map<std::string, TCacheEntry> cache;
}  // namespace

void ForgetPacketExtendedHeaders(const std::string& directory) {
  std::lock_guard<std::mutex> guard(cacheLock);
  cache.erase(directory);
}

std::shared_ptr<const TExtendedHeaders> PacketExtendedHeaders(const std::string& directory) {
  using TEntry = TCacheEntry;
  std::mutex& lock = cacheLock;
  if (directory.empty()) return nullptr;
  auto path = FindFileNoCase(directory, kHeadersFileName);
  std::lock_guard<std::mutex> guard(lock);
  if (!path) {
    cache.erase(directory);
    return nullptr;
  }
  struct stat st {};
  if (::stat(path->c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return nullptr;
  TEntry& e = cache[directory];
  const int64_t time = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  if (e.Headers && e.Size == st.st_size && e.Time == time && e.Inode == static_cast<int64_t>(st.st_ino))
    return e.Headers;
  auto headers = std::make_shared<TExtendedHeaders>();
  if (!headers->Open(*path)) return nullptr;
  e = {st.st_size, time, static_cast<int64_t>(st.st_ino), headers};
  return headers;
}

}  // namespace korrin
