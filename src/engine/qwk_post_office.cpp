#include "engine/qwk_post_office.h"

#include "engine/board_settings.h"
#include "engine/extended_headers.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "platform/errors.h"
#include "platform/paths.h"
#include "platform/random.h"
#include "platform/text.h"

namespace fs = std::filesystem;

namespace korrin {

namespace {
std::string Field(const char* data, size_t width) {
  std::string v(data, width);
  while (!v.empty() && static_cast<unsigned char>(v.back()) <= ' ') v.pop_back();
  return v;
}

void PutField(std::string& record, size_t offset, size_t width, const std::string& value) {
  record.replace(offset, std::min(width, value.size()), value.substr(0, width));
}

std::string SystemError(const std::string& what) { return what + ": " + std::strerror(errno); }
}  // namespace

TQWKPostOffice::TQWKPostOffice() : programFolder_(korrin::ProgramFolder()) {}

int TQWKPostOffice::Itemindex() {
  if (!current_) return -1;
  for (size_t i = 0; i < nodes_.size(); ++i)
    if (nodes_[i].get() == current_) return static_cast<int>(i);
  current_ = nullptr;
  return -1;
}

void TQWKPostOffice::SetItemindex(int index) {
  if (index < -1 || index > Count() - 1) index = -1;
  if (index >= 0) MakeCurrent(nodes_[static_cast<size_t>(index)].get());
}

void TQWKPostOffice::MakeCurrent(const TPONode* node) {
  current_ = node;
  name_ = node ? node->Name : std::string();
  bbsid_ = node ? node->BBSID : std::string();
  directory_ = node ? node->Directory : std::string();
  // Messages that do not name their character set are read in the board's.
  SetCurrentBoardCharset(ReadBoardSettings(directory_).Charset);
  if (OnChange) OnChange();
}

void TQWKPostOffice::AddPostOffice(const std::string& bbsid, const std::string& name, const std::string& directory) {
  std::string key = SafeBBSID(bbsid);
  for (const auto& n : nodes_)
    if (n->BBSID == key) {
      MakeCurrent(n.get());
      return;
    }
  nodes_.push_back(std::make_unique<TPONode>(TPONode{name, key, directory}));
  MakeCurrent(nodes_.back().get());
  if (!loading_ && !filename_.empty()) SavePostOffices();
}

void TQWKPostOffice::ClearPostOffices() {
  nodes_.clear();
  current_ = nullptr;
  name_.clear();
  bbsid_.clear();
  directory_.clear();
}

void TQWKPostOffice::SelectPostOffice(int position) {
  if (position >= 1 && position <= Count()) MakeCurrent(nodes_[static_cast<size_t>(position - 1)].get());
}

void TQWKPostOffice::ListPostOfficeNames(std::vector<std::string>& names) const {
  for (const auto& n : nodes_) names.push_back(n->Name);
}

void TQWKPostOffice::LoadPostOffices() {
  if (filename_.empty()) return;
  auto path = FindFileNoCase(programFolder_, filename_);
  if (!path) return;
  auto data = ReadWholeFile(*path);
  if (!data) throw EInOutError(SystemError("Could not read file - " + *path), errno);
  ClearPostOffices();
  loading_ = true;
  for (size_t off = 0; off + kRecordSize <= data->size(); off += kRecordSize) {
    const char* rec = data->data() + off;
    std::string id = Field(rec, kBBSIDWidth);
    bool known = false;
    for (const auto& n : nodes_) known = known || n->BBSID == id;
    if (known) continue;  // skipped: the last record added stays current
    AddPostOffice(id, Field(rec + kBBSIDWidth, kNameWidth),
                  Field(rec + kBBSIDWidth + kNameWidth, kNameWidth));
  }
  loading_ = false;
}

void TQWKPostOffice::SavePostOffices() const {
  if (filename_.empty()) return;
  std::string out;
  out.reserve(nodes_.size() * kRecordSize);
  for (const auto& n : nodes_) {
    std::string rec(kRecordSize, ' ');
    PutField(rec, 0, kBBSIDWidth, n->BBSID);
    PutField(rec, kBBSIDWidth, kNameWidth, n->Name);
    PutField(rec, kBBSIDWidth + kNameWidth, kNameWidth, n->Directory);
    out += rec;
  }
  std::string path = PathNoCase(programFolder_, filename_);
  if (!WriteFileAtomic(path, out)) throw EInOutError(SystemError("Could not create file - " + path), errno);
}

std::string PostOfficeBox(const std::string& poDirectory, const char* box) {
  return IncludeTrailingBackslash(PathNoCase(poDirectory, box));
}

bool MakePODir(const std::string& programFolder, const std::string& bbsid) {
  std::string dir = IncludeTrailingBackslash(programFolder) + bbsid;
  if (!ForceDirectories(dir)) return false;
  for (const char* box : {kOutBoxFolder, kSaveBoxFolder, kSentBoxFolder})
    if (!ForceDirectories(PostOfficeBox(dir, box))) return false;
  return true;
}

std::string SafeBBSID(const std::string& bbsid) {
  std::string id = bbsid.substr(0, TQWKPostOffice::kBBSIDWidth);
  for (char& c : id)
    if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < ' ') c = '_';
  if (id.empty() || id == "." || id == "..") id = "_" + id.substr(std::min<size_t>(id.size(), 1));
  return id;
}

void CopyFileToFolder(const std::string& file, const std::string& folder, const std::string& targetName,
                      bool exactName) {
  int in = ::open(file.c_str(), O_RDONLY);
  if (in < 0) throw EInOutError(SystemError("Could not read file - " + file), errno);
  std::string name = targetName.empty() ? ExtractFileName(file) : targetName;
  std::string target = exactName ? IncludeTrailingBackslash(folder) + name : PathNoCase(folder, name);
  std::string tmp = target + ".tmp-" + RandomName8();
  int out = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (out < 0) {
    int err = errno;
    ::close(in);
    errno = err;
    throw EInOutError(SystemError("Could not create file - " + target), err);
  }
  char buf[8192];
  bool ok = true;
  for (;;) {
    ssize_t n = ::read(in, buf, sizeof buf);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    for (ssize_t done = 0; done < n;) {
      ssize_t w = ::write(out, buf + done, static_cast<size_t>(n - done));
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) {
        ok = false;
        break;
      }
      done += w;
    }
    if (!ok) break;
  }
  int err = errno;
  ::close(in);
  ok = ::close(out) == 0 && ok;
  if (ok) ok = std::rename(tmp.c_str(), target.c_str()) == 0;
  if (!ok) {
    err = errno ? errno : err;
    ::unlink(tmp.c_str());
    errno = err;
    throw EInOutError(SystemError("Could not write file - " + target), err);
  }
}

void RecoverBoxFiles(const std::string& box) {
  std::vector<fs::path> staged;
  std::error_code ec;
  for (fs::directory_iterator it(box, ec), end; !ec && it != end; it.increment(ec)) {
    const fs::path& p = it->path();
    if (it->is_regular_file(ec) && SameText(p.extension().string(), ".order") &&
        SameText(p.stem().extension().string(), ".qms"))
      staged.push_back(p);
  }
  for (const fs::path& p : staged) {
    fs::path back = p.parent_path() / p.stem();
    std::error_code exists, rn;
    if (fs::exists(back, exists)) back = p.parent_path() / RandomBoxFileName(IncludeTrailingBackslash(box));
    fs::rename(p, back, rn);
  }
}

int CountOutBox(const std::string& programFolder, const std::string& bbsid) {
  std::string box = PostOfficeBox(IncludeTrailingBackslash(programFolder) + bbsid, kOutBoxFolder);
  RecoverBoxFiles(box);
  int count = 0;
  std::error_code ec;
  for (fs::directory_iterator it(box, ec), end; !ec && it != end; it.increment(ec))
    if (it->is_regular_file(ec) && SameText(it->path().extension().string(), ".qms")) ++count;
  return count;
}

void SetPostOffice(TQWKPostOffice& po, const std::string& bbsid, const std::string& bbsName,
                   const std::string& workFolder) {
  std::vector<std::string> names;
  po.ListPostOfficeNames(names);
  int found = -1;
  for (size_t i = 0; i < names.size() && found < 0; ++i)
    if (SameText(names[i], bbsName)) found = static_cast<int>(i);
  if (found < 0) {
    po.AddPostOffice(bbsid, bbsName, IncludeTrailingBackslash(po.ProgramFolder()) + SafeBBSID(bbsid));
  } else {
    po.SetItemindex(found);
  }
  std::error_code ec;
  if (!fs::is_directory(po.PostOfficeDirectory(), ec)) MakePODir(po.ProgramFolder(), po.BBSID());
  for (const char* name : {"ToReader.ext", "Control.dat", "Door.id"})
    if (auto src = FindFileNoCase(workFolder, name)) CopyFileToFolder(*src, po.PostOfficeDirectory(), name);
  // A board whose packets carry the extended headers file gets one in its
  // reply packets.
  TBoardSettings board = ReadBoardSettings(po.PostOfficeDirectory());
  const bool headers = FileExistsNoCase(workFolder, kHeadersFileName);
  if (headers != board.HeadersFile) {
    board.HeadersFile = headers;
    WriteBoardSettings(po.PostOfficeDirectory(), board);
  }
}

}  // namespace korrin
