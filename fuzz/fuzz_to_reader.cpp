// Any bytes as toreader.ext, attached.lst and todoor.ext (the input is cut
// into three parts by its first two bytes): every list, the area flags of
// the conferences it names, and a door command appended.

#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "engine/to_door.h"
#include "engine/to_reader.h"
#include "fuzz_support.h"

using namespace korrin;



extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& dir = fuzz::WorkFolder("toreader");
  std::string in(reinterpret_cast<const char*>(data), size);
  size_t a = size > 0 ? data[0] : 0, b = size > 1 ? data[1] : 0;
  std::string rest = in.substr(std::min<size_t>(2, size));
  size_t first = std::min(rest.size(), a * 8), second = std::min(rest.size() - first, b * 8);
  fuzz::WriteInput(dir + "toreader.ext", rest.substr(0, first + (rest.size() - first - second)));
  fuzz::WriteInput(dir + "ATTACHED.LST", rest.substr(first, second));
  fuzz::WriteInput(dir + "todoor.ext", rest.substr(first + second));

  TToReader reader;
  reader.SetDirectory(dir);
  reader.LoadExtensionLists();
  // The conference texts of the first lines, and a few fixed ones.
  size_t asked = 0;
  for (size_t pos = 0; pos < rest.size() && asked < 8; ++asked) {
    size_t nl = rest.find('\n', pos);
    std::string line = rest.substr(pos, nl == std::string::npos ? std::string::npos : nl - pos);
    reader.AreaFlagsOf(line.size() > 5 ? line.substr(5, line.find(' ', 5) - 5) : line);
    if (nl == std::string::npos) break;
    pos = nl + 1;
  }
  reader.AreaFlagsOf("0");
  reader.AreaFlagsOf("");
  TToDoor door;
  door.SetDirectory(dir);
  door.AddDoorCommand("KEYWORD " + rest.substr(0, std::min<size_t>(rest.size(), 40)));
  reader.LoadKeywordList();
  return 0;
}
