#pragma once
// The order in which the messages of a box were posted. Box files carry
// random names, so the box keeps a small list beside them, "posting.seq": one
// box file name per line, the oldest first. The reply packet and the Out Box
// list follow it, so a reply and its follow-up reach the board in the order
// they were written.

#include <string>
#include <vector>

namespace korrin {

inline constexpr const char* kPostingSequenceFile = "posting.seq";

// Records box files (paths or names, all in `boxFolder`) as posted last, in
// the order given; with `first`, as posted before every message of the box
// (messages taken back from a reply packet). Names no longer in the box are
// dropped from the list. False when the list could not be written: the
// messages are in the box all the same, only their order is not kept.
bool RecordPosting(const std::string& boxFolder, const std::vector<std::string>& files, bool first = false);

// The ".qms" files of the box (full paths) in posting order: those the list
// names in its order, then any others (written by an older version or
// another program) by modification time, then name.
std::vector<std::string> BoxFilesInPostingOrder(const std::string& boxFolder);

}  // namespace korrin
