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

}  // namespace korrin
