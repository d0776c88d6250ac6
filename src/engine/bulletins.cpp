#include "engine/bulletins.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>

#include "engine/control_file.h"
#include "engine/mail_sort.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace fs = std::filesystem;

namespace korrin {

namespace {
constexpr size_t kMaxControlLine = 4096;

bool GetLine(std::istream& in, std::string& line) {
  line.clear();
  char c;
  bool any = false;
  while (in.get(c)) {
    any = true;
    if (c == '\n') break;
    if (line.size() < kMaxControlLine) line.push_back(c);
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return any;
}

bool EndsConferenceList(const std::string& line) {
  return ContainsNoCase(line, "GOODB") || ContainsNoCase(line, "WELCO");
}

std::string FileDate(const fs::path& path) {
  std::error_code ec;
  auto t = fs::last_write_time(path, ec);
  if (ec) return {};
  std::time_t tt = std::chrono::system_clock::to_time_t(std::chrono::file_clock::to_sys(t));
  std::tm tm{};
  if (!localtime_r(&tt, &tm)) return {};
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d-%02d-%02d", tm.tm_mon + 1, tm.tm_mday, tm.tm_year % 100);
  return buf;
}

bool StartsBlt(const std::string& name) { return name.size() > 4 && SameText(name.substr(0, 4), "BLT-"); }
}  // namespace

TBulletinNames ReadBulletinNames(const std::string& directory) {
  TBulletinNames names;
  auto path = FindFileNoCase(directory, kControlFileName);
  if (!path) return names;
  std::ifstream in(*path, std::ios::binary);
  std::string line;
  for (int n = 1; n <= 11; ++n)
    if (!GetLine(in, line)) return names;
  std::string count = line;
  count.erase(std::remove(count.begin(), count.end(), ' '), count.end());
  const int64_t n = StrToIntDef(count, -2);
  if (n < -1) return names;  // no number: the list cannot be told from the names
  // Conference pairs until the count is reached or a screen name shows up.
  bool haveFirst = false;
  for (int64_t i = 0; i <= n; ++i) {
    if (!GetLine(in, line)) return names;
    if (EndsConferenceList(line)) {
      haveFirst = true;
      break;
    }
    // Some doors write the names without their number lines: a "number"
    // without a digit followed by a screen name ends the list there too.
    const bool noNumber = line.find_first_of("0123456789") == std::string::npos;
    if (!GetLine(in, line)) return names;
    if (noNumber && EndsConferenceList(line)) {
      haveFirst = true;
      break;
    }
  }
  std::string* slots[3] = {&names.Welcome, &names.News, &names.Goodbye};
  for (int k = 0; k < 3; ++k) {
    if (!(k == 0 && haveFirst) && !GetLine(in, line)) break;
    *slots[k] = Trim(line);
  }
  return names;
}

std::vector<TBulletin> FindBulletins(const std::string& directory) {
  std::vector<TBulletin> out;
  if (directory.empty()) return out;
  auto add = [&](TBulletinKind kind, const std::string& caption, const fs::path& p) {
    std::error_code ec;
    if (!fs::is_regular_file(p, ec)) return;
    for (const auto& b : out)
      if (SameText(b.FileName, p.filename().string())) return;
    TBulletin b;
    b.Kind = kind;
    b.Caption = caption;
    b.FileName = p.filename().string();
    b.Path = p.string();
    b.Size = fs::file_size(p, ec);
    if (ec) b.Size = 0;
    b.Date = FileDate(p);
    out.push_back(std::move(b));
  };
  TBulletinNames names = ReadBulletinNames(directory);
  const std::pair<TBulletinKind, const std::string*> named[] = {{TBulletinKind::bkWelcome, &names.Welcome},
                                                                {TBulletinKind::bkNews, &names.News},
                                                                {TBulletinKind::bkGoodbye, &names.Goodbye}};
  static const char* const captions[] = {"Welcome", "News", "Goodbye"};
  for (size_t k = 0; k < 3; ++k) {
    const std::string& name = *named[k].second;
    // A plain file name only: the control file names nothing outside the packet.
    if (name.empty() || name.find('/') != std::string::npos || name.find('\\') != std::string::npos || name == "." ||
        name == "..")
      continue;
    if (auto found = FindFileNoCase(directory, name)) add(named[k].first, captions[k], *found);
  }
  std::vector<fs::path> blt;
  std::error_code ec;
  for (fs::directory_iterator it(directory, ec), end; !ec && it != end; it.increment(ec))
    if (StartsBlt(it->path().filename().string())) blt.push_back(it->path());
  std::sort(blt.begin(), blt.end(), [](const fs::path& a, const fs::path& b) {
    return CompareCollated(CollationKey(a.filename().string(), false), CollationKey(b.filename().string(), false)) < 0;
  });
  for (const auto& p : blt) add(TBulletinKind::bkBulletin, "Bulletin " + p.filename().string().substr(4), p);
  return out;
}

const TBulletin* FindBulletin(const std::vector<TBulletin>& bulletins, const std::string& name) {
  for (const auto& b : bulletins)
    if (SameText(b.FileName, name) || SameText(b.Caption, name)) return &b;
  return nullptr;
}

const TBulletin* WelcomeToShow(bool settingOn, const std::vector<TBulletin>& bulletins, const std::string& packetFile,
                               std::string& shownFor) {
  if (!settingOn || packetFile.empty() || packetFile == shownFor) return nullptr;
  for (const auto& b : bulletins)
    if (b.Kind == TBulletinKind::bkWelcome) {
      shownFor = packetFile;
      return &b;
    }
  return nullptr;
}

bool ReadBulletinLines(const std::string& path, std::vector<std::string>& lines, uint64_t maxBytes) {
  lines.clear();
  std::error_code regular;
  if (!fs::is_regular_file(path, regular)) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::error_code ec;
  const uint64_t size = fs::file_size(path, ec);
  std::string bytes(static_cast<size_t>(std::min(ec ? maxBytes : size, maxBytes)), '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<size_t>(in.gcount()));
  if (auto eof = bytes.find('\x1a'); eof != std::string::npos) bytes.resize(eof);
  std::string line;
  for (size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(std::move(line));
      line.clear();
      if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    } else {
      line.push_back(c);
    }
  }
  if (!line.empty()) lines.push_back(std::move(line));
  return true;
}

}  // namespace korrin
