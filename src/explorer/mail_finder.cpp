#include "explorer/mail_finder.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <functional>

#include "engine/block_file.h"
#include "engine/board_settings.h"
#include "engine/header_texts.h"
#include "engine/conference_reader.h"
#include "engine/control_file.h"
#include "engine/mail_tree.h"
#include "engine/qwk_header.h"
#include "engine/qwk_post_office.h"
#include "platform/charset.h"
#include "platform/errors.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "platform/version.h"

namespace fs = std::filesystem;

namespace korrin {

namespace {

// Upper case of every code page 437 byte, built once from the text helpers.
const std::array<unsigned char, 256>& UpperTable() {
  static const std::array<unsigned char, 256> table = [] {
    std::array<unsigned char, 256> t{};
    for (int i = 0; i < 256; ++i) {
      char c = static_cast<char>(i);
      t[static_cast<size_t>(i)] = static_cast<unsigned char>(AnsiUpperCase(std::string_view(&c, 1))[0]);
    }
    return t;
  }();
  return table;
}

void UpperInPlace(std::string& s) {
  const auto& t = UpperTable();
  for (auto& ch : s) ch = static_cast<char>(t[static_cast<unsigned char>(ch)]);
}

bool IsWordChar(unsigned char c) { return (c < 128 && std::isalnum(c) != 0) || c == '-'; }
bool IsLineEnd(unsigned char c) { return c == qwkhdr::kLineEnd || c == '\r' || c == '\n'; }

}  // namespace

// ---------------------------------------------------------------- dates

TDay DayOf(int year, int month, int day) {
  using namespace std::chrono;
  return static_cast<TDay>(
      sys_days(std::chrono::year(year) / std::chrono::month(static_cast<unsigned>(month)) /
               std::chrono::day(static_cast<unsigned>(day)))
          .time_since_epoch()
          .count());
}

void DateOfDay(TDay d, int& year, int& month, int& dayOfMonth) {
  using namespace std::chrono;
  year_month_day ymd{sys_days(days(d))};
  year = static_cast<int>(ymd.year());
  month = static_cast<int>(static_cast<unsigned>(ymd.month()));
  dayOfMonth = static_cast<int>(static_cast<unsigned>(ymd.day()));
}

TDay Today() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return DayOf(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

std::optional<TDay> ParsePostDate(std::string_view text) {
  std::string t = Trim(text);
  int parts[3] = {0, 0, 0};
  int digits[3] = {0, 0, 0};
  int k = 0;
  for (char ch : t) {
    if (ch >= '0' && ch <= '9') {
      if (digits[k] >= 4) return std::nullopt;
      parts[k] = parts[k] * 10 + (ch - '0');
      ++digits[k];
    } else if (std::string_view("-/\\,:.").find(ch) != std::string_view::npos && k < 2 && digits[k] > 0) {
      ++k;
    } else {
      return std::nullopt;
    }
  }
  if (k != 2 || digits[2] == 0 || digits[0] > 2 || digits[1] > 2) return std::nullopt;
  int month = parts[0], day = parts[1], year = parts[2];
  if (digits[2] <= 2) {
    int y, m, d;
    DateOfDay(Today(), y, m, d);
    year += (y / 100) * 100;
    if (year > y + 20) year -= 100;
    else if (year <= y - 80) year += 100;
  }
  using namespace std::chrono;
  year_month_day ymd{std::chrono::year(year), std::chrono::month(static_cast<unsigned>(month)),
                     std::chrono::day(static_cast<unsigned>(day))};
  if (!ymd.ok()) return std::nullopt;
  return static_cast<TDay>(sys_days(ymd).time_since_epoch().count());
}

bool DateMatches(const TSearchCriteria& c, TDay d, TDay today) {
  switch (c.DateMode) {
    case dmBetween: return c.FirstDate <= d && d <= c.SecondDate;
    case dmMonths: return d > today - 30 * c.Months;
    case dmYears: return d > today - 365 * c.Years;
    default: return true;
  }
}

// ---------------------------------------------------------------- criteria

bool HasCriteria(const TSearchCriteria& c) {
  return !c.To.empty() || !c.From.empty() || !c.Subject.empty() || !c.AllMessages || c.TextCriterion() ||
         c.FilesCriterion();
}

std::string SearchDescription(const TSearchCriteria& c, const std::function<std::string(TDay)>& formatDate) {
  std::string s;
  if (!c.To.empty()) s += " To " + c.To;
  if (!c.From.empty()) s += " From " + c.From;
  if (!c.Subject.empty()) s += " with \"" + c.Subject + "\" in subject";
  if (c.TextSelected) s += " with \"" + c.Text + "\" in text";
  if (c.FilesSelected) s += " for files matching " + c.FileMask;
  if (c.DateFilter()) {
    if (c.DateMode == dmBetween) s += " between " + formatDate(c.FirstDate) + " and " + formatDate(c.SecondDate);
    else if (c.DateMode == dmMonths) s += " posted in last " + std::to_string(c.Months) + " month(s)";
    else s += " posted in last " + std::to_string(c.Years) + " year(s)";
  }
  return s;
}

// ---------------------------------------------------------------- matchers

bool FieldMatches(std::string_view field, std::string_view criterion) {
  std::string c(criterion);
  UpperInPlace(c);
  return UpperFieldMatches(field, c);
}

bool UpperFieldMatches(std::string_view field, std::string_view upperCriterion) {
  // Header fields are short: folded on the stack, no allocation per message
  // (the long fields of extended headers are folded on the heap).
  char stack[128];
  std::string heap;
  char* folded = stack;
  if (field.size() > sizeof stack) {
    heap.resize(field.size());
    folded = heap.data();
  }
  const auto& t = UpperTable();
  const size_t n = field.size();
  for (size_t i = 0; i < n; ++i) folded[i] = static_cast<char>(t[static_cast<unsigned char>(field[i])]);
  return std::string_view(folded, n).find(upperCriterion) != std::string_view::npos;
}

TTextMatcher::TTextMatcher(std::string_view text, bool caseSensitive, bool wholeWords)
    : needle_(text), caseSensitive_(caseSensitive), wholeWords_(wholeWords) {
  if (!caseSensitive_) UpperInPlace(needle_);
}

bool TTextMatcher::Matches(std::string_view body) const {
  if (needle_.empty()) return false;
  if (!caseSensitive_) {
    // Folded into a buffer kept from message to message.
    const auto& t = UpperTable();
    folded_.resize(body.size());
    for (size_t i = 0; i < body.size(); ++i) folded_[i] = static_cast<char>(t[static_cast<unsigned char>(body[i])]);
    body = folded_;
  }
  // A needle holding a line end can never lie within one line.
  for (char ch : needle_)
    if (IsLineEnd(static_cast<unsigned char>(ch))) return false;
  const std::boyer_moore_horspool_searcher search(needle_.begin(), needle_.end());
  auto it = body.begin();
  while (true) {
    it = std::search(it, body.end(), search);
    if (it == body.end()) return false;
    if (!wholeWords_) return true;
    size_t at = static_cast<size_t>(it - body.begin());
    size_t end = at + needle_.size();
    bool leftOk = at == 0 || !IsWordChar(static_cast<unsigned char>(body[at - 1])) ||
                  !IsWordChar(static_cast<unsigned char>(needle_.front()));
    bool rightOk = end >= body.size() || !IsWordChar(static_cast<unsigned char>(body[end])) ||
                   !IsWordChar(static_cast<unsigned char>(needle_.back()));
    if (leftOk && rightOk) return true;
    ++it;
  }
}

bool FileMaskMatches(std::string_view mask, std::string_view name) {
  if (mask == "*.*") return true;
  std::string m(mask), n(name);
  UpperInPlace(m);
  UpperInPlace(n);
  // Iterative wildcard match with one backtrack point.
  size_t mi = 0, ni = 0, star = std::string::npos, mark = 0;
  while (ni < n.size()) {
    if (mi < m.size() && (m[mi] == '?' || m[mi] == n[ni])) {
      ++mi;
      ++ni;
    } else if (mi < m.size() && m[mi] == '*') {
      star = mi++;
      mark = ni;
    } else if (star != std::string::npos) {
      mi = star + 1;
      ni = ++mark;
    } else {
      return false;
    }
  }
  while (mi < m.size() && m[mi] == '*') ++mi;
  return mi == m.size();
}

std::vector<std::string> AttachmentNames(std::string_view body) {
  std::vector<std::string> names;
  size_t pos = 0;
  while (pos < body.size()) {
    size_t end = pos;
    while (end < body.size() && !IsLineEnd(static_cast<unsigned char>(body[end]))) ++end;
    std::string_view line = body.substr(pos, end - pos);
    pos = end + 1;
    // "begin 644 name" opens a uuencoded file.
    if (line.size() > 10 && line.substr(0, 6) == "begin ") {
      size_t p = 6;
      size_t digits = 0;
      while (p < line.size() && line[p] >= '0' && line[p] <= '7') ++p, ++digits;
      if (digits >= 3 && p < line.size() && line[p] == ' ') {
        std::string name = Trim(line.substr(p + 1));
        if (!name.empty()) names.push_back(name);
      }
      continue;
    }
    // MIME: name= or filename= on a header line or its continuation.
    std::string upper(line);
    UpperInPlace(upper);
    if (upper.rfind("CONTENT-", 0) != 0 && (line.empty() || (line[0] != ' ' && line[0] != '\t'))) continue;
    for (const char* key : {"FILENAME=", "NAME="}) {
      size_t k = upper.find(key);
      if (k == std::string::npos) continue;
      size_t v = k + std::string_view(key).size();
      std::string value;
      if (v < line.size() && line[v] == '"') {
        size_t close = line.find('"', v + 1);
        value = std::string(line.substr(v + 1, close == std::string_view::npos ? std::string_view::npos : close - v - 1));
      } else {
        size_t stop = line.find_first_of("; \t", v);
        value = std::string(line.substr(v, stop == std::string_view::npos ? std::string_view::npos : stop - v));
      }
      if (!value.empty()) names.push_back(value);
      break;
    }
  }
  return names;
}

// ---------------------------------------------------------------- the walk

void TMailFinder::SetCriteria(const TSearchCriteria& c) {
  criteria_ = c;
  from_ = c.From;
  to_ = c.To;
  subject_ = c.Subject;
  UpperInPlace(from_);
  UpperInPlace(to_);
  UpperInPlace(subject_);
  hasCriteria_ = HasCriteria(c);
  matcher_.reset();
  if (c.TextCriterion()) matcher_.emplace(c.Text, c.CaseSensitive, c.WholeWords);
}

void TMailFinder::Pump() {
  auto now = std::chrono::steady_clock::now();
  if (now - lastPump_ < PumpInterval) return;
  lastPump_ = now;
  if (ProcessMessages) ProcessMessages();
}

void TMailFinder::Run(int first) {
  searching_ = true;
  const int count = static_cast<int>(tree_.Nodes().size());
  if (first >= 0 && first < count) {
    int last = criteria_.IncludeSubfolders ? count - 1 : first;
    for (int n = first; n <= last && searching_; ++n) SearchFolder(n);
  }
  searching_ = false;
}

void TMailFinder::SearchFolder(int node) {
  auto nodes = tree_.Nodes();
  if (node < 0 || node >= static_cast<int>(nodes.size())) return;
  if (OnFolder) OnFolder(node);
  // OnFolder may let events run; the tree may have been rebuilt meanwhile.
  nodes = tree_.Nodes();
  if (!searching_ || node >= static_cast<int>(nodes.size())) return;
  const TMailTreeNode& n = *nodes[static_cast<size_t>(node)];
  if (!n.Record) return;
  // Rows of the list: the sub-folders first, then the messages.
  const int firstRow = static_cast<int>(n.Children.size());
  const TFolderKind kind = n.Record->Kind;
  if (kind == TFolderKind::fkOutBox || kind == TFolderKind::fkSaveBox || kind == TFolderKind::fkSentBox)
    SearchBox(node, n, firstRow);
  else if (!n.Record->IndexFile.empty() && tree_.PacketLoaded())
    SearchConference(node, n, firstRow);
}

void TMailFinder::SearchConference(int node, const TMailTreeNode& n, int firstRow) {
  const std::string dir = IncludeTrailingBackslash(tree_.Directory());
  if (!FileExistsNoCase(dir, n.Record->IndexFile)) return;
  TConferenceReader reader;
  if (!reader.Open(dir, n.Record->IndexFile)) return;
  TMessagesFile& messages = reader.Messages();
  const int32_t count = reader.Count();
  TQWKHeader header;
  const auto extended = PacketExtendedHeaders(dir);
  for (int32_t i = 1; i <= count && searching_; ++i) {
    Pump();
    if (!searching_) break;
    auto block = reader.BlockNumber(i);
    extended_.reset();
    if (extended && block) extended_ = extended->Find(BlockOffset(*block));
    // Headers are read alone (128 bytes each), so a header-only search
    // never copies the bodies in between.
    char raw[kQWKBlockSize];
    size_t got = block && messages.HoldsHeader(*block)
                     ? messages.File().ReadAt(BlockOffset(*block), raw, sizeof raw)
                     : 0;
    if (got > 0) {
      header = TQWKHeader(std::string_view(raw, got));
      bool bodyRead = false;
      if (NeedsBody()) {
        int64_t length = messages.BodyLengthInFile(*block, header);
        body_.resize(static_cast<size_t>(std::max<int64_t>(length, 0)));
        size_t got = messages.File().ReadAt(BlockOffset(*block) + static_cast<int64_t>(kQWKBlockSize), body_.data(),
                                            body_.size());
        body_.resize(got);
        bodyRead = true;
      }
      if (TestMessage(header, body_, bodyRead)) AddHit(header.Raw(), node, firstRow + i - 1, i);
    }
    ++examined_;
  }
  extended_.reset();
  if (body_.capacity() > (1u << 20)) std::string().swap(body_);
}

void TMailFinder::SearchBox(int node, const TMailTreeNode& n, int firstRow) {
  TQWKPostOffice* po = tree_.Postoffice();
  std::string id = po && !po->BBSID().empty() ? po->BBSID() : SafeBBSID(tree_.BBSID());
  if (id.empty()) return;
  const char* name = n.Record->Kind == TFolderKind::fkOutBox    ? "Outbox"
                     : n.Record->Kind == TFolderKind::fkSaveBox ? "Savebox"
                                                                 : "Sentbox";
  std::string box = PostOfficeBox(IncludeTrailingBackslash(ProgramFolder()) + id, name);
  // The files in the order of the list's rows.
  std::vector<std::string> files;
  std::error_code ec;
  for (fs::directory_iterator it(box, ec), end; !ec && it != end; it.increment(ec))
    if (it->is_regular_file(ec) && SameText(it->path().extension().string(), ".qms"))
      files.push_back(it->path().string());
  std::sort(files.begin(), files.end(),
            [](const std::string& a, const std::string& b) { return AnsiLowerCase(a) < AnsiLowerCase(b); });
  for (size_t j = 0; j < files.size() && searching_; ++j) {
    Pump();
    if (!searching_) break;
    // A file that vanished since the folder was listed is skipped.
    TBlockFile file;
    if (file.Open(files[j], TOpenMode::omRead)) {
      char raw[kQWKBlockSize];
      size_t got = file.ReadAt(0, raw, sizeof raw);
      if (got > 0) {
        TQWKHeader header(std::string_view(raw, got));
        bool bodyRead = false;
        if (NeedsBody()) {
          int64_t length = std::min<int64_t>(header.BodyLength(), file.Size() - static_cast<int64_t>(kQWKBlockSize));
          body_.resize(static_cast<size_t>(std::max<int64_t>(length, 0)));
          body_.resize(file.ReadAt(static_cast<int64_t>(kQWKBlockSize), body_.data(), body_.size()));
          bodyRead = true;
        }
        if (TestMessage(header, body_, bodyRead)) AddHit(header.Raw(), node, firstRow + static_cast<int>(j), static_cast<int>(j) + 1);
      }
    }
    ++examined_;
  }
}

bool TMailFinder::TestMessage(const TQWKHeader& header, std::string_view body, bool bodyRead) {
  if (!hasCriteria_) return false;
  auto field = [&](size_t offset, size_t width) { return std::string_view(header.Data() + offset, width); };
  // The long form of a field, from the extended header, when there is one.
  auto longOr = [&](const std::string TExtendedHeader::*member, size_t offset, size_t width) {
    if (extended_ && !((*extended_).*member).empty()) return std::string_view((*extended_).*member);
    return field(offset, width);
  };
  const std::string_view from = longOr(&TExtendedHeader::From, qwkhdr::kFrom, qwkhdr::kFromLen);
  currentFrom_.assign(from);
  if (!from_.empty() && !UpperFieldMatches(from, from_)) return false;
  if (!to_.empty() && !UpperFieldMatches(longOr(&TExtendedHeader::To, qwkhdr::kTo, qwkhdr::kToLen), to_)) return false;
  if (!subject_.empty() &&
      !UpperFieldMatches(longOr(&TExtendedHeader::Subject, qwkhdr::kSubject, qwkhdr::kSubjectLen), subject_))
    return false;
  if (criteria_.TextCriterion() && !(bodyRead && matcher_ && matcher_->Matches(body))) return false;
  if (criteria_.FilesCriterion()) {
    if (!bodyRead) return false;
    auto names = AttachmentNames(body);
    if (std::none_of(names.begin(), names.end(),
                     [&](const std::string& nm) { return FileMaskMatches(criteria_.FileMask, nm); }))
      return false;
  }
  if (criteria_.DateFilter()) {
    auto d = ParsePostDate(field(qwkhdr::kDate, qwkhdr::kDateLen));
    if (!d || !DateMatches(criteria_, *d, TodayDay)) return false;
  }
  return true;
}

void TMailFinder::AddHit(std::string_view raw, int node, int row, int position) {
  const TQWKHeader header(raw);
  auto nodes = tree_.Nodes();
  if (node >= static_cast<int>(nodes.size())) return;
  TFinderHit hit{TrimRight(header.Subject()), nodes[static_cast<size_t>(node)]->Caption, node, row, position,
                 TrimRight(header.From()), TrimRight(header.Date())};
  if (!IsCp437(CurrentBoardCharset())) hit.Charset = CurrentBoardCharset();
  if (extended_) {
    hit.Subject = LongerText(extended_->Subject, hit.Subject);
    hit.From = LongerText(extended_->From, hit.From);
    if (extended_->Utf8) hit.Charset = kCharsetUtf8;
  }
  hits_.push_back(hit);
  if (OnHit) OnHit(hits_.back());
}

// ---------------------------------------------------------------- histories

const char* const kSearchFieldKeys[sfCount] = {"ToField", "FromField", "SubjectField", "TextField", "FilesField"};

namespace {
std::string HistoryKey(TSearchField field) {
  return std::string(kProgramKey) + "\\Search\\" + kSearchFieldKeys[field];
}
}  // namespace

std::vector<std::string> ReadSearchHistory(TRegistry& reg, TSearchField field) {
  std::vector<std::string> out;
  try {
    if (!reg.OpenKey(HistoryKey(field), false)) return out;
    int32_t count = reg.ValueExists("Count") ? reg.ReadInteger("Count") : 0;
    for (int32_t i = 1; i <= count; ++i) {
      std::string name = "Str" + std::to_string(i);
      if (reg.ValueExists(name)) out.push_back(reg.ReadString(name));
    }
  } catch (const ERegistryException&) {
    // A damaged history is read as far as it goes.
  }
  return out;
}

void WriteSearchHistory(TRegistry& reg, TSearchField field, const std::vector<std::string>& entries) {
  reg.OpenKey(HistoryKey(field), true);
  reg.WriteInteger("Count", static_cast<int32_t>(entries.size()));
  for (size_t i = 0; i < entries.size(); ++i) reg.WriteString("Str" + std::to_string(i + 1), entries[i]);
}

TWindowPlacement ReadFinderPlacement(TRegistry& reg) {
  TWindowPlacement p = kFinderPlacement;
  try {
    if (!reg.OpenKey(std::string(kProgramKey) + "\\Search\\Location", false)) return p;
    auto get = [&](const char* name, int32_t& v) {
      if (reg.ValueExists(name)) v = reg.ReadInteger(name);
    };
    int32_t state = 0;
    get("Top", p.Top);
    get("Left", p.Left);
    get("Height", p.Height);
    get("Width", p.Width);
    get("WindowState", state);
    p.WindowState = state == 1 ? TWindowState::wsMaximized : state == 2 ? TWindowState::wsMinimized : TWindowState::wsNormal;
  } catch (const ERegistryException&) {
    // Values of the wrong type keep their defaults.
  }
  return p;
}

void WriteFinderPlacement(TRegistry& reg, const TWindowPlacement& p) {
  reg.OpenKey(std::string(kProgramKey) + "\\Search\\Location", true);
  reg.WriteInteger("Top", p.Top);
  reg.WriteInteger("Left", p.Left);
  reg.WriteInteger("Height", p.Height);
  reg.WriteInteger("Width", p.Width);
  reg.WriteInteger("WindowState", static_cast<int32_t>(p.WindowState));
}

std::vector<std::string> AddToHistory(std::vector<std::string> entries, const std::string& text) {
  if (!text.empty()) entries.push_back(text);
  auto less = [](const std::string& a, const std::string& b) { return AnsiLowerCase(a) < AnsiLowerCase(b); };
  std::stable_sort(entries.begin(), entries.end(), less);
  entries.erase(std::unique(entries.begin(), entries.end(),
                            [](const std::string& a, const std::string& b) { return SameText(a, b); }),
                entries.end());
  return entries;
}

}  // namespace korrin
