#include "installer/setup_text.h"

#include <algorithm>

#include "platform/paths.h"

namespace korrin {

std::string ShortenPath(const std::string& path, size_t maxLength) {
  if (path.size() <= maxLength) return path;
  const size_t headLength = !path.empty() && path[0] == kPathDelim ? 1 : std::min<size_t>(3, path.size());
  std::string head = path.substr(0, headLength);
  std::string rest = path.substr(headLength);
  while (rest.size() > maxLength) {
    size_t sep = rest.find(kPathDelim);
    if (sep == std::string::npos) break;
    rest.erase(0, sep + 1);
  }
  if (head.back() != kPathDelim) head += kPathDelim;
  return head + "..." + kPathDelim + rest;
}

std::string GroupThousands(int64_t number) {
  std::string digits = std::to_string(number < 0 ? -static_cast<uint64_t>(number) : static_cast<uint64_t>(number));
  std::string out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return number < 0 ? "-" + out : out;
}

int PercentOf(int64_t part, int64_t whole) {
  if (whole <= 0 || part <= 0) return 0;
  if (part >= whole) return 100;
  return static_cast<int>(static_cast<__int128>(part) * 100 / whole);
}

std::string PercentLabel(int percent) { return std::to_string(percent) + "%"; }

}  // namespace korrin
