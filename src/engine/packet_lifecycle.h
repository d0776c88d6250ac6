#pragma once
// A packet's life: opening it into the work folder, closing it and
// disposing of the packet file, building the reply packet from the Out Box,
// reading a reply packet back, writing door control messages. The main
// window owns one; what needs a window reaches it through the callbacks.

#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/failure.h"

namespace korrin {

class TMailTree;
class TQWKPostOffice;
class TQWKMsg;
class TToReader;
class TDoorControl;
class TXceedZip;

inline constexpr const char* kTairlinePrefix = "Korrin v";
inline constexpr const char* kCaptionNoPacket = "Korrin Packet Explorer";

// The close dialog's answer.
struct TCloseAnswer {
  bool Ok = false;
  int Choice = 0;  // 0 leave, 1 delete, 2 rename, 3 move/rename
  std::string Destination;
  bool CreateReply = false;
};

// The files taken from a packet, one extract call each: the index and
// extension files, "attached.lst", and "*.dat" of a packet or "*.msg" of a
// reply packet.
const std::vector<std::string>& PacketFilePatterns(bool reply);

// The files of the reply packet's folder named like it, whatever the letter
// case: the path itself first when it exists.
std::vector<std::string> ReplyPacketsAt(const std::string& replyPath);

// A reply packet (".REP", any case) rather than a packet.
bool IsReplyPacketName(const std::string& path);

// What unpacking a packet gave.
struct TUnpackOutcome {
  // A file besides "attached.lst" came out.
  bool Unpacked = false;
  // The archive code when the extract call failed otherwise than by finding
  // nothing to do; 0 (success) when it did not.
  int Failure = 0;
};
// Unpacks the packet files of an archive (the patterns of
// PacketFilePatterns) into the folder in one extract call, and then the
// screens the control file names when it names any (a second call).
TUnpackOutcome UnpackPacketFiles(TXceedZip& zip, const std::string& path, const std::string& folder, bool reply);
// The welcome, news and goodbye screens that the folder's control file
// names but the folder lacks (plain names only).
std::vector<std::string> MissingScreens(const std::string& folder);
// No plugin, no archive, a damaged one or no access: no call can do better.
bool IsFinalArchiveFailure(int code);

// Outgoing header date and time: MM-DD-YY and hh:nn, whatever the locale.
std::string QWKDateText(std::time_t when);
std::string QWKTimeText(std::time_t when);

// The extended headers section of a reply written at `offset` of the reply
// file: for a reply whose To, From or Subject is longer than its header
// field or whose text is UTF-8; empty for any other.
std::string ReplyHeaderSection(const TQWKMsg& msg, int64_t offset);
// What is wrong with a reply file ("<name>: damaged reply file (...)"): one
// shorter than a block, or with a message whose header promises blocks that
// the file does not hold. Nothing for a sound file (or one that cannot be opened).
std::optional<std::string> ReplyFileDamage(const std::string& path);

class TPacketLifecycle {
public:
  TPacketLifecycle(TMailTree& tree, TQWKPostOffice& postOffice, TQWKMsg& message, TToReader& toReader,
                   TDoorControl& door, TXceedZip& zip);

  const std::string& TempDirectory() const { return tempDirectory_; }
  void SetTempDirectory(const std::string& folder);
  const std::string& RepliesFolder() const { return repliesFolder_; }
  void SetRepliesFolder(const std::string& folder) { repliesFolder_ = folder; }
  bool MoveToSentBoxSetting() const { return moveToSentBox_; }
  void SetMoveToSentBox(bool on) { moveToSentBox_ = on; }
  const std::string& ProgramFolder() const { return programFolder_; }

  // Whether opening a packet records its BBS in the post-office list (and
  // its folder) and reads the door's id. On by default.
  bool RecordPostOffice() const { return recordPostOffice_; }
  void SetRecordPostOffice(bool on) { recordPostOffice_ = on; }

  // Opens a packet: unpacks it into the work folder and reads it there
  // (ReadPacketFolder). A failure comes back as the value; OpenPacket shows it.
  TResult LoadPacket(const std::string& path);
  bool OpenPacket(const std::string& path) { return ShowFailure(LoadPacket(path)); }
  // Reads an unpacked packet (a folder holding messages.dat and
  // control.dat): the extension lists first (they decide the Downloads
  // folder), then the folder tree; then, when RecordPostOffice is on, the
  // post office and the door's id. Fails with the reason the tree could
  // not be built.
  TResult ReadPacketFolder(const std::string& folder);
  bool ExtractPacketFiles(const std::string& path);
  bool ClosePacket();
  std::string RenamePacket(const std::string& path);
  std::string MovePacket(const std::string& path, const std::string& folder);
  // Builds the reply packet; true when it was written (false also when there
  // was nothing to send). An earlier reply packet under the same name in any
  // letter case is taken back into it and goes once the new one is written.
  bool CreateReplyPacket(const std::string& replyPath);
  // Puts the messages of a reply packet back into the Out Box (and its door
  // commands into the work folder); the reply packet goes once they all are.
  // The path is found whatever the letter case of its name.
  TResult LoadReplyPacket(const std::string& replyPath);
  bool OpenReplyPacket(const std::string& replyPath) { return ShowFailure(LoadReplyPacket(replyPath)); }
  void ComposeControlMessage(int conference, int kind);
  void ClearTempDirectory();

  // Replies folder + BBSID + ".rep".
  std::string ReplyPacketPath() const;
  // The board's reply packet in the Replies folder, whatever the letter case
  // of its name; nothing when there is none.
  std::optional<std::string> ExistingReplyPacket() const;
  // Something to send: Out Box messages, or "todoor.ext" in the tree's folder.
  bool SomethingToSend() const;
  // The current post office's box folders.
  std::string OutBoxFolder() const;
  std::string SentBoxFolder() const;

  // Window hooks.
  std::function<void(const std::string&)> OnStatus;   // status panel text
  std::function<void(const std::string&)> OnCaption;  // window caption
  std::function<bool()> EditorOpen;
  std::function<std::string()> EditorRecipient;
  std::function<void()> BringEditorToFront;
  std::function<void()> DiscardEditor;
  std::function<TCloseAnswer(bool somethingToSend)> RunCloseDialog;
  std::function<void()> RefillList;
  std::function<void()> Repaint;
  // The working time, for tests of dated messages.
  std::function<std::time_t()> Now;

private:
  void Status(const std::string& text);
  void MoveToSentBox(const std::string& file);
  // Takes an existing reply packet's messages and door commands back into
  // the Out Box and "todoor.ext". The files added are recorded for undoing.
  bool TakeBackReplyPacket(const std::string& replyPath, std::vector<std::string>& added, std::string& oldToDoor,
                           bool& hadToDoor);
  std::string CounterName(const std::string& folder, const std::string& path) const;
  // An earlier reply packet still in the Replies folder: asks whether it was
  // uploaded. Yes keeps it in the Sent Box folder under a dated name (false
  // when that fails); Cancel gives baCancel.
  TBoxAnswer AskAboutEarlierPacket(const std::string& replyPath);
  bool KeepUploadedPacket(const std::string& replyPath);
  // A file of the same bytes is in the Sent Box already.
  bool SentBoxHolds(const std::string& file) const;

  TMailTree& tree_;
  TQWKPostOffice& postOffice_;
  TQWKMsg& message_;
  TToReader& toReader_;
  TDoorControl& door_;
  TXceedZip& zip_;
  std::string tempDirectory_;
  std::string repliesFolder_;
  std::string programFolder_;
  bool moveToSentBox_ = true;
  bool recordPostOffice_ = true;
};

}  // namespace korrin
