#pragma once
// What the installer leaves for uninstalling: the uninstall entry in the
// registry, the uninstall script "unwizard.inf" in the destination, and the
// shortcuts (freedesktop ".desktop" entries) in the Programs folder.

#include <string>
#include <vector>

#include "installer/setup_script.h"

namespace korrin {

class Prompts;
class TRegistry;

inline constexpr const char* kUninstallKey = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
inline constexpr const char* kUninstallScriptName = "unwizard.inf";
inline constexpr const char* kUninstallerName = "TAMUNWIZ.EXE";
inline constexpr const char* kLinkExtension = ".desktop";

// "DisplayName", "UninstallString" and "Path" under the uninstall key +
// product name. Failed writes are ignored.
void WriteUninstallRecord(const TSetupState& state, TRegistry& registry);

// Start-up: when the uninstall entry names this product and its "Path" holds
// the main program, the destination becomes that folder and the setup type
// "Update". True when a previous installation was found.
bool FindPreviousInstallation(TSetupState& state, TRegistry& registry);

// Writes "unwizard.inf" (every section, without the "Link" keys) into the
// destination. Raises EInOutError("Unable to write to " + file) when a value
// cannot be written.
void WriteUninstallScript(const TSetupState& state);

// Makes the group folder and a shortcut for every "InstallFiles" entry with a
// shortcut text, then writes their paths as "Link" + n into "unwizard.inf".
// Returns the link files.
std::vector<std::string> CreateShortcuts(const TSetupState& state);

// Writes a ".desktop" entry that starts `target`, named `description`; the
// icon is an ".svg" or ".png" of the target's name beside it when there is
// one. False (and nothing written) on failure.
bool CreateShellLink(const std::string& target, const std::string& linkFile, const std::string& description);

// The Exec value of a desktop entry that runs the program (quoted and
// escaped as desktop entries need).
std::string DesktopExecValue(const std::string& program);
// The program a desktop entry written by CreateShellLink starts; empty when
// the text is no such entry.
std::string DesktopEntryProgram(const std::string& text);

}  // namespace korrin
