// Any bytes as "newfiles.dat": every entry the viewer shows and the texts
// of its size and date.

#include <cstddef>
#include <cstdint>
#include <string>

#include "door/new_files.h"
#include "fuzz_support.h"

using namespace korrin;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& dir = fuzz::WorkFolder("newfiles");
  fuzz::WriteInput(dir + "newfiles.dat", std::string_view(reinterpret_cast<const char*>(data), size));
  TNewFilesViewer viewer;
  viewer.Load(dir);
  size_t total = 0;
  for (size_t i = 0; i < viewer.Count(); ++i) {
    TNewFileView view = viewer.View(TDateOrder::doMDY, 2026);
    total += view.Name.size() + view.Size.size() + view.Date.size() + view.Description.size();
    viewer.Next();
  }
  volatile size_t sink = total;
  (void)sink;
  return 0;
}
