// The uninstaller named in the uninstall entry: "TAMUNWIZ.EXE FOLDER". The
// folder may come as several arguments (the entry's command line does not
// quote it); they are joined with blanks. Exit code 0 when everything setup
// installed is gone, 1 when something could not be removed, 2 on wrong use.

#include <cstdio>
#include <string>

#include "installer/console_prompts.h"
#include "installer/uninstaller.h"
#include "platform/registry.h"

int main(int argc, char** argv) {
  std::string folder;
  for (int i = 1; i < argc; ++i) folder += (i > 1 ? " " : "") + std::string(argv[i]);
  if (folder.empty() || folder == "--help" || folder == "-h") {
    std::fputs("usage: TAMUNWIZ.EXE FOLDER\n  Removes the installation in FOLDER (read from its unwizard.inf).\n",
               folder.empty() ? stderr : stdout);
    return folder.empty() ? 2 : 0;
  }
  korrin::TConsolePrompts prompts("uninstall", false);
  korrin::SetPrompts(&prompts);
  korrin::TRegistry registry;
  korrin::TUninstaller uninstaller(folder, registry, prompts);
  bool ok = uninstaller.Run();
  if (ok) std::fprintf(stderr, "uninstall: removed %zu files from %s\n", uninstaller.Removed().size(), folder.c_str());
  return ok ? 0 : 1;
}
