#include "installer/setup_script.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>

#include "platform/ini_file.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/text.h"

namespace fs = std::filesystem;

namespace korrin {

bool ParseScriptFlag(const std::string& text) {
  std::string t = Trim(text);
  std::string digits;
  bool hex = false;
  if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
    digits = t.substr(2);
    hex = true;
  } else {
    if (!t.empty() && (t[0] == '+' || t[0] == '-')) t.erase(0, 1);
    digits = t;
  }
  if (digits.empty()) return false;
  bool nonzero = false;
  for (char c : digits) {
    bool ok = (c >= '0' && c <= '9') || (hex && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')));
    if (!ok) return false;
    if (c != '0') nonzero = true;
  }
  // Judged on the digits alone, so a number too long for an integer is still on.
  return nonzero;
}

TEntryFields SplitEntry(const std::string& entry) {
  TEntryFields f;
  size_t first = entry.find(',');
  f.Name = entry.substr(0, first);
  if (first == std::string::npos) return f;
  size_t second = entry.find(',', first + 1);
  f.Shortcut = entry.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
  if (second != std::string::npos) f.Rest = entry.substr(second + 1);
  return f;
}

namespace {

// "File" + 0 upward (or another prefix), up to the first missing or empty key.
std::vector<std::string> ReadList(const TIniFile& ini, const std::string& section, const std::string& prefix) {
  std::vector<std::string> list;
  for (int i = 0; i < kMaxListEntries; ++i) {
    std::string value = ini.ReadString(section, prefix + std::to_string(i), "");
    if (value.empty()) break;
    list.push_back(value);
  }
  return list;
}

}  // namespace

bool ReadSetupScript(TSetupState& s, const std::string& setupFolder, Prompts& prompts) {
  std::optional<std::string> path = FindFileNoCase(setupFolder, kSetupScriptName);
  if (!path) {
    prompts.Error("Required file \"setup.inf\" not found");
    return false;
  }
  TIniFile ini(*path);
  auto flag = [&](const char* key) { return ParseScriptFlag(ini.ReadString("Boot", key, "")); };
  s.License = flag("License");
  s.ReadMe = flag("ReadMe");
  s.Splash = flag("Splash");
  s.Logo = flag("Logo");
  s.Background = flag("Background");

  s.ProductName = ini.ReadString("Product", "Name", "");
  s.Version = ini.ReadString("Product", "Version", "");
  s.Vendor = ini.ReadString("Product", "Vendor", "");
  s.Author = ini.ReadString("Product", "Author", "");
  s.MainEXE = ini.ReadString("Product", "MainEXE", "");
  s.ProgGroup = ini.ReadString("Product", "ProgGroup", "");
  s.DestDir = ini.ReadString("Product", "DestDir", "");

  s.SplashBitmap = ini.ReadString("Bitmaps", "Splash", "");
  s.LogoBitmap = ini.ReadString("Bitmaps", "Logo", "");
  s.BackgroundBitmap = ini.ReadString("Bitmaps", "Background", "");
  s.LicenseText = ini.ReadString("TextFiles", "License", "");
  s.ReadmeText = ini.ReadString("TextFiles", "Readme", "");

  s.InstallFiles = ReadList(ini, "InstallFiles", "File");
  s.WindowsFiles = ReadList(ini, "WindowsFiles", "File");
  s.SystemFiles = ReadList(ini, "SystemFiles", "File");
  s.LocalKeys = ReadList(ini, "LocalKey", "Key");
  s.CurrentKeys = ReadList(ini, "CurrentKey", "Key");
  return true;
}

std::vector<std::string> ListGroupFolders(const std::string& programsFolder, const std::string& progGroup) {
  std::vector<std::string> out;
  const fs::path root = ExcludeTrailingBackslash(programsFolder);
  // Links to folders are not followed: a loop of links would never end.
  std::function<void(const fs::path&, int)> walk = [&](const fs::path& dir, int depth) {
    if (depth > 32) return;
    std::vector<fs::path> subs;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
      std::string name = it->path().filename().string();
      if (name.empty() || name[0] == '.') continue;
      std::error_code tec;
      if (it->is_directory(tec) && !it->is_symlink(tec)) subs.push_back(it->path());
    }
    std::sort(subs.begin(), subs.end(), [](const fs::path& a, const fs::path& b) {
      return AnsiLowerCase(a.filename().string()) < AnsiLowerCase(b.filename().string());
    });
    for (const fs::path& sub : subs) {
      walk(sub, depth + 1);
      out.push_back(sub.lexically_relative(root).string());
    }
  };
  if (!programsFolder.empty()) walk(root, 0);
  if (!progGroup.empty()) out.push_back(progGroup);
  return out;
}

}  // namespace korrin
