// korrin-tool's mailbox export against unpacking by hand.
//
// A packet of 100,000 generated messages (qwkgen, bodies of 200 to 3000
// bytes, kludge lines, ZIP archive) is exported with
//   korrin-tool export PACKET --mbox FILE --force
// and, side by side in the same rounds, unpacked with
//   unzip -o -q PACKET -d FOLDER   followed by   cat FOLDER/messages.dat >/dev/null
// Each round runs both (in alternating order, the archive in the page
// cache for both). The figure is the median export time over the median
// time of unzip plus cat; the target is 2 or less. The processor time of
// both is shown too: on a machine busy with other work the export's helper
// processes find no free processor, and the wall-clock figure suffers. The export is also timed
// in one process (--jobs 1) for comparison, and the mailbox is checked to
// hold one "From " line per message.
//
// usage: bench_korrin_tool [MESSAGES [ROUNDS]]   (defaults 100000 and 5)
// Exits 1 when the target is missed, 2 when the programs are missing.

#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/paths.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

double ChildrenCpu() {
  rusage u{};
  ::getrusage(RUSAGE_CHILDREN, &u);
  return u.ru_utime.tv_sec + u.ru_utime.tv_usec / 1e6 + u.ru_stime.tv_sec + u.ru_stime.tv_usec / 1e6;
}

// Seconds taken by a shell command (and the processor time it used, its
// helper processes included); negative when it failed.
double Run(const std::string& cmd, double* cpu = nullptr) {
  double c0 = ChildrenCpu();
  auto t0 = Clock::now();
  int status = std::system(cmd.c_str());
  double s = std::chrono::duration<double>(Clock::now() - t0).count();
  if (cpu) *cpu = ChildrenCpu() - c0;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? s : -1;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// Messages in a mailbox: lines that begin with "From ".
long Separators(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string line;
  long n = 0;
  while (std::getline(in, line))
    if (line.rfind("From ", 0) == 0) ++n;
  return n;
}

}  // namespace

int main(int argc, char** argv) {
  const long messages = argc > 1 ? std::atol(argv[1]) : 100000;
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  const std::string bin = korrin::ExecutableFolder();
  const std::string tool = bin + "korrin-tool", qwkgen = bin + "qwkgen";
  if (!fs::exists(tool) || !fs::exists(qwkgen) || std::system("unzip -v >/dev/null 2>&1") != 0) {
    std::fprintf(stderr, "bench_korrin_tool: needs %s, %s and unzip\n", tool.c_str(), qwkgen.c_str());
    return 2;
  }
  std::string pattern = korrin::TempFolder() + "korrin-bench-tool-XXXXXX";
  if (!::mkdtemp(pattern.data())) return 2;
  const std::string dir = pattern + "/";
  const std::string packet = dir + "GENBBS.QWK";

  if (Run(Quote(qwkgen) + " --out " + Quote(dir + "gen") + " --messages " + std::to_string(messages) + " --zip " +
          Quote(packet) + " >/dev/null") < 0) {
    std::fprintf(stderr, "bench_korrin_tool: qwkgen failed\n");
    return 2;
  }
  fs::remove_all(dir + "gen");
  std::printf("packet: %ld messages, archive %.1f MB\n", messages, fs::file_size(packet) / 1e6);

  const std::string unzip = "unzip -o -q " + Quote(packet) + " -d " + Quote(dir + "uz");
  const std::string cat = "cat " + Quote(dir + "uz/messages.dat") + " >/dev/null";
  const std::string exportCmd = Quote(tool) + " export " + Quote(packet) + " --mbox " + Quote(dir + "out.mbox") +
                                " --force >/dev/null";
  std::vector<double> base, tooled, single, baseCpu, toolCpu;
  Run(unzip);  // warm the page cache for both sides
  for (int r = 0; r < rounds; ++r) {
    auto baseline = [&] {
      double uc = 0, cc = 0;
      double u = Run(unzip, &uc), c = Run(cat, &cc);
      base.push_back(u < 0 || c < 0 ? -1 : u + c);
      baseCpu.push_back(uc + cc);
    };
    auto exported = [&] {
      double cpu = 0;
      tooled.push_back(Run(exportCmd, &cpu));
      toolCpu.push_back(cpu);
    };
    if (r % 2) baseline(), exported();
    else exported(), baseline();
    if (base.back() < 0 || tooled.back() < 0) {
      std::fprintf(stderr, "bench_korrin_tool: a command failed\n");
      return 2;
    }
    std::printf("round %d: unzip + cat %.2f s (processor %.2f s), export %.2f s (processor %.2f s)\n", r + 1,
                base.back(), baseCpu.back(), tooled.back(), toolCpu.back());
  }
  single.push_back(Run(Quote(tool) + " export " + Quote(packet) + " --mbox " + Quote(dir + "one.mbox") +
                       " --force --jobs 1 >/dev/null"));
  const long found = Separators(dir + "out.mbox");
  const double mb = fs::file_size(dir + "out.mbox") / 1e6;
  const double ratio = Median(tooled) / Median(base);
  std::printf("mailbox: %ld messages, %.1f MB\n", found, mb);
  std::printf("median: unzip + cat %.2f s, export %.2f s (min %.2f / %.2f), in one process %.2f s\n", Median(base),
              Median(tooled), *std::min_element(base.begin(), base.end()),
              *std::min_element(tooled.begin(), tooled.end()), single.back());
  std::printf("processor time: unzip + cat %.2f s, export %.2f s (medians)\n", Median(baseCpu), Median(toolCpu));
  std::printf("export / (unzip + cat) = %.2f (target 2 or less)\n", ratio);
  fs::remove_all(dir);
  if (found != messages) {
    std::fprintf(stderr, "bench_korrin_tool: the mailbox holds %ld messages, not %ld\n", found, messages);
    return 1;
  }
  return ratio <= 2.0 ? 0 : 1;
}
