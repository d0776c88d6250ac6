#pragma once
// The uninstaller: reads "unwizard.inf" from the installation folder and
// removes what setup installed there and in the Windows and system folders,
// the shortcuts it made, the group folder when empty and the uninstall
// entry. It never removes what setup did not install: post offices and other
// files of the user stay, and so does the folder that holds them.

#include <string>
#include <vector>

namespace korrin {

class Prompts;
class TRegistry;

class TUninstaller {
public:
  TUninstaller(std::string folder, TRegistry& registry, Prompts& prompts);

  // False when nothing was done (no script, the reader runs) or something
  // could not be removed (each reported as "Could not remove " + path).
  bool Run();

  const std::vector<std::string>& Removed() const { return removed_; }
  const std::vector<std::string>& NotRemoved() const { return notRemoved_; }
  // The installation folder stayed because it holds files setup did not install.
  bool FolderKept() const { return folderKept_; }

private:
  void RemoveListed(const std::string& section, const std::string& folder, const std::string& keep);
  void RemoveFile(const std::string& path);
  void RemoveLinks();
  void RemoveGroupFolder();
  void RemoveEntry();
  bool UninstallerShared(const std::string& uninstaller);

  std::string folder_;
  std::string script_;
  TRegistry& registry_;
  Prompts& prompts_;
  std::string productName_;
  std::vector<std::string> removed_, notRemoved_;
  bool folderKept_ = false;
};

}  // namespace korrin
