#pragma once
// Writes messages into an mbox mailbox that desktop mail programs read:
// a "From " separator line per message, RFC 5322 headers with RFC 2047
// encoded words for text that is not ASCII, a UTF-8 text body and, for a
// message that carried files, a multipart body with the files in base64.
//
// Body lines that begin with "From " (after any number of ">") get one more
// ">" in front (the mboxrd rule), so no body line is taken for a separator.
// Lines longer than the 998 bytes a mail line may hold make the body
// quoted-printable instead. Each message is written as soon as it is given:
// the writer holds one message at a time.

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "reading/msg_view_header.h"

namespace korrin::tool {

struct TMboxAttachment {
  std::string Name;  // UTF-8 file name
  std::string Path;  // the decoded file
};

// One message, every text in UTF-8.
struct TMboxMessage {
  std::string FromName, ToName, Subject;
  std::string CarbonCopies;  // names separated by commas; empty when none
  std::optional<TMsgDateTime> Date;  // the zone of a BBS is not known
  std::string MessageId;     // without the angle brackets
  std::string InReplyTo;     // likewise; empty when none
  std::vector<std::pair<std::string, std::string>> ExtraHeaders;  // name, value
  bool Read = false;         // "Status: RO"
  std::string Body;          // the text, every line ended by "\n"
  std::vector<TMboxAttachment> Attachments;
};

class TMboxWriter {
public:
  // `domain` completes the addresses made of BBS user names.
  TMboxWriter(std::ostream& out, std::string domain);

  // False when the stream failed or an attachment could not be read.
  bool Write(const TMboxMessage& message);
  int64_t Count() const { return count_; }

private:
  bool WriteAttachment(const TMboxAttachment& attachment, const std::string& boundary);

  std::ostream& out_;
  std::string domain_;
  std::string buffer_;
  int64_t count_ = 0;
};

// --- the pieces, public for tests

// "Name: value" for an unstructured header (Subject, X- headers), folded
// below 78 characters where it has blanks, as encoded words when the value
// is not plain ASCII; no line end.
std::string UnstructuredHeader(std::string_view name, std::string_view utf8);
// The address of a BBS user: an e-mail address found in the name is used
// as it is; other names become a local part of their letters and digits
// joined by dots, at the domain ("John Smith" -> john.smith@domain).
std::string AddressOf(std::string_view name, std::string_view domain);
// "Display Name <address>", the display name quoted or encoded as needed.
std::string Mailbox(std::string_view name, std::string_view domain);
// RFC 2047 encoded words ("=?utf-8?B?...?="), each at most 75 characters,
// separated by a folding line break, never splitting a character.
std::string EncodedWords(std::string_view utf8);
// The mboxrd escape of one body line.
std::string EscapeFromLine(std::string_view line);
// One quoted-printable line (soft breaks included), for a UTF-8 text line.
std::string QuotedPrintableLine(std::string_view line);
// Text usable inside a Message-ID: letters, digits and "!#$%&'*+-/=?^_`{|}~."
// kept, every other byte replaced with "_"; "_" for an empty text.
std::string MessageIdText(std::string_view text);
std::string Base64(std::string_view bytes);
// "Fri, 05 Dec 1997 14:30:00 -0000" (-0000: the zone is not known).
std::string Rfc5322Date(const TMsgDateTime& when);
// "Fri Dec  5 14:30:00 1997", the date of a mailbox "From " line.
std::string MboxFromDate(const TMsgDateTime& when);

}  // namespace korrin::tool
