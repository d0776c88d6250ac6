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
#include "platform/prompts.h"

using namespace korrin;

namespace {

class TSilentPrompts : public Prompts {
public:
  TBoxAnswer Box(TBoxKind, const std::string&, TBoxButtons, const std::string&) override { return TBoxAnswer::baOk; }
  std::optional<std::string> InputBox(const std::string&, const std::string&, const std::string&) override { return {}; }
  std::optional<std::string> PickFolder(const std::string&, const std::string&) override { return {}; }
  std::optional<std::string> OpenFile(const std::string&, const std::string&, const std::string&) override { return {}; }
  std::optional<std::string> SaveFile(const std::string&, const std::string&, const std::string&,
                                      const std::string&) override { return {}; }
};

const std::string& Dir() {
  // Never destroyed: the clean-up at exit still needs it.
  static const std::string* dir = new std::string([] {
    std::string tmpl = std::filesystem::temp_directory_path().string() + "/fuzz-control-XXXXXX";
    char* made = ::mkdtemp(tmpl.data());
    std::string d = std::string(made ? made : "/tmp") + "/";
    // Index files for a few numbers the input may name.
    for (const char* n : {"000.ndx", "001.NDX", "012.ndx", "1234.ndx", "PERSONAL.NDX"}) std::ofstream(d + n) << "";
    static TSilentPrompts prompts;
    SetPrompts(&prompts);
    return d;
  }());
  static const bool cleanup = std::atexit([] {
    std::error_code ec;
    std::filesystem::remove_all(*dir, ec);
  }) == 0;
  (void)cleanup;
  return *dir;
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
  {
    std::ofstream out(dir + "control.dat", std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
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
