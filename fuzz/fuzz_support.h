#pragma once
// Shared scaffolding of the fuzz targets: a private work folder removed at
// exit, prompts that show nothing, and writing the input to a file.

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>

#include "platform/prompts.h"

namespace korrin::fuzz {

class TSilentPrompts : public Prompts {
public:
  TBoxAnswer Box(TBoxKind, const std::string&, TBoxButtons, const std::string&) override { return TBoxAnswer::baOk; }
  std::optional<std::string> InputBox(const std::string&, const std::string&, const std::string&) override { return {}; }
  std::optional<std::string> PickFolder(const std::string&, const std::string&) override { return {}; }
  std::optional<std::string> OpenFile(const std::string&, const std::string&, const std::string&) override { return {}; }
  std::optional<std::string> SaveFile(const std::string&, const std::string&, const std::string&,
                                      const std::string&) override {
    return {};
  }
};

// The target's work folder (with trailing separator), made on first use;
// installs the silent prompts at the same time.
inline const std::string& WorkFolder(const char* tag) {
  // Never destroyed: the clean-up at exit still needs it.
  static const std::string* dir = new std::string([tag] {
    std::string tmpl = std::filesystem::temp_directory_path().string() + "/fuzz-" + tag + "-XXXXXX";
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

inline void WriteInput(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace korrin::fuzz
