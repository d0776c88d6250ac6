#pragma once
// A message as a plain text file (messages dragged out of the list): date,
// To, From and Subject lines, a separator, the subject and the body.

#include <string>

namespace korrin {

class TQWKMsg;
struct TConfRec;

// "Date :         " + the date and time written out ("Monday January 15
// 2024 at 1:45 PM"), or, when the stored date cannot be read, the stored
// date, two blanks and the stored time. The date's separator is the last
// of "-", "/", "\", "," (read as "."), ":", "." that it holds; the fields
// run month, day, year.
std::string MessageDateLine(const std::string& postDate, const std::string& postTime);

// The text file's contents for the message, the body being the bytes the
// record wrote to its body file (lines ending in carriage returns). Lines
// end in CR LF; the text is UTF-8.
std::string MessageTextContents(const TQWKMsg& msg, const std::string& body);

// Writes the message's text file at `path`, its body taken from the
// record's body file "tmpR.txt" in the program folder (the record writes it
// whenever it reads a message). False, after "Could not create file - " +
// path, when the file cannot be written.
bool WriteMessageText(const TQWKMsg& msg, const std::string& path);

// Reads a message (a box file when `boxFile` is given, else the folder's
// message `messageNumber`, 1-based in packet order) into `msg` and writes its text file.
bool ExportMessageText(TQWKMsg& msg, const std::string& packetFolder, const TConfRec& folder, int messageNumber,
                       const std::string& boxFile, const std::string& path);

}  // namespace korrin
