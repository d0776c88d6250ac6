#pragma once
// Index files for packets that come without them: messages.dat is walked
// once, header by header, and each conference met gets an index file
// listing its messages in file order.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace korrin {

// Block numbers of the messages of messages.dat in the folder, by the
// conference number of their headers. Records that are no message (status
// "V" of voting boards, blocks of blanks or NULs) are left out.
std::map<uint16_t, std::vector<int64_t>> ScanMessageConferences(const std::string& directory);

// True when the folder holds an index file ("*.ndx", Personal.ndx included).
bool HoldsIndexFiles(const std::string& directory);

// Writes "NNN.ndx" for every conference of messages.dat when the folder
// holds no index file at all; returns the number of files written.
int WriteIndexFilesFromMessages(const std::string& directory);

// Conference index files ("NNN.ndx") none of whose records points at a
// message header of messages.dat (records beyond the file, or at blocks
// whose block count is no number): such files come from doors that number
// blocks wrongly. Names as found on disk. The first and the last record
// are tried first, so a sound index costs one or two header reads.
std::vector<std::string> BrokenIndexFiles(const std::string& directory);

// Rewrites the broken index files of the folder from messages.dat (one
// streamed walk); returns the number of files rewritten.
int RepairIndexFiles(const std::string& directory);

}  // namespace korrin
