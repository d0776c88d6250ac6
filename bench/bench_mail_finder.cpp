// The mail finder's search over a whole packet.
//
// A generated packet of 100,000 messages in 8 conferences (about 180 MB of
// messages.dat) is searched through TMailFinder as the finder window runs
// it: every folder from the first, events pumped through ProcessMessages.
// 1. Text search ("Containing text :", case ignored) for one word; beside it
//    `grep -c` of the same word over messages.dat in the same run, and the
//    ratio. Target: at most 2 s, events pumped at least every 50 ms.
// 2. From-only search (headers only, no body read). Target: at most 0.5 s.
// The resident memory growth over the packet is reported (target: under
// 50 MB). The page cache is warmed first. Exits 1 when a target is missed.

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/mail_tree.h"
#include "explorer/mail_finder.h"
#include "support/packet_generator.h"

using namespace korrin;
using namespace korrin::test;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

namespace {

double Since(Clock::time_point t0) { return std::chrono::duration<double>(Clock::now() - t0).count(); }

long ResidentKB() {
  std::ifstream statm("/proc/self/statm");
  long size = 0, resident = 0;
  statm >> size >> resident;
  return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

struct TRun {
  double seconds = 0;
  double longestGap = 0;  // between event pumps, start and end included
  size_t hits = 0;
  int64_t examined = 0;
};

TRun Search(TMailTree& tree, const TSearchCriteria& c) {
  TMailFinder finder(tree);
  TSearchCriteria all = c;
  all.IncludeSubfolders = true;
  finder.SetCriteria(all);
  TRun r;
  auto t0 = Clock::now();
  auto last = t0;
  finder.ProcessMessages = [&] {
    auto now = Clock::now();
    r.longestGap = std::max(r.longestGap, std::chrono::duration<double>(now - last).count());
    last = now;
  };
  finder.Run(0);
  r.longestGap = std::max(r.longestGap, Since(last));
  r.seconds = Since(t0);
  r.hits = finder.Hits().size();
  r.examined = finder.ExaminedCount();
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  int messages = argc > 1 ? std::atoi(argv[1]) : 100000;
  // A word of nearly every message, and one of none (the whole packet is read either way).
  std::vector<std::string> words = {"modem", "zebra"};
  if (argc > 2) words = {argv[2]};
  const std::string root = fs::temp_directory_path().string() + "/korrin-bench-finder-" + std::to_string(::getpid()) + "/";
  fs::create_directories(root + "home");
  ::setenv("KORRIN_HOME", (root + "home").c_str(), 1);

  TGeneratorOptions options;
  options.messages = messages;
  options.conferences = 8;
  options.seed = 11;
  auto t0 = Clock::now();
  TGeneratedPacket packet = GeneratePacket(options, root + "packet");
  const std::string dat = packet.folder + "messages.dat";
  std::printf("packet: %d messages, messages.dat %.1f MB, generated in %.1f s\n", messages,
              packet.messagesBytes / 1048576.0, Since(t0));

  // Warm the page cache.
  std::string cmd = "cat '" + dat + "' > /dev/null";
  if (std::system(cmd.c_str()) != 0) return 2;

  TMailTree tree;
  tree.SetDirectory(packet.folder);
  const long before = ResidentKB();
  bool ok = true;
  TRun t;
  for (const std::string& word : words) {
    // grep's own time for the same word (it prints the count).
    cmd = "grep -c '" + word + "' '" + dat + "'";
    t0 = Clock::now();
    if (std::system(cmd.c_str()) < 0) return 2;
    const double grep = Since(t0);
    TSearchCriteria text;
    text.TextSelected = true;
    text.Text = word;
    t = Search(tree, text);
    std::printf("text search \"%s\": %.3f s, %zu hits of %lld messages, longest pause between event pumps %.1f ms\n",
                word.c_str(), t.seconds, t.hits, static_cast<long long>(t.examined), t.longestGap * 1000);
    std::printf("grep -c \"%s\" messages.dat: %.3f s; finder / grep = %.1f\n", word.c_str(), grep, t.seconds / grep);
    if (messages >= 100000 && t.seconds > 2.0) std::printf("MISSED: text search over 2 s\n"), ok = false;
    if (t.longestGap > 0.05) std::printf("MISSED: events waited over 50 ms\n"), ok = false;
  }
  TSearchCriteria from;
  from.From = "smith";
  TRun f = Search(tree, from);
  const long grownKB = ResidentKB() - before;

  std::printf("From search \"smith\" (headers only): %.3f s, %zu hits, longest pause %.1f ms\n", f.seconds, f.hits,
              f.longestGap * 1000);
  std::printf("memory growth during the searches: %.1f MB\n", grownKB / 1024.0);

  fs::remove_all(root);
  if (messages >= 100000 && f.seconds > 0.5) std::printf("MISSED: header search over 0.5 s\n"), ok = false;
  if (f.longestGap > 0.05) std::printf("MISSED: events waited over 50 ms\n"), ok = false;
  if (grownKB > 50 * 1024) std::printf("MISSED: memory grew over 50 MB\n"), ok = false;
  return ok ? 0 : 1;
}
