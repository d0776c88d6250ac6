#include "support/packet_zip.h"

#include <filesystem>
#include <vector>

#include <gtest/gtest.h>

#include "archive/xceed_zip.h"
#include "support/test_env.h"

namespace korrin::test {

std::string ZipFolder(const std::string& folder, const std::string& archive) {
  TXceedZip zip;
  zip.SetPluginFolder(BinDir());
  zip.SetUsePaths(false);
  std::vector<std::string> files;
  for (auto& e : std::filesystem::directory_iterator(folder)) files.push_back(e.path().string());
  zip.SetZipFileName(archive);
  zip.SetFilesToProcess(files);
  EXPECT_EQ(zip.Compress(0), 0) << archive;
  return archive;
}

}  // namespace korrin::test
