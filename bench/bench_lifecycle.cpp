// Packet lifecycle timings: opening a 100,000-message packet (extraction,
// tree, post office) beside `unzip -o -q` of the same file, and building the
// reply packet from 1,000 Out Box messages.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "archive/xceed_zip.h"
#include "engine/door_control.h"
#include "engine/mail_tree.h"
#include "engine/packet_lifecycle.h"
#include "engine/qwk_msg.h"
#include "engine/qwk_post_office.h"
#include "engine/to_reader.h"
#include "platform/paths.h"
#include "platform/random.h"
#include "support/packet_generator.h"

using namespace korrin;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

static double Since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

int main(int argc, char** argv) {
  int messages = argc > 1 ? std::atoi(argv[1]) : 100000;
  std::string root = fs::temp_directory_path().string() + "/korrin-bench-life-" + std::to_string(::getpid()) + "/";
  fs::create_directories(root);
  ::setenv("KORRIN_HOME", (root + "home").c_str(), 1);
  std::string bin = ExecutableFolder();

  test::TGeneratorOptions opt;
  opt.messages = messages;
  opt.conferences = 20;
  opt.minBody = 300;
  opt.maxBody = 2000;
  opt.bbsId = "BENCH";
  opt.extensions = false;
  auto gen = test::GeneratePacket(opt, root + "src");
  std::string packet = root + "BENCH.QWK";
  std::string cmd = "cd '" + root + "src' && zip -q -6 '" + packet + "' *";
  if (std::system(cmd.c_str()) != 0) return 1;
  std::printf("packet: %d messages, messages.dat %.1f MB, archive %.1f MB\n", messages, gen.messagesBytes / 1e6,
              fs::file_size(packet) / 1e6);

  TMailTree tree;
  TQWKPostOffice po;
  TQWKMsg msg;
  TToReader toReader;
  TDoorControl door;
  TXceedZip zip;
  zip.SetPluginFolder(bin);
  TPacketLifecycle life(tree, po, msg, toReader, door, zip);
  tree.SetPostoffice(&po);
  std::string work = root + "work/";
  fs::create_directories(work);
  life.SetTempDirectory(work);
  life.SetRepliesFolder(root);
  life.RunCloseDialog = [](bool) { return TCloseAnswer{true, 0, {}, false}; };

  double bestUnzip = 1e9, bestOpen = 1e9;
  for (int round = 0; round < 3; ++round) {
    fs::remove_all(root + "unz");
    auto t = Clock::now();
    std::string u = "unzip -o -q '" + packet + "' -d '" + root + "unz'";
    if (std::system(u.c_str()) != 0) return 1;
    bestUnzip = std::min(bestUnzip, Since(t));

    t = Clock::now();
    if (!life.OpenPacket(packet)) return 1;
    bestOpen = std::min(bestOpen, Since(t));
    life.ClosePacket();
  }
  std::printf("open packet: %.3f s, unzip -o -q: %.3f s, ratio %.2f (limit 1.15)\n", bestOpen, bestUnzip,
              bestOpen / bestUnzip);

  // 1,000 Out Box messages.
  po.AddPostOffice("BENCH", "Bench", ProgramFolder() + "BENCH");
  MakePODir(ProgramFolder(), "BENCH");
  std::string out = life.OutBoxFolder();
  RandomSeed(3);
  for (int i = 0; i < 1000; ++i) {
    msg.SetMsgTo("Someone " + std::to_string(i));
    msg.SetMsgFROM("Bench User");
    msg.SetSubject("Reply number " + std::to_string(i));
    msg.SetPostDate("12-08-26");
    msg.SetPostTime("10:00");
    msg.SetConference(static_cast<uint16_t>(1 + i % 20));
    std::vector<std::string> text;
    for (int l = 0; l < 20; ++l) text.push_back("This is line " + std::to_string(l) + " of a reply that says something.");
    msg.SetText(text);
    msg.SaveToFile(out + RandomBoxFileName(out));
  }
  life.SetMoveToSentBox(true);
  auto t = Clock::now();
  bool ok = life.CreateReplyPacket(life.ReplyPacketPath());
  double reply = Since(t);
  std::printf("reply packet from 1000 Out Box messages: %.3f s (limit 1.0), %s\n", reply, ok ? "written" : "FAILED");
  fs::remove_all(root);
  return ok && bestOpen / bestUnzip <= 1.15 && reply < 1.0 ? 0 : 1;
}
