#include "archive/xceed_zip.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/paths.h"

namespace korrin {

namespace {

std::string LowerAscii(const char* text) {
  std::string out = text != nullptr ? text : "";
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

TXcdFileStats StatsFrom(const XcdFileRecord& r) {
  TXcdFileStats s;
  s.FileName = LowerAscii(r.fileName);
  s.Size = static_cast<int64_t>(r.size);
  s.CompressedSize = static_cast<int64_t>(r.compressedSize);
  s.BytesProcessed = static_cast<int64_t>(r.bytesProcessed);
  s.Percent = std::clamp(r.percent, 0, 100);
  s.Attributes = r.attributes;
  s.Date = r.dateTime;
  s.Encrypted = r.encrypted != 0;
  s.SkipReason = r.reason;
  return s;
}

void CopyAnswer(const std::string& answer, XcdFileRecord& r) {
  if (r.text == nullptr || r.textSize == 0) return;
  size_t n = std::min<size_t>(answer.size(), r.textSize - 1);
  std::memcpy(r.text, answer.data(), n);
  r.text[n] = 0;
}

void Fire(const tOnXcdFile& handler, const TXcdFileStats& stats) {
  if (handler) handler(stats);
}

}  // namespace

TXceedZip::TXceedZip() = default;

TXceedZip::~TXceedZip() {
  for (TLibrary* lib : {&zip_, &unzip_})
    if (lib->handle != nullptr) ::dlclose(lib->handle);
}

std::string TXceedZip::ResolvedPluginFolder(const char* fileName) const {
  if (!pluginFolder_.empty()) return IncludeTrailingBackslash(pluginFolder_);
  const char* env = std::getenv("KORRIN_PLUGIN_DIR");
  if (env != nullptr && *env != 0) return IncludeTrailingBackslash(env);
  // A built program has its plugins beside it, an installed one under its prefix.
  const std::string exe = ExecutableFolder();
  return FolderHolding(exe, {"", "../lib/korrin"}, fileName).value_or(exe);
}

bool TXceedZip::Load(TLibrary& lib) {
  if (lib.entry != nullptr) return true;
  if (lib.handle == nullptr) {
    std::string path = ResolvedPluginFolder(lib.fileName) + lib.fileName;
    lib.handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (lib.handle == nullptr) return false;
  }
  lib.entry = reinterpret_cast<XcdEntryPoint>(::dlsym(lib.handle, lib.entryName));
  if (lib.entry == nullptr) {
    // A library without its entry point is of no use: release it again.
    ::dlclose(lib.handle);
    lib.handle = nullptr;
    return false;
  }
  return true;
}

int TXceedZip::Call(TLibrary& lib, const std::vector<std::string>& args) {
  filesToProcess_.clear();
  if (running_) return lastResult_ = xcdBusy;
  abort_ = false;
  if (!Load(lib)) {
    lastResultHigh_ = 0;
    return lastResult_ = xcdNoLibrary;
  }
  std::vector<const char*> argv;
  argv.reserve(args.size() + 1);
  for (const std::string& a : args) argv.push_back(a.c_str());
  argv.push_back(nullptr);

  running_ = true;
  handlerError_ = nullptr;
  int32_t result = lib.entry(XCD_API_VERSION, static_cast<int32_t>(args.size()), argv.data(),
                             &TXceedZip::Callback, this);
  running_ = false;
  const uint32_t bits = static_cast<uint32_t>(result);
  lastResult_ = static_cast<int>(bits & 0xFFFF);
  lastResultHigh_ = static_cast<int>(bits >> 16);
  if (handlerError_) {
    // A handler failed: the operation has stopped; the failure goes on to the caller.
    std::exception_ptr e = handlerError_;
    handlerError_ = nullptr;
    std::rethrow_exception(e);
  }
  return lastResult_;
}

int32_t TXceedZip::Callback(int32_t event, XcdFileRecord* record, void* user) {
  auto* self = static_cast<TXceedZip*>(user);
  if (self == nullptr || record == nullptr) return 0;
  try {
    return self->HandleEvent(event, record);
  } catch (...) {
    // Nothing may unwind through the plugin.
    self->handlerError_ = std::current_exception();
    self->abort_ = true;
    return 1;
  }
}

int32_t TXceedZip::HandleEvent(int32_t event, XcdFileRecord* record) {
  CallProcessMessages(processMessages_);
  const TXcdFileStats stats = StatsFrom(*record);
  switch (event) {
    case XCD_EVENT_REPLACE: {
      bool replace = false;
      if (onReplace_) onReplace_(stats, replace);
      record->answer = replace ? 1 : 0;
      break;
    }
    case XCD_EVENT_PASSWORD: {
      std::string password = password_;
      if (password.empty() && onPwdQuery_) onPwdQuery_(stats, password);
      CopyAnswer(password, *record);
      break;
    }
    case XCD_EVENT_FILE_COMMENT: {
      std::string comment;
      if (onFileComment_) onFileComment_(stats, comment);
      CopyAnswer(comment, *record);
      break;
    }
    case XCD_EVENT_EXTRACTING: Fire(onExtracting_, stats); break;
    case XCD_EVENT_LISTING: Fire(onListing_, stats); break;
    case XCD_EVENT_STATUS: Fire(onStatus_, stats); break;
    case XCD_EVENT_TESTING: Fire(onTesting_, stats); break;
    case XCD_EVENT_NEWDISK: Fire(onNewdisk_, stats); break;
    case XCD_EVENT_UPDATING: Fire(onUpdating_, stats); break;
    case XCD_EVENT_ADDING: Fire(onAdding_, stats); break;
    case XCD_EVENT_DELETING: Fire(onDeleting_, stats); break;
    case XCD_EVENT_SKIPPING: Fire(onSkippingFile_, stats); break;
    case XCD_EVENT_FIXING: Fire(onFixing_, stats); break;
    default: break;
  }
  return abort_ ? 1 : 0;
}

std::vector<std::string> TXceedZip::CompressArguments(int mode) const {
  std::vector<std::string> a{password_};
  if (mode == 1) a.push_back("-f");
  if (mode == 2) a.push_back("-u");
  if (!password_.empty()) a.push_back("-e");
  a.push_back("-" + std::to_string(std::clamp(compression_, 0, 9)));
  if (moveFiles_) a.push_back("-m");
  if (mode != 1) {
    if (includeHiddenFiles_) a.push_back("-S");
    if (usePaths_ && includeDirectoryEntries_) a.push_back("-D");
  }
  if (includeVolumeLabel_ && mode == 0) a.push_back("-$");
  if (recurse_) a.push_back("-r");
  if (!usePaths_) a.push_back("-j");
  if (!useTempFile_ || multidiskMode_) a.push_back("-g");
  if (!tempPath_.empty()) {
    a.push_back("-b");
    a.push_back(tempPath_);
  }
  if (!storedExtensions_.empty()) {
    a.push_back("-n");
    a.push_back(storedExtensions_);
  }
  if (multidiskMode_) a.push_back("-!");
  if (clearDisks_) a.push_back("-&");
  a.push_back("-t");
  a.push_back(kSinceDate);
  a.push_back(zipFileName_);

  std::vector<std::string> includes, excludes;
  bool plain = false;
  for (const std::string& f : filesToProcess_) {
    if (!f.empty() && f[0] == '>') includes.push_back(f.substr(1));
    else if (!f.empty() && f[0] == '<') excludes.push_back(f.substr(1));
    else {
      a.push_back(f);
      plain = true;
    }
  }
  if (plain) {
    if (!includes.empty()) {
      a.push_back("-i");
      a.insert(a.end(), includes.begin(), includes.end());
    }
    if (!excludes.empty()) {
      a.push_back("-x");
      a.insert(a.end(), excludes.begin(), excludes.end());
    }
  }
  return a;
}

namespace {

void AppendPlainEntries(const std::vector<std::string>& files, std::vector<std::string>& a) {
  for (const std::string& f : files)
    if (f.empty() || (f[0] != '>' && f[0] != '<')) a.push_back(f);
}

}  // namespace

std::vector<std::string> TXceedZip::ExtractArguments(int mode) const {
  std::vector<std::string> a{password_};
  if (mode == 1) a.push_back("-f");
  if (mode == 2) a.push_back("-u");
  if (!usePaths_) a.push_back("-j");
  if (multidiskMode_) a.push_back("-!");
  if (overwrite_ == TXcdOverwrite::xowNever) a.push_back("-n");
  if (overwrite_ == TXcdOverwrite::xowAlways) a.push_back("-o");
  a.push_back(zipFileName_);
  AppendPlainEntries(filesToProcess_, a);
  if (!extractDirectory_.empty()) {
    a.push_back("-d");
    a.push_back(extractDirectory_);
  }
  return a;
}

std::vector<std::string> TXceedZip::ListArguments() const {
  std::vector<std::string> a{password_, "-v", zipFileName_};
  AppendPlainEntries(filesToProcess_, a);
  return a;
}

int TXceedZip::Compress(int mode) {
  if ((mode == 1 || mode == 2) && multidiskMode_) {
    filesToProcess_.clear();
    return lastResult_ = xcdMultidiskUpdate;
  }
  return Call(zip_, CompressArguments(mode));
}

int TXceedZip::Extract(int mode) {
  if ((mode == 1 || mode == 2) && multidiskMode_) {
    filesToProcess_.clear();
    return lastResult_ = xcdMultidiskUpdate;
  }
  return Call(unzip_, ExtractArguments(mode));
}

int TXceedZip::List() { return Call(unzip_, ListArguments()); }

}  // namespace korrin
