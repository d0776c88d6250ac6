#pragma once
// Texts of the installer's pages: shortened paths, grouped numbers, percentages.

#include <cstdint>
#include <string>

namespace korrin {

// When the path is longer than `maxLength`: its root ("/"; for a path that
// is not absolute its first three characters), "...", a separator and the
// rest with leading folder names removed until the rest fits or holds no
// separator. Shorter paths come back unchanged.
std::string ShortenPath(const std::string& path, size_t maxLength = 35);

// A decimal number with a comma before every group of three digits from the
// right (1234 -> "1,234", 1234567 -> "1,234,567").
std::string GroupThousands(int64_t number);

// trunc(part * 100 / whole), 0 when whole is 0, kept within 0..100.
int PercentOf(int64_t part, int64_t whole);
// "42%".
std::string PercentLabel(int percent);

}  // namespace korrin
