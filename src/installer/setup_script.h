#pragma once
// The setup values of one run and the setup script "setup.inf" that fills
// them, plus the list of program-group folders offered for the shortcuts.

#include <cstdint>
#include <string>
#include <vector>

namespace korrin {

class Prompts;

inline constexpr const char* kDefaultProductName = "Korrin offline mail reader";
inline constexpr const char* kInstallerVersion = "1.3";
inline constexpr const char* kSetupTypeInstallation = "Installation";
inline constexpr const char* kSetupTypeUpdate = "Update";
inline constexpr const char* kSetupScriptName = "setup.inf";
inline constexpr int kMaxListEntries = 31;

struct TSetupState {
  // Section "Product".
  std::string ProductName = kDefaultProductName;
  std::string Version = "1.0";
  std::string Vendor, Author, MainEXE, ProgGroup, DestDir;
  std::string SetupType = kSetupTypeInstallation;
  // Section "Boot".
  bool License = false, ReadMe = false, Splash = false, Logo = false, Background = false;
  // Sections "Bitmaps" and "TextFiles": names of files in the work folder.
  std::string SplashBitmap, LogoBitmap, BackgroundBitmap, LicenseText, ReadmeText;
  // "File" + 0..30 of "InstallFiles", "WindowsFiles", "SystemFiles", as read.
  std::vector<std::string> InstallFiles, WindowsFiles, SystemFiles;
  // "Key" + 0..30 of "LocalKey" and "CurrentKey": read, not used.
  std::vector<std::string> LocalKeys, CurrentKeys;

  // Listing of "install.lib".
  int64_t TotalSize = 1;
  int FileCount = 0;

  std::string WindowsFolder, SystemFolder, ProgramsFolder;
  std::string SetupFolder;  // without trailing separator
  std::string WorkFolder;   // with trailing separator
  std::vector<std::string> GroupFolders;

  // Chosen on the destination page (or on the command line).
  std::string Destination, Group;
  bool InstallationComplete = false;
};

// A flag of the script: decimal or "0x" + hexadecimal digits; nonzero is on,
// anything that is no number is off.
bool ParseScriptFlag(const std::string& text);

// The comma-separated fields of a file-list entry: up to each comma one
// field, the third field is the rest. Always three fields (missing ones empty).
struct TEntryFields {
  std::string Name;      // the name (or pattern) inside "install.lib"
  std::string Shortcut;  // text of the Start-menu shortcut, empty for none
  std::string Rest;
};
TEntryFields SplitEntry(const std::string& entry);

// Reads "setup.inf" from the setup folder into the state. When the file is
// missing: `Required file "setup.inf" not found` (error box), state unchanged,
// false.
bool ReadSetupScript(TSetupState& state, const std::string& setupFolder, Prompts& prompts);

// Every folder below the Programs folder at any depth, as paths relative to
// it, subfolders before their folder; names starting with "." are skipped.
// `progGroup` comes last.
std::vector<std::string> ListGroupFolders(const std::string& programsFolder, const std::string& progGroup);

}  // namespace korrin
