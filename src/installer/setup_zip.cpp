#include "installer/setup_zip.h"

#include <optional>

#include "installer/setup_folders.h"
#include "installer/setup_script.h"
#include "installer/setup_text.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/text.h"

namespace korrin {

bool ReportArchiveResult(int code, const std::string& operation, const std::string& productName, Prompts& prompts) {
  auto error = [&](const std::string& text) {
    prompts.Error(text);
    return true;
  };
  auto information = [&](const std::string& text) {
    prompts.Information(text);
    return true;
  };
  if (code <= 0) return false;
  switch (code) {
    case 10:
    case 30:
    case 140: return false;
    case 40: return information("Some files were skipped while " + operation + ".");
    case 100: return error("Could not find required file \"TAMWIZ.LIB\" for " + productName + " setup.");
    case 110:
    case 160: return error("Required file \"TAMWIZ.lib is corrupted.");
    case 120: return error("Ran out of memory while " + operation + ".");
    case 150: return error("Disk full while " + operation + ".");
    case 180:
      return error(
          "Another application is currently performing a similar task. Wait until the other application has "
          "completed its operation.");
    case 190: return information("The " + operation + " operation was aborted.");
    case 200: return error("Test failed - Errors in the \"TAMWIZ.LIB\".");
    case 210: return error("No files ended up being tested in the archive.");
    case 240:
      return error(std::string("The ") + XCD_UNZIP_LIBRARY +
                   " file could not be found.\r\n\r\nSetup requires this file to be in the same directory");
    case 280: return error("Problem with the temporary file.");
    case 350: return error("Attempt to remove parent directory.");
    case 370: return error("Names repeated in archive after discarding pathnames.");
    case 400: return error("Could not access a required file while " + operation + " the specified files.");
    case 410: return error("Attempt to work with a multiple-disk setup, but not in multidisk mode.");
    default: return error("An unknown error occured while " + operation + " the specified files.");
  }
}

void TInstallProgress::BeginListing() {
  totalSize_ = 0;
  fileCount_ = 0;
  listing_ = true;
}

void TInstallProgress::BeginExtracting() {
  completedBytes_ = 0;
  lastStatusFile_.clear();
  lastStatusBytes_ = 0;
  doneBytes_ = 0;
  figures_ = {};
}

void TInstallProgress::XZListing(const TXcdFileStats& stats) {
  if (!listing_) return;
  totalSize_ += stats.Size;
  ++fileCount_;
}

void TInstallProgress::Overall() {
  figures_.OverallPercent = PercentOf(doneBytes_, totalSize_);
  TDiskSpace disk = DiskSpaceOf(destination_);
  const int64_t sizeKb = disk.Size / 1024;
  const int64_t usedKb = (disk.Size - disk.Free) / 1024;
  figures_.DiskPercent = PercentOf(usedKb, sizeKb);
  onProgress_(figures_);
}

void TInstallProgress::XZExtracting(const TXcdFileStats& stats) {
  if (!onProgress_) return;
  figures_.FileText = "Installing \"" + FileNamePart(stats.FileName) + "\".";
  figures_.FilePercent = 0;
  Overall();
}

void TInstallProgress::XZStatus(const TXcdFileStats& stats) {
  // Each file's bytes count once: they join the completed bytes when the
  // next file's first status arrives.
  if (stats.FileName != lastStatusFile_) {
    completedBytes_ += lastStatusBytes_;
    lastStatusFile_ = stats.FileName;
  }
  lastStatusBytes_ = stats.BytesProcessed;
  doneBytes_ = completedBytes_ + lastStatusBytes_;
  if (!onProgress_) return;
  figures_.FilePercent = stats.Percent;
  Overall();
}

TSetupZip::TSetupZip() {
  xz_.SetCompression(6);
  xz_.SetStoredExtensions(".ZIP;.LZH;.ARC;.ARJ;.ZOO");
  xz_.SetUsePaths(false);
  xz_.SetUseTempFile(false);
  xz_.SetPassword("");
  xz_.SetMultidiskMode(false);
  xz_.SetOnListing([this](const TXcdFileStats& s) { progress_.XZListing(s); });
  xz_.SetOnExtracting([this](const TXcdFileStats& s) { progress_.XZExtracting(s); });
  xz_.SetOnStatus([this](const TXcdFileStats& s) { progress_.XZStatus(s); });
}

void TSetupZip::Prepare(const std::string& setupFolder, const std::string& workFolder, const std::string& productName,
                        Prompts& prompts) {
  std::optional<std::string> archive = FindFileNoCase(setupFolder, "setup.lib");
  if (!archive) return;
  xz_.SetZipFileName(*archive);
  xz_.SetExtractDirectory(ExcludeTrailingBackslash(workFolder));
  xz_.SetOverwrite(TXcdOverwrite::xowAlways);
  xz_.SetFilesToProcess({"*.*"});
  ReportArchiveResult(xz_.Extract(), kPreparingText, productName, prompts);
}

bool TSetupZip::ListInstallLib(const std::string& setupFolder, Prompts& prompts) {
  std::optional<std::string> archive = FindFileNoCase(setupFolder, "install.lib");
  if (!archive) {
    prompts.Error("Required installation file INSTALL.LIB not found");
    return false;
  }
  progress_.BeginListing();
  xz_.SetFilesToProcess({"*.*"});
  xz_.SetZipFileName(*archive);
  const int code = xz_.List();
  progress_.EndListing();
  if (code < 100) return true;
  prompts.Error("A Error occurred while reading INSTALL.LIB");
  return false;
}

int TSetupZip::ExtractFileGroup(const std::vector<std::string>& list, const std::string& folder,
                                const std::string& setupFolder) {
  std::vector<std::string> patterns;
  for (const std::string& entry : list) {
    std::string name = SplitEntry(entry).Name;
    if (name.empty()) continue;
    if (SameText(ExtractFileExt(name), ".ini") && HoldsFile(folder, FileNamePart(name))) continue;
    patterns.push_back(name);
  }
  // No pattern would mean every file of the archive.
  if (patterns.empty()) return 0;
  std::optional<std::string> archive = FindFileNoCase(setupFolder, "install.lib");
  xz_.SetZipFileName(archive ? *archive : IncludeTrailingBackslash(setupFolder) + "install.lib");
  xz_.SetExtractDirectory(ExcludeTrailingBackslash(folder));
  xz_.SetOverwrite(TXcdOverwrite::xowAlways);
  xz_.SetFilesToProcess(patterns);
  return xz_.Extract();
}

}  // namespace korrin
