#include "installer/uninstall_record.h"

#include <filesystem>

#include "installer/setup_folders.h"
#include "platform/errors.h"
#include "platform/ini_file.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "platform/text.h"

namespace fs = std::filesystem;

namespace korrin {

void WriteUninstallRecord(const TSetupState& s, TRegistry& reg) {
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

void Put(TIniFile& ini, const std::string& section, const std::string& key, const std::string& value) {
  if (!ini.WriteString(section, key, value)) throw EInOutError("Unable to write to " + ini.FileName());
}

void PutList(TIniFile& ini, const std::string& section, const std::string& prefix,
             const std::vector<std::string>& list) {
  for (size_t i = 0; i < list.size(); ++i) Put(ini, section, prefix + std::to_string(i), list[i]);
}

std::string ScriptPath(const TSetupState& s) { return IncludeTrailingBackslash(s.Destination) + kUninstallScriptName; }

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
  TIniFile ini(ScriptPath(s));
  Put(ini, "Product", "Name", s.ProductName);
  Put(ini, "Product", "Version", s.Version);
  Put(ini, "Product", "Vendor", s.Vendor);
  Put(ini, "Product", "MainEXE", s.MainEXE);
  Put(ini, "Remove", "Destination directory", s.Destination);
  Put(ini, "Remove", "Group Name", s.Group);
  Put(ini, "Remove", "File count", std::to_string(s.FileCount));
  PutList(ini, "Installfiles", "File", s.InstallFiles);
  PutList(ini, "Windowsfiles", "File", s.WindowsFiles);
  PutList(ini, "Systemfiles", "File", s.SystemFiles);
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
  return WriteFileAtomic(linkFile, text);
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
  TIniFile ini(ScriptPath(s));
  PutList(ini, "Remove", "Link", links);
  return links;
}

}  // namespace korrin
