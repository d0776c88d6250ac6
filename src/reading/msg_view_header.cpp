#include "reading/msg_view_header.h"

#include <chrono>
#include <vector>

#include "engine/qwk_msg.h"
#include "engine/to_reader.h"
#include "engine/header_texts.h"
#include "platform/text.h"

namespace korrin {

namespace {

int ClockYear() {
  using namespace std::chrono;
  year_month_day ymd{floor<days>(system_clock::now())};
  return static_cast<int>(ymd.year());
}

// A number of 1 to `maxDigits` digits; its digit count goes to `digits`.
std::optional<int> Number(const std::string& text, size_t maxDigits, size_t* digits = nullptr) {
  std::string t = Trim(text);
  if (t.empty() || t.size() > maxDigits) return std::nullopt;
  int value = 0;
  for (char c : t) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (digits) *digits = t.size();
  return value;
}

std::vector<std::string> Split(const std::string& text, char sep) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    size_t p = text.find(sep, start);
    parts.push_back(text.substr(start, p == std::string::npos ? std::string::npos : p - start));
    if (p == std::string::npos) break;
    start = p + 1;
  }
  return parts;
}

bool ValidDay(int y, int m, int d) {
  using namespace std::chrono;
  if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1 || d > 31) return false;
  return year_month_day{year{y}, month{static_cast<unsigned>(m)}, day{static_cast<unsigned>(d)}}.ok();
}

bool ParseDate(const std::string& text, TDateOrder order, int currentYear, TMsgDateTime& out) {
  char sep = DateSeparatorOf(text);
  if (!sep) return false;
  std::vector<std::string> parts = Split(Trim(text), sep);
  if (parts.size() != 2 && parts.size() != 3) return false;
  int y = currentYear, m = 0, d = 0;
  size_t yearDigits = 4;
  if (parts.size() == 2) {
    auto a = Number(parts[0], 2), b = Number(parts[1], 2);
    if (!a || !b) return false;
    if (order == TDateOrder::doDMY) {
      d = *a;
      m = *b;
    } else {
      m = *a;
      d = *b;
    }
  } else {
    int yi = order == TDateOrder::doYMD ? 0 : 2;
    int mi = order == TDateOrder::doDMY ? 1 : (order == TDateOrder::doMDY ? 0 : 1);
    int di = order == TDateOrder::doDMY ? 0 : (order == TDateOrder::doMDY ? 1 : 2);
    auto yv = Number(parts[static_cast<size_t>(yi)], 4, &yearDigits);
    auto mv = Number(parts[static_cast<size_t>(mi)], 2);
    auto dv = Number(parts[static_cast<size_t>(di)], 2);
    if (!yv || !mv || !dv) return false;
    y = *yv;
    m = *mv;
    d = *dv;
    if (yearDigits <= 2) {
      // Within the 50 years around the current year.
      int base = currentYear - 50;
      y += base / 100 * 100;
      if (y < base) y += 100;
    }
  }
  if (!ValidDay(y, m, d)) return false;
  out.Year = y;
  out.Month = m;
  out.Day = d;
  return true;
}

bool ParseTime(const std::string& text, TMsgDateTime& out) {
  std::string t = Trim(text);
  out.Hour = out.Minute = out.Second = 0;
  if (t.empty()) return true;
  int ampm = 0;  // 1 AM, 2 PM
  std::string upper = AnsiUpperCase(t);
  if (upper.size() >= 2 && (upper.ends_with("AM") || upper.ends_with("PM"))) {
    ampm = upper.ends_with("AM") ? 1 : 2;
    t = TrimRight(t.substr(0, t.size() - 2));
  }
  std::vector<std::string> parts = Split(t, ':');
  if (parts.size() < 2 || parts.size() > 3) return false;
  auto h = Number(parts[0], 2), m = Number(parts[1], 2);
  auto s = parts.size() == 3 ? Number(parts[2], 2) : std::optional<int>(0);
  if (!h || !m || !s || *m > 59 || *s > 59) return false;
  int hour = *h;
  if (ampm) {
    if (hour < 1 || hour > 12) return false;
    if (ampm == 1 && hour == 12) hour = 0;
    if (ampm == 2 && hour < 12) hour += 12;
  } else if (hour > 23) {
    return false;
  }
  out.Hour = hour;
  out.Minute = *m;
  out.Second = *s;
  return true;
}

}  // namespace

char DateSeparatorOf(const std::string& postDate) {
  char found = '\0';
  for (char c : {'-', '/', '\\', ',', ':', '.'})
    if (postDate.find(c) != std::string::npos) found = c;
  return found;
}

std::optional<TMsgDateTime> ParseMsgDateTime(const std::string& postDate, const std::string& postTime,
                                             TDateOrder order, int currentYear) {
  if (currentYear <= 0) currentYear = ClockYear();
  TMsgDateTime dt;
  if (!ParseDate(postDate, order, currentYear, dt) || !ParseTime(postTime, dt)) return std::nullopt;
  return dt;
}

const char* const kDayNames[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
const char* const kMonthNames[12] = {"January", "February", "March",     "April",   "May",      "June",
                                     "July",    "August",   "September", "October", "November", "December"};

int WeekDay(const TMsgDateTime& dt) {
  using namespace std::chrono;
  year_month_day ymd{year{dt.Year}, month{static_cast<unsigned>(dt.Month)}, day{static_cast<unsigned>(dt.Day)}};
  return static_cast<int>(weekday{sys_days{ymd}}.c_encoding());
}

std::string LongDateText(const TMsgDateTime& dt) {
  int h12 = dt.Hour % 12 == 0 ? 12 : dt.Hour % 12;
  return Format("%s %s %d %d at %d:%02d %s", kDayNames[WeekDay(dt)], kMonthNames[dt.Month - 1], dt.Day, dt.Year, h12,
                dt.Minute, dt.Hour < 12 ? "AM" : "PM");
}

std::string DateLabelText(const std::string& postDate, const std::string& postTime, TDateOrder order,
                          int currentYear) {
  if (auto dt = ParseMsgDateTime(TrimRight(postDate), TrimRight(postTime), order, currentYear))
    return LongDateText(*dt);
  return postDate + "  " + postTime;
}

std::string ConfLabelText(const std::string& confName, uint16_t conference, TFolderKind kind) {
  if (!confName.empty()) return confName;
  std::string text = "Conference " + std::to_string(conference);
  switch (kind) {
    case TFolderKind::fkOutBox: return text + "    \"Out Box\"";
    case TFolderKind::fkSaveBox: return text + "    \"Save Box\"";
    case TFolderKind::fkSentBox: return text + "    \"Sent Box\"";
    default: return text;
  }
}

std::string ExLabelText(uint32_t areaFlags) {
  static const std::pair<uint32_t, const char*> kTexts[] = {
      {afL, "Local "},        {afN, "NetMail "},  {afE, "EchoMail "},     {afI, "Internet "},
      {afU, "Newsgroup "},    {afB, "No replies "}, {afP, "Private "},    {afO, "Public "},
      {afX, "General "},      {afR, "Read only "},  {afZ, "No replies "}, {afH, "Handles only "},
      {afA, "Alias allowed "}, {afAmp, "Allows attached files "}};
  std::string text;
  for (auto [bit, t] : kTexts)
    if (areaFlags & bit) text += t;
  return text;
}

std::optional<std::string> StatusLabelText(tStatus status) {
  if (status == tStatus::sPublic) return std::string("P U B L I C");
  if (status == tStatus::sPrivate) return std::string("P R I V A T E");
  return std::nullopt;
}

std::string MsgNumText(int position, int count) { return std::to_string(position) + " of " + std::to_string(count); }

std::string NumberPanelText(const std::string& number) { return "Host Message #" + TrimRight(number); }

TMsgViewHeader MsgViewHeader(const TQWKMsg& msg, int listRow, int listCount, TDateOrder order, int currentYear) {
  TMsgViewHeader h;
  TFolderKind kind = msg.ConfRecord().Kind;
  h.Date = DateLabelText(msg.PostDate(), msg.PostTime(), order, currentYear);
  h.From = LongerText(msg.LongFrom(), msg.MsgFROM());
  h.To = LongerText(msg.LongTo(), msg.MsgTo());
  h.Subject = LongerText(msg.LongSubject(), msg.Subject());
  h.Conf = ConfLabelText(msg.ConfName(), msg.Conference(), kind);
  h.Ex = ExLabelText(msg.AreaFlags());
  h.Status = StatusLabelText(msg.Status());
  if (kind == TFolderKind::fkConference) {
    h.Position = msg.IndexPosition();
    h.Count = msg.IndexCount();
  } else {
    h.Position = listRow + 1;
    h.Count = listCount;
  }
  h.MsgNum = MsgNumText(h.Position, h.Count);
  h.NumberPanel = NumberPanelText(msg.Number());
  return h;
}

}  // namespace korrin
