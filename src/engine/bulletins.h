#pragma once
// The packet's screens and bulletins: the welcome, news and goodbye files
// that the control file names after its conference list, and the "BLT-"
// files. Each is read as code page 437 text that may carry colour sequences.

#include <cstdint>
#include <string>
#include <vector>

namespace korrin {

enum class TBulletinKind { bkWelcome, bkNews, bkGoodbye, bkBulletin };

struct TBulletin {
  TBulletinKind Kind = TBulletinKind::bkBulletin;
  std::string Caption;   // "Welcome", "News", "Goodbye" or "Bulletin " + the name's rest
  std::string FileName;  // as on disk
  std::string Path;
  uint64_t Size = 0;
  std::string Date;  // the file's date, MM-DD-YY
};

// The welcome, news and goodbye names of "control.dat" (empty when absent).
struct TBulletinNames {
  std::string Welcome, News, Goodbye;
};
TBulletinNames ReadBulletinNames(const std::string& directory);

// The bulletins present in the packet folder: the named screens in that
// order, then the "BLT-" files by name (numbers by value).
std::vector<TBulletin> FindBulletins(const std::string& directory);
// The bulletin named `name` (its file name or its caption, any case).
const TBulletin* FindBulletin(const std::vector<TBulletin>& bulletins, const std::string& name);

// The welcome screen to open by itself for the packet: only when the
// setting is on, the packet has one, and it did not open for this packet
// yet (`shownFor` remembers the packet). Nothing otherwise.
const TBulletin* WelcomeToShow(bool settingOn, const std::vector<TBulletin>& bulletins, const std::string& packetFile,
                               std::string& shownFor);

// A bulletin's lines (CR LF, LF or CR ends a line), up to the end-of-file
// mark (Ctrl-Z) that screens drawn for terminals end with. Reads at most
// `maxBytes`; nothing when the file cannot be read.
inline constexpr uint64_t kBulletinMaxBytes = 4u << 20;
bool ReadBulletinLines(const std::string& path, std::vector<std::string>& lines,
                       uint64_t maxBytes = kBulletinMaxBytes);

}  // namespace korrin
