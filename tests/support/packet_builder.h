#pragma once
// Writes unpacked QWK packets byte by byte for tests: control.dat,
// messages.dat, index files (any block numbers, raw bytes too),
// Personal.ndx, door.id, toreader.ext, todoor.ext, attached.lst,
// newfiles.dat and box files, in any letter case of the file names and with
// deliberate damage. It encodes everything itself, independently of the
// engine, so that tests compare the engine against a second opinion.
//
//   TPacketBuilder()
//       .Conference(5, "General")
//       .Message(5, TPacketMessage().From("JOHN SMITH").Subject("Hi").Body("Line 1\nLine 2"))
//       .NameCase(TNameCase::ncUpper)
//       .WriteTo(dir);

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace korrin::test {

enum class TNameCase {
  ncLower,  // control.dat
  ncUpper,  // CONTROL.DAT
  ncMixed,  // Control.dat
};
std::string ApplyNameCase(const std::string& name, TNameCase nameCase);

// BASIC single-precision bytes of a whole number (exact below 2^24), by a
// plain bit recipe of its own.
std::array<unsigned char, 4> BasicBytes(int64_t value);
// One 5-byte index record.
std::string IndexRecord(int64_t block, int conference);
std::string IndexRecordRaw(const std::array<unsigned char, 4>& number, unsigned char conferenceByte);

// One message as it goes into a block file.
struct TPacketMessage {
  char status = ' ';
  std::string number;  // empty: the builder numbers the messages
  std::string date = "01-15-24";
  std::string time = "13:45";
  std::string to = "ALL";
  std::string from = "SYSOP";
  std::string subject = "Test message";
  std::string password;
  std::string refer = "0";
  std::string body;                         // lines separated by "\n"; stored with 0xE3 line ends
  std::optional<std::string> rawBody;       // body bytes stored exactly as given (no padding)
  std::optional<std::string> blockField;    // the six-byte block count field as given
  std::optional<int> conference;            // header conference; defaults to the message's conference
  bool killed = false;
  bool readMark = false;
  char padding = ' ';                       // fill of the last block ('\0' for NUL padding)
  bool personal = false;                    // also listed in Personal.ndx
  std::optional<std::array<unsigned char, 4>> indexNumber;  // raw block number bytes in the index
  std::optional<double> indexBlock;         // block number to write instead of the real one
  std::optional<unsigned char> indexConferenceByte;

  TPacketMessage& Status(char c) { status = c; return *this; }
  TPacketMessage& Number(std::string v) { number = std::move(v); return *this; }
  TPacketMessage& Date(std::string v) { date = std::move(v); return *this; }
  TPacketMessage& Time(std::string v) { time = std::move(v); return *this; }
  TPacketMessage& To(std::string v) { to = std::move(v); return *this; }
  TPacketMessage& From(std::string v) { from = std::move(v); return *this; }
  TPacketMessage& Subject(std::string v) { subject = std::move(v); return *this; }
  TPacketMessage& Password(std::string v) { password = std::move(v); return *this; }
  TPacketMessage& Refer(std::string v) { refer = std::move(v); return *this; }
  TPacketMessage& Body(std::string v) { body = std::move(v); return *this; }
  TPacketMessage& RawBody(std::string v) { rawBody = std::move(v); return *this; }
  TPacketMessage& BlockField(std::string v) { blockField = std::move(v); return *this; }
  TPacketMessage& HeaderConference(int v) { conference = v; return *this; }
  TPacketMessage& Killed(bool v = true) { killed = v; return *this; }
  TPacketMessage& ReadMark(bool v = true) { readMark = v; return *this; }
  TPacketMessage& NulPadding() { padding = '\0'; return *this; }
  TPacketMessage& Personal(bool v = true) { personal = v; return *this; }
  TPacketMessage& IndexNumber(std::array<unsigned char, 4> v) { indexNumber = v; return *this; }
  TPacketMessage& IndexBlock(double v) { indexBlock = v; return *this; }
  TPacketMessage& IndexConferenceByte(unsigned char v) { indexConferenceByte = v; return *this; }
};

// The bytes of a message (header and body blocks); the block count is the
// real one unless blockField overrides it.
std::string EncodeMessageBytes(const TPacketMessage& message, int conference);
// Writes a ".qms" box file (one message, no leading block); returns its path.
std::string WriteBoxFile(const std::string& folder, const TPacketMessage& message, int conference = 0,
                         const std::string& name = "");
// A reply file: the BBSID block, then the messages.
std::string ReplyFileBytes(const std::string& bbsid, const std::vector<std::pair<TPacketMessage, int>>& messages);

class TPacketBuilder {
public:
  TPacketBuilder();

  // control.dat
  TPacketBuilder& BBS(std::string name, std::string id);
  TPacketBuilder& User(std::string name);
  TPacketBuilder& PacketDate(std::string date, std::string time);
  // A conference entry of the list. withIndex writes its index file even
  // when it gets no messages (an empty file).
  TPacketBuilder& Conference(int number, std::string name, bool withIndex = true);
  // A list entry given by its two lines exactly; no index file.
  TPacketBuilder& ConferenceLines(std::string numberLine, std::string nameLine);
  // Replaces line n (1 to 11) of control.dat.
  TPacketBuilder& ControlLine(int n, std::string text);
  // The lines after the list (default WELCOME, NEWS, GOODBYE).
  TPacketBuilder& ControlTrailer(std::vector<std::string> lines);
  // control.dat exactly as given.
  TPacketBuilder& ControlRaw(std::string bytes);
  TPacketBuilder& NoControlFile();
  // Line end of the text files ("\r\n" by default) and whether the last line has one.
  TPacketBuilder& LineEnd(std::string lineEnd);
  TPacketBuilder& FinalLineEnd(bool on);

  // messages.dat and the index files
  TPacketBuilder& Message(int conference, TPacketMessage message);
  TPacketBuilder& LeadingBlock(std::string text);
  // An extra raw index record (after the conference's message records).
  TPacketBuilder& AppendIndexBytes(int conference, std::string bytes);
  // The index file of a conference exactly as given.
  TPacketBuilder& IndexBytes(int conference, std::string bytes);
  TPacketBuilder& PersonalIndex(bool on = true);
  TPacketBuilder& AppendPersonalBytes(std::string bytes);
  // messages.dat cut to this many bytes, or replaced, or left out.
  TPacketBuilder& TruncateMessages(size_t bytes);
  TPacketBuilder& MessagesRaw(std::string bytes);
  TPacketBuilder& NoMessagesFile();

  // Door and extension files, written as given (lines joined with the line end).
  TPacketBuilder& DoorId(std::vector<std::string> lines);
  TPacketBuilder& ToReader(std::vector<std::string> lines);
  TPacketBuilder& ToDoor(std::vector<std::string> lines);
  TPacketBuilder& AttachedList(std::vector<std::string> lines);
  TPacketBuilder& NewFiles(std::vector<std::string> lines);
  // Any other file, bytes exactly as given.
  TPacketBuilder& File(std::string name, std::string bytes);

  // Letter case of every file name, or of one file (by its lower-case name).
  TPacketBuilder& NameCase(TNameCase nameCase);
  TPacketBuilder& FileName(const std::string& lowerName, std::string nameOnDisk);

  // Writes every file into the folder (created when missing); returns the
  // folder with a trailing separator.
  std::string WriteTo(const std::string& folder) const;

  // The bytes the builder writes.
  std::string ControlDat() const;
  std::string MessagesDat() const;
  std::string IndexFile(int conference) const;
  std::string PersonalNdx() const;
  // Name on disk of a file given by its lower-case name ("control.dat", "005.ndx").
  std::string NameOnDisk(const std::string& lowerName) const;
  // Block number of the i-th (0-based) message of a conference in messages.dat.
  int64_t BlockOf(int conference, size_t i) const;
  // "005.ndx" for 5.
  static std::string IndexName(int conference);

private:
  struct TConf {
    std::string numberLine, nameLine;
    int number = -1;  // -1: raw entry
    bool withIndex = false;
  };
  struct TStored {
    int conference;
    TPacketMessage message;
  };
  std::string TextFile(const std::vector<std::string>& lines) const;
  std::vector<int> IndexedConferences() const;
  // Messages laid out: block number of each stored message.
  std::vector<int64_t> Layout() const;

  std::string bbsName_ = "KORRIN TEST BBS", bbsId_ = "TESTBBS", user_ = "JOHN DOE";
  std::string date_ = "01-15-2024", time_ = "13:45:00";
  std::vector<TConf> conferences_;
  std::map<int, std::string> controlLines_;
  std::vector<std::string> trailer_ = {"WELCOME", "NEWS", "GOODBYE"};
  std::optional<std::string> controlRaw_;
  bool noControl_ = false;
  std::string lineEnd_ = "\r\n";
  bool finalLineEnd_ = true;

  std::vector<TStored> messages_;
  std::string leading_ = "Produced by the Korrin packet builder";
  std::map<int, std::string> indexAppend_, indexRaw_;
  bool personal_ = false;
  std::string personalAppend_;
  std::optional<size_t> truncate_;
  std::optional<std::string> messagesRaw_;
  bool noMessages_ = false;

  std::map<std::string, std::vector<std::string>> textFiles_;  // by lower-case name
  std::map<std::string, std::string> rawFiles_;
  TNameCase nameCase_ = TNameCase::ncLower;
  std::map<std::string, std::string> names_;
};

}  // namespace korrin::test
