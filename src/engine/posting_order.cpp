#include "engine/posting_order.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <unordered_map>
#include <unordered_set>

#include "engine/qwk_post_office.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace fs = std::filesystem;

namespace korrin {

namespace {
struct TBoxFile {
  std::string Path, Name;
  fs::file_time_type Time;
};

std::vector<TBoxFile> ListBox(const std::string& folder) {
  std::vector<TBoxFile> files;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code fe;
    if (!it->is_regular_file(fe) || !SameText(it->path().extension().string(), ".qms")) continue;
    files.push_back({it->path().string(), it->path().filename().string(), it->last_write_time(fe)});
  }
  return files;
}

std::vector<std::string> ReadSequence(const std::string& folder) {
  auto data = ReadWholeFile(IncludeTrailingBackslash(folder) + kPostingSequenceFile);
  std::vector<std::string> names;
  if (!data) return names;
  for (auto& l : SplitLines(*data))
    if (!l.empty()) names.push_back(std::move(l));
  return names;
}

// Holds the box folder locked while its list is read and rewritten, so that
// two programs posting at once (the reader and korrin-tool) lose no entry.
class TBoxLock {
public:
  explicit TBoxLock(const std::string& folder) : fd_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (fd_ >= 0) ::flock(fd_, LOCK_EX);
  }
  ~TBoxLock() {
    if (fd_ >= 0) ::close(fd_);
  }
  TBoxLock(const TBoxLock&) = delete;
  TBoxLock& operator=(const TBoxLock&) = delete;

private:
  int fd_;
};
}  // namespace

bool RecordPosting(const std::string& boxFolder, const std::vector<std::string>& files, bool first) {
  if (files.empty()) return true;
  TBoxLock lock(boxFolder);
  std::unordered_set<std::string> present;
  for (const auto& f : ListBox(boxFolder)) present.insert(f.Name);
  std::vector<std::string> added;
  std::unordered_set<std::string> addedSet;
  for (const auto& f : files) {
    std::string name = ExtractFileName(f);
    if (addedSet.insert(name).second) added.push_back(name);
  }
  std::vector<std::string> order;
  if (first) order = added;
  for (auto& name : ReadSequence(boxFolder))
    if (present.count(name) && !addedSet.count(name)) order.push_back(std::move(name));
  if (!first) order.insert(order.end(), added.begin(), added.end());
  std::string text;
  for (const auto& name : order) text += name + "\r\n";
  return WriteFileAtomic(IncludeTrailingBackslash(boxFolder) + kPostingSequenceFile, text);
}

std::vector<std::string> BoxFilesInPostingOrder(const std::string& boxFolder) {
  RecoverBoxFiles(boxFolder);  // messages left under a temporary name by an older version
  std::vector<TBoxFile> files = ListBox(boxFolder);
  std::unordered_map<std::string, size_t> rank;
  for (const auto& name : ReadSequence(boxFolder)) rank.emplace(name, rank.size());
  std::stable_sort(files.begin(), files.end(), [&](const TBoxFile& a, const TBoxFile& b) {
    auto ra = rank.find(a.Name), rb = rank.find(b.Name);
    const bool la = ra != rank.end(), lb = rb != rank.end();
    if (la != lb) return la;
    if (la) return ra->second < rb->second;
    if (a.Time != b.Time) return a.Time < b.Time;
    return AnsiLowerCase(a.Name) < AnsiLowerCase(b.Name);
  });
  std::vector<std::string> paths;
  paths.reserve(files.size());
  for (auto& f : files) paths.push_back(std::move(f.Path));
  return paths;
}

}  // namespace korrin
