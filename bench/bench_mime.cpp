// MIME codec timings against the system's base64 tool on the same data:
// encoding a 10 MB file into a base64 part, and extracting a 10 MB
// attachment from a message body, each the best of five runs. The codec
// should stay within 3 times the tool's time. Exits 1 when it does not.

#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <string>

#include "engine/tessel_mime.h"

using namespace korrin;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

namespace {

double Best(int runs, const std::function<void()>& job) {
  double best = 1e9;
  for (int i = 0; i < runs; ++i) {
    auto t0 = Clock::now();
    job();
    best = std::min(best, std::chrono::duration<double>(Clock::now() - t0).count());
  }
  return best;
}

void Shell(const std::string& command) {
  if (std::system(command.c_str()) != 0) {
    std::fprintf(stderr, "failed: %s\n", command.c_str());
    std::exit(2);
  }
}

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace

int main() {
  const std::string dir = fs::temp_directory_path().string() + "/korrin-bench-mime-" + std::to_string(::getpid()) + "/";
  fs::create_directories(dir);
  const size_t size = 10 * 1024 * 1024;
  {
    std::mt19937_64 gen(42);
    std::string data(size, '\0');
    for (size_t i = 0; i + 8 <= size; i += 8) {
      uint64_t v = gen();
      std::memcpy(&data[i], &v, 8);
    }
    std::ofstream(dir + "data.bin", std::ios::binary).write(data.data(), static_cast<std::streamsize>(size));
  }

  // Encoding: one part, no split.
  TTesselMime mime;
  mime.SetEncodingType(TEncodingType::etMime);
  const std::string boundary = NewBoundary();
  double encode = Best(5, [&] { mime.EncodeFile(dir + "data.bin", dir + "part", boundary, INT64_MAX, INT64_MAX); });
  double toolEncode = Best(5, [&] { Shell("base64 -w 60 '" + dir + "data.bin' > '" + dir + "tool.b64'"); });
  mime.SetEncodingType(TEncodingType::etUU);
  double encodeUU = Best(5, [&] { mime.EncodeFile(dir + "data.bin", dir + "uupart", boundary, INT64_MAX, INT64_MAX); });

  // Extraction: the part inside a message body.
  {
    std::ofstream body(dir + "body.txt", std::ios::binary);
    body << "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=" << boundary << "\r\n\r\n"
         << Read(TTesselMime::PartFileName(dir + "part", 1)) << "\r\n--" << boundary << "--\r\n";
  }
  double extract = Best(5, [&] {
    TTesselMime dec;
    if (!dec.ExtractFile(dir + "body.txt", dir + "back.bin", "data.bin")) std::exit(2);
  });
  double toolDecode = Best(5, [&] { Shell("base64 -d '" + dir + "tool.b64' > '" + dir + "tool.bin'"); });
  double extractUU = Best(5, [&] {
    TTesselMime dec;
    if (!dec.ExtractFile(TTesselMime::PartFileName(dir + "uupart", 1), dir + "backuu.bin", "data.bin")) std::exit(2);
  });
  double scan = Best(5, [&] {
    TTesselMime dec;
    dec.ScanFile(dir + "body.txt");
  });

  bool same = Read(dir + "back.bin") == Read(dir + "data.bin") && Read(dir + "backuu.bin") == Read(dir + "data.bin");
  fs::remove_all(dir);

  double encodeRatio = encode / toolEncode, extractRatio = extract / toolDecode;
  std::printf("mime: 10 MB, best of 5\n");
  std::printf("  EncodeFile base64 %.3f s, base64 tool %.3f s: %.2f x\n", encode, toolEncode, encodeRatio);
  std::printf("  ExtractFile base64 %.3f s, base64 -d tool %.3f s: %.2f x\n", extract, toolDecode, extractRatio);
  std::printf("  EncodeFile uuencode %.3f s, ExtractFile uuencode %.3f s, ScanFile %.3f s\n", encodeUU, extractUU, scan);
  std::printf("  round trip %s\n", same ? "identical" : "DIFFERENT");
  bool ok = same && encodeRatio <= 3.0 && extractRatio <= 3.0;
  std::printf("  %s (limit 3 x)\n", ok ? "within limits" : "OVER LIMIT");
  return ok ? 0 : 1;
}
