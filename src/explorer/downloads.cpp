#include "explorer/downloads.h"

#include <filesystem>

#include "archive/xceed_zip.h"
#include "engine/mail_list.h"
#include "engine/mail_tree.h"
#include "engine/to_reader.h"
#include "platform/codepage.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/text.h"

namespace fs = std::filesystem;

namespace korrin {

std::string SafeFileName(std::string_view text) {
  std::string out;
  for (char c : Trim(text)) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) continue;
    if (c == ':' || c == '*' || c == '?' || c == '.' || c == '/' || c == '\\') continue;
    out += c;
  }
  return out.empty() ? "TsTemp" : out;
}

std::optional<std::string> SafeLeafName(std::string_view name) {
  const size_t cut = name.find_last_of("/\\");
  std::string leaf(cut == std::string_view::npos ? name : name.substr(cut + 1));
  if (leaf.empty() || leaf == "." || leaf == "..") return std::nullopt;
  for (char c : leaf)
    if (c == '*' || c == '?' || static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return std::nullopt;
  return leaf;
}

TDownloadRow DownloadOfRow(const TMailListRow& row) {
  TDownloadRow d;
  d.Caption = row.Caption;
  if (!row.SubItems.empty()) d.StoredName = row.SubItems[0];
  return d;
}

namespace {
bool IsFileFolder(TFolderKind k) { return k == TFolderKind::fkDownloads || k == TFolderKind::fkNewFiles; }

std::optional<TDownloadStates> States(const TDownloadContext& c, bool popup) {
  if (!c.TreeSelection) return std::nullopt;
  TDownloadStates s;
  if (!c.FolderHasRecord) return s;
  s.Open = IsFileFolder(c.Kind) && c.RowSelected;
  s.Extract = c.Kind == TFolderKind::fkDownloads && c.RowSelected;
  s.ExtractAll = !popup || (c.Kind == TFolderKind::fkDownloads && c.HasRows);
  return s;
}

void RemoveFolder(const std::string& folder) {
  std::error_code ec;
  fs::remove_all(folder, ec);
}
}  // namespace

std::optional<TDownloadStates> DownloadsMenuStates(const TDownloadContext& c) { return States(c, false); }
std::optional<TDownloadStates> DownloadsPopupStates(const TDownloadContext& c) { return States(c, true); }

bool UsesFilePopup(const TConfRec* folder) { return folder && IsFileFolder(folder->Kind); }

bool DownloadsMenuVisible(bool packetOpen, const TToReader& toReader) {
  return packetOpen && (toReader.FileList().size() + toReader.AttachList().size()) > 0;
}

std::string ReplaceQuestion(const std::string& name) {
  return "The file \"" + name + "\" already exists. Do you want to replace this file?";
}

void InstallReplaceQuestion(TXceedZip& zip) {
  zip.SetOnReplace([&zip](const TXcdFileStats& stats, bool& replace) {
    switch (GetPrompts().ConfirmYesNoAbort(ReplaceQuestion(ExtractFileName(stats.FileName)))) {
      case TBoxAnswer::baYes: replace = true; break;
      case TBoxAnswer::baAbort:
        replace = false;
        zip.Abort();
        break;
      default: replace = false; break;
    }
  });
}

void InstallListing(TXceedZip& zip, TToReader& toReader) {
  zip.SetOnListing([&toReader](const TXcdFileStats& stats) {
    std::string name = stats.FileName;
    while (!name.empty() && name.back() == '/') name.pop_back();
    name = ExtractFileName(name);
    if (!name.empty()) toReader.FileList().push_back(name);
  });
}

TDownloads::TDownloads(TXceedZip& zip, const TMailTree& tree, const std::string& workFolder)
    : zip_(zip), tree_(tree), workFolder_(workFolder) {}

TExtractResult TDownloads::ExtractRow(const TDownloadRow& row, const std::string& folder, bool ask,
                                      const char* renameWording, const std::string& name, std::string* written) {
  const bool stored = !row.StoredName.empty();
  const std::optional<std::string> from = SafeLeafName(stored ? row.StoredName : row.Caption);
  std::optional<std::string> to = name.empty() ? SafeLeafName(row.Caption) : SafeLeafName(name);
  if (to && name.empty()) to = Cp437ToUtf8(*to);
  if (!from || !to) {
    const std::string& bad = !from ? (stored ? row.StoredName : row.Caption) : (name.empty() ? row.Caption : name);
    GetPrompts().Error("The name \"" + Cp437ToUtf8(bad) + "\" in the packet is no file name; nothing was written.");
    return TExtractResult::erFailed;
  }
  const std::string packet = tree_.PacketFile();
  if (packet.empty()) return TExtractResult::erFailed;
  const std::string target = IncludeTrailingBackslash(folder) + *to;
  auto staging = CreateUniqueFolder(IncludeTrailingBackslash(folder));
  if (!staging) {
    GetPrompts().Error("Could not create file - " + target);
    return TExtractResult::erFailed;
  }
  const TXcdOverwrite mode = zip_.Overwrite();
  zip_.SetOverwrite(TXcdOverwrite::xowAlways);  // the staging folder is empty
  zip_.SetZipFileName(packet);
  zip_.SetExtractDirectory(ExcludeTrailingBackslash(*staging));
  // The plugin matches names in any case and would read wildcards; the name has none.
  const std::string pattern = Cp437ToUtf8(*from);
  zip_.SetFilesToProcess({pattern});
  zip_.Extract(0);
  const bool aborted = zip_.Aborted();
  zip_.SetOverwrite(mode);
  const std::optional<std::string> unpacked = FindFileNoCase(*staging, pattern);
  auto fail = [&](TExtractResult result) {
    RemoveFolder(*staging);
    return result;
  };
  if (aborted) return fail(TExtractResult::erAborted);
  const std::string renameText = std::string(renameWording) + Cp437ToUtf8(row.StoredName) + " to " + Cp437ToUtf8(row.Caption);
  if (!unpacked) {
    GetPrompts().Error(stored ? renameText
                              : "Could not extract " + Cp437ToUtf8(row.Caption) + " from " + ExtractFileName(packet));
    return fail(TExtractResult::erFailed);
  }
  std::error_code ec;
  if (ask && fs::exists(fs::symlink_status(target, ec))) {
    switch (GetPrompts().ConfirmYesNoAbort(ReplaceQuestion(*to))) {
      case TBoxAnswer::baYes: break;
      case TBoxAnswer::baAbort: return fail(TExtractResult::erAborted);
      default: return fail(TExtractResult::erSkipped);
    }
  }
  // rename() replaces a link in the target itself, never what it points to.
  fs::rename(*unpacked, target, ec);
  if (ec) {
    GetPrompts().Error(stored ? renameText : "Could not create file - " + target);
    return fail(TExtractResult::erFailed);
  }
  RemoveFolder(*staging);
  if (written) *written = target;
  return TExtractResult::erDone;
}

std::optional<std::string> TDownloads::ExtractToWork(const TDownloadRow& row) {
  if (workFolder_.empty()) return std::nullopt;
  auto folder = CreateUniqueFolder(IncludeTrailingBackslash(workFolder_));
  if (!folder) {
    GetPrompts().Error("Could not create directory " + IncludeTrailingBackslash(workFolder_));
    return std::nullopt;
  }
  std::string written;
  if (ExtractRow(row, *folder, false, kRenamingFailure, {}, &written) != TExtractResult::erDone) {
    RemoveFolder(*folder);
    return std::nullopt;
  }
  return written;
}

bool TDownloads::ExtractAll(const std::vector<TDownloadRow>& rows, const std::string& folder) {
  for (const TDownloadRow& row : rows) {
    if (OnRowBegins) OnRowBegins(row.Caption);
    if (ExtractRow(row, folder, true, kRenameFailure) == TExtractResult::erAborted) return false;
  }
  return true;
}

std::vector<std::string> DistinctFileNames(const std::vector<std::string>& names) {
  std::vector<std::string> out;
  auto taken = [&](const std::string& n) {
    for (const auto& o : out)
      if (SameText(o, n)) return true;
    return false;
  };
  for (const std::string& n : names) {
    std::string candidate = n;
    const std::string ext = ExtractFileExt(n);
    const std::string stem = n.substr(0, n.size() - ext.size());
    for (int i = 2; taken(candidate); ++i) candidate = stem + " (" + std::to_string(i) + ")" + ext;
    out.push_back(candidate);
  }
  return out;
}

std::string MessageFileName(const std::string& subject) { return SafeFileName(Cp437ToUtf8(subject)) + ".txt"; }

}  // namespace korrin
