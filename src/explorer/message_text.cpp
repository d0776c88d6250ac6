#include "explorer/message_text.h"

#include <array>
#include <cctype>
#include <chrono>

#include "engine/header_texts.h"
#include "engine/qwk_msg.h"
#include "platform/codepage.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/text.h"
#include "reading/msg_view_header.h"

namespace korrin {

namespace {
std::optional<int> Number(const std::string& text) {
  if (text.empty() || text.size() > 4) return std::nullopt;
  for (char c : text)
    if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
  return std::stoi(text);
}

std::vector<std::string> Split(const std::string& text, char sep) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    size_t at = text.find(sep, start);
    parts.push_back(Trim(text.substr(start, at == std::string::npos ? std::string::npos : at - start)));
    if (at == std::string::npos) return parts;
    start = at + 1;
  }
}

// "hh:mm" or "hh:mm:ss", with an optional AM or PM; minutes of the day.
std::optional<int> ParseTime(std::string text) {
  text = Trim(text);
  if (text.empty()) return 0;
  int half = -1;
  std::string upper = AnsiUpperCase(text);
  for (const char* mark : {"AM", "PM"}) {
    if (upper.size() >= 2 && upper.compare(upper.size() - 2, 2, mark) == 0) {
      half = mark[0] == 'P';
      text = Trim(text.substr(0, text.size() - 2));
    }
  }
  auto parts = Split(text, ':');
  if (parts.size() < 1 || parts.size() > 3) return std::nullopt;
  std::array<int, 3> v = {0, 0, 0};
  for (size_t i = 0; i < parts.size(); ++i) {
    auto n = Number(parts[i]);
    if (!n) return std::nullopt;
    v[i] = *n;
  }
  if (v[1] > 59 || v[2] > 59) return std::nullopt;
  if (half >= 0) {
    if (v[0] < 1 || v[0] > 12) return std::nullopt;
    v[0] = v[0] % 12 + (half ? 12 : 0);
  } else if (v[0] > 23) {
    return std::nullopt;
  }
  return v[0] * 60 + v[1];
}
}  // namespace

std::string MessageDateLine(const std::string& postDate, const std::string& postTime) {
  const std::string date = TrimRight(postDate), time = TrimRight(postTime);
  const std::string label = "Date :         ";
  char sep = '/';  // the locale's own
  for (auto [mark, chosen] : {std::pair{'-', '-'}, std::pair{'/', '/'}, std::pair{'\\', '\\'}, std::pair{',', '.'},
                              std::pair{':', ':'}, std::pair{'.', '.'}})
    if (date.find(mark) != std::string::npos) sep = chosen;
  const std::string asStored = label + postDate + "  " + postTime;
  // The time follows the date after the first blank.
  const std::string joined = Trim(date + " " + time);
  const size_t blank = joined.find(' ');
  auto fields = Split(joined.substr(0, blank), sep);
  if (fields.size() != 3) return asStored;
  auto month = Number(fields[0]), day = Number(fields[1]), year = Number(fields[2]);
  if (!month || !day || !year) return asStored;
  int y = *year;
  if (fields[2].size() <= 2) y += y < 80 ? 2000 : 1900;
  const std::chrono::year_month_day ymd{std::chrono::year{y}, std::chrono::month{static_cast<unsigned>(*month)},
                                        std::chrono::day{static_cast<unsigned>(*day)}};
  if (y < 1 || !ymd.ok()) return asStored;
  auto minutes = ParseTime(blank == std::string::npos ? std::string() : joined.substr(blank + 1));
  if (!minutes) return asStored;
  return label + LongDateText(TMsgDateTime{y, *month, *day, *minutes / 60, *minutes % 60, 0});
}

std::string MessageTextContents(const TQWKMsg& msg, const std::string& body) {
  std::string out;
  auto line = [&](const std::string& text) { out += Cp437ToUtf8(text) + "\r\n"; };
  const std::string subject = LongerText(msg.LongSubject(), msg.Subject());
  line(MessageDateLine(msg.PostDate(), msg.PostTime()));
  line("To :           " + LongerText(msg.LongTo(), msg.MsgTo()));
  line("From :         " + LongerText(msg.LongFrom(), msg.MsgFROM()));
  line("Subject :      " + subject);
  line("");
  line(std::string(77, '-'));
  line("");
  line(subject);
  // The body file's lines end in carriage returns (a last line may have none).
  size_t start = 0;
  while (start < body.size()) {
    size_t end = body.find('\r', start);
    if (end == std::string::npos) end = body.size();
    std::string l = body.substr(start, end - start);
    if (!l.empty() && l.front() == '\n') l.erase(0, 1);
    line(l);
    start = end + 1;
  }
  return out;
}

bool WriteMessageText(const TQWKMsg& msg, const std::string& path) {
  const std::string body = ReadWholeFile(ProgramFolder() + kTmpReadFileName).value_or("");
  if (!WriteFileAtomic(path, MessageTextContents(msg, body), false)) {
    GetPrompts().Box(TBoxKind::bkPlain, "Could not create file - " + path, TBoxButtons::bbOk);
    return false;
  }
  return true;
}

bool ExportMessageText(TQWKMsg& msg, const std::string& packetFolder, const TConfRec& folder, int messageNumber,
                       const std::string& boxFile, const std::string& path) {
  const bool read =
      boxFile.empty() ? msg.LoadFromPacket(packetFolder, messageNumber, folder) : msg.LoadFromFile(boxFile, folder);
  return read && WriteMessageText(msg, path);
}

}  // namespace korrin
