// Any bytes as Door.id.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "engine/door_control.h"
#include "fuzz_support.h"

using namespace korrin;



extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& dir = fuzz::WorkFolder("doorid");
  fuzz::WriteInput(dir + "DOOR.ID", std::string_view(reinterpret_cast<const char*>(data), size));
  TDoorControl door;
  door.ReadDoorId(dir);
  volatile bool sink = door.HasDoorIdentity() && door.DoorType() <= 10 && door.MaxKeywords() >= 0;
  (void)sink;
  return 0;
}
