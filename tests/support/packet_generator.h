#pragma once
// A deterministic generator of realistic unpacked packets: the same options
// and seed give the same bytes on every run. messages.dat is written as it
// is generated, so packets of hundreds of thousands of messages need little
// memory. Used by the qwkgen tool, the benchmarks and tests.

#include <cstdint>
#include <string>
#include <vector>

#include "support/packet_builder.h"

namespace korrin::test {

struct TGeneratorOptions {
  int conferences = 8;
  int messages = 500;      // in all, spread over the conferences
  int minBody = 200;       // body size in bytes, drawn between these
  int maxBody = 3000;
  uint64_t seed = 1;
  bool personal = true;    // Personal.ndx for the messages to the user
  bool door = true;        // door.id
  bool extensions = true;  // toreader.ext, todoor.ext, attached.lst
  bool newFiles = true;    // newfiles.dat
  int uuencodePercent = 0; // messages that carry a uuencoded file
  int mimePercent = 0;     // messages that are MIME multipart with an attachment
  bool kludges = true;     // kludge and extended header lines in bodies
  TNameCase nameCase = TNameCase::ncLower;
  std::string bbsName = "KORRIN GENERATED BBS";
  std::string bbsId = "GENBBS";
  std::string userName = "JOHN DOE";
};

struct TGeneratedPacket {
  std::string folder;                  // with trailing separator
  std::vector<int> conferenceNumbers;  // in control file order
  std::vector<int> messageCounts;      // per conference, same order
  std::vector<std::string> indexFiles; // names on disk, same order
  int personalCount = 0;
  int64_t messagesBytes = 0;
};

// Writes the packet into the folder (created when missing).
TGeneratedPacket GeneratePacket(const TGeneratorOptions& options, const std::string& folder);

// The small deterministic random source the generator uses (SplitMix64).
class TGeneratorRandom {
public:
  explicit TGeneratorRandom(uint64_t seed) : state_(seed) {}
  uint64_t Next();
  // 0 to n - 1 (0 for n below 1).
  int Below(int n);
  int Between(int lo, int hi);  // inclusive
  bool Percent(int p) { return Below(100) < p; }

private:
  uint64_t state_;
};

}  // namespace korrin::test
