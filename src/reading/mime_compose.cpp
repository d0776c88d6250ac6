#include "reading/mime_compose.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "engine/packet_lifecycle.h"
#include "engine/posting_order.h"
#include "engine/qwk_msg.h"
#include "platform/errors.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/random.h"
#include "platform/text.h"
#include "engine/tessel_mime.h"

namespace fs = std::filesystem;

namespace korrin {

namespace {
constexpr const char* kErrReadFile = "Could not read file - ";

// Holds the record's tagline back while a message that continues an
// encoded attachment is saved.
class TTaglineHold {
public:
  TTaglineHold(TQWKMsg* msg, bool hold) : msg_(hold ? msg : nullptr) {
    if (msg_) {
      kept_ = msg_->Tagline();
      msg_->SetTagline("");
    }
  }
  ~TTaglineHold() {
    if (msg_) msg_->SetTagline(kept_);
  }

private:
  TQWKMsg* msg_;
  std::string kept_;
};
}  // namespace

TMimeCompose::TMimeCompose() = default;

TMimeCompose::~TMimeCompose() {
  if (!privateFolder_.empty()) {
    std::error_code ec;
    fs::remove_all(privateFolder_, ec);
  }
}

// ------------------------------------------------------------------ framing

TMimeCompose::TStringList TMimeCompose::TextPartHeader(const std::string& boundary) {
  // The text is the board's code page, unchanged: say so, so that a reader
  // that decodes MIME shows it as written.
  return {"", "--" + boundary, "Content-type: text/plain; charset=IBM437", "Content-Transfer-Encoding: 8bit", ""};
}

TMimeCompose::TStringList TMimeCompose::MultipartHeader(const std::string& boundary) {
  return {"", "[This is a multi-part message in MIME format.]", "", "MIME-Version: 1.0",
          "Content-Type: multipart/mixed; boundary=" + boundary, ""};
}

TMimeCompose::TStringList TMimeCompose::ClosingLines(const std::string& boundary) {
  return {"", "--" + boundary + "--", ""};
}

int64_t TMimeCompose::TextLength(const TStringList& lines) {
  int64_t n = 0;
  for (const auto& l : lines) n += static_cast<int64_t>(l.size());
  return n;
}

std::string TMimeCompose::PartBaseName(const std::string& path) {
  std::string name = ExtractFileName(path);
  std::string base = name.substr(0, name.find('.'));
  return base.empty() ? "attach" : base;
}

std::string TMimeCompose::DropQuestion(const std::string& fileName, bool useMime) {
  return "Insert " + fileName + (useMime ? " as a mime encode file attachment?" : " as a uuencode file attachment?");
}

std::string TMimeCompose::AttachmentCaption(const std::string& path) { return AnsiLowerCase(ExtractFileName(path)); }

bool TMimeCompose::RemovePartFiles(const std::string& folder, const std::string& base) {
  const std::string prefix = AnsiUpperCase(base) + ".0";
  bool ok = true;
  std::error_code ec;
  std::vector<fs::path> found;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = AnsiUpperCase(it->path().filename().string());
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) continue;
    if (!std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                     [](char c) { return c >= '0' && c <= '9'; }))
      continue;
    found.push_back(it->path());
  }
  for (const auto& p : found) {
    std::error_code rec;
    fs::remove(p, rec);
    if (rec) ok = false;
  }
  return ok;
}

// ------------------------------------------------------------------ saving

std::string TMimeCompose::PartFolder(const std::string& source) {
  // A file in the packet folder could itself be named like a part file, and
  // would be replaced while it is read: its parts go elsewhere.
  std::string sourceFolder = ExtractFilePath(source);
  std::error_code ec;
  if (DirectoryUsable(packetFolder_) && !fs::equivalent(sourceFolder.empty() ? "." : sourceFolder, packetFolder_, ec))
    return IncludeTrailingBackslash(packetFolder_);
  // No packet folder: a folder of our own, so part files never land in the
  // current folder.
  if (privateFolder_.empty() || !DirectoryUsable(privateFolder_)) {
    auto made = CreateUniqueFolder(TempFolder());
    if (!made) throw EInOutError("Could not create directory " + TempFolder());
    privateFolder_ = *made;
  }
  return privateFolder_;
}

std::optional<std::string> TMimeCompose::Save(const TStringList& text, bool endsSeries) {
  if (!SaveToOutBox) return std::nullopt;
  TTaglineHold hold(msg_, !endsSeries);
  return SaveToOutBox(text);
}

void TMimeCompose::RemoveMessages(const std::vector<std::string>& paths) {
  for (const auto& p : paths) {
    std::error_code ec;
    fs::remove(p, ec);
  }
}

// ------------------------------------------------------------ composition

std::optional<std::vector<std::string>> TMimeCompose::ComposeTextOnly(const TStringList& text) {
  // Plain QWK text whatever "Use Mime" says: most readers at the other end
  // decode no MIME and would show the framing to everybody. "Use Mime" only
  // chooses how attachments travel.
  boundary_.clear();
  auto saved = Save(text, true);
  if (!saved) return std::nullopt;
  return std::vector<std::string>{*saved};
}

std::optional<std::vector<std::string>> TMimeCompose::ComposeWithAttachment(const std::string& path,
                                                                            const TStringList* text) {
  if (OnFormatting) OnFormatting(true);
  std::optional<std::vector<std::string>> result;
  try {
    result = Series(path, text);
  } catch (const EInOutError& e) {
    GetPrompts().Error(e.what());
    result.reset();
  }
  if (OnFormatting) OnFormatting(false);
  return result;
}

std::optional<std::vector<std::string>> TMimeCompose::Series(const std::string& path, const TStringList* text) {
  TTesselMime* codec = mime_;
  if (!codec) {
    if (!ownMime_) ownMime_ = std::make_unique<TTesselMime>();
    codec = ownMime_.get();
  }
  boundary_ = NewBoundary();
  TStringList first;
  if (useMime_) {
    first = MultipartHeader(boundary_);
    if (text) {
      for (auto& l : TextPartHeader(boundary_)) first.push_back(std::move(l));
      first.insert(first.end(), text->begin(), text->end());
    }
  } else if (text) {
    first = *text;
  }

  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) throw EInOutError(kErrReadFile + path, ENOENT);
  const std::string folder = PartFolder(path);
  const std::string base = PartBaseName(path);
  const std::string partBase = folder + base;
  struct TCleanup {
    std::string folder, base;
    ~TCleanup() { TMimeCompose::RemovePartFiles(folder, base); }
  } cleanup{folder, base};

  // Part files of an earlier posting would be taken for parts of this one.
  if (!RemovePartFiles(folder, base)) throw EInOutError("Could not delete old part files of " + partBase, EIO);

  codec->SetEncodingType(useMime_ ? TEncodingType::etMime : TEncodingType::etUU);
  codec->EncodeFile(path, partBase, boundary_, kMessageBudget - TextLength(first), kMessageBudget);

  std::vector<std::string> saved;
  try {
  for (int n = 1;; ++n) {
    const std::string partFile = TTesselMime::PartFileName(partBase, n);
    if (!fs::exists(partFile, ec)) break;
    TStringList body;
    if (n == 1) body = std::move(first);
    auto data = ReadWholeFile(partFile);
    if (!data) {
      GetPrompts().Error(kErrReadFile + partFile);
      RemoveMessages(saved);
      return std::nullopt;
    }
    for (auto& l : SplitLines(*data)) body.push_back(std::move(l));
    const bool last = !fs::exists(TTesselMime::PartFileName(partBase, n + 1), ec);
    if (last && useMime_)
      for (auto& l : ClosingLines(boundary_)) body.push_back(std::move(l));
    auto file = Save(body, last);
    if (!file) {
      RemoveMessages(saved);
      return std::nullopt;
    }
    saved.push_back(*file);
  }
  } catch (...) {
    RemoveMessages(saved);
    throw;
  }
  return saved;
}

bool TMimeCompose::Post(const TStringList& text, const std::vector<std::string>& attachments) {
  return PostMessages(text, attachments).has_value();
}

std::optional<std::vector<std::string>> TMimeCompose::PostMessages(const TStringList& text,
                                                                   const std::vector<std::string>& attachments) {
  std::vector<std::string> saved;
  bool ok = true;
  if (attachments.empty()) {
    auto files = ComposeTextOnly(text);
    if (files) saved = std::move(*files);
    ok = files.has_value();
  } else {
    for (size_t i = 0; i < attachments.size() && ok; ++i) {
      auto files = ComposeWithAttachment(attachments[i], i == 0 ? &text : nullptr);
      if (files) saved.insert(saved.end(), files->begin(), files->end());
      ok = files.has_value();
    }
  }
  if (!ok) {
    RemoveMessages(saved);
    return std::nullopt;
  }
  // The box keeps the posting order: the parts of an attachment go out in
  // sequence, and after whatever was posted before.
  if (!saved.empty()) RecordPosting(ExtractFilePath(saved.front()), saved);
  return saved;
}

// --------------------------------------------------------------- Out Box

std::optional<std::string> SaveRecordToOutBox(TQWKMsg& msg, const std::string& outBoxFolder,
                                              const std::vector<std::string>& text, std::time_t now) {
  const std::string folder = IncludeTrailingBackslash(outBoxFolder);
  if (!ForceDirectories(ExcludeTrailingBackslash(folder))) return std::nullopt;
  int count = 0;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
    if (it->is_regular_file(ec) && SameText(it->path().extension().string(), ".qms")) ++count;
  msg.SetText(text);
  msg.SetNumber(std::to_string(count + 1));
  msg.SetPostDate(QWKDateText(now));
  msg.SetPostTime(QWKTimeText(now));
  std::string path = folder + RandomBoxFileName(folder);
  if (!msg.SaveToFile(path)) return std::nullopt;
  return path;
}

}  // namespace korrin
