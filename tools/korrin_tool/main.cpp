// korrin-tool: BBS mail from QWK packets on the command line.

#include <iostream>
#include <string>
#include <vector>

#include "korrin_tool/tool_commands.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  korrin::tool::InstallSignalHandlers();
  std::vector<std::string> args(argv + 1, argv + argc);
  return korrin::tool::RunTool(args, std::cout, std::cerr);
}
