#pragma once
// Composition of outgoing messages: the MIME framing of the text and the
// encoding of attached files into Out Box messages. An attached file is
// encoded by the codec into numbered part files of limited size (base64 in
// a MIME multipart body, or a uuencoded block when MIME is off); every part
// becomes one Out Box message.
//
// A posting (the text and every attachment) goes into the Out Box whole or
// not at all: when any step fails, the messages already saved for it are
// removed again and the caller keeps what the user wrote.
//
// Several attachments: the user's text travels once, with the first
// attachment. Each further attachment starts a message series of its own
// (its own boundary, multipart header and closing delimiter, no text), so
// every attachment can be joined and decoded from its own messages alone.
// The messages of one posting are recorded in the box's posting order, so
// the reply packet carries the parts of an attachment in their order. A tagline is written
// only into messages that end a series: inside an encoded attachment its
// letters would be decoded as data.

#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace korrin {

class TQWKMsg;
class TTesselMime;

// The characters (line ends not counted) one message may carry: 490 blocks.
inline constexpr int64_t kMessageBudget = 62720;
inline constexpr const char* kFormattingNotice = "Formatting message . . .";

class TMimeCompose {
public:
  using TStringList = std::vector<std::string>;
  // Saves one message with this text to the Out Box (the editor's
  // SaveToOutBox: the header fields from its edits, number, date, time,
  // conference). The path of the file written, nothing on failure (after
  // telling the user).
  using tSaveToOutBox = std::function<std::optional<std::string>(const TStringList& text)>;

  TMimeCompose();
  ~TMimeCompose();
  TMimeCompose(const TMimeCompose&) = delete;
  TMimeCompose& operator=(const TMimeCompose&) = delete;

  // The codec that encodes; without one the composer uses its own.
  TTesselMime* MimeCTRL() const { return mime_; }
  void SetMimeCTRL(TTesselMime* value) { mime_ = value; }
  // The record being posted: its tagline is held back from messages that
  // do not end a series. Optional.
  TQWKMsg* Message() const { return msg_; }
  void SetMessage(TQWKMsg* value) { msg_ = value; }
  // The "Use Mime" setting: attachments as MIME parts (base64), else
  // uuencoded. Text-only messages are plain text either way.
  bool UseMime() const { return useMime_; }
  void SetUseMime(bool value) { useMime_ = value; }
  // Where the part files are written: the packet's work folder. When it is
  // empty or not usable, or holds the attached file itself, a private folder
  // in the temporary folder is used.
  const std::string& PacketFolder() const { return packetFolder_; }
  void SetPacketFolder(const std::string& value) { packetFolder_ = value; }
  // The boundary of the message composed last.
  const std::string& MessageBoundary() const { return boundary_; }

  tSaveToOutBox SaveToOutBox;
  // Shows (true) and hides (false) the busy notice kFormattingNotice.
  std::function<void(bool)> OnFormatting;

  // Posts the text with the attachments (none: a text-only message). True
  // when every message was saved; otherwise the messages saved for this
  // posting are removed again, the user has been told, and false.
  bool Post(const TStringList& text, const std::vector<std::string>& attachments);
  // The same, giving the paths of the messages saved, in posting order.
  std::optional<std::vector<std::string>> PostMessages(const TStringList& text,
                                                       const std::vector<std::string>& attachments);

  // The single steps of Post. Each returns the paths of the messages it
  // saved (nothing when it failed; what it saved is removed again).
  // The text-only message: the plain text, with or without MIME.
  std::optional<std::vector<std::string>> ComposeTextOnly(const TStringList& text);
  // The message series of one attachment: one message per part file, as
  // many as the encoding gives. `text` is the user's text for
  // the first attachment, nullptr for the further ones (no text part).
  // Raises nothing: a file that cannot be encoded is reported.
  std::optional<std::vector<std::string>> ComposeWithAttachment(const std::string& path, const TStringList* text);

  // --- the framing, public for tests and the editor
  // Empty line, "--" + boundary, the text/plain line (charset IBM437) and
  // the 8bit transfer-encoding line, empty line.
  static TStringList TextPartHeader(const std::string& boundary);
  // Empty line, "[This is a multi-part message in MIME format.]", empty
  // line, "MIME-Version: 1.0", the multipart/mixed line with the boundary, empty line.
  static TStringList MultipartHeader(const std::string& boundary);
  // Empty line, "--" + boundary + "--", empty line.
  static TStringList ClosingLines(const std::string& boundary);
  // Characters of the lines, line ends not counted.
  static int64_t TextLength(const TStringList& lines);
  // The attachment's file name up to its first "." (the whole name when it
  // has none; "attach" when nothing is left).
  static std::string PartBaseName(const std::string& path);
  // The question asked for a dropped file.
  static std::string DropQuestion(const std::string& fileName, bool useMime);
  // The attachment list's caption of a file: its name in lower case.
  static std::string AttachmentCaption(const std::string& path);
  // Removes every part file of the base name in the folder (base + ".0" +
  // digits, whatever the letter case). False when one could not be removed.
  static bool RemovePartFiles(const std::string& folder, const std::string& base);

private:
  std::optional<std::vector<std::string>> Series(const std::string& path, const TStringList* text);
  std::optional<std::string> Save(const TStringList& text, bool endsSeries);
  std::string PartFolder(const std::string& source);
  static void RemoveMessages(const std::vector<std::string>& paths);

  TTesselMime* mime_ = nullptr;
  std::unique_ptr<TTesselMime> ownMime_;
  TQWKMsg* msg_ = nullptr;
  bool useMime_ = true;
  std::string packetFolder_;
  std::string privateFolder_;
  std::string boundary_;
};

// The Out Box save of a record, for callers that hold no edits: the record
// takes the text, Number = the count of "*.qms" files in the folder + 1,
// PostDate and PostTime = `now`, and writes itself under a new random
// ".qms" name. The path, or nothing after "Could not write file - " + path.
std::optional<std::string> SaveRecordToOutBox(TQWKMsg& msg, const std::string& outBoxFolder,
                                              const std::vector<std::string>& text, std::time_t now);

}  // namespace korrin
