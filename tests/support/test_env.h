#pragma once
// Every test runs in its own temporary world: program folder, registry file,
// temporary folder and home are fresh folders removed after the test.

#include <string>

#include <gtest/gtest.h>

namespace korrin::test {

// Root of the current test's temporary world, with trailing separator.
const std::string& TestRoot();
// A fresh empty folder under the test root (name made unique by a counter).
std::string NewTempDir(const std::string& hint = "dir");
// Writes a file (creating its folders) and returns its path.
std::string WriteFile(const std::string& path, const std::string& data);
std::string ReadFile(const std::string& path);
// The folder that holds the built programs and plugins.
std::string BinDir();

// Installed by the test mains: sets up and tears down the world per test.
class TestWorldListener : public ::testing::EmptyTestEventListener {
public:
  void OnTestStart(const ::testing::TestInfo& info) override;
  void OnTestEnd(const ::testing::TestInfo& info) override;
};

void InstallTestWorld();

}  // namespace korrin::test
