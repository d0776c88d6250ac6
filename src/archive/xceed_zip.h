#pragma once
// The archive component: turns its properties into the argument vector of
// the packing or unpacking plugin, calls it, and turns the plugin's progress
// calls into events. Each plugin is loaded on its first use and kept until
// the component is freed.

#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "archive/xcd_plugin_api.h"
#include "platform/process_messages.h"

namespace korrin {

enum class TXcdOverwrite { xowAsk, xowNever, xowAlways };

// The file record that every file event passes.
struct TXcdFileStats {
  std::string FileName;        // the name as stored, in lower case
  int64_t Size = 0;            // uncompressed size
  int64_t CompressedSize = 0;  // packed size, 0 when the format does not tell
  int64_t BytesProcessed = 0;  // bytes of this file done so far
  int Percent = 0;             // 0..100
  uint32_t Attributes = 0;     // XCD_ATTR_* bits
  int64_t Date = 0;            // modification time, seconds since 1970
  bool Encrypted = false;
  int SkipReason = 0;          // OnSkippingFile: XCD_SKIP_*
};

using tOnXcdFile = std::function<void(const TXcdFileStats& stats)>;
using tOnExtracting = tOnXcdFile;
using tOnListing = tOnXcdFile;
using tOnStatus = tOnXcdFile;
using tOnTesting = tOnXcdFile;
using tOnNewdisk = tOnXcdFile;
using tOnUpdating = tOnXcdFile;
using tOnAdding = tOnXcdFile;
using tOnDeleting = tOnXcdFile;
using tOnSkippingFile = tOnXcdFile;
using tOnFixing = tOnXcdFile;
// A target file exists (overwrite mode "ask"): set `replace` to overwrite
// it; call Abort() to stop the whole operation.
using tOnReplace = std::function<void(const TXcdFileStats& stats, bool& replace)>;
// The entry is encrypted and `Password` is empty: set `password` (empty: none).
using tOnPwdQuery = std::function<void(const TXcdFileStats& stats, std::string& password)>;
using tOnFileComment = std::function<void(const TXcdFileStats& stats, std::string& comment)>;

class TXceedZip {
public:
  // Result codes (the low 16 bits of the plugin's result).
  static constexpr int xcdSuccess = XCD_CODE_SUCCESS;
  static constexpr int xcdWarning = XCD_CODE_WARNING;
  static constexpr int xcdBadArguments = XCD_CODE_BAD_ARGUMENTS;
  static constexpr int xcdNothingToDo = XCD_CODE_NOTHING_TO_DO;
  static constexpr int xcdSkipped = XCD_CODE_SKIPPED;
  static constexpr int xcdNotFound = XCD_CODE_NOT_FOUND;
  static constexpr int xcdCorrupt = XCD_CODE_CORRUPT;
  static constexpr int xcdOutOfMemory = XCD_CODE_OUT_OF_MEMORY;
  static constexpr int xcdMultidiskUpdate = XCD_CODE_MULTIDISK_UPDATE;
  static constexpr int xcdDiskFull = XCD_CODE_DISK_FULL;
  static constexpr int xcdBusy = XCD_CODE_BUSY;
  static constexpr int xcdAborted = XCD_CODE_ABORTED;
  static constexpr int xcdNoLibrary = XCD_CODE_NO_LIBRARY;
  static constexpr int xcdTempFile = XCD_CODE_TEMP_FILE;
  static constexpr int xcdRepeatedNames = XCD_CODE_REPEATED_NAMES;
  static constexpr int xcdAccess = XCD_CODE_ACCESS;

  // The files stored with their own dates are those changed on or after this day.
  static constexpr const char* kSinceDate = "010180";

  TXceedZip();
  ~TXceedZip();
  TXceedZip(const TXceedZip&) = delete;
  TXceedZip& operator=(const TXceedZip&) = delete;

  // Compress: mode 0 add, 1 freshen, 2 update. Extract: the same modes.
  int Compress(int mode = 0);
  int Extract(int mode = 0);
  // Lists the entries matching FilesToProcess through OnListing.
  int List();

  // Asks the running operation to stop (from an event handler); cleared
  // before each call.
  void Abort() { abort_ = true; }
  bool Aborted() const { return abort_; }
  // The code and the high 16 bits of the last call's result.
  int LastResult() const { return lastResult_; }
  int LastResultHigh() const { return lastResultHigh_; }

  // The argument vectors that the calls hand to the plugins.
  std::vector<std::string> CompressArguments(int mode) const;
  std::vector<std::string> ExtractArguments(int mode) const;
  std::vector<std::string> ListArguments() const;

  // Plain entries are names or patterns; when compressing, an entry starting
  // with ">" is a pattern to include only and one starting with "<" a
  // pattern to leave out. Emptied after every call.
  std::vector<std::string>& FilesToProcess() { return filesToProcess_; }
  const std::vector<std::string>& FilesToProcess() const { return filesToProcess_; }
  void SetFilesToProcess(std::vector<std::string> files) { filesToProcess_ = std::move(files); }

  int Compression() const { return compression_; }
  void SetCompression(int level) { compression_ = level; }
  TXcdOverwrite Overwrite() const { return overwrite_; }
  void SetOverwrite(TXcdOverwrite mode) { overwrite_ = mode; }
  bool UsePaths() const { return usePaths_; }
  void SetUsePaths(bool on) { usePaths_ = on; }
  bool UseTempFile() const { return useTempFile_; }
  void SetUseTempFile(bool on) { useTempFile_ = on; }
  const std::string& StoredExtensions() const { return storedExtensions_; }
  void SetStoredExtensions(std::string list) { storedExtensions_ = std::move(list); }
  const std::string& ExtractDirectory() const { return extractDirectory_; }
  void SetExtractDirectory(std::string folder) { extractDirectory_ = std::move(folder); }
  const std::string& TempPath() const { return tempPath_; }
  void SetTempPath(std::string folder) { tempPath_ = std::move(folder); }
  const std::string& Password() const { return password_; }
  void SetPassword(std::string password) { password_ = std::move(password); }
  const std::string& ZipFileName() const { return zipFileName_; }
  void SetZipFileName(std::string path) { zipFileName_ = std::move(path); }
  bool MoveFiles() const { return moveFiles_; }
  void SetMoveFiles(bool on) { moveFiles_ = on; }
  bool Recurse() const { return recurse_; }
  void SetRecurse(bool on) { recurse_ = on; }
  bool IncludeHiddenFiles() const { return includeHiddenFiles_; }
  void SetIncludeHiddenFiles(bool on) { includeHiddenFiles_ = on; }
  bool IncludeDirectoryEntries() const { return includeDirectoryEntries_; }
  void SetIncludeDirectoryEntries(bool on) { includeDirectoryEntries_ = on; }
  bool IncludeVolumeLabel() const { return includeVolumeLabel_; }
  void SetIncludeVolumeLabel(bool on) { includeVolumeLabel_ = on; }
  bool MultidiskMode() const { return multidiskMode_; }
  void SetMultidiskMode(bool on) { multidiskMode_ = on; }
  bool ClearDisks() const { return clearDisks_; }
  void SetClearDisks(bool on) { clearDisks_ = on; }

  // Where the plugins are loaded from: this folder when set, else
  // $KORRIN_PLUGIN_DIR, else the executable's folder. Takes effect for a
  // plugin not loaded yet.
  const std::string& PluginFolder() const { return pluginFolder_; }
  void SetPluginFolder(std::string folder) { pluginFolder_ = std::move(folder); }
  // Run before every event, so that the windows stay painted.
  void SetProcessMessages(TProcessMessages pm) { processMessages_ = std::move(pm); }

  const tOnReplace& OnReplace() const { return onReplace_; }
  void SetOnReplace(tOnReplace h) { onReplace_ = std::move(h); }
  const tOnExtracting& OnExtracting() const { return onExtracting_; }
  void SetOnExtracting(tOnExtracting h) { onExtracting_ = std::move(h); }
  const tOnListing& OnListing() const { return onListing_; }
  void SetOnListing(tOnListing h) { onListing_ = std::move(h); }
  const tOnStatus& OnStatus() const { return onStatus_; }
  void SetOnStatus(tOnStatus h) { onStatus_ = std::move(h); }
  const tOnTesting& OnTesting() const { return onTesting_; }
  void SetOnTesting(tOnTesting h) { onTesting_ = std::move(h); }
  const tOnPwdQuery& OnPwdQuery() const { return onPwdQuery_; }
  void SetOnPwdQuery(tOnPwdQuery h) { onPwdQuery_ = std::move(h); }
  const tOnNewdisk& OnNewdisk() const { return onNewdisk_; }
  void SetOnNewdisk(tOnNewdisk h) { onNewdisk_ = std::move(h); }
  const tOnFileComment& OnFileComment() const { return onFileComment_; }
  void SetOnFileComment(tOnFileComment h) { onFileComment_ = std::move(h); }
  const tOnUpdating& OnUpdating() const { return onUpdating_; }
  void SetOnUpdating(tOnUpdating h) { onUpdating_ = std::move(h); }
  const tOnAdding& OnAdding() const { return onAdding_; }
  void SetOnAdding(tOnAdding h) { onAdding_ = std::move(h); }
  const tOnDeleting& OnDeleting() const { return onDeleting_; }
  void SetOnDeleting(tOnDeleting h) { onDeleting_ = std::move(h); }
  const tOnSkippingFile& OnSkippingFile() const { return onSkippingFile_; }
  void SetOnSkippingFile(tOnSkippingFile h) { onSkippingFile_ = std::move(h); }
  const tOnFixing& OnFixing() const { return onFixing_; }
  void SetOnFixing(tOnFixing h) { onFixing_ = std::move(h); }

private:
  struct TLibrary {
    const char* fileName;
    const char* entryName;
    void* handle = nullptr;
    XcdEntryPoint entry = nullptr;
  };

  bool Load(TLibrary& library);
  int Call(TLibrary& library, const std::vector<std::string>& args);
  static int32_t Callback(int32_t event, XcdFileRecord* record, void* user);
  int32_t HandleEvent(int32_t event, XcdFileRecord* record);
  std::string ResolvedPluginFolder(const char* fileName) const;

  std::vector<std::string> filesToProcess_;
  int compression_ = 6;
  TXcdOverwrite overwrite_ = TXcdOverwrite::xowAsk;
  bool usePaths_ = true;
  bool useTempFile_ = true;
  std::string storedExtensions_ = ".ZIP;.LZH;.ARC;.ARJ;.ZOO";
  std::string extractDirectory_, tempPath_, password_, zipFileName_;
  bool moveFiles_ = false, recurse_ = false, includeHiddenFiles_ = false, includeDirectoryEntries_ = false;
  bool includeVolumeLabel_ = false, multidiskMode_ = false, clearDisks_ = false;
  std::string pluginFolder_;
  TProcessMessages processMessages_;

  TLibrary zip_{XCD_ZIP_LIBRARY, XCD_ZIP_ENTRY};
  TLibrary unzip_{XCD_UNZIP_LIBRARY, XCD_UNZIP_ENTRY};
  bool abort_ = false;
  bool running_ = false;
  int lastResult_ = 0;
  int lastResultHigh_ = 0;
  std::exception_ptr handlerError_;

  tOnReplace onReplace_;
  tOnExtracting onExtracting_;
  tOnListing onListing_;
  tOnStatus onStatus_;
  tOnTesting onTesting_;
  tOnPwdQuery onPwdQuery_;
  tOnNewdisk onNewdisk_;
  tOnFileComment onFileComment_;
  tOnUpdating onUpdating_;
  tOnAdding onAdding_;
  tOnDeleting onDeleting_;
  tOnSkippingFile onSkippingFile_;
  tOnFixing onFixing_;
};

}  // namespace korrin
