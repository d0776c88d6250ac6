#include "installer/uninstall_record.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>

#include "installer/setup_folders.h"
#include "platform/errors.h"
#include "platform/ini_file.h"
#include "platform/paths.h"
#include "platform/random.h"
#include "platform/registry.h"
#include "platform/text.h"

namespace fs = std::filesystem;

namespace korrin {

void WriteUninstallRecord(const TSetupState& s, TRegistry& reg) {
  // Without a name the values would land in the list of entries itself.
  if (s.ProductName.empty()) return;
  try {
    TRegistryUpdate update(reg);
    if (!reg.OpenKey(kUninstallKey + s.ProductName, true)) return;
    reg.WriteString("DisplayName", s.ProductName);
    reg.WriteString("UninstallString",
                    IncludeTrailingBackslash(s.WindowsFolder) + kUninstallerName + " " + s.Destination);
    reg.WriteString("Path", s.Destination);
  } catch (const ERegistryException&) {
    // The entry only helps a later setup and the uninstaller; installing goes on.
  }
}

bool FindPreviousInstallation(TSetupState& s, TRegistry& reg) {
  try {
    if (!reg.OpenKey(kUninstallKey + s.ProductName, false)) return false;
    if (reg.ReadString("DisplayName") != s.ProductName) return false;
    std::string path = reg.ReadString("Path");
    if (!HoldsFile(path, FileNamePart(s.MainEXE))) return false;
    s.Destination = path;
    s.SetupType = kSetupTypeUpdate;
    return true;
  } catch (const ERegistryException&) {
    return false;
  }
}

namespace {

void PutList(TIniFile& ini, const std::string& section, const std::string& prefix,
             const std::vector<std::string>& list) {
  for (size_t i = 0; i < list.size(); ++i) ini.WriteString(section, prefix + std::to_string(i), list[i]);
}

// Changes "unwizard.inf" with one write of the file.
void ChangeScript(const TSetupState& s, bool durable, const std::function<void(TIniFile&)>& change) {
  TIniFile ini(IncludeTrailingBackslash(s.Destination) + kUninstallScriptName);
  ini.BeginUpdate();
  change(ini);
  if (!ini.EndUpdate(durable)) throw EInOutError("Unable to write to " + ini.FileName());
}

// The escapes of a desktop entry's string values.
std::string EscapeDesktopString(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default: out += c;
    }
  }
  return out;
}

std::string UnescapeDesktopString(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    char c = text[++i];
    out += c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c == 's' ? ' ' : c;
  }
  return out;
}

}  // namespace

void WriteUninstallScript(const TSetupState& s) {
  // Forced to disk: it lets the files of an interrupted installation be removed.
  ChangeScript(s, true, [&](TIniFile& ini) {
    ini.WriteString("Product", "Name", s.ProductName);
    ini.WriteString("Product", "Version", s.Version);
    ini.WriteString("Product", "Vendor", s.Vendor);
    ini.WriteString("Product", "MainEXE", s.MainEXE);
    ini.WriteString("Remove", "Destination directory", s.Destination);
    ini.WriteString("Remove", "Group Name", s.Group);
    ini.WriteString("Remove", "File count", std::to_string(s.FileCount));
    PutList(ini, "Installfiles", "File", s.InstallFiles);
    PutList(ini, "Windowsfiles", "File", s.WindowsFiles);
    PutList(ini, "Systemfiles", "File", s.SystemFiles);
  });
}

std::string DesktopExecValue(const std::string& program) {
  // Quoted as one argument; inside the quotes ", `, $ and \ take a
  // backslash, and a literal % is doubled.
  std::string arg = "\"";
  for (char c : program) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') arg += '\\';
    arg += c;
    if (c == '%') arg += '%';
  }
  arg += '"';
  return EscapeDesktopString(arg);
}

std::string DesktopEntryProgram(const std::string& text) {
  bool inEntry = false;
  for (const std::string& raw : SplitLines(text)) {
    std::string line = Trim(raw);
    if (!line.empty() && line[0] == '[') {
      inEntry = line == "[Desktop Entry]";
      continue;
    }
    if (!inEntry || line.rfind("Exec=", 0) != 0) continue;
    std::string exec = UnescapeDesktopString(line.substr(5));
    if (exec.size() < 2 || exec[0] != '"') return {};
    std::string program;
    for (size_t i = 1; i < exec.size(); ++i) {
      char c = exec[i];
      if (c == '"') return program;
      if (c == '\\' && i + 1 < exec.size()) c = exec[++i];
      else if (c == '%' && i + 1 < exec.size() && exec[i + 1] == '%') ++i;
      program += c;
    }
    return {};
  }
  return {};
}

bool CreateShellLink(const std::string& target, const std::string& linkFile, const std::string& description) {
  std::string icon = "application-x-executable";
  const std::string stem = ChangeFileExt(target, "");
  for (const char* ext : {".svg", ".png"}) {
    std::error_code ec;
    if (fs::is_regular_file(stem + ext, ec)) {
      icon = stem + ext;
      break;
    }
  }
  std::string text = "[Desktop Entry]\nType=Application\nName=" + EscapeDesktopString(description) +
                     "\nExec=" + DesktopExecValue(target) + "\nIcon=" + EscapeDesktopString(icon) + "\n";
  // Written under another name and renamed into place, so no half entry is
  // ever listed; not forced to disk, as a lost shortcut loses nothing.
  const std::string temp = linkFile + ".tmp-" + RandomName8();
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out.flush()) {
      out.close();
      std::remove(temp.c_str());
      return false;
    }
  }
  if (std::rename(temp.c_str(), linkFile.c_str()) == 0) return true;
  std::remove(temp.c_str());
  return false;
}

std::vector<std::string> CreateShortcuts(const TSetupState& s) {
  std::vector<std::string> links;
  const std::string groupFolder = IncludeTrailingBackslash(s.ProgramsFolder) + s.Group;
  ForceDirectories(groupFolder);
  for (const std::string& entry : s.InstallFiles) {
    TEntryFields f = SplitEntry(entry);
    if (f.Shortcut.empty()) continue;
    // The link stays in the group folder whatever the text holds.
    std::string name = f.Shortcut;
    for (char& c : name)
      if (c == kPathDelim) c = '-';
    const std::string target = IncludeTrailingBackslash(s.Destination) + FileNamePart(f.Name);
    const std::string link = IncludeTrailingBackslash(groupFolder) + name + kLinkExtension;
    CreateShellLink(target, link, f.Shortcut);
    links.push_back(link);
  }
  // Not forced to disk: losing a "Link" key only leaves a shortcut behind.
  ChangeScript(s, false, [&](TIniFile& ini) { PutList(ini, "Remove", "Link", links); });
  return links;
}

}  // namespace korrin
