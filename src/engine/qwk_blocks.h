#pragma once
// Messages as 128-byte blocks: a header block and the body blocks after it.
// Writing (reply files, ".qms" box files), body export, and the reply file's
// leading block.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/block_file.h"
#include "engine/qwk_header.h"

namespace korrin {

inline constexpr const char* kErrWritingMessage = "Error writing message to tmp file.";
inline constexpr const char* kErrReadBoxFile = "Could not read file - \n";  // followed by the path
inline constexpr const char* kErrWriteFile = "Could not write file - ";    // followed by the path
inline constexpr const char* kBoxFileExt = ".qms";
// The largest count the six-character block field can hold.
inline constexpr int32_t kMaxBlockCount = 999999;

// The body as written: each line with at most one trailing line feed and
// then at most one trailing carriage return removed, followed by one
// carriage return.
std::string BodyText(const std::vector<std::string>& lines);
// Blocks of a message with these lines, header included: body text length
// div 128 + 2; 0 for a message without any body line; -1 when the count
// would not fit the six-character field.
int32_t BlockCountFor(const std::vector<std::string>& lines);

// The bytes of a whole message: the header with its block count set, then
// the body blocks (blanks, filled with the body text, carriage return ->
// 0xE3, line feed -> blank). Empty when the body needs more blocks than the
// count field can hold.
std::string EncodeMessage(TQWKHeader& header, const std::vector<std::string>& lines);
// Writes the message at the file's position and returns the block count
// written, or -1 after "Error writing message to tmp file." when the
// message could not be written (too large, or the file refused the data).
// The message is assembled in memory first, so nothing of a message that is
// too large reaches the file.
int32_t WriteMessage(TBlockFile& file, TQWKHeader& header, const std::vector<std::string>& lines);

// Body pieces of at most 4096 bytes, read from the file's position until
// `length` bytes are read or the file ends. The callback returns false to
// stop early. Returns the bytes delivered.
inline constexpr size_t kBodyPieceSize = 4096;
int64_t ReadBodyPieces(TBlockFile& file, int64_t length, const std::function<bool(std::string_view)>& piece);

// Copies the body of the message whose header starts at `headerOffset` of
// the open file to a text file, every 0xE3 replaced with a carriage return
// and nothing else changed. "Could not write file - " + target when the
// target cannot be written.
bool CopyBodyToTextFile(TBlockFile& file, int64_t headerOffset, const std::string& target);
// The same for a box file (its message starts at offset 0). "Could not read
// file - " + line break + path when the box file cannot be opened.
bool ExportBodyFromFile(const std::string& source, const std::string& target);

// Box files.
// Reads the first 128 bytes of a box file (padded with blanks when shorter);
// false when the file cannot be opened.
bool ReadBoxHeader(const std::string& path, TQWKHeader& header);
// Path of a new box file in the folder under a random name ("a0b1c2d3.qms").
std::string NewBoxFilePath(const std::string& folder);
// Writes one message as a box file, through a temporary name renamed into
// place. Returns the block count, or -1 (reported) on failure.
int32_t WriteBoxFile(const std::string& path, TQWKHeader& header, const std::vector<std::string>& lines);

// Reply files.
// BBSID + ".msg".
std::string ReplyFileName(const std::string& bbsid);
// The reply file's leading block: the BBSID trimmed, left-justified and
// padded with blanks to 128 bytes.
std::string ReplyFileFirstBlock(const std::string& bbsid);
// The BBSID held in a reply file's leading block (trailing blanks removed).
std::string ReplyFileBBSID(std::string_view firstBlock);

}  // namespace korrin
