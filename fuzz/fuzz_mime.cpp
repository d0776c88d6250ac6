// Any bytes as a message body: scanning and extracting must neither crash nor
// hang, and every attachment name it lists is a plain file name. The same bytes as an
// attachment must come back whole through encoding, part splitting and
// extraction in both forms.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/errors.h"
#include "engine/tessel_mime.h"

using namespace korrin;

namespace {

const std::string& WorkDir() {
  static std::string dir = [] {
    const char* t = std::getenv("TMPDIR");
    std::string tmpl = std::string(t && *t ? t : "/tmp") + "/fuzz-mime-XXXXXX";
    if (!::mkdtemp(tmpl.data())) std::abort();
    static std::string made = tmpl;
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(made, ec);
    });
    return tmpl + "/";
  }();
  return dir;
}

void Write(const std::string& path, const std::string& data) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(data.data(), static_cast<std::streamsize>(data.size()));
}

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void RoundTrip(const std::string& data, TEncodingType form, int64_t first, int64_t later) {
  const std::string& dir = WorkDir();
  Write(dir + "attach.bin", data);
  TTesselMime enc;
  enc.SetEncodingType(form);
  std::string boundary = NewBoundary();
  enc.EncodeFile(dir + "attach.bin", dir + "part", boundary, first, later);
  std::string body = form == TEncodingType::etMime ? "MIME-Version: 1.0\r\n" : "";
  int n = 1;
  for (;; ++n) {
    std::string name = TTesselMime::PartFileName(dir + "part", n);
    if (::access(name.c_str(), F_OK) != 0) break;
    body += Read(name);
    std::remove(name.c_str());
  }
  Write(dir + "joined.txt", body);
  TTesselMime dec;
  if (!dec.ExtractFile(dir + "joined.txt", dir + "back.bin", "attach.bin")) std::abort();
  if (Read(dir + "back.bin") != data) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  const std::string& dir = WorkDir();
  std::string data(reinterpret_cast<const char*>(bytes), size);
  Write(dir + "body.txt", data);

  TTesselMime mime;
  if (size > 0 && (bytes[0] & 1)) mime.SetDisplayableText({TMimeTextType::mttPlain, TMimeTextType::mttHTML});
  mime.ScanFile(dir + "body.txt");
  std::vector<std::string> names = mime.FileNames();
  (void)mime.CurrentBoundary();

  int tried = 0;
  for (const auto& name : names) {
    if (++tried > 4) break;
    TTesselMime extractor;
    try {
      // Every listed name is a plain file name in the folder.
      if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos) std::abort();
      extractor.ExtractFile(dir + "body.txt", dir + "x-" + name, name);
    } catch (const EInOutError&) {
      // A name too long for the file system.
    }
    std::remove((dir + "x-" + name).c_str());
  }
  mime.ExtractFile(dir + "body.txt", dir + "none.bin", "no such name.gif");

  int64_t first = size > 1 ? 60 + bytes[1] * 8 : 62720;
  int64_t later = size > 2 ? 60 + bytes[2] * 8 : 62720;
  RoundTrip(data, TEncodingType::etMime, first, later);
  RoundTrip(data, TEncodingType::etUU, first, later);
  return 0;
}
