#pragma once
// The message record: one QWK message in memory — header fields, body text
// and the extra header lines that the QWKE extension carries at the top of
// the body. It reads a message from the packet through a conference index,
// from a box file or from any block file (reply files), and writes it back
// in the block layout with the forward block, the long header lines, the
// carbon-copy lines, the tagline and the tear line.
//
// Bodies are streamed in 4096-byte pieces through the temporary file
// "tmpR.txt" in the program folder (other parts of the program read it
// after a message was read); "tmpmime.txt" holds the displayable lines of a
// MIME message and "tmpS.txt" the body text being written. The whole body
// is kept, however long it is.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/block_file.h"
#include "engine/control_file.h"
#include "engine/extended_headers.h"
#include "engine/qwk_header.h"

namespace korrin {

class TTesselMime;
class TToReader;

inline constexpr const char* kTmpReadFileName = "tmpR.txt";
inline constexpr const char* kTmpMimeFileName = "tmpmime.txt";
inline constexpr const char* kTmpSendFileName = "tmpS.txt";
// The tear line that the record removes before writing holds both texts.
inline constexpr const char* kTearLinePrefix = "--- ";
inline constexpr const char* kTearLineMark = "Korrin v";
// Width of the To, From and Subject header fields.
inline constexpr size_t kQWKNameLength = 25;
// The tagline line: a blank, this byte and the tagline.
inline constexpr char kTaglineMark = '\xFE';

// Original header of a message being forwarded.
struct TForwardHDR {
  std::string OrigFrom;
  std::string OrigTo;
  std::string OrigSubject;
  std::string OrigDate;
};

// Full texts of the header fields that do not fit their 25 characters.
struct TQWKEHdr {
  std::string LongTo;
  std::string LongFrom;
  std::string LongSubject;
  std::string LongReserved;  // carried, never filled
};

// The lines the record shows above the body of a killed message (the
// 300-byte banner, split into lines).
const std::vector<std::string>& KilledBannerLines();
// The banner bytes as they go into "tmpR.txt".
std::string KilledBanner();

// True when a line of the raw body (lines end with 0xE3) is one that the
// record reads differently in a packet message than in a reply or box
// file: a gateway header line ("X-Mail", "X-News", "X-Send", "X-Read",
// "Mime-V", "NNTP-P"), which starts the gateway cut. A body without one
// reads the same either way.
bool BodyHasPacketLines(std::string_view body);

// A kludge line: control information of the networks a message travelled
// through, not text. It starts with 0x01, or with a known "@" word
// ("@MSGID:", "@REPLY:", "@PID:", "@VIA", "@TZUTC:", "@CHRS:" and the like,
// any letter case) ended by ":", a blank or the line end. The record keeps
// kludge lines as lines of the text; the viewers hide them unless asked.
bool IsKludgeLine(std::string_view line);
// The character set named by the first "CHRS:" or "CHARSET:" kludge line
// (0x01 or "@" before the key) whose set the converter knows; empty when none.
std::string KludgeCharset(const std::vector<std::string>& text);
// The text without its kludge lines, or all of it with `showKludges`.
std::vector<std::string> VisibleLines(const std::vector<std::string>& text, bool showKludges);

class TQWKMsg {
public:
  using TStringList = std::vector<std::string>;
  using tOnHDRChange = std::function<void(TQWKMsg* Sender)>;
  using tOnTextChange = std::function<void(TQWKMsg* Sender)>;

  TQWKMsg();
  TQWKMsg(const TQWKMsg&) = delete;
  TQWKMsg& operator=(const TQWKMsg&) = delete;

  // --- reading and writing

  // Reads message n (1-based) of the folder's index file in the packet
  // folder and marks it read in "messages.dat". False when the index file
  // does not exist, "messages.dat" cannot be opened ("Could not read file -
  // Messages.DAT") or record n points at no message; true otherwise (also
  // when n is outside the index: then nothing is read).
  bool LoadFromPacket(const std::string& directory, int32_t n, const TConfRec& folder);
  // Reads the message of a box file. False (after "Could not read file - "
  // + line break + path) when the file cannot be opened.
  bool LoadFromFile(const std::string& path, const TConfRec& folder);
  // Writes the message as a box file, through a temporary name renamed into
  // place; an existing file stays whole when writing fails. False on failure.
  bool SaveToFile(const std::string& path);
  // Reads one message at the file's position and leaves the position after
  // its blocks (the blocks present when the file ends early). False, with
  // the record unchanged, when not a single header byte could be read.
  bool ReadFrom(TBlockFile& file);
  // The same, taking the long fields, identifiers and UTF-8 flag from the
  // extended headers section of the message's offset when there is one.
  bool ReadFrom(TBlockFile& file, const TExtendedHeaders* headers);
  // Writes the message at the file's position and leaves the position after
  // it. False after "Error writing message to tmp file." when nothing could
  // be written.
  bool WriteTo(TBlockFile& file);

  // Copies the body of the current packet message to a text file, 0xE3
  // turned into carriage returns.
  bool ExportBody(const std::string& target);
  // The same for the message of a box file.
  bool ExportBodyFromFile(const std::string& source, const std::string& target);
  // Writes the header back into "messages.dat" with "R" at offset 125, when
  // the index file still exists.
  bool MarkRead();
  // AreaFlags from the linked extension reader for the conference (0 without one).
  void LookupAreaFlags();

  // --- the steps of reading and writing, public for the windows and tests

  // Fields from the header buffer; fires OnHDRChange.
  void ParseHeader();
  // Takes the QWKE header lines (To:, From:, Subject:, Date:, CC:) off the
  // top of the text into the long fields and CarbonCopies.
  void ExtractExtendedHeader();
  // Deletes the last line that holds "--- " and "Korrin v" (a tear line of
  // the program's own), and the empty line after it when that is the last.
  void RemoveTearLine();
  // Fills the header buffer from the fields (block count excepted).
  void BuildHeader();
  // Blocks = (1 + characters of the lines with their line ends) div 128 + 2.
  void EstimateBlocks();

  // --- published properties
  TTesselMime* MimeCTRL() const { return mimeCTRL_; }
  void SetMimeCTRL(TTesselMime* value) {
    if (value != mimeCTRL_) mimeCTRL_ = value;
  }
  TToReader* QWKExtCTRL() const { return qwkExtCTRL_; }
  void SetQWKExtCTRL(TToReader* value) {
    if (value != qwkExtCTRL_) qwkExtCTRL_ = value;
  }
  bool ForwardMessage() const { return forwardMessage_; }
  void SetForwardMessage(bool value) { forwardMessage_ = value; }
  const std::string& Tairline() const { return tairline_; }
  void SetTairline(const std::string& value) { tairline_ = value; }
  bool QWKE() const { return qwke_; }
  void SetQWKE(bool value) { qwke_ = value; }
  const std::string& IndexName() const { return indexName_; }
  void SetIndexName(const std::string& value) { indexName_ = value; }
  bool WasRead() const { return wasRead_; }
  void SetWasRead(bool value) {
    if (value != wasRead_) wasRead_ = value;
  }
  tStatus Status() const { return status_; }
  void SetStatus(tStatus value) {
    if (value != status_) status_ = value;
  }
  const std::string& CarbonCopies() const { return carbonCopies_; }
  void SetCarbonCopies(const std::string& value) { carbonCopies_ = value; }
  uint16_t Conference() const { return conference_; }
  // Stores the number and looks up its area flags.
  void SetConference(uint16_t value);
  const std::string& Tagline() const { return tagline_; }
  void SetTagline(const std::string& value) {
    if (value != tagline_) tagline_ = value;
  }
  const std::string& Number() const { return number_; }
  void SetNumber(const std::string& value) {
    if (value != number_) number_ = value;
  }
  const std::string& PostDate() const { return postDate_; }
  void SetPostDate(const std::string& value) {
    if (value != postDate_) postDate_ = value;
  }
  const std::string& PostTime() const { return postTime_; }
  void SetPostTime(const std::string& value) {
    if (value != postTime_) postTime_ = value;
  }
  const std::string& MsgTo() const { return msgTo_; }
  // Stores NormalizeNameCase(value).
  void SetMsgTo(const std::string& value);
  const std::string& MsgFROM() const { return msgFROM_; }
  // Stores NormalizeNameCase(value).
  void SetMsgFROM(const std::string& value);
  const std::string& Subject() const { return subject_; }
  void SetSubject(const std::string& value) {
    if (value != subject_) subject_ = value;
  }
  const std::string& ReferNum() const { return referNum_; }
  void SetReferNum(const std::string& value) {
    if (value != referNum_) referNum_ = value;
  }
  int32_t Blocks() const { return blocks_; }
  void SetBlocks(int32_t value) { blocks_ = value; }
  bool Alive() const { return alive_; }
  void SetAlive(bool value) {
    if (value != alive_) alive_ = value;
  }
  // The body lines (raw code page 437 bytes, no line ends). The list may be
  // changed in place; SetText copies another list, estimates the blocks and
  // fires OnTextChange.
  const TStringList& Text() const { return text_; }
  TStringList& Text() { return text_; }
  void SetText(const TStringList& value);
  const std::string& ConfName() const { return confName_; }
  void SetConfName(const std::string& value) { confName_ = value; }
  const tOnHDRChange& OnHDRChange() const { return onHDRChange_; }
  void SetOnHDRChange(tOnHDRChange handler) { onHDRChange_ = std::move(handler); }
  const tOnTextChange& OnTextChange() const { return onTextChange_; }
  void SetOnTextChange(tOnTextChange handler) { onTextChange_ = std::move(handler); }

  // --- further state
  // The 128-byte header as last read or built.
  const TQWKHeader& Header() const { return header_; }
  // Replaces the header buffer (ParseHeader then takes the fields from it).
  void SetHeader(const TQWKHeader& header) { header_ = header; }
  const std::string& Password() const { return password_; }
  // Keeps the first 12 characters.
  void SetPassword(const std::string& value);
  const std::string& ReadMark() const { return readMark_; }
  // The two conference bytes of the header (offsets 123 and 124).
  unsigned char ConferenceLow() const { return confLow_; }
  unsigned char ConferenceHigh() const { return confHigh_; }
  const std::string& PacketDirectory() const { return packetDirectory_; }
  // Stores the folder and hands it to the linked extension reader.
  void SetPacketDirectory(const std::string& directory);
  int32_t BlockNumber() const { return blockNumber_; }
  int32_t IndexPosition() const { return indexPosition_; }
  int32_t IndexCount() const { return indexCount_; }
  uint32_t AreaFlags() const { return areaFlags_; }
  const TConfRec& ConfRecord() const { return confRecord_; }
  void SetConfRecord(const TConfRec& record) { confRecord_ = record; }
  TForwardHDR& ForwardHDR() { return forwardHDR_; }
  const TForwardHDR& ForwardHDR() const { return forwardHDR_; }
  TQWKEHdr& QWKEHdr() { return qwkeHdr_; }
  const TQWKEHdr& QWKEHdr() const { return qwkeHdr_; }
  const std::string& LongTo() const { return qwkeHdr_.LongTo; }
  const std::string& LongFrom() const { return qwkeHdr_.LongFrom; }
  const std::string& LongSubject() const { return qwkeHdr_.LongSubject; }
  // Counted body lines above the last gateway header line of the message
  // read last (0: none).
  int32_t KludgePosition() const { return kludgePosition_; }

  // --- extended header and character set of the message read last
  const std::string& MessageID() const { return messageID_; }
  void SetMessageID(const std::string& value) { messageID_ = value; }
  const std::string& InReplyTo() const { return inReplyTo_; }
  void SetInReplyTo(const std::string& value) { inReplyTo_ = value; }
  // The set its text and header fields are in: "UTF-8" when its extended
  // header says so, else the set a "CHRS:" or "CHARSET:" kludge line names,
  // else the board's (CurrentBoardCharset). Set by every read.
  const std::string& Charset() const { return charset_; }
  void SetCharset(const std::string& value) { charset_ = value; }
  // Takes the fields of an extended header section: the long To, From and
  // Subject, the identifiers and the UTF-8 flag.
  void ApplyExtendedHeader(const TExtendedHeader& header);

private:
  // ReadFrom's work. Packet messages get the gateway cut: the lines above
  // the last gateway header line (kludge lines not counted) give way to one
  // empty line. Box and reply files hold what the user wrote: they are read
  // line for line.
  bool ReadMessage(TBlockFile& file, bool packetMessage);
  bool MarkReadIn(TBlockFile& file);
  // Takes the killed-message banner off the top of the text.
  void RemoveKilledBanner();
  void InsertCarbonCopyLines();
  void FireTextChange();
  // Keeps the pending kludge cut in step with text line i leaving the text.
  void LineTakenAt(size_t i);

  TTesselMime* mimeCTRL_ = nullptr;
  TToReader* qwkExtCTRL_ = nullptr;
  bool forwardMessage_ = false;
  std::string tairline_;
  bool qwke_ = false;
  std::string indexName_;
  bool wasRead_ = false;
  tStatus status_ = tStatus::sPublic;
  std::string carbonCopies_;
  uint16_t conference_ = 0;
  std::string tagline_;
  std::string number_;
  std::string postDate_;
  std::string postTime_;
  std::string msgTo_;
  std::string msgFROM_;
  std::string subject_;
  std::string referNum_;
  int32_t blocks_ = 0;
  bool alive_ = true;
  TStringList text_;
  std::string confName_;
  tOnHDRChange onHDRChange_;
  tOnTextChange onTextChange_;

  TQWKHeader header_;
  std::string password_;
  std::string readMark_;
  unsigned char confLow_ = 0, confHigh_ = 0;
  std::string packetDirectory_;
  int32_t blockNumber_ = 0;
  int32_t indexPosition_ = 0;
  int32_t indexCount_ = 0;
  uint32_t areaFlags_ = 0;
  TConfRec confRecord_;
  TForwardHDR forwardHDR_;
  TQWKEHdr qwkeHdr_;
  int32_t kludgePosition_ = 0;
  std::string messageID_, inReplyTo_;
  std::string charset_;
  // The extended header of the message being read, applied by ReadMessage.
  std::optional<TExtendedHeader> pendingHeader_;

  // The kludge cut of the read in progress: lines [cutStart_, cutEnd_).
  bool cutTracked_ = false;
  size_t cutStart_ = 0, cutEnd_ = 0;

  // Buffers reused between messages.
  std::string piece_;
  std::string block_;
  std::vector<std::string> spare_;
};

}  // namespace korrin
