// Any bytes as Door.id.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "engine/door_control.h"
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
    std::string tmpl = std::filesystem::temp_directory_path().string() + "/fuzz-doorid-XXXXXX";
    char* made = ::mkdtemp(tmpl.data());
    static TSilentPrompts prompts;
    SetPrompts(&prompts);
    return std::string(made ? made : "/tmp") + "/";
  }());
  static const bool cleanup = std::atexit([] {
    std::error_code ec;
    std::filesystem::remove_all(*dir, ec);
  }) == 0;
  (void)cleanup;
  return *dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& dir = Dir();
  {
    std::ofstream out(dir + "DOOR.ID", std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  TDoorControl door;
  door.ReadDoorId(dir);
  volatile bool sink = door.HasDoorIdentity() && door.DoorType() <= 10 && door.MaxKeywords() >= 0;
  (void)sink;
  return 0;
}
