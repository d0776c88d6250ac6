#pragma once
// The program's identity: its registry key and version text.

namespace korrin {

inline constexpr const char* kProgramKey = "\\SOFTWARE\\Halvane Software Development\\Korrin offline mail reader";
inline constexpr const char* kVersionText = "1 . 3";

}  // namespace korrin
