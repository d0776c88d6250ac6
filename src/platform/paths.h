#pragma once
// Folder paths and file lookup. The native separator takes the place of the
// backslash; names are matched without regard to case.

#include <initializer_list>
#include <optional>
#include <string>

namespace korrin {

class Prompts;

constexpr char kPathDelim = '/';

// Adds a trailing separator when missing; an empty path stays empty.
std::string IncludeTrailingBackslash(const std::string& path);
// Removes a trailing separator, except from the root folder.
std::string ExcludeTrailingBackslash(const std::string& path);
// A folder is usable when it exists and its path is longer than 2 characters.
bool DirectoryUsable(const std::string& path);
// Creates the folder with every missing parent. When it still does not exist,
// shows "Could not create directory " + path and returns false.
bool ForceDirectories(const std::string& path, Prompts& prompts);
bool ForceDirectories(const std::string& path);

// The full path of the file `name` in `folder` whatever the letter case of
// the name on disk; an exact match is preferred. Nothing when there is none.
std::optional<std::string> FindFileNoCase(const std::string& folder, const std::string& name);
// The path of the name in the folder: the existing file whatever its case,
// else the folder plus the name as given.
std::string PathNoCase(const std::string& folder, const std::string& name);
bool FileExistsNoCase(const std::string& folder, const std::string& name);

std::string ExtractFileName(const std::string& path);
std::string ExtractFilePath(const std::string& path);  // with trailing separator
std::string ExtractFileExt(const std::string& path);   // with the dot
std::string ChangeFileExt(const std::string& path, const std::string& ext);

// The program's own folder (with trailing separator), created when missing:
// $KORRIN_HOME; else the executable's folder when it is writable and holds
// "korrin.ini"; else $XDG_DATA_HOME/korrin.
std::string ProgramFolder();
// The executable's folder, with trailing separator (archive plugins lie there).
std::string ExecutableFolder();
// Where an installed file of the program lies: the first of `folders` (each
// relative to `base`, the executable's folder) that holds `name`, normalised
// and with trailing separator. Built programs keep their files beside them;
// installed ones find them under the prefix (<prefix>/bin/ ../lib/korrin/).
std::optional<std::string> FolderHolding(const std::string& base, std::initializer_list<const char*> folders,
                                         const std::string& name);
// The help pages' folder: help/ beside the executable, else
// <prefix>/share/korrin/help/. Nothing when neither holds them.
std::optional<std::string> InstalledHelpFolder();
// The system temporary folder ($TMPDIR or /tmp), with trailing separator.
std::string TempFolder();
// Stand-ins for the Windows, system and Start-menu Programs folders, each
// overridable: $KORRIN_WINDOWS_DIR, $KORRIN_SYSTEM_DIR, $KORRIN_PROGRAMS_DIR.
std::string WindowsFolder();
std::string SystemFolder();
std::string ProgramsFolder();
// $XDG_DATA_HOME, or ~/.local/share.
std::string DataHome();

// Creates a new folder under `parent` named like RandomName8 that did not
// exist before (the creation itself is the test, so two processes never
// share one). Returns its path with trailing separator, or nothing.
std::optional<std::string> CreateUniqueFolder(const std::string& parent);

// Writes `data` to a temporary file beside `path` and renames it into place,
// so the old file stays whole until the new one is complete. Unless
// `durable` is off, the new file is forced to disk before the rename.
bool WriteFileAtomic(const std::string& path, const std::string& data, bool durable = true);
// Reads a whole file; nothing when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path);

}  // namespace korrin
