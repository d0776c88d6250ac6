#include "engine/board_settings.h"

#include "platform/charset.h"
#include "platform/ini_file.h"
#include "platform/paths.h"

namespace korrin {

namespace {
constexpr const char* kSection = "Board";
std::string& Current() {
  static std::string charset = kCharsetCp437;
  return charset;
}
std::string SettingsPath(const std::string& dir) {
  if (auto found = FindFileNoCase(dir, kBoardSettingsFileName)) return *found;
  return IncludeTrailingBackslash(dir) + kBoardSettingsFileName;
}
}  // namespace

TBoardSettings ReadBoardSettings(const std::string& postOfficeDirectory) {
  TBoardSettings s;
  if (postOfficeDirectory.empty()) return s;
  TIniFile ini(SettingsPath(postOfficeDirectory));
  // A set this system cannot convert reads as code page 437.
  std::string set = CanonicalCharset(ini.ReadString(kSection, "Charset", kCharsetCp437));
  s.Charset = set.empty() ? kCharsetCp437 : set;
  s.HeadersFile = ini.ReadBool(kSection, "HeadersFile", false);
  return s;
}

bool WriteBoardSettings(const std::string& postOfficeDirectory, const TBoardSettings& settings) {
  if (postOfficeDirectory.empty()) return false;
  TIniFile ini(SettingsPath(postOfficeDirectory));
  ini.BeginUpdate();
  ini.WriteString(kSection, "Charset", settings.Charset);
  ini.WriteBool(kSection, "HeadersFile", settings.HeadersFile);
  return ini.EndUpdate();
}

bool ChangeBoardCharset(const std::string& postOfficeDirectory, const std::string& charset) {
  const std::string set = CanonicalCharset(charset);
  if (set.empty()) return false;
  TBoardSettings s = ReadBoardSettings(postOfficeDirectory);
  s.Charset = set;
  if (!WriteBoardSettings(postOfficeDirectory, s)) return false;
  SetCurrentBoardCharset(set);
  return true;
}

const std::string& CurrentBoardCharset() { return Current(); }

void SetCurrentBoardCharset(const std::string& charset) {
  std::string set = CanonicalCharset(charset);
  Current() = set.empty() ? kCharsetCp437 : set;
}

}  // namespace korrin
