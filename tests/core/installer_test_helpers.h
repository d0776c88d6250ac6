#pragma once
// Helpers of the installer tests: shell commands and archives made by Python.

#include <sys/wait.h>

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "support/test_env.h"

namespace korrin::test {

inline std::string Quote(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// Runs a shell command; its standard output and error, and its exit status in `status`.
inline std::string RunShell(const std::string& command, int* status = nullptr) {
  std::string out;
  FILE* p = ::popen((command + " 2>&1").c_str(), "r");
  if (p == nullptr) return out;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  int rc = ::pclose(p);
  if (status != nullptr) *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  return out;
}

// Writes a ZIP archive with Python's zipfile: `entries` is Python code run
// with `z` open for writing (z.writestr(name, data), ...).
inline void MakeZip(const std::string& archive, const std::string& entries) {
  std::string script = WriteFile(TestRoot() + "makezip.py",
                                 "import sys, zipfile, stat\nz = zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED)\n" +
                                     entries + "\nz.close()\n");
  int status = 0;
  std::string log = RunShell("python3 " + Quote(script) + " " + Quote(archive), &status);
  ASSERT_EQ(status, 0) << log;
}

}  // namespace korrin::test
