#pragma once
// Window-free texts of the properties dialog.

#include <functional>
#include <string>

namespace korrin {

// Shortens a path to fit `maxWidth` (as measured by `width`): the root (or a
// drive's first three characters) stays as the head, folder names are removed from the front of
// the rest until head + "..." + separator + tail fits. A path that fits is
// returned unchanged.
std::string ShortenPath(const std::string& path, int maxWidth, const std::function<int(const std::string&)>& width);

// "Yes" when the flag is set, else "No".
inline const char* YesNo(bool flag) { return flag ? "Yes" : "No"; }

}  // namespace korrin
