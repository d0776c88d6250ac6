#pragma once
// A packet's life: opening it into the work folder, closing it and
// disposing of the packet file, building the reply packet from the Out Box,
// reading a reply packet back, writing door control messages. The main
// window owns one; what needs a window reaches it through the callbacks.

#include <ctime>
#include <functional>
#include <string>
#include <vector>

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

// Outgoing header date and time: MM-DD-YY and hh:nn, whatever the locale.
std::string QWKDateText(std::time_t when);
std::string QWKTimeText(std::time_t when);

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

  bool OpenPacket(const std::string& path);
  bool ExtractPacketFiles(const std::string& path);
  bool ClosePacket();
  std::string RenamePacket(const std::string& path);
  std::string MovePacket(const std::string& path, const std::string& folder);
  // Builds the reply packet; true when it was written (false also when there was nothing to send).
  bool CreateReplyPacket(const std::string& replyPath);
  bool OpenReplyPacket(const std::string& replyPath);
  void ComposeControlMessage(int conference, int kind);
  void ClearTempDirectory();

  // Replies folder + BBSID + ".rep".
  std::string ReplyPacketPath() const;
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
};

}  // namespace korrin
