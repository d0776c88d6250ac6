#pragma once
// The installer's checks on folders and the system: the destination, the
// work folder, disk space, and whether the reader is running.

#include <cstdint>
#include <string>

namespace korrin {

class Prompts;
class TRegistry;

enum class TDestinationCheck { dcOk, dcAgain, dcFailed };

// A destination must be an absolute path ("//server/share"-style and
// relative paths are refused) and must not be the setup folder. Every
// missing level is created, the first one first.
TDestinationCheck CheckDestination(const std::string& destination, const std::string& setupFolder,
                                   Prompts& prompts);

// Where the installer keeps the files of "setup.lib" while it runs.
struct TWorkFolder {
  bool Ok = false;         // false: no temporary folder could be had; setup ends
  std::string Temp;        // the temporary folder, with trailing separator
  std::string Work;        // the work folder, with trailing separator
  bool Recovered = false;  // left over from an aborted run and reused
};

// The temporary folder is the Windows folder + "temp", made private to this
// user when it has to be created. The work folder is "tamwiz.tmp" in it and is
// reused ("Trying to recover from aborted installation") only when it is a
// real folder of this user that nobody else can write. When either folder is
// not private, a fresh folder of a unique name in the system temporary
// folder is used instead, never reused.
TWorkFolder ChooseTempFolder(const std::string& windowsFolder, Prompts& prompts);

// Deletes the files of the work folder ("File I/O error deleting " + name for
// each that stays) and the folder ("Error removing temporary directory").
// False when something stayed.
bool FinishSetup(const std::string& workFolder, Prompts& prompts);

// Size and free space of the file system that holds the path (its nearest
// existing folder). Zero when unknown.
struct TDiskSpace {
  int64_t Size = 0;
  int64_t Free = 0;
};
TDiskSpace DiskSpaceOf(const std::string& path);

// The reader writes its process id as "Status" under its key + "\Main" while
// it runs. The reader counts as running while that process is alive; a
// flag of 1 (no process id) counts as running too. 0 when not running, else
// the process id (or 1).
int ReaderRunningId(TRegistry& registry);
inline constexpr const char* kReaderRunningText =
    "Setup can not install this software while it is running.\r\n Close the Korrin off-line mail reader and run "
    "setup again.";
// The running check of the start: shows the text above (information box)
// and gives true when the reader runs.
bool ReaderIsRunning(TRegistry& registry, Prompts& prompts);

// True when the folder holds the file whatever the case of its name.
bool HoldsFile(const std::string& folder, const std::string& fileName);
// The file-name part of a path written with "/" or "\" separators.
std::string FileNamePart(const std::string& path);

}  // namespace korrin
