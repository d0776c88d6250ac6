// Installing the setup package unattended against "unzip -o -q" of its
// install.lib into an empty folder, side by side. The package is built from
// the programs beside this benchmark by scripts/make-setup-package; each
// figure is the best of several alternating runs. Exit code 1 when setup
// takes more than 1.3 times as long.
//
// usage: bench_setup [ROUNDS]

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "platform/paths.h"

namespace fs = std::filesystem;

namespace {

double Seconds(const std::function<void()>& f) {
  auto t0 = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

void Run(const std::string& command) {
  int rc = std::system(command.c_str());
  if (rc != 0) {
    std::fprintf(stderr, "command failed (%d): %s\n", rc, command.c_str());
    std::exit(2);
  }
}

std::string Quote(const std::string& s) { return "'" + s + "'"; }

}  // namespace

int main(int argc, char** argv) {
  int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
  const std::string bin = korrin::ExecutableFolder();
  if (!fs::exists(bin + "korrin") || !fs::exists(bin + "setup")) {
    std::printf("bench_setup: skipped (the reader or setup is not built)\n");
    return 0;
  }
  const std::string source = KORRIN_SOURCE_TREE;
  const std::string base = korrin::TempFolder() + "korrin-bench-setup-" + std::to_string(::getpid()) + "/";
  const std::string package = base + "package/";
  fs::create_directories(base);
  Run(Quote(source + "/scripts/make-setup-package") + " " + Quote(bin) + " " + Quote(package) + " >/dev/null");
  std::printf("install.lib: %.1f MB packed\n", fs::file_size(package + "install.lib") / 1e6);

  // Setup's world: registry, Programs, Windows and system folders of its own.
  for (const char* d : {"data", "config", "windows", "system", "programs", "tmp"}) fs::create_directories(base + d);
  ::setenv("XDG_DATA_HOME", (base + "data").c_str(), 1);
  ::setenv("XDG_CONFIG_HOME", (base + "config").c_str(), 1);
  ::setenv("KORRIN_REGISTRY", (base + "config/registry.db").c_str(), 1);
  ::setenv("KORRIN_WINDOWS_DIR", (base + "windows").c_str(), 1);
  ::setenv("KORRIN_SYSTEM_DIR", (base + "system").c_str(), 1);
  ::setenv("KORRIN_PROGRAMS_DIR", (base + "programs").c_str(), 1);
  ::setenv("TMPDIR", (base + "tmp").c_str(), 1);
  ::unsetenv("KORRIN_PLUGIN_DIR");

  double bestUnzip = 1e9, bestSetup = 1e9;
  for (int r = 0; r < rounds; ++r) {
    const std::string a = base + "unzip-" + std::to_string(r);
    const std::string b = base + "setup-" + std::to_string(r);
    fs::create_directories(a);
    // Each command starts with nothing of the previous round waiting to be
    // written back, so neither pays for the other's files.
    ::sync();
    bestUnzip = std::min(bestUnzip, Seconds([&] { Run("unzip -o -q " + Quote(package + "install.lib") + " -d " + Quote(a)); }));
    ::sync();
    bestSetup = std::min(bestSetup, Seconds([&] {
      Run(Quote(package + "setup") + " --unattended --dest " + Quote(b) + " --group Korrin 2>/dev/null");
    }));
    fs::remove_all(a);
    fs::remove_all(b);
  }
  const double ratio = bestSetup / bestUnzip;
  std::printf("unzip -o -q: %.1f ms   setup --unattended: %.1f ms   ratio %.2f (limit 1.30)\n", bestUnzip * 1e3,
              bestSetup * 1e3, ratio);
  std::error_code ec;
  fs::remove_all(base, ec);
  return ratio <= 1.3 ? 0 : 1;
}
