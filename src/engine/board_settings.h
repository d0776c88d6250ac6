#pragma once
// Settings of one board kept in its post office folder ("board.ini"): the
// character set its messages are written in when they do not say, and
// whether its packets carry the extended headers file (then reply packets
// carry one too).

#include <string>

namespace korrin {

inline constexpr const char* kBoardSettingsFileName = "board.ini";

struct TBoardSettings {
  std::string Charset = "CP437";
  bool HeadersFile = false;
};

// The settings of a post office folder; defaults when it has none.
TBoardSettings ReadBoardSettings(const std::string& postOfficeDirectory);
// Writes them through a temporary file; false when that fails.
bool WriteBoardSettings(const std::string& postOfficeDirectory, const TBoardSettings& settings);

// Gives the board of a post office folder another character set (one the
// converter knows; others are refused) and makes it the current set, as
// the folder is the current post office's when this is asked. False when
// refused or not written.
bool ChangeBoardCharset(const std::string& postOfficeDirectory, const std::string& charset);

// The character set of the current post office's board (set whenever a post
// office becomes current or its settings change); code page 437 when none is.
const std::string& CurrentBoardCharset();
void SetCurrentBoardCharset(const std::string& charset);

}  // namespace korrin
