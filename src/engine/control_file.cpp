#include "engine/control_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <limits>
#include <set>

#include "engine/text_line_reader.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/text.h"

namespace korrin {

namespace {

bool IsRegularFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Everything after the first comma; the whole text when there is none.
std::string AfterFirstComma(const std::string& line) {
  auto p = line.find(',');
  return p == std::string::npos ? line : line.substr(p + 1);
}

// The conference count of line 11, or nothing when it is not a number.
// Absurd counts are cut so that "count + 1" stays a 32-bit number; the list
// ends at the end of the file anyway.
std::optional<int32_t> ConferenceCount(const std::string& text) {
  auto n = ParseInt(text);
  if (!n) return std::nullopt;
  constexpr int64_t kMax = std::numeric_limits<int32_t>::max() - 1;
  constexpr int64_t kMin = std::numeric_limits<int32_t>::min() + 1;
  if (*n > kMax) return static_cast<int32_t>(kMax);
  if (*n < kMin) return static_cast<int32_t>(kMin);
  return static_cast<int32_t>(*n);
}

bool EndsList(const std::string& numberLine) {
  return Contains(numberLine, "GOODB") || Contains(numberLine, "WELCO");
}

// Group text between the first "[" and the next "]"; empty without "]".
std::string GroupOf(const std::string& caption) {
  auto open = caption.find('[');
  if (open == std::string::npos) return {};
  auto close = caption.find(']', open + 1);
  if (close == std::string::npos) return {};
  return caption.substr(open + 1, close - open - 1);
}

std::optional<std::string> FindControlFile(const std::string& directory) {
  if (directory.empty()) return std::nullopt;
  return FindFileNoCase(directory, kControlFileName);
}

// Conference numbers of the index files in the folder ("7.ndx", "007.ndx",
// "10001.ndx") whose names are not among `claimed` (lower case), ascending.
std::vector<int> UnlistedIndexNumbers(const std::string& directory, const std::set<std::string>& claimed) {
  std::vector<int> numbers;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(directory, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.size() < 5 || name.size() > 12 || !SameText(name.substr(name.size() - 4), ".ndx")) continue;
    const std::string stem = name.substr(0, name.size() - 4);
    if (!std::all_of(stem.begin(), stem.end(), [](char c) { return c >= '0' && c <= '9'; })) continue;
    if (claimed.count(AnsiLowerCase(name)) || !IsRegularFile(it->path().string())) continue;
    const long n = std::stol(stem);
    if (n > 65535) continue;
    numbers.push_back(static_cast<int>(n));
  }
  std::sort(numbers.begin(), numbers.end());
  numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
  return numbers;
}

}  // namespace

std::string InBoxCaption(const std::string& packetDate) { return std::string(kInBoxName) + " " + packetDate; }

std::string IndexFileStem(const std::string& numberText) {
  std::string stem = RemoveBlanks(numberText);
  if (stem.size() < 3) stem.insert(0, 3 - stem.size(), '0');
  return stem + ".ndx";
}

TIndexFileLookup IndexFileName(const std::string& directory, const std::string& numberText) {
  TIndexFileLookup result;
  result.Name = IndexFileStem(numberText);
  // A number line is packet data: never let it name a file outside the folder.
  if (directory.empty() || result.Name.find_first_of(std::string("/\\\0", 3)) != std::string::npos) return result;
  auto found = FindFileNoCase(directory, result.Name);
  if (found && IsRegularFile(*found)) {
    result.Name = ExtractFileName(*found);
    result.Exists = true;
  }
  return result;
}

TControlFileResult ReadControlFile(const std::string& directory, PacketIdentity& identity,
                                   const TControlFileOptions& options, TControlFileVisitor* visitor) {
  auto path = FindControlFile(directory);
  if (!path) return TControlFileResult::crMissing;
  TTextLineReader in;
  if (!in.Open(*path)) {
    if (options.Failure) *options.Failure = kErrReadControlFile;
    else GetPrompts().Error(kErrReadControlFile);
    return TControlFileResult::crUnreadable;
  }

  std::string line;
  in.ReadLine(line);
  identity.BBSName = NormalizeNameCase(line);
  for (int i = 2; i <= 4; ++i) in.ReadLine(line);
  in.ReadLine(line);
  identity.BBSID = AfterFirstComma(line);
  in.ReadLine(line);
  if (auto comma = line.find(','); comma != std::string::npos) {
    identity.PacketDate = line.substr(0, comma);
    identity.PacketTime = line.substr(comma + 1);
  } else {
    identity.PacketDate = line;
    identity.PacketTime.clear();
  }
  in.ReadLine(line);
  identity.UserName = NormalizeNameCase(line);
  identity.ConferencesAnnounced = 0;
  identity.ConferencesReceived = 0;
  if (visitor) visitor->OnIdentity(identity);
  if (!options.PacketLoaded) return TControlFileResult::crRead;

  int32_t received = 0;
  if (options.PersonalConference) {
    auto personal = IndexFileName(directory, kPersonalIndexNumber);
    if (personal.Exists) {
      ++received;
      TConfRec rec;
      rec.Name = kPersonalMessagesName;
      rec.IndexFile = personal.Name;
      rec.Ordinal = received;
      rec.Kind = TFolderKind::fkConference;
      if (visitor) visitor->OnPersonal(rec);
    }
  }

  for (int i = 8; i <= 10; ++i) in.ReadLine(line);
  in.ReadLine(line);
  auto count = ConferenceCount(RemoveBlanks(line));
  // Index files named by an entry of the list; the others become folders of their own.
  std::set<std::string> claimed;
  std::string currentGroup;
  auto addConference = [&](TConferenceEntry entry, const std::string& numberText) {
    auto index = IndexFileName(directory, numberText);
    TConfRec rec;
    rec.Name = entry.Caption;
    rec.Kind = TFolderKind::fkConference;
    if (index.Exists) {
      claimed.insert(AnsiLowerCase(index.Name));
      ++received;
      rec.IndexFile = index.Name;
      rec.Ordinal = received;
    }
    if (!index.Exists && !options.AllConferences) return;
    if (!entry.Group.empty() && entry.Group != currentGroup) {
      currentGroup = entry.Group;
      if (visitor) visitor->OnGroup(currentGroup);
    }
    if (visitor && !visitor->OnConference(rec, entry)) GetPrompts().Error(kErrConferenceListTooLong + entry.Caption);
  };
  if (count) {
    identity.ConferencesAnnounced = *count + 1;
    std::string numberLine, nameLine;
    // Some doors leave out the number lines: the names follow the count
    // directly and the conferences are numbered from 0 in their order.
    bool namesOnly = false;
    int64_t implied = 0;
    for (int64_t left = static_cast<int64_t>(*count) + 1; left > 0; --left) {
      if (in.Eof()) break;
      in.ReadLine(numberLine);
      if (EndsList(numberLine)) break;
      if (implied == 0 && !namesOnly && !ParseInt(Trim(numberLine))) namesOnly = true;
      if (namesOnly) {
        nameLine = numberLine;
        numberLine = std::to_string(implied++);
      } else {
        in.ReadLine(nameLine);
        ++implied;
      }

      TConferenceEntry entry;
      entry.Number = numberLine;
      entry.Name = nameLine;
      entry.Caption = numberLine + " " + nameLine;
      entry.Group = GroupOf(entry.Caption);
      if (auto close = entry.Caption.find(']'); close != std::string::npos) entry.Caption.erase(0, close + 1);
      addConference(entry, numberLine);
    }
  }
  // Index files of conferences the list does not name (or names under a
  // number that matches no file) still reach their messages.
  for (int number : UnlistedIndexNumbers(directory, claimed)) {
    TConferenceEntry entry;
    entry.Number = std::to_string(number);
    entry.Name = "Conference " + entry.Number;
    entry.Caption = entry.Name;
    addConference(entry, entry.Number);
  }
  identity.ConferencesReceived = received;
  return TControlFileResult::crRead;
}

void TControlFileCollector::OnPersonal(const TConfRec& record) {
  Item item{Item::TItemKind::ikPersonal, record, {}, {}};
  Items.push_back(item);
}

void TControlFileCollector::OnGroup(const std::string& group) {
  currentGroup_ = group;
  Item item{Item::TItemKind::ikGroup, {}, {}, group};
  Items.push_back(item);
}

bool TControlFileCollector::OnConference(const TConfRec& record, const TConferenceEntry& entry) {
  Item item{Item::TItemKind::ikConference, record, entry, currentGroup_};
  Items.push_back(item);
  return true;
}

std::optional<std::string> ReadPacketUserName(const std::string& postOfficeDirectory) {
  auto path = FindControlFile(postOfficeDirectory);
  TTextLineReader in;
  if (!path || !in.Open(*path)) {
    GetPrompts().Error(kErrReadControlFile);
    return std::nullopt;
  }
  std::string line;
  for (int i = 1; i <= 7; ++i) in.ReadLine(line);
  return NormalizeNameCase(line);
}

std::optional<TConferenceList> ReadConferenceList(const std::string& directory, TCountRule rule) {
  auto path = FindControlFile(directory);
  TTextLineReader in;
  if (!path || !in.Open(*path)) {
    GetPrompts().Error(kErrReadControlFile);
    return std::nullopt;
  }
  TConferenceList list;
  std::string line;
  for (int i = 1; i <= 10; ++i) {
    in.ReadLine(line);
    if (i == 7) list.UserName = line;
  }
  in.ReadLine(line);
  std::string countText;
  if (rule == TCountRule::crBlanksRemoved) {
    countText = RemoveBlanks(line);
  } else {
    auto blank = line.find(' ');
    countText = Trim(blank == std::string::npos ? line : line.substr(0, blank));
  }
  auto count = ConferenceCount(countText);
  if (!count) return list;
  std::string numberLine, nameLine;
  for (int64_t left = static_cast<int64_t>(*count) + 1; left > 0; --left) {
    if (in.Eof()) break;
    in.ReadLine(numberLine);
    if (EndsList(numberLine)) break;
    in.ReadLine(nameLine);
    list.Entries.push_back({numberLine, nameLine, numberLine + " " + nameLine, {}});
  }
  return list;
}

}  // namespace korrin
