#pragma once
// The installer's steps that need no page, in the order the wizard (or the
// unattended run) calls them: start-up, listing the package, checking the
// destination and the disk space, installing, shortcuts, finishing.

#include <memory>
#include <string>
#include <thread>

#include "installer/setup_folders.h"
#include "installer/setup_script.h"
#include "installer/setup_zip.h"

namespace korrin {

class Prompts;
class TRegistry;

enum class TStartup { suContinue, suReaderRunning, suNoTempFolder };

class TSetupController {
public:
  // The registry is opened by the start-up and closed once the uninstall
  // entry is written.
  explicit TSetupController(Prompts& prompts);
  ~TSetupController();

  TSetupState& State() { return state_; }
  const TSetupState& State() const { return state_; }
  TSetupZip& Zip() { return zip_; }

  // Running check, system folders, work folder, "setup.lib", the script, the
  // group folders and a previous installation. The destination starts as the
  // script's "DestDir" (a leading "~" is the home folder) or the folder of
  // the previous installation. Without pages, "setup.lib" (their bitmaps and
  // texts) is not unpacked.
  TStartup Startup(const std::string& setupFolder, bool withPages = true);
  bool ScriptRead() const { return scriptRead_; }
  bool WorkFolderRecovered() const { return recovered_; }

  // True (and the setup type "Update") when the folder holds the main program.
  bool DetectUpdate(const std::string& folder);

  // After the destination page: list "install.lib".
  bool ListPackage();
  // The destination check; a failed one adds "Setup encountered a problem
  // creating \r\ndestination directory.".
  TDestinationCheck CheckDestination();

  // The summary page's figures.
  std::string RequiredSpaceText() const;
  std::string FreeSpaceText() const;
  bool EnoughSpace() const;

  // Writes the uninstall entry and script, then extracts the three lists.
  // False when the script could not be written or an extraction failed (each
  // failure reported); the installation is then not complete. The entry is
  // written on a thread of its own while the files are unpacked (the
  // registry's writes wait for the disk, unpacking for the processor); it
  // reads the state, which therefore stays unchanged until EndInstalling.
  bool InstallFiles();
  // "Create group folder icons for " + name + " in " + group + "?"
  std::string ShortcutQuestion() const;
  // The group folder and the shortcuts; false when "unwizard.inf" could not
  // take their "Link" keys.
  bool MakeShortcuts();
  // Waits for the uninstall entry; marks the installation complete when
  // everything went well.
  void EndInstalling(bool ok);

  // Empties and removes the work folder.
  bool FinishSetup();

private:
  Prompts& prompts_;
  std::unique_ptr<TRegistry> registry_;
  TSetupState state_;
  std::jthread recordWriter_;  // declared after the state it reads: joined first
  TSetupZip zip_;
  bool scriptRead_ = false;
  bool recovered_ = false;
};

}  // namespace korrin
