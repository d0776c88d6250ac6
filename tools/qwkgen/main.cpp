// qwkgen: writes a synthetic unpacked QWK packet into a folder and, when
// asked, packs it into a ZIP archive.

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/packet_generator.h"

namespace fs = std::filesystem;
using namespace korrin::test;

namespace {

void Usage() {
  std::fprintf(stderr,
               "usage: qwkgen --out DIR [options]\n"
               "  --conferences N     conferences with messages (default 8)\n"
               "  --messages N        messages in all (default 500)\n"
               "  --min-body BYTES    smallest body (default 200)\n"
               "  --max-body BYTES    largest body (default 3000)\n"
               "  --seed N            random seed (default 1)\n"
               "  --uuencode PERCENT  messages with a uuencoded file (default 0)\n"
               "  --mime PERCENT      MIME multipart messages with an attachment (default 0)\n"
               "  --no-personal       no Personal.ndx\n"
               "  --no-door           no door.id\n"
               "  --no-extensions     no toreader.ext, todoor.ext, attached.lst\n"
               "  --no-newfiles       no newfiles.dat\n"
               "  --no-kludges        no kludge or extended header lines\n"
               "  --name-case lower|upper|mixed   letter case of the file names (default lower)\n"
               "  --bbs-id ID         BBSID of the packet (default GENBBS)\n"
               "  --zip FILE          also pack the folder's files into a ZIP archive\n");
}

bool Number(const char* text, long long& out) {
  char* end = nullptr;
  out = std::strtoll(text, &end, 10);
  return end && *end == '\0' && end != text;
}

bool Zip(const std::string& folder, const std::string& zipPath) {
  std::vector<fs::path> files;
  for (const auto& e : fs::directory_iterator(folder))
    if (e.is_regular_file()) files.push_back(e.path());
  std::sort(files.begin(), files.end());
  archive* a = archive_write_new();
  archive_write_set_format_zip(a);
  if (archive_write_open_filename(a, zipPath.c_str()) != ARCHIVE_OK) {
    std::fprintf(stderr, "qwkgen: %s\n", archive_error_string(a));
    archive_write_free(a);
    return false;
  }
  bool ok = true;
  std::vector<char> buf(1 << 16);
  for (const auto& f : files) {
    archive_entry* entry = archive_entry_new();
    archive_entry_set_pathname(entry, f.filename().string().c_str());
    archive_entry_set_size(entry, static_cast<la_int64_t>(fs::file_size(f)));
    archive_entry_set_filetype(entry, AE_IFREG);
    archive_entry_set_perm(entry, 0644);
    archive_entry_set_mtime(entry, 920000000, 0);  // fixed: the same input gives the same archive
    ok = archive_write_header(a, entry) == ARCHIVE_OK;
    std::ifstream in(f, std::ios::binary);
    while (ok && in) {
      in.read(buf.data(), static_cast<std::streamsize>(buf.size()));
      std::streamsize n = in.gcount();
      if (n > 0 && archive_write_data(a, buf.data(), static_cast<size_t>(n)) < 0) ok = false;
    }
    archive_entry_free(entry);
    if (!ok) break;
  }
  if (!ok) std::fprintf(stderr, "qwkgen: %s\n", archive_error_string(a));
  ok = archive_write_close(a) == ARCHIVE_OK && ok;
  archive_write_free(a);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  TGeneratorOptions o;
  std::string out, zip;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&](long long& v) {
      if (i + 1 >= argc || !Number(argv[i + 1], v) || v < 0) {
        std::fprintf(stderr, "qwkgen: %s needs a number\n", arg.c_str());
        std::exit(2);
      }
      ++i;
    };
    auto text = [&]() -> std::string {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "qwkgen: %s needs a value\n", arg.c_str());
        std::exit(2);
      }
      return argv[++i];
    };
    long long v = 0;
    if (arg == "--out") out = text();
    else if (arg == "--zip") zip = text();
    else if (arg == "--conferences") value(v), o.conferences = static_cast<int>(std::min(v, 10000LL));
    else if (arg == "--messages") value(v), o.messages = static_cast<int>(std::min(v, 10000000LL));
    else if (arg == "--min-body") value(v), o.minBody = static_cast<int>(std::min(v, 1000000LL));
    else if (arg == "--max-body") value(v), o.maxBody = static_cast<int>(std::min(v, 1000000LL));
    else if (arg == "--seed") value(v), o.seed = static_cast<uint64_t>(v);
    else if (arg == "--uuencode") value(v), o.uuencodePercent = static_cast<int>(std::min(v, 100LL));
    else if (arg == "--mime") value(v), o.mimePercent = static_cast<int>(std::min(v, 100LL));
    else if (arg == "--no-personal") o.personal = false;
    else if (arg == "--no-door") o.door = false;
    else if (arg == "--no-extensions") o.extensions = false;
    else if (arg == "--no-newfiles") o.newFiles = false;
    else if (arg == "--no-kludges") o.kludges = false;
    else if (arg == "--bbs-id") o.bbsId = text();
    else if (arg == "--name-case") {
      std::string c = text();
      if (c == "lower") o.nameCase = TNameCase::ncLower;
      else if (c == "upper") o.nameCase = TNameCase::ncUpper;
      else if (c == "mixed") o.nameCase = TNameCase::ncMixed;
      else {
        Usage();
        return 2;
      }
    } else if (arg == "--help" || arg == "-h") {
      Usage();
      return 0;
    } else {
      std::fprintf(stderr, "qwkgen: unknown option %s\n", arg.c_str());
      Usage();
      return 2;
    }
  }
  if (out.empty()) {
    Usage();
    return 2;
  }
  if (o.maxBody < o.minBody) o.maxBody = o.minBody;
  try {
    auto packet = GeneratePacket(o, out);
    std::printf("wrote %s: %zu conferences, %d messages, %d personal, messages.dat %lld bytes\n",
                packet.folder.c_str(), packet.conferenceNumbers.size(), o.messages, packet.personalCount,
                static_cast<long long>(packet.messagesBytes));
    if (!zip.empty()) {
      if (!Zip(packet.folder, zip)) return 1;
      std::printf("packed %s\n", zip.c_str());
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "qwkgen: %s\n", e.what());
    return 1;
  }
  return 0;
}
