#pragma once
// What every subcommand of korrin-tool needs: its own temporary work
// folder, the prompts of a command line, and the packet opened through a
// reader session the way the main window opens it (unpacked by the archive
// plugins, or copied from an unpacked folder) with its folder tree.

#include <sys/types.h>

#include <atomic>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/prompts.h"
#include "session/reader_session.h"

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

// The prompts of a command line: the boxes the core shows while a command
// works become warning lines, printed once the command has succeeded (a
// command that fails prints its one line only). Every question is answered
// negatively and every dialog cancelled. Installed for its lifetime.
class TToolPrompts : public TStderrPrompts {
public:
  explicit TToolPrompts(std::ostream& err) : err_(err) { SetPrompts(this); }
  ~TToolPrompts() override { SetPrompts(nullptr); }

  TBoxAnswer Box(TBoxKind kind, const std::string& text, TBoxButtons buttons, const std::string& caption) override;
  // Prints the texts shown since the last call as warnings; each text is
  // printed once in a run.
  void PrintWarnings();

private:
  std::ostream& err_;
  std::vector<std::string> texts_;
  size_t printed_ = 0;
};

// The tool's own temporary folder, removed with everything in it when the
// object goes. When the user has not set KORRIN_HOME, it is pointed at a
// folder inside, so the message record's temporary files never land in the
// user's program folder.
class TWorkFolder {
public:
  // All with a trailing separator.
  const std::string& Root() const { return root_; }
  // Scratch files (message bodies, attachments being decoded).
  std::string ScratchFolder() const { return root_ + "scratch/"; }
  // For the small files rewritten for every message (the message record's
  // temporary files): a private folder in memory (/dev/shm) when the user
  // has not chosen a temporary folder with TMPDIR, else the root.
  const std::string& MemoryFolder() const { return memory_; }

  TWorkFolder();
  ~TWorkFolder();
  TWorkFolder(const TWorkFolder&) = delete;
  TWorkFolder& operator=(const TWorkFolder&) = delete;

private:
  std::string root_;
  std::string memory_;
  bool homeSet_ = false;
  // The process that removes the folders should the tool end abruptly.
  pid_t guardian_ = -1;
  int guardianPipe_ = -1;
};

// Has the work folder's guardian remove `path` should the tool end before
// it does so itself.
void RemoveAtExit(const std::string& path);

// True when a file name matches "*.ext" or a plain name, ignoring case.
bool MatchesPattern(const std::string& name, const std::string& pattern);

// A packet opened through a reader session of its own, as the main window
// opens one, but without the settings registry and the post-office list:
// the session's work folder lies in the tool's temporary folder.
class TToolPacket {
public:
  explicit TToolPacket(TWorkFolder& work);

  // Opens a packet file or unpacked packet folder. A folder is read where it
  // lies unless `copy` is set (commands that read messages mark them read:
  // they always work on a copy). Throws EToolError when the packet cannot
  // be read.
  void Open(const std::string& path, bool copy);
  // Takes the files of a reply packet (an archive, an unpacked folder or
  // the reply file itself) into the work folder. Throws EToolError when
  // nothing could be taken from it.
  void OpenReplyFiles(const std::string& path);

  const std::string& Source() const { return source_; }
  // The folder the packet is read from, with trailing separator.
  const std::string& Directory() const { return directory_; }
  TMailTree& Tree() { return session_.Tree(); }
  TToReader& ToReader() { return session_.ToReader(); }

  // The conference folder whose index file is the conference's (by the
  // index-file rule), or null.
  TMailTreeNode* FindConference(const std::string& numberText) const;
  TMailTreeNode* Personal() const;
  // Conference folders in display order; Personal Messages only when asked.
  std::vector<TMailTreeNode*> ConferenceNodes(bool withPersonal) const;
  // Messages listed in the folder's index file (0 without one).
  int32_t MessageCount(const TConfRec& record) const;

private:
  // Unpacks an archive into the work folder with the session, or copies the
  // matching files of an unpacked folder there.
  void Unpack(const std::string& path, bool reply);

  TReaderSession session_;
  std::string source_;
  std::string directory_;
};

// The conference number that the index file name of a folder stands for
// ("005.ndx" -> 5); nothing for Personal.ndx and other names.
std::optional<int> ConferenceNumberOf(const TConfRec& record);
bool IsPersonal(const TConfRec& record);

}  // namespace korrin::tool
