#include "engine/door_control.h"

#include <limits>

#include "engine/text_line_reader.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace korrin {

namespace {

// Deletes everything up to and including the first blank, `tokens` times
// (a text without a blank stays as it is).
std::string DropTokens(std::string text, int tokens) {
  for (int i = 0; i < tokens; ++i) {
    auto blank = text.find(' ');
    if (blank == std::string::npos) break;
    text.erase(0, blank + 1);
  }
  return text;
}

// The text up to the next blank.
std::string FirstToken(const std::string& text) {
  auto blank = text.find(' ');
  return blank == std::string::npos ? text : text.substr(0, blank);
}

int32_t MaxValue(const std::string& line) {
  auto v = ParseInt(Trim(FirstToken(DropTokens(line, 3))));
  if (!v || *v > std::numeric_limits<int32_t>::max() || *v < std::numeric_limits<int32_t>::min()) return 0;
  return static_cast<int32_t>(*v);
}

}  // namespace

bool DoorTypeOf(const std::string& upperDoorName, uint8_t& type) {
  static const struct {
    const char* name;
    uint8_t type;
  } kTypes[] = {{"OLMS", 0}, {"ROSEMAIL", 2}, {"CAMMAIL", 4}, {"MARKMAIL", 5},
                {"WCMAIL", 6}, {"KMAIL", 8},  {"TRIMAIL", 9}};
  for (const auto& t : kTypes)
    if (upperDoorName == t.name) {
      type = t.type;
      return true;
    }
  return false;
}

void TDoorControl::ResetDoorInfo() {
  doorName_.clear();
  doorVersion_.clear();
  doorSystem_.clear();
  controlName_.clear();
  doorType_ = kUnknownDoorType;
  doorFlags_ = 0;
  maxKeywords_ = maxFilters_ = maxTwits_ = maxRequests_ = 0;
}

void TDoorControl::ReadDoorIdLine(const std::string& line) {
  if (Contains(line, "DOOR")) doorName_ = DropTokens(line, 2);
  DoorTypeOf(AnsiUpperCase(doorName_), doorType_);
  if (Contains(line, "VERSION")) doorVersion_ = DropTokens(line, 2);
  if (Contains(line, "SYSTEM")) doorSystem_ = DropTokens(line, 2);
  if (Contains(line, "CONTROLNAME")) controlName_ = FirstToken(DropTokens(line, 2));
  if (Contains(line, "RECEIPT")) doorFlags_ |= dfReceipt;
  if (!Contains(line, "CONTROLTYPE")) return;
  static const struct {
    const char* word;
    TDoorFlag flag;
  } kFlags[] = {{"ADD", dfAdd},         {"DROP", dfDrop},
                {"RESET", dfReset},     {"KEYWORD", dfKeyword},
                {"FILTER", dfFilter},   {"TWIT", dfTwit},
                {"ALLOWREQUEST", dfAllowRequest}, {"ALLOWFILES", dfAllowFiles},
                {"ALLOWATTACH", dfAllowAttach}};
  for (const auto& f : kFlags)
    if (Contains(line, f.word)) doorFlags_ |= f.flag;
  if (Contains(line, "MAXKEYWORDS")) maxKeywords_ = MaxValue(line);
  if (Contains(line, "MAXFILTERS")) maxFilters_ = MaxValue(line);
  if (Contains(line, "MAXTWITS")) maxTwits_ = MaxValue(line);
  if (Contains(line, "MAXREQUESTS")) maxRequests_ = MaxValue(line);
}

void TDoorControl::ReadDoorId(const std::string& directory) {
  ResetDoorInfo();
  if (directory.empty()) return;
  auto path = FindFileNoCase(directory, kDoorIdFileName);
  if (!path) return;
  TTextLineReader in;
  if (!in.Open(*path)) return;
  std::string line;
  while (in.ReadLine(line)) ReadDoorIdLine(line);
}

bool TDoorControl::HasDoorIdentity() const {
  return !doorName_.empty() && !doorVersion_.empty() && !doorSystem_.empty() && !controlName_.empty();
}

}  // namespace korrin
