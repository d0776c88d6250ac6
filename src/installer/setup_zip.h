#pragma once
// The installer's archive work: its own archive component (`XZ`, unpacking
// plugin only), the listing of "install.lib", extraction of the file lists,
// the progress counters that feed the progress page, and the table that turns
// result codes into messages.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "archive/xceed_zip.h"

namespace korrin {

class Prompts;

inline constexpr const char* kPreparingText = "Preparing to run setup";
inline constexpr const char* kExtractingText = "extracting ";

// Shows the message of a result code for an operation ("extracting ",
// "Preparing to run setup"). True when the operation failed: every code with
// a message, including 40 (files were skipped, so the installation lacks them).
bool ReportArchiveResult(int code, const std::string& operation, const std::string& productName,
                         Prompts& prompts);

// What the progress page shows.
struct TProgressFigures {
  std::string FileText;  // `Installing "` + file name + `".`
  int FilePercent = 0;
  int OverallPercent = 0;
  int DiskPercent = 0;
};

// The counters of one installation.
class TInstallProgress {
public:
  bool Listing() const { return listing_; }
  void BeginListing();
  void EndListing() { listing_ = false; }
  // Before an installation's extraction: no bytes done yet (a second try
  // starts from zero again).
  void BeginExtracting();
  int64_t TotalSize() const { return totalSize_; }
  int FileCount() const { return fileCount_; }
  int64_t CompletedBytes() const { return completedBytes_; }
  int64_t DoneBytes() const { return doneBytes_; }

  // The destination whose file system the disk gauge shows.
  void SetDestination(std::string folder) { destination_ = std::move(folder); }
  // The progress page: set while it exists, called on every change.
  void SetOnProgress(std::function<void(const TProgressFigures&)> handler) { onProgress_ = std::move(handler); }
  const TProgressFigures& Figures() const { return figures_; }

  // The handlers of the archive component's events.
  void XZListing(const TXcdFileStats& stats);
  void XZExtracting(const TXcdFileStats& stats);
  void XZStatus(const TXcdFileStats& stats);

private:
  void Overall();

  bool listing_ = false;
  int64_t totalSize_ = 0;
  int fileCount_ = 0;
  int64_t completedBytes_ = 0;
  std::string lastStatusFile_;
  int64_t lastStatusBytes_ = 0;
  int64_t doneBytes_ = 0;
  std::string destination_;
  std::function<void(const TProgressFigures&)> onProgress_;
  TProgressFigures figures_;
};

class TSetupZip {
public:
  TSetupZip();

  TXceedZip& XZ() { return xz_; }
  TInstallProgress& Progress() { return progress_; }

  // Extracts every file of "setup.lib" in the setup folder into the work
  // folder and reports the result; nothing when there is no "setup.lib".
  void Prepare(const std::string& setupFolder, const std::string& workFolder, const std::string& productName,
               Prompts& prompts);
  // Lists "install.lib" for its size and file count; false after
  // "Required installation file INSTALL.LIB not found" or
  // "A Error occurred while reading INSTALL.LIB".
  bool ListInstallLib(const std::string& setupFolder, Prompts& prompts);
  // Extracts the files of one list into the folder; the result code (0 when
  // the list is empty). Profile files (".ini") the folder already holds are
  // kept: they carry the user's settings.
  int ExtractFileGroup(const std::vector<std::string>& list, const std::string& folder,
                       const std::string& setupFolder);

private:
  TXceedZip xz_;
  TInstallProgress progress_;
};

}  // namespace korrin
