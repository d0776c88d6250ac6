#pragma once
// What every subcommand of korrin-tool needs: its own temporary work
// folder, a Prompts object that collects the core's failure texts, and the
// packet opened the way the main window opens it (unpacked by the archive
// plugins, or copied from an unpacked folder) with its folder tree.

#include <atomic>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "archive/xceed_zip.h"
#include "engine/mail_tree.h"
#include "engine/to_reader.h"
#include "platform/prompts.h"

namespace korrin::tool {

// Exit codes.
inline constexpr int kExitOk = 0;
inline constexpr int kExitUnreadable = 1;
inline constexpr int kExitUsage = 2;

// A failure that ends the command: its exit code and one line for standard error.
class EToolError : public std::runtime_error {
public:
  EToolError(int code, const std::string& text) : std::runtime_error(text), code_(code) {}
  int Code() const { return code_; }

private:
  int code_;
};

// The signal received (SIGINT, SIGTERM, SIGHUP, or SIGPIPE when the reader
// of the output went away), 0 for none; long loops stop when it is set.
std::atomic<int>& PendingSignal();
bool Interrupted();
// Throws EToolError(128 + signal) when a signal is pending: "interrupted",
// or no text at all for a closed pipe (like any tool killed by it).
void CheckInterrupted();

// Collects the texts of every box the core shows, answers every question
// negatively and every dialog with cancel. Installed for its lifetime.
class TCollectingPrompts : public Prompts {
public:
  TCollectingPrompts() { SetPrompts(this); }
  ~TCollectingPrompts() override { SetPrompts(nullptr); }

  TBoxAnswer Box(TBoxKind kind, const std::string& text, TBoxButtons buttons, const std::string& caption) override;
  std::optional<std::string> InputBox(const std::string&, const std::string&, const std::string&) override {
    return std::nullopt;
  }
  std::optional<std::string> PickFolder(const std::string&, const std::string&) override { return std::nullopt; }
  std::optional<std::string> OpenFile(const std::string&, const std::string&, const std::string&) override {
    return std::nullopt;
  }
  std::optional<std::string> SaveFile(const std::string&, const std::string&, const std::string&,
                                      const std::string&) override {
    return std::nullopt;
  }

  // Every text once, in the order first shown.
  const std::vector<std::string>& Texts() const { return texts_; }
  // The texts collected since the last call, each once; the list is emptied.
  std::vector<std::string> Take();

private:
  std::vector<std::string> texts_;
  size_t taken_ = 0;
};

// The tool's own temporary folder, removed with everything in it when the
// object goes. When the user has not set KORRIN_HOME, it is pointed at a
// folder inside, so the message record's temporary files never land in the
// user's program folder.
class TWorkFolder {
public:
  TWorkFolder();
  ~TWorkFolder();
  TWorkFolder(const TWorkFolder&) = delete;
  TWorkFolder& operator=(const TWorkFolder&) = delete;

  // All with a trailing separator.
  const std::string& Root() const { return root_; }
  // Where the packet is unpacked.
  std::string PacketFolder() const { return root_ + "packet/"; }
  // Scratch files (message bodies, attachments being decoded).
  std::string ScratchFolder() const { return root_ + "scratch/"; }
  // For the small files rewritten for every message (the message record's
  // temporary files): a private folder in memory (/dev/shm) when the user
  // has not chosen a temporary folder with TMPDIR, else the root.
  const std::string& MemoryFolder() const { return memory_; }

private:
  std::string root_;
  std::string memory_;
  bool homeSet_ = false;
};

// The patterns the main window extracts a packet with, one call each.
const std::vector<std::string>& PacketPatterns();
// The same for a reply packet.
const std::vector<std::string>& ReplyPatterns();
// True when a file name matches "*.ext" or a plain name, ignoring case.
bool MatchesPattern(const std::string& name, const std::string& pattern);

// Unpacks an archive into the folder with one Extract call per pattern, or
// copies the matching files of an unpacked folder. Throws EToolError naming
// the path when nothing could be taken from it.
void UnpackInto(TXceedZip& zip, const std::string& path, const std::string& folder,
                const std::vector<std::string>& patterns);

class TToolPacket {
public:
  explicit TToolPacket(TWorkFolder& work);

  // Opens a packet file or unpacked packet folder. A folder is read where it
  // lies unless `copy` is set (commands that read messages mark them read:
  // they always work on a copy). Throws EToolError when the packet cannot
  // be read.
  void Open(const std::string& path, bool copy);

  const std::string& Source() const { return source_; }
  // The folder the packet is read from, with trailing separator.
  const std::string& Directory() const { return directory_; }
  TMailTree& Tree() { return tree_; }
  TToReader& ToReader() { return toReader_; }
  TXceedZip& Zip() { return zip_; }

  // The conference folder whose index file is the conference's (by the
  // index-file rule), or null.
  TMailTreeNode* FindConference(const std::string& numberText) const;
  TMailTreeNode* Personal() const;
  // Conference folders in display order; Personal Messages only when asked.
  std::vector<TMailTreeNode*> ConferenceNodes(bool withPersonal) const;
  // Messages listed in the folder's index file (0 without one).
  int32_t MessageCount(const TConfRec& record) const;

private:
  TWorkFolder& work_;
  TXceedZip zip_;
  TMailTree tree_;
  TToReader toReader_;
  std::string source_;
  std::string directory_;
};

// The conference number that the index file name of a folder stands for
// ("005.ndx" -> 5); nothing for Personal.ndx and other names.
std::optional<int> ConferenceNumberOf(const TConfRec& record);
bool IsPersonal(const TConfRec& record);

}  // namespace korrin::tool
