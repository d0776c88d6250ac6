#pragma once
// One reader per program folder: a second start hands the files named on
// its command line to the running reader over a local socket. This is the
// window-free part: the socket's name and the messages on it.

#include <optional>
#include <string>
#include <vector>

namespace korrin {

// The local socket's name for a program folder and user: readers of
// different program folders (or users) never meet. The folder is taken
// without a trailing separator and with "." and ".." resolved.
std::string InstanceName(const std::string& programFolder, unsigned userId);

// A request: "KORRIN-OPEN", the number of paths and each path's length and
// bytes, every field ended by a line feed.
std::string EncodeOpenRequest(const std::vector<std::string>& paths);
// Reads a request from what has arrived so far: the paths once it is
// complete, nothing while more is to come. `bad` is set for bytes that are
// no request (the connection is then dropped).
std::optional<std::vector<std::string>> DecodeOpenRequest(const std::string& bytes, bool& bad);
// The running reader's answer once it has taken the request.
inline constexpr const char* kOpenAccepted = "OK\n";

// A command-line argument as an absolute path (relative to `cwd`); options
// (starting with "-") and empty arguments are no files.
std::optional<std::string> CommandLineFile(const std::string& argument, const std::string& cwd);

}  // namespace korrin
