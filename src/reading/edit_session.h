#pragma once
// The window-free part of the message editor: the message record being
// written with its codec and area-flag reader, the conference list of the
// packet, the forced and chosen status, the sender line, taglines, the
// signature, text import, validation and saving into the Out Box. The
// editor window only shows it and hands it what the user typed.
//
// The window's texts are UTF-8 (what the user types may be any Unicode
// character); the record holds code page 437. Characters the code page
// cannot hold become "?" when the message is stored, and posting first asks
// whether to send it so.

#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/qwk_header.h"
#include "engine/qwk_msg.h"
#include "engine/to_reader.h"
#include "reading/taglines.h"
#include "engine/tessel_mime.h"

namespace korrin {

inline constexpr const char* kEditorCaption = "Korrin Mail Editor";
inline constexpr const char* kStatusPublicText = "P U B L I C";
inline constexpr const char* kStatusPrivateText = "P R I V A T E";
inline constexpr const char* kStatusHint = "Click to change message status|";
inline constexpr const char* kCCHint = "Enter names sepporated by commas (First Name,Second Name,ect.))";
inline constexpr const char* kConfBoxHint = "Select conference to post message in";
inline constexpr const char* kBusyNoticeText = "Formatting message . . .";
inline constexpr const char* kEditorIniSection = "Editor";

inline constexpr const char* kErrNoRecipient = "You can not send a message without a recipient.";
inline constexpr const char* kErrNoSubject = "You must enter a subject for this message";
inline constexpr const char* kErrReadOnlyConference = "Sorry.  This is a Read only conference.";
inline constexpr const char* kErrNoReplies = "Sorry  This conference does not except replies.";
inline constexpr const char* kErrImportLimit = " exceeds the message editors 64k limit.";
inline constexpr const char* kErrImportText = "Either file is to large to import or it contains non ascii characters";
// Line feed, then carriage return, as the editor has always asked it.
inline constexpr const char* kCloseQuestion = "Message has changed.\n\rDo you wish to send message to recipient?";
inline constexpr const char* kTextFileFilter =
    "Text files (*.txt);;Pascal sourse (*.pas *dpf);;C++ source (*.c *.h);;All files (*)";

// A text file of this size or more is not imported.
inline constexpr int64_t kImportLimitBytes = 64001;
// What the editor's fields and text hold, as the window has them (UTF-8).
struct TEditFields {
  std::string To;
  std::string CC;
  std::string Subject;
  std::vector<std::string> Lines;
};

// The same in the message's code page, as it is stored.
struct TComposedMessage {
  std::string To;
  std::string CC;
  std::string Subject;
  std::vector<std::string> Text;
};

// What the editor takes from the settings.
struct TEditOptions {
  std::string EMail;                   // UTF-8
  bool UseMime = true;
  bool AddTags = true;
  std::vector<std::string> Signature;  // code page 437 lines
};

class TEditSession {
public:
  TEditSession();
  TEditSession(const TEditSession&) = delete;
  TEditSession& operator=(const TEditSession&) = delete;

  TQWKMsg& QWKMsg2() { return QWKMsg2_; }
  const TQWKMsg& QWKMsg2() const { return QWKMsg2_; }
  TTesselMime& TesselMime1() { return TesselMime1_; }
  TToReader& ToReader1() { return ToReader1_; }

  const TEditOptions& Options() const { return options_; }
  void SetOptions(const TEditOptions& options) { options_ = options; }
  // The Out Box the message goes into: the post office's at the editor's
  // creation, so that choosing another post office meanwhile cannot send
  // it to another board.
  const std::string& OutBoxFolder() const { return outBoxFolder_; }
  void SetOutBoxFolder(const std::string& folder) { outBoxFolder_ = folder; }
  // The packet folder: the part files of attachments are written there.
  const std::string& PacketFolder() const { return packetFolder_; }
  // The work folder of the reply quote file.
  const std::string& WorkFolder() const { return workFolder_; }
  void SetWorkFolder(const std::string& folder) { workFolder_ = folder; }
  // The clock of the header dates (tests set it).
  std::function<std::time_t()> Now;
  // Shows and hides the busy notice while an attachment is encoded.
  std::function<void(bool)> OnFormatting;

  // --- creation: conference list and user name, first conference, record
  // defaults, taglines from the program folder, forced status, and a random
  // tagline when the option is on.
  void Create(const std::string& packetDirectory, const std::string& programFolder);

  // Fills the list from "control.dat" of the folder; false (after "Could not
  // read file - CONTROL.DAT") when it cannot be read.
  bool LoadConferences(const std::string& packetDirectory);
  // Entries "number name" (code page 437).
  const std::vector<std::string>& Conferences() const { return conferences_; }
  // The user's name from the control file, in proper case.
  const std::string& UserName() const { return userName_; }
  // The selected entry, -1 when none.
  int ConferenceIndex() const { return confIndex_; }
  // Selecting an entry: its number becomes the record's conference, the
  // forced status is applied.
  void ConfBoxChange(int index);
  // The entry whose number is the conference; the first entry when none is
  // (-1 when the list is empty).
  int FindConference(unsigned conference) const;
  // The number an entry starts with (0 when it starts with none).
  static uint16_t ConferenceNumberOf(const std::string& entry);

  // --- status
  // The door's "P" flag makes the message private, "O" public ("O" wins).
  void ApplyForcedStatus();
  bool StatusForced() const { return statusForced_; }
  bool PublicEnabled() const { return publicEnabled_; }
  bool PrivateEnabled() const { return privateEnabled_; }
  // The status area's hint; empty while the status is forced.
  std::string StatusHint() const { return statusForced_ ? std::string() : std::string(kStatusHint); }
  // Public becomes private and the other way round, unless forced.
  void ToggleStatus();
  // The menu's choice, unless forced.
  void ChooseStatus(tStatus status);
  // "P U B L I C" or "P R I V A T E"; empty for the other statuses.
  std::string StatusText() const;
  // The conference's flag texts, as the viewer shows them.
  std::string FlagText() const { return FlagText(QWKMsg2_.AreaFlags()); }
  static std::string FlagText(uint32_t areaFlags);
  // The header refresh: the record's conference follows the selected entry.
  void HeaderRefresh();

  // --- fields
  // A field that is not empty is copied into the record.
  void ToFieldChanged(const std::string& to);
  void SubjectFieldChanged(const std::string& subject);
  // The sender: the user's name, or with "@" in the recipient and an e-mail
  // address set, the name with the address in angle brackets.
  void UpdateSenderLine(const std::string& to);

  // --- taglines (code page 437)
  bool LoadTagLines(const std::string& path);
  const std::vector<std::string>& TagLines() const { return tagLines_; }
  void SetTagLines(std::vector<std::string> lines) { tagLines_ = std::move(lines); }
  // Another tagline than the one shown, at random; it becomes the record's.
  // Nothing (and no change) without taglines.
  std::optional<std::string> PickRandomTagline(const std::string& shown);
  void RemoveTagline() { QWKMsg2_.SetTagline(std::string()); }
  // An Out Box message read back carries its tagline as a text line: it is
  // taken off the text into the record's tagline.
  void TakeTaglineFromText();
  // The attachments of the Out Box message file being edited, decoded into the
  // work folder and added to Attachments(); false (none added) when one fails.
  bool TakeBackAttachments(const std::string& boxFile);

  // --- text
  // Two empty lines, the signature and one empty line (UTF-8).
  std::vector<std::string> SignatureLines() const;
  // The lines of a text file to append (UTF-8; a file that is not UTF-8 is
  // read as code page 437). Nothing after the size message, the read
  // message, or the text message for a file holding NUL bytes.
  static std::optional<std::vector<std::string>> ImportTextFile(const std::string& path);
  // The file a drop names: the names joined with blanks when the first is
  // no file (a name split at its blanks); nothing when the first name is the
  // program's first argument or no file results.
  static std::optional<std::string> DroppedFileName(const std::vector<std::string>& names,
                                                    const std::string& firstArgument);

  // --- posting
  // The four checks of posting, each with its message; the To and Subject
  // checked are the fields the message is saved with.
  bool Validate(const TEditFields& fields) const;
  // The fields in the code page; the characters replaced are added to `replaced` (UTF-8).
  static TComposedMessage Encode(const TEditFields& fields, std::string* replaced = nullptr);
  static std::string ReplacementQuestion(const std::string& replaced);
  // Validates, sets the sender line, asks about replaced characters, composes
  // the message (text only, or one series of messages per attachment) and
  // saves it. True when all of it is in the Out Box (the window then
  // closes); the edited Out Box message's old file is removed only then.
  bool Post(const TEditFields& fields);
  // The Out Box files the last posting wrote, in order.
  const std::vector<std::string>& Posted() const { return posted_; }
  // Stores the fields in the record, numbers and dates it, and writes it to
  // the Out Box under a new random name. The path written, or nothing.
  std::optional<std::string> SaveToOutBox(const TComposedMessage& message);
  // Box files in the Out Box, the edited message's own file left out.
  int OutBoxCount() const;
  const std::string& MessageBoundary() const { return messageBoundary_; }
  void SetMessageBoundary(const std::string& boundary) { messageBoundary_ = boundary; }
  std::vector<std::string>& Attachments() { return attachments_; }
  const std::vector<std::string>& Attachments() const { return attachments_; }

  // --- starting from a loaded source message (the main window's Reply,
  // Forward and Out Box Edit). The field texts are UTF-8.
  struct TEditStart {
    std::string To, CC, Subject;
    unsigned Conference = 0;  // the source's conference, to select
  };
  // A reply: to the source's author (the full address when the header field
  // cut it), from the user, subject with "Re: " unless it holds "RE:", and
  // the source's number as the reference.
  TEditStart PrepareReply();
  // Marks the record before the source is loaded into it.
  void BeginForward() { QWKMsg2_.SetForwardMessage(true); }
  // A forward: from the user, the subject unchanged, no recipient yet.
  TEditStart PrepareForward();
  // Editing an Out Box message: its fields as they were, its tagline back
  // in the tagline bar. Its file is replaced when the message is posted again
  // and stays as it is when the editor is left without posting.
  TEditStart PrepareOutBoxEdit(const std::string& path);
  // The file of the Out Box message being edited (empty otherwise).
  const std::string& EditSource() const { return editSource_; }
  // An edited message that carried attachments keeps its file beside the
  // new one: the text alone cannot bring them back.
  bool KeepEditSource() const { return keepEditSource_; }

  // --- reply quoting: the quoted lines of the record's text, or nothing
  // after "Could not insert quotes.".
  std::optional<std::vector<std::string>> QuoteMessage();
  const std::string& QuoteInitials() const { return quoteInitials_; }

  // The close question is asked only for a changed text.
  static bool AskOnClose(bool textModified) { return textModified; }

private:
  TTesselMime TesselMime1_;
  TToReader ToReader1_;
  TQWKMsg QWKMsg2_;
  TEditOptions options_;
  std::string outBoxFolder_;
  std::string workFolder_;
  std::string packetFolder_;
  std::vector<std::string> posted_;
  std::vector<std::string> conferences_;
  std::string userName_;
  int confIndex_ = -1;
  bool statusForced_ = false;
  bool publicEnabled_ = true;
  bool privateEnabled_ = true;
  std::vector<std::string> tagLines_;
  std::vector<std::string> attachments_;
  std::string messageBoundary_;
  std::string quoteInitials_;
  std::string editSource_;
  bool keepEditSource_ = false;
};

}  // namespace korrin
