#pragma once
// The program-wide pseudo-random generator, seeded once at start (tests seed
// it themselves), and the random names drawn from it.

#include <cstdint>
#include <string>

namespace korrin {

// Seeds from the clock and the process id.
void Randomize();
void RandomSeed(uint64_t seed);
// A number from 0 to range - 1 (0 when range is 0 or negative).
int Random(int range);

// Eight characters: four pairs of a letter "a"-"y" and a digit "0"-"8".
std::string RandomName8();
// Sixteen characters of the same pairs: an address-book entry key.
std::string NewEntryKey();
// A free ".qms" file name in the folder (without the folder): names are drawn
// until one does not exist yet, so a new box file never replaces another.
std::string RandomBoxFileName(const std::string& folder);

}  // namespace korrin
