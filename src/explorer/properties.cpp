#include "explorer/properties.h"

#include "platform/paths.h"

namespace korrin {

std::string ShortenPath(const std::string& path, int maxWidth, const std::function<int(const std::string&)>& width) {
  if (width(path) <= maxWidth || path.size() <= 3) return path;
  // The head is the path's drive: the root folder here.
  const size_t headLength = path[0] == kPathDelim ? 1 : 3;
  const std::string head = path.substr(0, headLength);
  const std::string dots = std::string("...") + kPathDelim;
  std::string tail = path.substr(headLength);
  while (width(head + dots + tail) > maxWidth) {
    auto sep = tail.find(kPathDelim);
    if (sep == std::string::npos) break;
    tail.erase(0, sep + 1);
  }
  return head + dots + tail;
}

}  // namespace korrin
