#include "platform/random.h"

#include <chrono>
#include <filesystem>
#include <random>
#include <unistd.h>

#include "platform/paths.h"

namespace korrin {

namespace {
std::mt19937_64& Generator() {
  static std::mt19937_64 gen(0x4b6f7272696eULL);
  return gen;
}

std::string RandomPairs(int pairs) {
  std::string out;
  for (int i = 0; i < pairs; ++i) {
    out.push_back(static_cast<char>('a' + Random(25)));
    out.push_back(static_cast<char>('0' + Random(9)));
  }
  return out;
}
}  // namespace

void Randomize() {
  auto now = static_cast<uint64_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count());
  RandomSeed(now ^ (static_cast<uint64_t>(::getpid()) << 32));
}

void RandomSeed(uint64_t seed) { Generator().seed(seed); }

int Random(int range) {
  if (range <= 0) return 0;
  std::uniform_int_distribution<int> dist(0, range - 1);
  return dist(Generator());
}

std::string RandomName8() { return RandomPairs(4); }
std::string NewEntryKey() { return RandomPairs(8); }

std::string RandomBoxFileName(const std::string& folder) {
  // Drawn names are lower case, so the name itself is the test: no folder
  // scan, which would make filling a box of thousands of files quadratic.
  std::string dir = IncludeTrailingBackslash(folder);
  for (;;) {
    std::string name = RandomName8() + ".qms";
    std::error_code ec;
    if (!std::filesystem::exists(dir + name, ec)) return name;
  }
}

}  // namespace korrin
