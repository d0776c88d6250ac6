// Any bytes as control.dat: the tree's reading (every option), the user name
// and both plain conference list readers.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "engine/control_file.h"
#include "fuzz_support.h"

using namespace korrin;

namespace {
const std::string& Dir() {
  static const std::string& dir = [] () -> const std::string& {
    const std::string& d = fuzz::WorkFolder("control");
    // Index files for a few numbers the input may name.
    for (const char* n : {"000.ndx", "001.NDX", "012.ndx", "1234.ndx", "PERSONAL.NDX"}) std::ofstream(d + n) << "";
    return d;
  }();
  return dir;
}

struct TCounting : TControlFileVisitor {
  size_t items = 0;
  void OnPersonal(const TConfRec&) override { ++items; }
  void OnGroup(const std::string& g) override { items += g.size() > 0; }
  bool OnConference(const TConfRec& r, const TConferenceEntry& e) override {
    ++items;
    return (r.Ordinal + e.Caption.size()) % 7 != 0;  // some refused, as a full tree would
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& dir = Dir();
  fuzz::WriteInput(dir + "control.dat", std::string_view(reinterpret_cast<const char*>(data), size));
  for (int opt = 0; opt < 8; ++opt) {
    PacketIdentity id;
    TCounting visitor;
    ReadControlFile(dir, id, {(opt & 1) != 0, (opt & 2) != 0, (opt & 4) != 0}, &visitor);
  }
  ReadPacketUserName(dir);
  ReadConferenceList(dir, TCountRule::crBlanksRemoved);
  ReadConferenceList(dir, TCountRule::crFirstWord);
  return 0;
}
