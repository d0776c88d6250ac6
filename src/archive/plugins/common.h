#pragma once
// Helpers shared by the packing and the unpacking plugin: events, name
// matching and checking, error mapping, and the ZIP central directory.

#include <sys/types.h>

#include <cstdint>
#include <ctime>
#include <locale.h>
#include <new>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "archive/xcd_plugin_api.h"

#define XCD_EXPORT extern "C" __attribute__((visibility("default")))

struct archive;

namespace korrin::xcd {

constexpr size_t kIoBufferSize = 256 * 1024;

// Raised inside a job to end it with a result code.
struct TXcdFailure {
  int code;
};

// Lets exactly one call of a plugin run at a time (a callback that calls the
// plugin again gets XCD_CODE_BUSY).
class TBusyGuard {
public:
  explicit TBusyGuard(int& flag);
  ~TBusyGuard();
  bool Busy() const { return busy_; }

private:
  int& flag_;
  bool busy_;
};

// Switches the calling thread to a UTF-8 character type for the duration of
// a call, so that names libarchive converts come out as UTF-8 whatever the
// host program's locale is.
class TUtf8Locale {
public:
  TUtf8Locale();
  ~TUtf8Locale();
  TUtf8Locale(const TUtf8Locale&) = delete;
  TUtf8Locale& operator=(const TUtf8Locale&) = delete;

private:
  locale_t mine_ = nullptr;
  locale_t previous_ = nullptr;
};

// Sends events to the caller's callback and remembers an abort request.
class TEvents {
public:
  TEvents(XcdCallback callback, void* user) : callback_(callback), user_(user) {}
  // Fires one event; returns false (and stays aborted) when the callback
  // asked to stop.
  bool Fire(int32_t event, XcdFileRecord& record);
  bool Aborted() const { return aborted_; }

private:
  XcdCallback callback_;
  void* user_;
  bool aborted_ = false;
};

// A record for one file; the name must outlive the record's use.
XcdFileRecord MakeRecord(const std::string& name, uint64_t size, int64_t mtime, uint32_t attributes);
int32_t Percent(uint64_t done, uint64_t total);

std::string AsciiLower(std::string_view text);
bool HasWildcards(std::string_view text);
// Wildcard match without regard to ASCII case: "*" any run, "?" one
// character. "name.*" also matches "name", so "*.*" matches every name.
bool WildcardMatch(std::string_view pattern, std::string_view name);
// A pattern with a "/" is matched against the whole entry path, one without
// against the entry's last component.
bool PathMatches(std::string_view pattern, std::string_view path);
bool MatchesAny(const std::vector<std::string>& patterns, std::string_view path);

// The name as UTF-8: valid UTF-8 stays as it is, anything else is taken as
// code page 437. Backslashes become slashes.
std::string NameToUtf8(std::string_view raw);
// Splits an archive path into its components when it is safe to write below
// the extract folder: not absolute, no drive prefix, no "..", no empty name.
// "." components and repeated slashes are dropped. False when unsafe.
bool SafeComponents(std::string_view path, std::vector<std::string>& components);
// True when the last component of a path starts with ".".
bool IsHiddenName(std::string_view name);
std::string BaseName(std::string_view path);

// Maps an errno value of a failed write or open onto a result code.
int CodeFromErrno(int err, int fallback);
// The result code for a libarchive failure on handle `a`.
int CodeFromArchive(struct archive* a, int fallback);

// Splits a ";", ":" or "," separated list of extensions (".ZIP;.LZH").
std::vector<std::string> SplitExtensions(std::string_view list);
bool HasExtension(std::string_view name, const std::vector<std::string>& extensions);

// "mmddyy" as the local midnight of that day; false when malformed.
bool ParseMmddyy(std::string_view text, time_t& result);

// Sizes of the entries of a ZIP file read from its central directory, keyed
// by NameToUtf8 of the stored name. Empty when the file is no ZIP or its
// directory cannot be read.
struct TZipSizes {
  uint64_t compressed = 0;
  uint64_t uncompressed = 0;
};
std::unordered_multimap<std::string, TZipSizes> ReadZipDirectory(const std::string& path);

// A unique name for a temporary file: "." + stem + random part.
std::string TempName(std::string_view stem);

// Full writes to a descriptor; false with errno set on failure.
bool WriteAll(int fd, const void* data, size_t size);

// The body of both entry points: checks the version and re-entry, parses the
// vector into TArgs, runs TJob, and turns failures into result codes
// (`otherFailure` for anything unexpected). Nothing unwinds past the C boundary.
template <class TArgs, class TJob>
int32_t RunEntry(int& busyFlag, int32_t version, int32_t argc, const char* const* argv, XcdCallback callback,
                 void* user, int32_t otherFailure) {
  if (version != XCD_API_VERSION) return XCD_CODE_BAD_ARGUMENTS;
  TBusyGuard busy(busyFlag);
  if (busy.Busy()) return XCD_CODE_BUSY;
  TArgs args;
  if (!ParseArgs(argc, argv, args)) return XCD_CODE_BAD_ARGUMENTS;
  TUtf8Locale locale;
  TEvents events(callback, user);
  try {
    TJob job(args, events);
    return job.Run();
  } catch (const TXcdFailure& f) {
    return events.Aborted() ? XCD_CODE_ABORTED : f.code;
  } catch (const std::bad_alloc&) {
    return XCD_CODE_OUT_OF_MEMORY;
  } catch (...) {
    return otherFailure;
  }
}

}  // namespace korrin::xcd
