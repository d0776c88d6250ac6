#include "reading/msg_view_commands.h"

#include <algorithm>
#include <filesystem>

#include "engine/qwk_msg.h"
#include "engine/qwk_post_office.h"
#include "platform/codepage.h"
#include "platform/errors.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/random.h"
#include "platform/text.h"
#include "engine/tessel_mime.h"

namespace fs = std::filesystem;

namespace korrin {

TMsgViewStates MsgViewStates(TFolderKind kind, bool busy, bool textSelected) {
  TMsgViewStates s;
  if (busy) return s;
  s.Copy = textSelected;
  s.PrevNextConf = kind == TFolderKind::fkConference;
  s.Reply = kind != TFolderKind::fkSentBox;
  s.Forward = kind != TFolderKind::fkOutBox;
  s.Save = kind == TFolderKind::fkConference;
  return s;
}

std::string ReplyButtonHint(TFolderKind kind) {
  return kind == TFolderKind::fkOutBox ? "Edit message|" : "Reply to Author|";
}

std::string ViewerReplyMenuCaption(const TConfRec* mainFolder) {
  return mainFolder && mainFolder->Kind == TFolderKind::fkOutBox ? "&Edit Message" : "&Reply to Message";
}

bool AddRecieverEnabled(const std::string& toLabel) {
  return AnsiUpperCase(toLabel.substr(0, toLabel.find(' '))) != "ALL";
}

TContactSeed ContactFromLabel(const std::string& label) {
  TContactSeed c;
  if (label.find('@') != std::string::npos) {
    c.EMail = label;
    return c;
  }
  size_t blank = label.find(' ');
  c.FirstName = label.substr(0, blank);
  if (blank != std::string::npos) {
    std::string rest = label.substr(blank + 1);
    c.LastName = rest.substr(0, rest.find(' '));
  }
  return c;
}

std::string WordAt(const std::string& line, size_t pos) {
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  if (pos >= line.size() || blank(line[pos])) return {};
  size_t start = pos, end = pos;
  while (start > 0 && !blank(line[start - 1])) --start;
  while (end < line.size() && !blank(line[end])) ++end;
  return line.substr(start, end - start);
}

std::optional<std::string> LinkFromWord(const std::string& word) {
  std::string link;
  size_t www = word.find("www.");
  size_t secure = word.find("https://");
  if (www != std::string::npos) {
    // A scheme the message gives itself is kept rather than weakened.
    link = secure != std::string::npos && secure < www ? word.substr(secure) : "http://" + word.substr(www);
  } else {
    size_t at = std::string::npos;
    for (const char* scheme : {"http://", "https://", "ftp://"}) at = std::min(at, word.find(scheme));
    if (at == std::string::npos) return std::nullopt;
    link = word.substr(at);
  }
  link = link.substr(0, link.find(' '));
  for (char c : {'.', ',', '"', '/'})
    if (!link.empty() && link.back() == c) link.pop_back();
  return link;
}

int HeaderSplitBarTop(int y) { return std::clamp(y, 3, 112); }

int HeaderHeightOnRelease(int y) { return y < 0 ? 3 : std::min(y, 113); }

std::string AttachmentCaption(const std::string& name) { return AnsiLowerCase(name); }

std::string AttachmentFileName(const std::string& caption) {
  std::string name = Cp437ToUtf8(caption);
  std::replace(name.begin(), name.end(), '/', '_');
  std::replace(name.begin(), name.end(), '\\', '_');
  if (name.empty() || name == "." || name == "..") name = "attachment.dat";
  return name;
}

std::string SaveToSaveBox(const TQWKMsg& msg, const std::string& poDirectory) {
  if (!GetPrompts().ConfirmOkCancel("Copy message to \"Save Box\"?")) return {};
  if (poDirectory.empty() || msg.ConfRecord().Kind != TFolderKind::fkConference) return {};
  std::string folder = PostOfficeBox(poDirectory, kSaveBoxFolder);
  if (!ForceDirectories(folder, GetPrompts())) return {};
  // The viewer's record holds only the lines it shows (a MIME message without
  // its parts); a record without a codec reads the whole body.
  TQWKMsg whole;
  if (!whole.LoadFromPacket(msg.PacketDirectory(), msg.IndexPosition(), msg.ConfRecord()) ||
      whole.IndexPosition() < 1 || whole.IndexPosition() > whole.IndexCount()) {
    GetPrompts().Error("Could not read file - Messages.DAT");
    return {};
  }
  std::string path = folder + RandomBoxFileName(folder);
  if (!whole.SaveToFile(path)) return {};
  return path;
}

bool ExportMessageBody(TQWKMsg& msg, const std::string& boxFile, const std::string& target) {
  switch (msg.ConfRecord().Kind) {
    case TFolderKind::fkOutBox:
    case TFolderKind::fkSaveBox:
    case TFolderKind::fkSentBox: return !boxFile.empty() && msg.ExportBodyFromFile(boxFile, target);
    case TFolderKind::fkConference: return msg.ExportBody(target);
    default: return false;
  }
}

std::vector<std::string> ExtractAttachments(TQWKMsg& msg, TTesselMime& mime, const std::string& boxFile,
                                            const std::string& workFolder, const std::vector<std::string>& captions,
                                            const std::string& folder) {
  std::vector<std::string> written;
  if (captions.empty() || workFolder.empty() || folder.empty()) return written;
  const std::string body = IncludeTrailingBackslash(workFolder) + kMimeTextFileName;
  if (ExportMessageBody(msg, boxFile, body)) {
    try {
      // One pass over the body writes every part.
      std::vector<TTesselMime::TWantedAttachment> wanted;
      for (const auto& caption : captions)
        wanted.push_back({caption, IncludeTrailingBackslash(folder) + AttachmentFileName(caption)});
      mime.ExtractFiles(body, wanted);
      for (const auto& w : wanted) written.push_back(w.TargetFile);
    } catch (const EInOutError& e) {
      GetPrompts().Error(e.what());
    }
  }
  std::error_code ec;
  fs::remove(body, ec);
  return written;
}

}  // namespace korrin
