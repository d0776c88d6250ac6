// Any bytes as an index file and messages.dat (the input is cut in two by
// its first two bytes): counting, readability, headers, read marks and body
// export of every record; the message file also read as a box file.

#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "engine/conference_reader.h"
#include "engine/qwk_blocks.h"
#include "fuzz_support.h"

using namespace korrin;



extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& dir = fuzz::WorkFolder("index");
  std::string in(reinterpret_cast<const char*>(data), size);
  size_t split = size > 1 ? (static_cast<size_t>(data[0]) | (static_cast<size_t>(data[1]) << 8)) : 0;
  std::string rest = in.substr(std::min<size_t>(2, size));
  split = std::min(split, rest.size());
  fuzz::WriteInput(dir + "001.NDX", rest.substr(0, split));
  fuzz::WriteInput(dir + "Messages.Dat", rest.substr(split));

  TConferenceReader conf;
  if (conf.Open(dir, "001.ndx", TOpenMode::omReadWrite)) {
    int32_t count = std::min<int32_t>(conf.Count(), 4096);
    TQWKHeader h;
    for (int32_t n = 0; n <= count + 1; ++n) {
      bool readable = conf.IsReadable(n);
      bool read = conf.ReadHeader(n, h);
      if (readable != read) __builtin_trap();
      DecodeStatusChar(h.StatusChar());
      auto block = conf.BlockNumber(n);
      if (read && block) {
        if (conf.Messages().BodyLengthInFile(*block, h) > h.BodyLength()) __builtin_trap();
        conf.MarkRead(n, h);
        if (n % 16 == 1) conf.ExportBody(n, dir + "body.txt");
      }
      (void)h.Conference();
      (void)h.BlockSpan();
    }
  }
  TQWKHeader box;
  ReadBoxHeader(dir + "Messages.Dat", box);
  ExportBodyFromFile(dir + "Messages.Dat", dir + "box.txt");
  return 0;
}
