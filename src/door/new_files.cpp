#include "door/new_files.h"

#include <algorithm>
#include <optional>

#include "engine/door_control.h"
#include "engine/text_line_reader.h"
#include "engine/to_door.h"
#include "engine/to_reader.h"
#include "platform/codepage.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/text.h"

namespace korrin {

namespace {
// 1-based position of the first "." of the line; 0 when there is none.
size_t DotPosition(const std::string& line) {
  size_t dot = line.find('.');
  return dot == std::string::npos ? 0 : dot + 1;
}

// The first blank-delimited word of the text from the 0-based offset on.
std::string FirstWordFrom(const std::string& line, size_t offset) {
  if (offset >= line.size()) return {};
  size_t start = line.find_first_not_of(' ', offset);
  if (start == std::string::npos) return {};
  size_t end = line.find(' ', start);
  return Trim(std::string_view(line).substr(start, end == std::string::npos ? std::string::npos : end - start));
}

std::string TextFrom(const std::string& line, size_t offset) {
  if (offset >= line.size()) return {};
  size_t start = line.find_first_not_of(' ', offset);
  return start == std::string::npos ? std::string() : line.substr(start);
}

// A continuation line: a blank in column 1 or 2 and nothing but blanks in
// the first 32 columns.
bool IsDescriptionLine(const std::string& line) {
  if (line.size() < 2 || (line[0] != ' ' && line[1] != ' ')) return false;
  size_t n = std::min<size_t>(line.size(), 32);
  return std::all_of(line.begin(), line.begin() + static_cast<std::ptrdiff_t>(n), [](char c) { return c == ' '; });
}

TMyNode EntryOf(const std::string& line, size_t dot) {
  TMyNode node;
  node.EntryName = line.substr(0, std::min(line.size(), dot + 3));
  node.EntrySize = FirstWordFrom(line, dot + 3);
  node.EntryDate = FirstWordFrom(line, 23);
  node.EntryDescription.push_back(TextFrom(line, 31));
  return node;
}

const char* const kDayNames[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
const char* const kMonthNames[] = {"January", "February", "March",     "April",   "May",      "June",
                                   "July",    "August",   "September", "October", "November", "December"};

bool LeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && LeapYear(y) ? 29 : days[m - 1];
}

// 0 = Sunday (Sakamoto's rule).
int DayOfWeek(int y, int m, int d) {
  static const int t[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  if (m < 3) y -= 1;
  return (y + y / 4 - y / 100 + y / 400 + t[m - 1] + d) % 7;
}

// A part of a date: digits, blanks around them allowed.
std::optional<int> DatePart(std::string_view text, size_t& digits) {
  std::string t = Trim(text);
  if (t.empty() || t.size() > 4 || !std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  digits = t.size();
  return std::stoi(t);
}
}  // namespace

std::vector<TMyNode> LoadNewFiles(const std::string& folder) {
  std::vector<TMyNode> entries;
  auto path = FindFileNoCase(folder, kNewFilesFileName);
  TTextLineReader in;
  if (!path || !in.Open(*path)) return entries;
  std::string line;
  int rows = 0;
  bool pending = false;  // `line` already holds the next entry's first line
  for (;;) {
    if (!pending) {
      if (in.Eof()) break;
      in.ReadLine(line);
    }
    pending = false;
    size_t dot = DotPosition(line);
    if (dot == 0) continue;
    TMyNode node = EntryOf(line, dot);
    if (dot < 20) node.Row = rows++;
    while (!in.Eof()) {
      in.ReadLine(line);
      size_t p = DotPosition(line);
      if (p >= 1 && p <= 30) {
        // 1-20: the next entry; 21-30: the description ends, the line is dropped.
        pending = p <= 20;
        break;
      }
      if (line.size() < 2)
        node.EntryDescription.emplace_back();
      else if (IsDescriptionLine(line))
        node.EntryDescription.push_back(TextFrom(line, 0));
    }
    entries.push_back(std::move(node));
  }
  return entries;
}

std::string FormatFileSize(const std::string& size) { return SizeText(size); }

std::string NewFileDateText(const std::string& entryDate, TDateOrder order, int currentYear) {
  char sep = 0;
  for (char c : {'-', '/', '\\', ',', ':', '.'})
    if (entryDate.find(c) != std::string::npos) sep = c == ',' ? '.' : c;
  if (sep == 0) return entryDate;
  std::vector<std::string_view> parts;
  std::string_view rest(entryDate);
  for (;;) {
    size_t at = rest.find(sep);
    parts.push_back(rest.substr(0, at));
    if (at == std::string_view::npos) break;
    rest.remove_prefix(at + 1);
  }
  if (parts.size() < 2 || parts.size() > 3) return entryDate;
  int values[3] = {0, 0, 0};
  size_t digits[3] = {0, 0, 0};
  for (size_t i = 0; i < parts.size(); ++i) {
    auto v = DatePart(parts[i], digits[i]);
    if (!v) return entryDate;
    values[i] = *v;
  }
  int y = currentYear, m = 0, d = 0;
  size_t yearDigits = 4;
  if (parts.size() == 2) {
    // Without a year: day and month in their order, the current year.
    if (order == TDateOrder::doDMY) {
      d = values[0];
      m = values[1];
    } else {
      m = values[0];
      d = values[1];
    }
  } else if (order == TDateOrder::doMDY) {
    m = values[0], d = values[1], y = values[2], yearDigits = digits[2];
  } else if (order == TDateOrder::doDMY) {
    d = values[0], m = values[1], y = values[2], yearDigits = digits[2];
  } else {
    y = values[0], m = values[1], d = values[2], yearDigits = digits[0];
  }
  if (yearDigits <= 2) {
    // Within fifty years of the current year.
    int century = currentYear - currentYear % 100;
    y += century;
    if (y > currentYear + 50) y -= 100;
    if (y <= currentYear - 50) y += 100;
  }
  if (y < 1 || m < 1 || m > 12 || d < 1 || d > DaysInMonth(y, m)) return entryDate;
  return std::string(kDayNames[DayOfWeek(y, m, d)]) + " " + kMonthNames[m - 1] + " " + std::to_string(d) + " " +
         std::to_string(y);
}

void TNewFilesViewer::SetEntries(std::vector<TMyNode> entries) {
  entries_ = std::move(entries);
  SetCurrentEntry(current_);
}

void TNewFilesViewer::SetCurrentEntry(int index) {
  const int last = static_cast<int>(entries_.size()) - 1;
  current_ = std::clamp(index, 0, std::max(last, 0));
}

void TNewFilesViewer::Next() {
  if (entries_.empty()) return;
  current_ = current_ >= static_cast<int>(entries_.size()) - 1 ? 0 : current_ + 1;
}

void TNewFilesViewer::Previous() {
  if (entries_.empty()) return;
  current_ = current_ <= 0 ? static_cast<int>(entries_.size()) - 1 : current_ - 1;
}

int TNewFilesViewer::EntryOfRow(int row) const {
  auto at = std::find_if(entries_.begin(), entries_.end(), [row](const TMyNode& e) { return e.Row == row; });
  return at == entries_.end() ? row : static_cast<int>(at - entries_.begin());
}

int TNewFilesViewer::RowOfEntry(int entry) const {
  return entry >= 0 && entry < static_cast<int>(entries_.size()) ? entries_[static_cast<size_t>(entry)].Row : -1;
}

TNewFileView TNewFilesViewer::View(TDateOrder order, int currentYear) const {
  TNewFileView view;
  view.Count = std::to_string(entries_.empty() ? 0 : current_ + 1) + " of " + std::to_string(entries_.size());
  if (entries_.empty()) return view;
  const TMyNode& node = entries_[static_cast<size_t>(current_)];
  view.Name = Trim(node.EntryName);
  view.Size = FormatFileSize(node.EntrySize);
  view.Date = NewFileDateText(node.EntryDate, order, currentYear);
  view.Description = node.EntryDescription;
  return view;
}

std::string TNewFilesViewer::CurrentName() const {
  return entries_.empty() ? std::string() : Trim(entries_[static_cast<size_t>(current_)].EntryName);
}

bool RequestsAllowed(const TDoorControl& door) { return door.HasFlag(dfAllowRequest); }

std::vector<std::string> PendingRequests(const std::string& directory) {
  std::vector<std::string> pending;
  auto path = FindFileNoCase(directory, kToDoorFileName);
  TTextLineReader in;
  if (!path || !in.Open(*path)) return pending;
  std::string line;
  while (!in.Eof()) {
    in.ReadLine(line);
    if (line.compare(0, 7, "REQUEST") == 0) pending.push_back(line.size() > 8 ? line.substr(8) : std::string());
  }
  return pending;
}

bool IsValidRequestName(const std::string& name) {
  return name.size() <= 12 && name.find('.') != std::string::npos &&
         std::none_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

TRequestResult RequestFile(const TDoorControl& door, TToDoor& toDoor, const std::string& name) {
  if (!RequestsAllowed(door) || name.empty()) return TRequestResult::rrNotAllowed;
  const std::string shown = Cp437ToUtf8(name);
  auto pending = PendingRequests(toDoor.Directory());
  if (std::any_of(pending.begin(), pending.end(), [&](const std::string& p) { return SameText(p, name); })) {
    GetPrompts().Information("File " + shown + " has already been requested from BBS");
    return TRequestResult::rrAlreadyRequested;
  }
  if (door.MaxRequests() <= static_cast<int64_t>(pending.size())) {
    GetPrompts().Information(kRequestMaximumText);
    return TRequestResult::rrMaximum;
  }
  if (!toDoor.AddDoorCommand("REQUEST " + name)) return TRequestResult::rrNotWritten;
  GetPrompts().Information("The file " + shown + " has been requested and will be included in your next mail packet.");
  return TRequestResult::rrRequested;
}

TRequestResult RequestAnyFile(const TDoorControl& door, TToDoor& toDoor) {
  if (!RequestsAllowed(door)) return TRequestResult::rrNotAllowed;
  auto typed = GetPrompts().InputBox(kRequestCaption, kRequestPrompt, "");
  if (!typed) return TRequestResult::rrCancelled;
  std::string name = Utf8ToCp437(*typed);
  if (!IsValidRequestName(name)) {
    GetPrompts().Error(*typed + " is not a valid filename.");
    return TRequestResult::rrInvalidName;
  }
  return RequestFile(door, toDoor, name);
}

}  // namespace korrin
