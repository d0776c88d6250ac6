#include "engine/packet_lifecycle.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <filesystem>
#include <set>

#include "archive/xceed_zip.h"
#include "engine/bulletins.h"
#include "engine/block_file.h"
#include "engine/board_settings.h"
#include "engine/extended_headers.h"
#include "engine/control_file.h"
#include "engine/door_control.h"
#include "engine/header_texts.h"
#include "engine/mail_tree.h"
#include "engine/message_scan.h"
#include "engine/messages_file.h"
#include "engine/qwk_blocks.h"
#include "engine/qwk_msg.h"
#include "engine/posting_order.h"
#include "engine/qwk_post_office.h"
#include "engine/to_reader.h"
#include "platform/charset.h"
#include "platform/version.h"
#include "platform/errors.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/random.h"
#include "platform/text.h"

namespace fs = std::filesystem;

namespace korrin {

namespace {
bool RemoveFile(const std::string& path) {
  std::error_code ec;
  return fs::remove(path, ec) && !ec;
}

TConfRec BoxRecord(const char* name, TFolderKind kind) {
  TConfRec rec;
  rec.Name = name;
  rec.Kind = kind;
  return rec;
}
}  // namespace

std::string QWKDateText(std::time_t when) {
  std::tm tm{};
  localtime_r(&when, &tm);
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d-%02d-%02d", tm.tm_mon + 1, tm.tm_mday, tm.tm_year % 100);
  return buf;
}

std::string QWKTimeText(std::time_t when) {
  std::tm tm{};
  localtime_r(&when, &tm);
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02d:%02d", tm.tm_hour, tm.tm_min);
  return buf;
}

TPacketLifecycle::TPacketLifecycle(TMailTree& tree, TQWKPostOffice& postOffice, TQWKMsg& message,
                                   TToReader& toReader, TDoorControl& door, TXceedZip& zip)
    : tree_(tree),
      postOffice_(postOffice),
      message_(message),
      toReader_(toReader),
      door_(door),
      zip_(zip),
      programFolder_(IncludeTrailingBackslash(korrin::ProgramFolder())) {
  repliesFolder_ = programFolder_;
  // The main window's archive settings.
  zip_.SetCompression(6);
  zip_.SetOverwrite(TXcdOverwrite::xowAlways);
  zip_.SetStoredExtensions(".ZIP;.LZH;.ARC;.ARJ;.ZOO");
  zip_.SetUsePaths(false);
  zip_.SetUseTempFile(false);
  Now = [] { return std::time(nullptr); };
}

void TPacketLifecycle::SetTempDirectory(const std::string& folder) { tempDirectory_ = IncludeTrailingBackslash(folder); }

void TPacketLifecycle::Status(const std::string& text) {
  if (OnStatus) OnStatus(text);
}

std::string TPacketLifecycle::OutBoxFolder() const {
  return PostOfficeBox(programFolder_ + postOffice_.BBSID(), kOutBoxFolder);
}

std::string TPacketLifecycle::SentBoxFolder() const {
  return PostOfficeBox(programFolder_ + postOffice_.BBSID(), kSentBoxFolder);
}

std::string TPacketLifecycle::ReplyPacketPath() const {
  return IncludeTrailingBackslash(repliesFolder_) + postOffice_.BBSID() + ".rep";
}

std::vector<std::string> ReplyPacketsAt(const std::string& replyPath) {
  std::vector<std::string> found;
  const std::string name = ExtractFileName(replyPath);
  std::string folder = ExtractFilePath(replyPath);
  std::error_code ec;
  for (fs::directory_iterator it(folder.empty() ? "." : folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code fe;
    if (it->is_regular_file(fe) && SameText(it->path().filename().string(), name))
      found.push_back(folder + it->path().filename().string());
  }
  // The name as given first.
  std::stable_partition(found.begin(), found.end(), [&](const std::string& p) { return p == replyPath; });
  return found;
}

std::optional<std::string> TPacketLifecycle::ExistingReplyPacket() const {
  auto found = ReplyPacketsAt(ReplyPacketPath());
  if (found.empty()) return std::nullopt;
  return found.front();
}

bool TPacketLifecycle::SomethingToSend() const {
  if (CountOutBox(programFolder_, postOffice_.BBSID()) > 0) return true;
  return !tree_.Directory().empty() && FileExistsNoCase(tree_.Directory(), kToDoorFileName);
}

void TPacketLifecycle::ClearTempDirectory() {
  if (tempDirectory_.empty()) return;
  // The index of the packet's extended headers holds its file open.
  ForgetPacketExtendedHeaders(tempDirectory_);
  std::error_code ec;
  for (fs::directory_iterator it(tempDirectory_, ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
    if (!it->is_regular_file(ec) || name.empty() || name[0] == '.') continue;
    std::error_code rm;
    if (!fs::remove(it->path(), rm) || rm) GetPrompts().Error("File I/O error deleting " + name);
  }
}

const std::vector<std::string>& PacketFilePatterns(bool reply) {
  static const std::vector<std::string> packet = {"*.ndx", "*.id", "attached.lst", "*.ext", "*.dat", "blt-*"};
  static const std::vector<std::string> replyPacket = {"*.ndx", "*.id", "attached.lst", "*.ext", "*.msg",
                                                       kHeadersFileName};
  return reply ? replyPacket : packet;
}

namespace {
bool HighBytes(std::string_view s) {
  return std::any_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}
}  // namespace

std::string ReplyHeaderSection(const TQWKMsg& msg, int64_t offset) {
  // A box file holds the long fields as QWKE lines: the record has them apart.
  TExtendedHeader h;
  h.To = LongerText(msg.LongTo(), msg.MsgTo());
  h.From = LongerText(msg.LongFrom(), msg.MsgFROM());
  h.Subject = LongerText(msg.LongSubject(), msg.Subject());
  const bool longFields =
      h.To.size() > kQWKNameLength || h.From.size() > kQWKNameLength || h.Subject.size() > kQWKNameLength;
  bool utf8 = false;
  if (IsUtf8(msg.Charset())) {
    utf8 = HighBytes(h.To) || HighBytes(h.From) || HighBytes(h.Subject);
    for (size_t i = 0; i < msg.Text().size() && !utf8; ++i) utf8 = HighBytes(msg.Text()[i]);
  }
  if (!longFields && !utf8) return {};
  h.MessageID = msg.MessageID();
  h.InReplyTo = msg.InReplyTo();
  h.Utf8 = utf8;
  return FormatHeaderSection(offset, h);
}

std::optional<std::string> ReplyFileDamage(const std::string& path) {
  TBlockFile file;
  if (!file.Open(path, TOpenMode::omRead)) return std::nullopt;
  const std::string name = ExtractFileName(path);
  const int64_t size = file.Size();
  if (size < static_cast<int64_t>(kQWKBlockSize)) return name + ": damaged reply file (shorter than one block)";
  char raw[kQWKBlockSize];
  for (int64_t pos = kQWKBlockSize; pos < size;) {
    size_t got = file.ReadAt(pos, raw, sizeof raw);
    std::string_view piece(raw, got);
    // Padding after the last message is no message.
    if (piece.find_first_not_of(std::string_view(" \0", 2)) == std::string_view::npos) break;
    TQWKHeader header(piece);
    if (got < kQWKBlockSize || pos + header.BlockSpan() * static_cast<int64_t>(kQWKBlockSize) > size)
      return name + ": damaged reply file (a message's blocks are missing)";
    pos += header.BlockSpan() * static_cast<int64_t>(kQWKBlockSize);
  }
  return std::nullopt;
}

bool IsFinalArchiveFailure(int code) {
  return code == TXceedZip::xcdNoLibrary || code == TXceedZip::xcdNotFound || code == TXceedZip::xcdCorrupt ||
         code == TXceedZip::xcdAccess;
}

TUnpackOutcome UnpackPacketFiles(TXceedZip& zip, const std::string& path, const std::string& folder, bool reply) {
  // One pass over the archive takes every packet file; the files written are
  // followed through the component's events (handlers set by others still run).
  TUnpackOutcome outcome;
  std::multiset<std::string> written;
  const tOnExtracting onExtracting = zip.OnExtracting();
  const tOnSkippingFile onSkipping = zip.OnSkippingFile();
  zip.SetOnExtracting([&](const TXcdFileStats& stats) {
    written.insert(stats.FileName);
    if (onExtracting) onExtracting(stats);
  });
  zip.SetOnSkippingFile([&](const TXcdFileStats& stats) {
    // A file that could not be written is no file unpacked; a duplicate
    // passed over never counted.
    if (stats.SkipReason != XCD_SKIP_EXISTS)
      if (auto it = written.find(stats.FileName); it != written.end()) written.erase(it);
    if (onSkipping) onSkipping(stats);
  });
  zip.SetZipFileName(path);
  zip.SetExtractDirectory(ExcludeTrailingBackslash(folder));
  zip.SetFilesToProcess(PacketFilePatterns(reply));
  const int rc = zip.Extract(0);
  zip.SetOnExtracting(onExtracting);
  zip.SetOnSkippingFile(onSkipping);
  for (const std::string& name : written)
    if (!SameText(ExtractFileName(name), "attached.lst")) outcome.Unpacked = true;
  if (rc != TXceedZip::xcdSuccess && rc != TXceedZip::xcdNothingToDo) outcome.Failure = rc;
  if (!reply && outcome.Unpacked) {
    if (auto screens = MissingScreens(folder); !screens.empty()) {
      // The welcome, news and goodbye screens: no pattern finds their names.
      zip.SetFilesToProcess(screens);
      zip.Extract(0);  // a screen the archive lacks is simply not shown
    }
  }
  return outcome;
}

std::vector<std::string> MissingScreens(const std::string& folder) {
  const TBulletinNames names = ReadBulletinNames(folder);
  std::vector<std::string> wanted;
  for (const std::string* n : {&names.Welcome, &names.News, &names.Goodbye})
    if (!n->empty() && n->find_first_of("/\\*?") == std::string::npos && !FileExistsNoCase(folder, *n))
      wanted.push_back(*n);
  return wanted;
}

bool IsReplyPacketName(const std::string& path) { return AnsiUpperCase(ExtractFileExt(path)) == ".REP"; }

namespace {
bool ExtractInto(TXceedZip& zip, const std::string& path, const std::string& folder) {
  return UnpackPacketFiles(zip, path, folder, IsReplyPacketName(path)).Unpacked;
}
}  // namespace

bool TPacketLifecycle::ExtractPacketFiles(const std::string& path) { return ExtractInto(zip_, path, tempDirectory_); }

TResult TPacketLifecycle::LoadPacket(const std::string& path) {
  const std::string name = ExtractFileName(path);
  ClearTempDirectory();
  Status("Loading - " + name);
  auto fail = [&](TResult failure) {
    ClearTempDirectory();
    tree_.SetPacketFile("");
    tree_.SetDirectory("");
    if (OnCaption) OnCaption("Korrin Packet Explorer");
    return failure;
  };
  if (!ExtractPacketFiles(path)) return fail(TResult::Error("Could not read mail packet - " + name));
  if (!FileExistsNoCase(tempDirectory_, kMessagesFileName) || !FileExistsNoCase(tempDirectory_, kControlFileName))
    return fail(
        TResult::Error("The mail packet " + name + " holds no messages (messages.dat and control.dat are needed)."));
  tree_.SetPacketFile(path);
  if (OnCaption) OnCaption("Korrin Exploring " + name);
  TResult read = ReadPacketFolder(tempDirectory_);
  return read ? read : fail(read);
}

TResult TPacketLifecycle::ReadPacketFolder(const std::string& folder) {
  Status("Searching for Attached files ...");
  toReader_.SetDirectory(folder);
  toReader_.LoadExtensionLists();
  tree_.SetDownloadCount(static_cast<int>(toReader_.AttachList().size() + toReader_.FileList().size()));

  Status("Creating Tree . . .");
  // A packet without index files: its conferences come from messages.dat.
  WriteIndexFilesFromMessages(folder);
  // Index files that point beside the messages are rebuilt from messages.dat.
  RepairIndexFiles(folder);
  if (TResult built = tree_.Load(folder); !built) return built;
  if (!recordPostOffice_) return {};

  Status("Updating Postoffice . . .");
  try {
    SetPostOffice(postOffice_, tree_.BBSID(), tree_.BBSName(), folder);
  } catch (const EInOutError& e) {
    // Without the post office's copies the door files read next would be stale ones.
    return TResult::Error(e.what());
  }
  Status("Loading door information ...");
  door_.ReadDoorId(postOffice_.PostOfficeDirectory());
  return {};
}

bool TPacketLifecycle::ClosePacket() {
  if (EditorOpen && EditorOpen()) {
    std::string to = EditorRecipient ? EditorRecipient() : std::string();
    if (!GetPrompts().ConfirmYesNo("You are currently sending a message to " + to +
                                   ".\r\n\r\nDo you wish to cancel the message?")) {
      if (BringEditorToFront) BringEditorToFront();
      return false;
    }
    if (DiscardEditor) DiscardEditor();
  }
  bool something = SomethingToSend();
  TCloseAnswer answer = RunCloseDialog ? RunCloseDialog(something) : TCloseAnswer{true, 0, {}, something};
  if (!answer.Ok) return false;
  // The reply packet is built before the packet file is disposed of: when it
  // fails the packet stays open, so the door commands of the work folder
  // and the Out Box are kept and the user can try again.
  if (answer.CreateReply && something && !CreateReplyPacket(ReplyPacketPath())) return false;
  std::string packet = tree_.PacketFile();
  if (!packet.empty()) {
    switch (answer.Choice) {
      case 1:
        if (!RemoveFile(packet)) GetPrompts().Error("Could not delete " + packet);
        break;
      case 2: RenamePacket(packet); break;
      case 3: MovePacket(packet, answer.Destination); break;
      default: break;
    }
  }
  tree_.SetPacketFile("");
  tree_.SetDirectory("");
  ClearTempDirectory();
  // Only now: while the close can still fail, the caption names the packet.
  if (OnCaption) OnCaption(kCaptionNoPacket);
  if (Repaint) Repaint();
  return true;
}

std::string TPacketLifecycle::CounterName(const std::string& folder, const std::string& path) const {
  std::string name = ExtractFileName(path);
  std::string stem = name.substr(0, std::min<size_t>(3, name.size()));
  std::string ext = ExtractFileExt(path);
  std::string dir = IncludeTrailingBackslash(folder);
  for (int counter = 1;; ++counter) {
    std::string candidate = dir + stem + std::to_string(counter) + ext;
    std::error_code ec;
    if (!fs::exists(candidate, ec)) return candidate;
  }
}

std::string TPacketLifecycle::RenamePacket(const std::string& path) {
  std::string name = ExtractFileName(path);
  if (name.size() < 4 || !(name[3] == '.' || static_cast<unsigned char>(name[3]) >= '9')) return path;
  std::string target = CounterName(ExtractFilePath(path), path);
  std::error_code ec;
  fs::rename(path, target, ec);
  if (ec) {
    GetPrompts().Error("Could not renaming " + path + " to " + target);
    return path;
  }
  return target;
}

std::string TPacketLifecycle::MovePacket(const std::string& path, const std::string& folder) {
  if (!DirectoryUsable(folder) ||
      SameText(IncludeTrailingBackslash(folder), IncludeTrailingBackslash(ExtractFilePath(path))))
    return path;
  std::string target = CounterName(folder, path);
  try {
    CopyFileToFolder(path, folder, ExtractFileName(target));
  } catch (const EInOutError& e) {
    GetPrompts().Error("Could not renaming " + path + " to " + target);
    return path;
  }
  // The source goes only once the copy is complete.
  RemoveFile(path);
  return target;
}

void TPacketLifecycle::MoveToSentBox(const std::string& file) {
  if (moveToSentBox_) {
    std::string sent = SentBoxFolder();
    ForceDirectories(sent);
    // On one file system the copy is a rename: whole at once, and cheap.
    std::error_code ec;
    fs::rename(file, sent + RandomBoxFileName(sent), ec);
    if (!ec) return;
    try {
      CopyFileToFolder(file, sent, RandomBoxFileName(sent), true);
    } catch (const EInOutError& e) {
      // Without its Sent Box copy the message stays in the Out Box.
      GetPrompts().Error(e.what());
      return;
    }
  }
  RemoveFile(file);
}

namespace {
// Puts the lines of `first` before those of the existing file; a command the
// file holds already is not added again, so the packet carries it once.
bool PrependDoorCommands(const std::string& path, const std::string& first) {
  std::string current = ReadWholeFile(path).value_or("");
  std::vector<std::string> have = SplitLines(current);
  std::string joined;
  for (const auto& line : SplitLines(first))
    if (std::find(have.begin(), have.end(), line) == have.end()) joined += line + "\r\n";
  return WriteFileAtomic(path, joined + current);
}

std::time_t FileTime(const std::string& path) {
  std::error_code ec;
  auto t = fs::last_write_time(path, ec);
  if (ec) return std::time(nullptr);
  return std::chrono::system_clock::to_time_t(std::chrono::file_clock::to_sys(t));
}
}  // namespace

TBoxAnswer TPacketLifecycle::AskAboutEarlierPacket(const std::string& replyPath) {
  std::time_t when = FileTime(replyPath);
  TBoxAnswer a = GetPrompts().Box(TBoxKind::bkConfirmation,
                                  "The reply packet " + ExtractFileName(replyPath) + " from " + QWKDateText(when) + " " +
                                      QWKTimeText(when) +
                                      " has not been removed. Has it already been uploaded to the BBS?",
                                  TBoxButtons::bbYesNoCancel);
  if (a == TBoxAnswer::baYes && !KeepUploadedPacket(replyPath)) return TBoxAnswer::baCancel;
  return a;
}

bool TPacketLifecycle::KeepUploadedPacket(const std::string& replyPath) {
  std::time_t when = FileTime(replyPath);
  std::tm tm{};
  localtime_r(&when, &tm);
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "-%04d%02d%02d-%02d%02d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                tm.tm_hour, tm.tm_min);
  std::string name = ExtractFileName(replyPath);
  std::string ext = ExtractFileExt(name);
  std::string stem = name.substr(0, name.size() - ext.size()) + stamp;
  std::string sent = SentBoxFolder();
  std::error_code ec;
  std::string target = sent + stem + ext;
  for (int n = 2; fs::exists(target, ec); ++n) target = sent + stem + "-" + std::to_string(n) + ext;
  if (ForceDirectories(sent)) {
    fs::rename(replyPath, target, ec);
    if (!ec) return true;
    try {
      CopyFileToFolder(replyPath, sent, ExtractFileName(target), true);
      if (RemoveFile(replyPath)) return true;
      RemoveFile(target);
    } catch (const EInOutError&) {
    }
  }
  GetPrompts().Error("Could not move the reply packet " + replyPath + " into " + sent +
                     "; no new reply packet was made.");
  return false;
}

bool TPacketLifecycle::SentBoxHolds(const std::string& file) const {
  auto bytes = ReadWholeFile(file);
  if (!bytes) return false;
  std::error_code ec;
  for (fs::directory_iterator it(SentBoxFolder(), ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code sz;
    if (it->is_regular_file(sz) && it->file_size(sz) == bytes->size() && ReadWholeFile(it->path().string()) == bytes)
      return true;
  }
  return false;
}

bool TPacketLifecycle::TakeBackReplyPacket(const std::string& replyPath, std::vector<std::string>& added,
                                           std::string& oldToDoor, bool& hadToDoor) {
  auto staging = CreateUniqueFolder(tempDirectory_);
  if (!staging) return false;
  bool ok = ExtractInto(zip_, replyPath, *staging);
  std::string outBox = OutBoxFolder();
  ForceDirectories(outBox);
  std::string tairline = message_.Tairline();
  message_.SetTairline("");
  if (auto msgFile = FindFileNoCase(*staging, ReplyFileName(postOffice_.BBSID()))) {
    TBlockFile reply;
    if (reply.Open(*msgFile, TOpenMode::omRead)) {
      reply.Seek(kQWKBlockSize);
      while (!reply.Eof()) {
        int64_t before = reply.Position();
        message_.ReadFrom(reply);
        if (reply.Position() <= before) break;
        std::string target = outBox + RandomBoxFileName(outBox);
        if (!message_.SaveToFile(target)) {
          ok = false;
          break;
        }
        added.push_back(target);
      }
      RecordPosting(outBox, added, true);
    } else {
      ok = false;
    }
  }
  if (auto door = FindFileNoCase(*staging, kToDoorFileName)) {
    std::string toDoor = PathNoCase(tempDirectory_, kToDoorFileName);
    hadToDoor = fs::exists(toDoor);
    oldToDoor = ReadWholeFile(toDoor).value_or("");
    ok = PrependDoorCommands(toDoor, ReadWholeFile(*door).value_or("")) && ok;
  }
  message_.SetTairline(tairline);
  std::error_code ec;
  fs::remove_all(*staging, ec);
  return ok;
}

bool TPacketLifecycle::CreateReplyPacket(const std::string& replyPath) {
  const std::string bbsid = postOffice_.BBSID();
  const std::string toDoor = PathNoCase(tempDirectory_, kToDoorFileName);
  if (!fs::exists(toDoor) && CountOutBox(programFolder_, bbsid) == 0) return false;
  message_.SetTairline(std::string(kTairlinePrefix) + kVersionText);

  // An earlier reply packet not yet uploaded: its messages go into this one.
  std::vector<std::string> added;
  std::string oldToDoor;
  bool hadToDoor = false, tookBackDoor = false;
  auto undo = [&] {
    for (const auto& f : added) RemoveFile(f);
    if (tookBackDoor) {
      if (hadToDoor) {
        WriteFileAtomic(toDoor, oldToDoor);
      } else {
        RemoveFile(toDoor);
      }
    }
  };
  std::error_code ec;
  // Under any letter case: another reader may have written "held1.rep" for
  // our "HELD1.rep"; there is one reply packet per board.
  std::vector<std::string> earlier = ReplyPacketsAt(replyPath);
  if (!earlier.empty()) {
    // Asked once. Uploaded: kept in the Sent Box, and none of it goes again.
    const TBoxAnswer answer = AskAboutEarlierPacket(earlier.front());
    if (answer == TBoxAnswer::baCancel) return false;
    if (answer == TBoxAnswer::baYes) {
      for (size_t i = 1; i < earlier.size(); ++i)
        if (!KeepUploadedPacket(earlier[i])) return false;
      earlier.clear();
    }
  }
  if (!earlier.empty()) {
    bool toDoorBefore = fs::exists(toDoor);
    std::string before = ReadWholeFile(toDoor).value_or("");
    bool tookBack = true;
    for (auto it = earlier.rbegin(); it != earlier.rend() && tookBack; ++it)
      tookBack = TakeBackReplyPacket(*it, added, oldToDoor, hadToDoor);
    if (!tookBack) {
      hadToDoor = toDoorBefore;
      oldToDoor = before;
      tookBackDoor = true;
      undo();
      GetPrompts().Error("Could not read the earlier reply packet " + replyPath +
                         "; it was left as it is and no new reply packet was made.");
      return false;
    }
    tookBackDoor = true;
    hadToDoor = toDoorBefore;
    oldToDoor = before;
  }

  const std::string outBox = OutBoxFolder();
  const std::string replyFile = tempDirectory_ + ReplyFileName(bbsid);
  TBlockFile reply;
  if (!reply.Open(replyFile, TOpenMode::omCreate)) {
    undo();
    GetPrompts().Error("Could not create Reply Packet");
    return false;
  }
  bool ok = reply.Write(ReplyFileFirstBlock(bbsid));
  std::vector<std::string> sent;
  const TConfRec outRec = BoxRecord(kOutBoxName, TFolderKind::fkOutBox);
  // Boards whose packets carry the extended headers file get the long and
  // UTF-8 fields of the replies in one too.
  const bool withHeaders = ReadBoardSettings(postOffice_.PostOfficeDirectory()).HeadersFile;
  std::string headers;
  for (const auto& file : BoxFilesInPostingOrder(outBox)) {
    if (!ok) break;
    if (!message_.LoadFromFile(file, outRec)) continue;
    const int64_t at = reply.Position();
    ok = message_.WriteTo(reply);
    if (withHeaders) headers += ReplyHeaderSection(message_, at);
    sent.push_back(file);
  }
  ok = reply.Sync() && ok;
  reply.Close();
  const std::string headersFile = tempDirectory_ + kHeadersFileName;
  RemoveFile(headersFile);
  if (ok && !headers.empty()) ok = WriteFileAtomic(headersFile, headers);

  // The archive is written under a temporary name and renamed into place.
  const std::string tmpArchive = replyPath + ".tmp-" + RandomName8();
  int rc = TXceedZip::xcdSuccess;
  if (ok) {
    std::vector<std::string> files;
    if (fs::exists(replyFile)) files.push_back(replyFile);
    if (fs::exists(toDoor)) files.push_back(toDoor);
    if (!headers.empty()) files.push_back(headersFile);
    zip_.SetZipFileName(tmpArchive);
    zip_.SetFilesToProcess(files);
    rc = zip_.Compress(0);
    ok = rc == TXceedZip::xcdSuccess;
    if (ok) {
      fs::rename(tmpArchive, replyPath, ec);
      ok = !ec;
    }
    // The new packet is complete: the earlier ones under other cases go.
    if (ok)
      for (const auto& old : earlier)
        if (old != replyPath) RemoveFile(old);
  }
  if (!ok) {
    RemoveFile(tmpArchive);
    RemoveFile(replyFile);
    RemoveFile(headersFile);
    undo();
    GetPrompts().Error("Could not create Reply Packet " + replyPath +
                       (rc != TXceedZip::xcdSuccess ? " (archive error " + std::to_string(rc) + ")" : std::string()) +
                       ". Your messages stay in the Out Box.");
    return false;
  }
  // Only now, with the reply packet complete, do the messages leave the Out Box.
  for (const auto& file : sent) {
    // Taken back from the earlier packet and already in the Sent Box: not kept twice.
    bool again = std::find(added.begin(), added.end(), file) != added.end() && SentBoxHolds(file);
    if (again) {
      RemoveFile(file);
    } else {
      MoveToSentBox(file);
    }
  }
  RemoveFile(toDoor);
  RemoveFile(replyFile);
  RemoveFile(headersFile);
  if (RefillList) RefillList();
  return true;
}

TResult TPacketLifecycle::LoadReplyPacket(const std::string& path) {
  const auto found = ReplyPacketsAt(path);
  const std::string replyPath = found.empty() ? path : found.front();
  message_.SetTairline("");
  auto staging = CreateUniqueFolder(tempDirectory_);
  if (!staging || !ExtractInto(zip_, replyPath, *staging)) {
    if (staging) fs::remove_all(*staging);
    return TResult::Error("Reply packet does not contain any messages.");
  }
  auto cleanup = [&] {
    std::error_code ec;
    fs::remove_all(*staging, ec);
  };
  const std::string bbsid = postOffice_.BBSID();
  auto msgFile = FindFileNoCase(*staging, ReplyFileName(bbsid));
  if (!msgFile) {
    cleanup();
    return TResult::Error("Could not open - " + ReplyFileName(bbsid));
  }
  if (auto damage = ReplyFileDamage(*msgFile)) {
    cleanup();
    return TResult::Error(*damage);
  }
  TBlockFile reply;
  if (!reply.Open(*msgFile, TOpenMode::omReadWrite)) {
    cleanup();
    return TResult::Error("Could not open - " + ExtractFileName(replyPath));
  }
  TExtendedHeaders headers;
  bool withHeaders = false;
  if (auto found = FindFileNoCase(*staging, kHeadersFileName)) withHeaders = headers.Open(*found);
  const std::string outBox = OutBoxFolder();
  ForceDirectories(outBox);
  bool ok = true;
  std::vector<std::string> saved;
  reply.Seek(kQWKBlockSize);
  while (ok && !reply.Eof()) {
    int64_t before = reply.Position();
    message_.ReadFrom(reply, withHeaders ? &headers : nullptr);
    if (reply.Position() <= before) break;
    std::string target = outBox + RandomBoxFileName(outBox);
    ok = message_.SaveToFile(target);
    if (ok) saved.push_back(target);
  }
  reply.Close();
  // Written before anything now in the Out Box.
  RecordPosting(outBox, saved, true);
  // Pending door commands of the reply packet join those of this session.
  if (ok) {
    if (auto door = FindFileNoCase(*staging, kToDoorFileName))
      ok = PrependDoorCommands(PathNoCase(tempDirectory_, kToDoorFileName), ReadWholeFile(*door).value_or(""));
  }
  cleanup();
  if (!ok) {
    if (RefillList) RefillList();
    return TResult::Error("Could not save every message of " + replyPath +
                          " into the Out Box; the reply packet was kept.");
  }
  // The reply packet goes only once every message is in the Out Box.
  RemoveFile(replyPath);
  if (RefillList) RefillList();
  return {};
}

void TPacketLifecycle::ComposeControlMessage(int conference, int kind) {
  message_.SetCarbonCopies("");
  message_.SetForwardMessage(false);
  message_.SetWasRead(false);
  message_.SetConference(0);
  message_.SetTagline("");
  message_.SetSubject("");
  message_.SetAlive(true);
  message_.SetText({});
  message_.SetMsgFROM(ReadPacketUserName(postOffice_.PostOfficeDirectory()).value_or(""));
  message_.SetMsgTo(door_.ControlName().empty() ? std::string("QMAIL") : door_.ControlName());
  const char* word = kind == 0 ? "ADD" : "DROP";
  if (door_.DoorType() == 2) {
    message_.SetSubject(std::string(word) + " " + std::to_string(conference));
  } else {
    message_.SetSubject(word);
    message_.SetConference(static_cast<uint16_t>(conference));
  }
  message_.SetNumber(std::to_string(Random(999)));
  std::time_t now = Now ? Now() : std::time(nullptr);
  message_.SetPostDate(QWKDateText(now));
  message_.SetPostTime(QWKTimeText(now));
  std::string outBox = OutBoxFolder();
  ForceDirectories(outBox);
  const std::string path = outBox + RandomBoxFileName(outBox);
  if (message_.SaveToFile(path)) RecordPosting(outBox, {path});
  else GetPrompts().Error("Could not write the control message into " + outBox);
}

}  // namespace korrin
