#pragma once
// korrin-tool search PACKET [criteria]: the mail finder's search.

#include <ostream>
#include <string>
#include <vector>

namespace korrin::tool {

// Exit code of a search that found nothing (kept apart from the errors).
inline constexpr int kExitNoHit = 3;
extern const char* const kSearchUsage;

// Runs the arguments after "search". Throws EToolError for usage errors and
// unreadable packets; returns 0 with hits, kExitNoHit without.
int RunSearch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace korrin::tool
