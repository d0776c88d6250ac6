// Opening a 100,000-message packet, and opening it and listing every
// conference, with and without an extended headers file of 100,000 sections
// (one per message, with long subjects and names). The open with the file
// must stay within 1.2 times the open without it; the listing's figure is
// printed beside it.

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "archive/xceed_zip.h"
#include "engine/door_control.h"
#include "engine/extended_headers.h"
#include "engine/mail_list.h"
#include "engine/mail_tree.h"
#include "engine/message_scan.h"
#include "engine/messages_file.h"
#include "engine/packet_lifecycle.h"
#include "engine/qwk_msg.h"
#include "engine/qwk_post_office.h"
#include "engine/to_reader.h"
#include "platform/paths.h"
#include "support/packet_generator.h"

using namespace korrin;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

static double Since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

int main(int argc, char** argv) {
  const int messages = argc > 1 ? std::atoi(argv[1]) : 100000;
  const std::string root =
      fs::temp_directory_path().string() + "/korrin-bench-hdr-" + std::to_string(::getpid()) + "/";
  fs::create_directories(root);
  ::setenv("KORRIN_HOME", (root + "home").c_str(), 1);

  test::TGeneratorOptions opt;
  opt.messages = messages;
  opt.conferences = 20;
  opt.minBody = 300;
  opt.maxBody = 2000;
  opt.bbsId = "BENCH";
  opt.extensions = false;
  const std::string src = root + "src/";
  test::GeneratePacket(opt, src);
  const std::string plain = root + "PLAIN.QWK", withHeaders = root + "HEADERS.QWK";
  if (std::system(("cd '" + src + "' && zip -q -6 '" + plain + "' *").c_str()) != 0) return 1;

  // One section per message, keyed by its header's byte offset.
  size_t sections = 0;
  {
    std::ofstream out(src + "HEADERS.DAT", std::ios::binary);
    for (const auto& [conference, blocks] : ScanMessageConferences(src))
      for (int64_t block : blocks) {
        char name[32];
        std::snprintf(name, sizeof name, "[%llx]\r\n", static_cast<unsigned long long>(BlockOffset(block)));
        out << name << "Message-ID: <" << block << "." << conference << "@bench>\r\n"
            << "Subject: A subject longer than the header field holds, number " << block << "\r\n"
            << "To: Somebody With A Rather Long Name " << block % 97 << "\r\n"
            << "From: Another Writer Whose Name Is Long " << block % 89 << "\r\n"
            << "WhenWritten: 20260701024415+0000  1000\r\n\r\n";
        ++sections;
      }
  }
  if (std::system(("cd '" + src + "' && zip -q -6 '" + withHeaders + "' *").c_str()) != 0) return 1;
  std::printf("packet: %d messages, headers.dat %zu sections, %.1f MB\n", messages, sections,
              fs::file_size(src + "HEADERS.DAT") / 1e6);

  TMailTree tree;
  TQWKPostOffice po;
  TQWKMsg msg;
  TToReader toReader;
  TDoorControl door;
  TXceedZip zip;
  zip.SetPluginFolder(ExecutableFolder());
  TPacketLifecycle life(tree, po, msg, toReader, door, zip);
  tree.SetPostoffice(&po);
  const std::string work = root + "work/";
  fs::create_directories(work);
  life.SetTempDirectory(work);
  life.SetRepliesFolder(root);
  life.RunCloseDialog = [](bool) { return TCloseAnswer{true, 0, {}, false}; };
  TMailList list;
  list.SetMailTree(&tree);

  // Open, then list every conference (the long fields are looked up per row).
  struct TTimes {
    double open = 1e9, all = 1e9;
    size_t rows = 0;
  };
  auto openAndList = [&](const std::string& packet, TTimes& best) {
    auto t = Clock::now();
    if (!life.OpenPacket(packet)) return false;
    const double open = Since(t);
    size_t rows = 0;
    for (TMailTreeNode* node : tree.Nodes())
      if (node->Record && node->Record->Kind == TFolderKind::fkConference && !node->Record->IndexFile.empty()) {
        tree.Select(node);
        list.Refill();
        rows += list.Rows().size();
      }
    const double all = Since(t);
    life.ClosePacket();
    best.open = std::min(best.open, open);
    best.all = std::min(best.all, all);
    best.rows = rows;
    return true;
  };
  TTimes plainTimes, headerTimes;
  for (int round = 0; round < 3; ++round)
    if (!openAndList(plain, plainTimes) || !openAndList(withHeaders, headerTimes)) return 1;
  const double openRatio = headerTimes.open / plainTimes.open, ratio = headerTimes.all / plainTimes.all;
  std::printf("open: without headers.dat %.3f s, with %.3f s, ratio %.2f (limit 1.2)\n", plainTimes.open,
              headerTimes.open, openRatio);
  std::printf("open and list %zu rows: without %.3f s, with %.3f s (%zu rows), ratio %.2f\n", plainTimes.rows,
              plainTimes.all, headerTimes.all, headerTimes.rows, ratio);
  fs::remove_all(root);
  return openRatio <= 1.2 ? 0 : 1;
}
