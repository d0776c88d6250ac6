// Archive plugins against the system's zip and unzip, side by side in one run:
//  - extracting a packet-like ZIP (messages.dat of 128-byte blocks of words,
//    about 120 MB unpacked, made with "zip -q -6") against "unzip -o -q";
//  - compressing a 10 MB reply file against "zip -q -6".
// Each figure is the best of several alternating runs. Exit code 1 when a
// ratio is over its limit (1.1 for extracting, 1.3 for compressing).

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "archive/xceed_zip.h"
#include "platform/paths.h"

namespace fs = std::filesystem;
using korrin::TXceedZip;
using korrin::TXcdOverwrite;

namespace {

// Deterministic text: lines of words from a large made-up vocabulary,
// each line padded to a 128-byte block as in a QWK message file.
std::string Blocks(size_t size, unsigned seed) {
  std::vector<std::string> vocabulary;
  unsigned x = seed * 2654435761u + 7;
  auto next = [&] {
    x = x * 1103515245u + 12345u;
    return x >> 8;
  };
  for (int i = 0; i < 40000; ++i) {
    std::string w;
    int len = 2 + static_cast<int>(next() % 8);
    for (int k = 0; k < len; ++k) w += static_cast<char>('a' + next() % 26);
    vocabulary.push_back(w);
  }
  std::string out;
  out.reserve(size + 128);
  std::string block;
  while (out.size() < size) {
    block.clear();
    while (block.size() < 100) {
      // Common words more often than rare ones.
      unsigned r = next();
      size_t index = (r % 50 < 49) ? r % 120 : r % vocabulary.size();
      block += vocabulary[index];
      block += ' ';
    }
    block.resize(126, ' ');
    block += "\xE3 ";  // the QWK line separator
    out += block;
  }
  out.resize(size);
  return out;
}

void Write(const std::string& path, const std::string& data) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(data.data(), static_cast<std::streamsize>(data.size()));
}

std::string Read(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), {});
}

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
  int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  std::string base = korrin::TempFolder() + "korrin-bench-archive-" + std::to_string(::getpid()) + "/";
  fs::create_directories(base + "src");
  std::string pluginDir = korrin::ExecutableFolder();

  // The packet: messages.dat, its index files and the control file.
  std::string src = base + "src/";
  Write(src + "MESSAGES.DAT", Blocks(120u << 20, 1));
  for (int i = 0; i < 20; ++i) Write(src + std::to_string(i) + ".NDX", Blocks(5000 + 500 * i, 10 + i));
  Write(src + "CONTROL.DAT", Blocks(4000, 99));
  std::string packet = base + "PACKET.QWK";
  Run("cd " + Quote(src) + " && zip -q -6 " + Quote(packet) + " *");
  std::printf("packet: %.1f MB packed, %.1f MB unpacked\n", fs::file_size(packet) / 1e6,
              fs::file_size(src + "MESSAGES.DAT") / 1e6);

  TXceedZip xz;
  xz.SetPluginFolder(pluginDir);
  xz.SetOverwrite(TXcdOverwrite::xowAlways);
  xz.SetUsePaths(false);

  double bestUnzip = 1e9, bestOurs = 1e9;
  for (int r = 0; r < rounds; ++r) {
    fs::remove_all(base + "a");
    fs::remove_all(base + "b");
    fs::create_directories(base + "a");
    fs::create_directories(base + "b");
    bestUnzip = std::min(bestUnzip, Seconds([&] { Run("unzip -o -q " + Quote(packet) + " -d " + Quote(base + "a")); }));
    bestOurs = std::min(bestOurs, Seconds([&] {
                          xz.SetZipFileName(packet);
                          xz.SetExtractDirectory(base + "b");
                          if (xz.Extract() != 0) {
                            std::fprintf(stderr, "extract failed: %d\n", xz.LastResult());
                            std::exit(2);
                          }
                        }));
  }
  bool same = Read(base + "a/MESSAGES.DAT") == Read(base + "b/MESSAGES.DAT");
  double extractRatio = bestOurs / bestUnzip;
  std::printf("extract: unzip %.3f s, plugin %.3f s, ratio %.2f (limit 1.10)%s\n", bestUnzip, bestOurs,
              extractRatio, same ? "" : "  OUTPUT DIFFERS");
  fs::remove_all(base + "a");
  fs::remove_all(base + "b");

  // The reply file.
  std::string reply = base + "BBSID.MSG";
  Write(reply, Blocks(10u << 20, 2));
  std::string zipOut = base + "zip.rep", ourOut = base + "ours.rep";
  double bestZip = 1e9, bestPack = 1e9;
  for (int r = 0; r < rounds; ++r) {
    fs::remove(zipOut);
    fs::remove(ourOut);
    bestZip = std::min(bestZip, Seconds([&] { Run("zip -q -6 -j " + Quote(zipOut) + " " + Quote(reply)); }));
    bestPack = std::min(bestPack, Seconds([&] {
                          xz.SetZipFileName(ourOut);
                          xz.SetFilesToProcess({reply});
                          if (xz.Compress() != 0) {
                            std::fprintf(stderr, "compress failed: %d\n", xz.LastResult());
                            std::exit(2);
                          }
                        }));
  }
  double packRatio = bestPack / bestZip;
  std::printf("compress: zip %.3f s (%.2f MB), plugin %.3f s (%.2f MB), ratio %.2f (limit 1.30)\n", bestZip,
              fs::file_size(zipOut) / 1e6, bestPack, fs::file_size(ourOut) / 1e6, packRatio);

  fs::remove_all(base);
  bool ok = same && extractRatio <= 1.10 && packRatio <= 1.30;
  std::printf("%s\n", ok ? "archive figures within limits" : "archive figures OVER LIMITS");
  return ok ? 0 : 1;
}
