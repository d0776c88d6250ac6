#pragma once
// korrin-tool's writing commands: "post" writes a message into the Out Box of
// the packet's post office through the editor's classes, "build-reply"
// builds the reply packet as the window does. Both use the program folder
// ($KORRIN_HOME), its settings and post offices, like the reader.

#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace korrin::tool {

bool IsPostCommand(const std::string& command);
// Runs "post" or "build-reply" (args[0]); the text of a post without --file
// is read from `in`. Returns the exit code.
int RunPostCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace korrin::tool
