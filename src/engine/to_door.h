#pragma once
// The reader-to-door extension file "todoor.ext": door command lines that
// travel back in the reply packet.

#include <string>

namespace korrin {

inline constexpr const char* kErrWriteToDoor = "Could not write file - TODOOR.EXT";

class TToDoor {
public:
  const std::string& Directory() const { return directory_; }
  void SetDirectory(const std::string& directory) { directory_ = directory; }

  // Appends the line (CR LF terminated) to "todoor.ext" in Directory,
  // creating the file when it does not exist. A last line without line end
  // is ended first so that commands never run together. Shows "Could not
  // write file - TODOOR.EXT" and returns false when the line could not be
  // written.
  bool AddDoorCommand(const std::string& line);

private:
  std::string directory_;
};

}  // namespace korrin
