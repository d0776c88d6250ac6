#include "support/test_env.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/prompts.h"
#include "platform/random.h"
#include "platform/shell.h"

namespace fs = std::filesystem;

namespace korrin::test {

namespace {
std::string root;
int counter = 0;

std::string BaseTemp() {
  static std::string base = [] {
    const char* t = std::getenv("TMPDIR");
    return std::string(t && *t ? t : "/tmp");
  }();
  return base;
}
}  // namespace

const std::string& TestRoot() { return root; }

std::string NewTempDir(const std::string& hint) {
  std::string dir = root + hint + "-" + std::to_string(++counter) + "/";
  fs::create_directories(dir);
  return dir;
}

std::string WriteFile(const std::string& path, const std::string& data) {
  fs::path p(path);
  if (p.has_parent_path()) fs::create_directories(p.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(data.data(), static_cast<std::streamsize>(data.size()));
  return path;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string BinDir() {
  const char* d = std::getenv("KORRIN_BIN_DIR");
  if (d && *d) return std::string(d) + "/";
  std::error_code ec;
  return fs::read_symlink("/proc/self/exe", ec).parent_path().string() + "/";
}

void TestWorldListener::OnTestStart(const ::testing::TestInfo&) {
  std::string tmpl = BaseTemp() + "/korrin-test-XXXXXX";
  std::string buf = tmpl;
  char* made = ::mkdtemp(buf.data());
  root = std::string(made ? made : "/tmp") + "/";
  counter = 0;
  for (const char* sub : {"home", "tmp", "data", "config", "cache", "windows", "system", "programs", "user"})
    fs::create_directories(root + sub);
  ::setenv("KORRIN_HOME", (root + "home").c_str(), 1);
  ::setenv("KORRIN_REGISTRY", (root + "config/registry.db").c_str(), 1);
  ::setenv("TMPDIR", (root + "tmp").c_str(), 1);
  ::setenv("XDG_DATA_HOME", (root + "data").c_str(), 1);
  ::setenv("XDG_CONFIG_HOME", (root + "config").c_str(), 1);
  ::setenv("XDG_CACHE_HOME", (root + "cache").c_str(), 1);
  ::setenv("KORRIN_WINDOWS_DIR", (root + "windows").c_str(), 1);
  ::setenv("KORRIN_SYSTEM_DIR", (root + "system").c_str(), 1);
  ::setenv("KORRIN_PROGRAMS_DIR", (root + "programs").c_str(), 1);
  ::setenv("HOME", (root + "user").c_str(), 1);
  RandomSeed(20261208);
}

void TestWorldListener::OnTestEnd(const ::testing::TestInfo&) {
  SetPrompts(nullptr);
  SetShell(nullptr);
  std::error_code ec;
  if (!root.empty() && root != "/tmp/") fs::remove_all(root, ec);
  root.clear();
}

void InstallTestWorld() {
  ::testing::UnitTest::GetInstance()->listeners().Append(new TestWorldListener);
}

}  // namespace korrin::test
