#pragma once
// The subcommands of korrin-tool: info, list, show, extract, export and
// replies. Each reads the packet through the same core classes as the
// windows (the folder tree, the message list, the message record, the MIME
// codec, the archive component), so what it prints is what the windows
// show. Text output is UTF-8; --json gives one JSON document instead.

#include <ostream>
#include <string>
#include <vector>

namespace korrin::tool {

inline constexpr const char* kToolName = "korrin-tool";

// Runs the command line (without the program name). Output goes to `out`,
// failures and warnings to `err`. Returns the exit code: 0 success, 1 a
// packet that cannot be read, 2 wrong usage.
int RunTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// Installs handlers for SIGINT, SIGTERM, SIGHUP and SIGPIPE that ask the
// running command to stop, so its temporary folder is removed on the way out.
void InstallSignalHandlers();

// The usage text of a subcommand ("" for the overview).
std::string UsageText(const std::string& command);

// Helpers shared with the tests.
// Pads UTF-8 text with blanks to `width` characters (code points); longer text stays whole.
std::string PadRight(const std::string& utf8, size_t width);

}  // namespace korrin::tool
