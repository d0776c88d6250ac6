#pragma once
// Launching a file with the desktop's associated program ("Open"), with the
// launch error texts, and the check that keeps a file from a packet from
// being run as a program without the user's word.

#include <string>

namespace korrin {

// What opening a file could do beyond showing it.
enum class TLaunchRisk {
  lrDocument,      // an ordinary document
  lrExecutableBit, // marked executable on disk
  lrDesktopEntry,  // a desktop entry or shortcut that names a command
  lrScript,        // a script: "#!" or a script type
  lrExecutable,    // a program: an ELF or DOS/Windows image, or a program type
};

// Judges the file by its name, its permission bits and its first bytes.
TLaunchRisk ClassifyLaunch(const std::string& path);
// The question asked before such a file is opened, naming it; empty for a document.
std::string LaunchQuestion(const std::string& path, TLaunchRisk risk);

// The shell code that stands for what is wrong before the shell is asked:
// 2 the file does not exist, 3 the working folder does not exist, 5 the
// file cannot be read; 0 when nothing is wrong.
int LaunchPrecheck(const std::string& file, const std::string& folder);

// Opens `file` with its associated program, `folder` being the working
// folder. A file that could run as a program is opened only after a Yes to
// LaunchQuestion. True when the shell's code is above 32; otherwise the
// launch error text is shown (error box) and the result is false. `params`
// is kept for the shell's interface and is not passed to documents.
bool LaunchFile(const std::string& file, const std::string& params, const std::string& folder);

}  // namespace korrin
