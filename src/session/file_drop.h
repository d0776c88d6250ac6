#pragma once
// Files dropped on the main window, or named on the command line: packets
// and reply packets are opened, a reply packet for the board whose BBSID
// its name gives.

#include <functional>
#include <string>
#include <vector>

namespace korrin {

class TReaderSession;

inline constexpr const char* kNoPostOfficeForReply =
    "A postoffice maching the name of the reply packetcould not be found.";

// The dropped file: the first name when it is a file, else all names joined
// with single blanks (a long name split at its blanks); empty when neither
// names an existing file.
std::string DroppedPath(const std::vector<std::string>& names);

// The BBSID a reply packet's name gives: its name without folder and without
// the last four characters.
std::string ReplyPacketBBSID(const std::string& path);

enum class TDropOutcome {
  doIgnored,         // no file
  doKeptPacket,      // the open packet could not be closed
  doPacket,          // a packet was opened (or its opening reported its failure)
  doReplyPacket,     // a reply packet was read into its post office's Out Box
  doReplyFailed,     // the reply packet's reading reported its failure
  doNoPostOffice,    // no post office matches the reply packet's name
};

struct TDropHooks {
  // Opens a mail packet the way the window's Open command does (progress
  // box, first conference, first message); true when it was opened.
  std::function<bool(const std::string& path)> OpenPacket;
  // The tree now shows another post office: the window refreshes what follows it.
  std::function<void()> PostOfficeChanged;
};

// Opens a dropped file. With a packet open, the current post office's reply
// packet is read at once; anything else closes the packet first. A mail
// packet is opened like the Open command opens it, so dropping it leaves
// the same files as opening it from the menu. Another reply packet goes to
// the post office whose BBSID its name gives; when there is none the
// warning is shown and the current post office stays current.
TDropOutcome OpenDroppedFile(TReaderSession& session, const std::string& path, const TDropHooks& hooks = {});

}  // namespace korrin
