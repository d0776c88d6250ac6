#pragma once
// Packs a packet folder written by the packet builder into an archive, the
// way a BBS hands it out.

#include <string>

namespace korrin::test {

// Zips every file of `folder` (without paths) into `archive` with the
// packing plugin of the build and returns the archive's path. A failure
// fails the running test.
std::string ZipFolder(const std::string& folder, const std::string& archive);

}  // namespace korrin::test
