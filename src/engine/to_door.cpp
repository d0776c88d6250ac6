#include "engine/to_door.h"

#include "engine/block_file.h"
#include "engine/to_reader.h"
#include "platform/paths.h"
#include "platform/prompts.h"

namespace korrin {

bool TToDoor::AddDoorCommand(const std::string& line) {
  bool ok = false;
  if (!directory_.empty()) {
    std::string path = PathNoCase(directory_, kToDoorFileName);
    TBlockFile file;
    if (file.Open(path, TOpenMode::omReadWrite) || file.Open(path, TOpenMode::omCreate)) {
      int64_t size = file.Size();
      std::string text;
      char last = 0;
      if (size > 0 && file.ReadAt(size - 1, &last, 1) == 1) {
        // A DOS end-of-file mark is dropped; an unended last line is ended.
        if (last == 0x1A) {
          --size;
          last = 0;
          if (size > 0) file.ReadAt(size - 1, &last, 1);
        }
        if (size > 0 && last != '\n' && last != '\r') text = "\r\n";
      }
      text += line + "\r\n";
      ok = file.WriteAt(size, text);
    }
  }
  if (!ok) GetPrompts().Error(kErrWriteToDoor);
  return ok;
}

}  // namespace korrin
