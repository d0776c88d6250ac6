// The message record's throughput.
//
// 1. Reading: a generated packet of 100,000 messages (bodies of 0.5 to 8 KB,
//    kludge and extended header lines in some) is read message by message
//    with LoadFromPacket, every conference from its first record to its
//    last, as the viewer does when the user pages through a packet. Each
//    read opens "messages.dat" and the index, streams the body through
//    "tmpR.txt" and marks the message read. The resident memory is sampled
//    after 10,000 messages and at the end. Target: 20,000 messages per
//    second or more, memory flat.
// 2. Writing: 1,000 of those messages written with WriteTo into one reply
//    file (the record loaded before each, as the reply-packet builder does
//    with LoadFromFile from the Out Box). Target: under 0.5 s for the writes.
//
// The packet is written first (page cache warm). Exits 1 when a target is missed.

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/control_file.h"
#include "engine/qwk_blocks.h"
#include "engine/qwk_msg.h"
#include "engine/to_reader.h"
#include "engine/tessel_mime.h"
#include "support/packet_generator.h"

using namespace korrin;
using namespace korrin::test;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

namespace {

double Since(Clock::time_point t0) { return std::chrono::duration<double>(Clock::now() - t0).count(); }

// Resident memory in KB (current, not the peak).
long ResidentKB() {
  std::ifstream statm("/proc/self/statm");
  long size = 0, resident = 0;
  statm >> size >> resident;
  return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

struct TFolder {
  TConfRec rec;
  int count;
};

}  // namespace

int main(int argc, char** argv) {
  int messages = argc > 1 ? std::atoi(argv[1]) : 100000;
  const std::string root = fs::temp_directory_path().string() + "/korrin-bench-msg-" + std::to_string(::getpid()) + "/";
  fs::create_directories(root + "home");
  ::setenv("KORRIN_HOME", (root + "home").c_str(), 1);  // the temporary files go there

  TGeneratorOptions options;
  options.messages = messages;
  options.conferences = 8;
  options.minBody = 500;
  options.maxBody = 8192;
  options.seed = 7;
  auto t0 = Clock::now();
  TGeneratedPacket packet = GeneratePacket(options, root + "packet");
  std::printf("packet: %d messages, messages.dat %.1f MB, generated in %.1f s\n", messages,
              packet.messagesBytes / 1048576.0, Since(t0));

  std::vector<TFolder> folders;
  for (size_t i = 0; i < packet.conferenceNumbers.size(); ++i) {
    TConfRec rec;
    rec.Name = "Conference " + std::to_string(packet.conferenceNumbers[i]);
    rec.IndexFile = packet.indexFiles[i];
    rec.Ordinal = static_cast<int32_t>(i + 1);
    folders.push_back({rec, packet.messageCounts[i]});
  }

  // 1. Reading every message.
  TQWKMsg msg;
  long read = 0, lines = 0, sampleKB = 0;
  int64_t bodyBytes = 0;
  t0 = Clock::now();
  for (const auto& f : folders) {
    for (int n = 1; n <= f.count; ++n) {
      if (!msg.LoadFromPacket(packet.folder, n, f.rec)) {
        std::fprintf(stderr, "message %d of %s not read\n", n, f.rec.IndexFile.c_str());
        return 2;
      }
      ++read;
      lines += static_cast<long>(msg.Text().size());
      for (const auto& l : msg.Text()) bodyBytes += static_cast<int64_t>(l.size()) + 1;
      if (read == 10000) sampleKB = ResidentKB();
    }
  }
  double readSeconds = Since(t0);
  long endKB = ResidentKB();
  double rate = static_cast<double>(read) / readSeconds;
  std::printf("LoadFromPacket: %ld messages (%ld lines, %.1f MB of text) in %.2f s = %.0f messages/s\n", read,
              lines, bodyBytes / 1048576.0, readSeconds, rate);
  std::printf("resident memory: %ld KB after 10,000 messages, %ld KB after %ld\n", sampleKB, endKB, read);

  // The viewer's record: MIME codec and extension reader linked (for information).
  {
    TTesselMime mime;
    TToReader ext;
    TQWKMsg viewer;
    viewer.SetMimeCTRL(&mime);
    viewer.SetQWKExtCTRL(&ext);
    long n = 0;
    t0 = Clock::now();
    for (const auto& f : folders)
      for (int i = 1; i <= f.count && n < 10000; ++i, ++n) viewer.LoadFromPacket(packet.folder, i, f.rec);
    std::printf("with codec and extension reader linked: %.0f messages/s\n", static_cast<double>(n) / Since(t0));
  }

  // 2. Writing 1,000 messages into one reply file.
  const int toWrite = 1000;
  TBlockFile reply;
  if (!reply.Open(root + "GENBBS.MSG", TOpenMode::omCreate)) return 2;
  reply.Write(ReplyFileFirstBlock("GENBBS"));
  TQWKMsg out;
  out.SetTairline("Korrin v1 . 3");
  double writeSeconds = 0;
  int written = 0;
  t0 = Clock::now();
  for (const auto& f : folders) {
    for (int n = 1; n <= f.count && written < toWrite; ++n, ++written) {
      out.LoadFromPacket(packet.folder, n, f.rec);
      auto w0 = Clock::now();
      if (!out.WriteTo(reply)) return 2;
      writeSeconds += Since(w0);
    }
  }
  double loadAndWrite = Since(t0);
  reply.Close();
  std::printf("WriteTo: %d messages into one reply file (%.1f MB) in %.3f s (with the loads %.3f s)\n", written,
              fs::file_size(root + "GENBBS.MSG") / 1048576.0, writeSeconds, loadAndWrite);

  // The same as the reply-packet builder: each message from a box file.
  {
    std::vector<std::string> boxes;
    TQWKMsg m;
    int k = 0;
    for (const auto& f : folders)
      for (int n = 1; n <= f.count && k < toWrite; ++n, ++k) {
        m.LoadFromPacket(packet.folder, n, f.rec);
        TBlockFile box;
        std::string path = root + "box" + std::to_string(k) + ".qms";
        box.Open(path, TOpenMode::omCreate);
        m.WriteTo(box);
        boxes.push_back(path);
      }
    TBlockFile rep;
    rep.Open(root + "GENBBS2.MSG", TOpenMode::omCreate);
    rep.Write(ReplyFileFirstBlock("GENBBS"));
    TConfRec outBox;
    outBox.Name = kOutBoxName;
    outBox.Kind = TFolderKind::fkOutBox;
    t0 = Clock::now();
    for (const auto& b : boxes) {
      out.LoadFromFile(b, outBox);
      out.WriteTo(rep);
    }
    std::printf("LoadFromFile + WriteTo of %zu box files: %.3f s\n", boxes.size(), Since(t0));
  }

  std::error_code ec;
  fs::remove_all(root, ec);

  bool ok = true;
  if (rate < 20000) {
    std::printf("FAIL: reading below 20,000 messages per second\n");
    ok = false;
  }
  if (endKB > sampleKB + 16 * 1024) {
    std::printf("FAIL: memory grew by %ld KB\n", endKB - sampleKB);
    ok = false;
  }
  if (writeSeconds >= 0.5) {
    std::printf("FAIL: writing 1,000 messages took 0.5 s or more\n");
    ok = false;
  }
  return ok ? 0 : 1;
}
