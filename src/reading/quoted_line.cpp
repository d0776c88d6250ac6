#include "reading/quoted_line.h"

namespace korrin {

bool IsQuotedLine(std::string_view line) {
  size_t i = 0;
  while (i < line.size() && line[i] == ' ') ++i;
  for (size_t n = 0; i < line.size() && n < 6; ++i, ++n) {
    if (line[i] == '>') return true;
    if (line[i] == ' ' || line[i] == '<') return false;
  }
  return false;
}

}  // namespace korrin
