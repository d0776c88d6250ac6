#include "installer/setup_controller.h"

#include <cstdlib>

#include "installer/setup_text.h"
#include "installer/uninstall_record.h"
#include "platform/errors.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/registry.h"

namespace korrin {

namespace {

std::string ExpandHome(const std::string& path) {
  if (path.empty() || path[0] != '~' || (path.size() > 1 && path[1] != kPathDelim)) return path;
  const char* home = std::getenv("HOME");
  return home != nullptr && *home != 0 ? ExcludeTrailingBackslash(home) + path.substr(1) : path;
}

}  // namespace

TSetupController::TSetupController(Prompts& prompts) : prompts_(prompts) {}

TSetupController::~TSetupController() = default;

TStartup TSetupController::Startup(const std::string& setupFolder, bool withPages) {
  registry_ = std::make_unique<TRegistry>();
  if (ReaderIsRunning(*registry_, prompts_)) return TStartup::suReaderRunning;

  state_.ProgramsFolder = ExcludeTrailingBackslash(ProgramsFolder());
  state_.WindowsFolder = ExcludeTrailingBackslash(WindowsFolder());
  state_.SystemFolder = ExcludeTrailingBackslash(SystemFolder());
  state_.SetupFolder = ExcludeTrailingBackslash(setupFolder);

  TWorkFolder work = ChooseTempFolder(state_.WindowsFolder, prompts_);
  if (!work.Ok) return TStartup::suNoTempFolder;
  state_.WorkFolder = work.Work;
  recovered_ = work.Recovered;

  if (withPages && !state_.WorkFolder.empty()) zip_.Prepare(state_.SetupFolder, state_.WorkFolder, state_.ProductName, prompts_);
  scriptRead_ = ReadSetupScript(state_, state_.SetupFolder, prompts_);
  state_.Destination = ExpandHome(state_.DestDir);
  state_.Group = state_.ProgGroup;
  state_.GroupFolders = ListGroupFolders(state_.ProgramsFolder, state_.ProgGroup);
  FindPreviousInstallation(state_, *registry_);
  return TStartup::suContinue;
}

bool TSetupController::DetectUpdate(const std::string& folder) {
  if (!HoldsFile(folder, FileNamePart(state_.MainEXE))) return false;
  state_.SetupType = kSetupTypeUpdate;
  return true;
}

bool TSetupController::ListPackage() {
  if (!zip_.ListInstallLib(state_.SetupFolder, prompts_)) return false;
  state_.TotalSize = zip_.Progress().TotalSize();
  state_.FileCount = zip_.Progress().FileCount();
  return true;
}

TDestinationCheck TSetupController::CheckDestination() {
  TDestinationCheck result = korrin::CheckDestination(state_.Destination, state_.SetupFolder, prompts_);
  if (result == TDestinationCheck::dcFailed)
    prompts_.Information("Setup encountered a problem creating \r\ndestination directory.");
  return result;
}

std::string TSetupController::RequiredSpaceText() const {
  return "Installation reguires " + GroupThousands(state_.TotalSize / 1024) + " Kb of disk space.";
}

std::string TSetupController::FreeSpaceText() const {
  return "There is " + GroupThousands(DiskSpaceOf(state_.Destination).Free / 1024) + " Kb of free disk space.";
}

bool TSetupController::EnoughSpace() const { return DiskSpaceOf(state_.Destination).Free >= state_.TotalSize; }

bool TSetupController::InstallFiles() {
  if (recordWriter_.joinable()) recordWriter_.join();
  recordWriter_ = std::jthread([this, registry = std::move(registry_)]() mutable {
    try {
      if (!registry) registry = std::make_unique<TRegistry>();
      WriteUninstallRecord(state_, *registry);
      registry.reset();
    } catch (const std::exception&) {
      // Failed registry writes are ignored: the entry only helps later runs.
    }
  });
  try {
    WriteUninstallScript(state_);
  } catch (const EInOutError& e) {
    prompts_.Error(e.what());
    return false;
  }
  zip_.Progress().SetDestination(state_.Destination);
  zip_.Progress().BeginExtracting();
  bool ok = true;
  const struct {
    const std::vector<std::string>& list;
    const std::string& folder;
  } groups[] = {{state_.InstallFiles, state_.Destination},
                {state_.WindowsFiles, state_.WindowsFolder},
                {state_.SystemFiles, state_.SystemFolder}};
  for (const auto& g : groups) {
    if (g.list.empty()) continue;
    const int code = zip_.ExtractFileGroup(g.list, g.folder, state_.SetupFolder);
    if (ReportArchiveResult(code, kExtractingText, state_.ProductName, prompts_)) ok = false;
  }
  return ok;
}

std::string TSetupController::ShortcutQuestion() const {
  return "Create group folder icons for " + state_.ProductName + " in " + state_.Group + "?";
}

bool TSetupController::MakeShortcuts() {
  try {
    CreateShortcuts(state_);
    return true;
  } catch (const EInOutError& e) {
    prompts_.Error(e.what());
    return false;
  }
}

void TSetupController::EndInstalling(bool ok) {
  if (recordWriter_.joinable()) recordWriter_.join();
  state_.InstallationComplete = ok;
}

bool TSetupController::FinishSetup() {
  bool ok = korrin::FinishSetup(state_.WorkFolder, prompts_);
  state_.WorkFolder.clear();
  return ok;
}

}  // namespace korrin
