#pragma once
// The texts of setup's pages, made from the setup values, and the choices a
// page makes that need no window (update mode, the browsed destination).

#include <string>

namespace korrin {

struct TSetupState;

inline constexpr const char* kWizardCaption = "Halvane's Installation Wizard";

struct TWelcomeTexts {
  std::string Title;      // name + " version " + version
  std::string Installer;  // "Halvane's Installation Wizard v" + installer version
  std::string Product;    // name + " version " + version
  std::string Notice;
  std::string Rights;     // "allrights reserved by " + author
  std::string Welcome;    // "Welcome to the " + name + " Setup program."
  std::string Advice;
  std::string Continue;
};
TWelcomeTexts WelcomeTexts(const TSetupState& s);

std::string LicenseIntro();
std::string LicenseQuestion(const TSetupState& s);
std::string ReadmeHeading(const TSetupState& s);

// The destination page in normal and in update mode.
struct TDestinationTexts {
  std::string Title;        // name + " " + version
  std::string DirLabel;     // the first label
  std::string InfoLabel;
  std::string GroupPrompt;  // "Select the program folder to add program icons to"
  std::string GroupLabel;
};
TDestinationTexts DestinationTexts(const TSetupState& s, bool update);
inline constexpr const char* kBrowseCaption = "Browse for Folder";
inline constexpr const char* kBrowseTitle = "Select folder to create program directory in:";
// The destination after a folder was picked: the folder itself when it
// holds the main program, else the folder + the product name.
std::string BrowsedDestination(const TSetupState& s, const std::string& chosen);

struct TSummaryTexts {
  std::string Title;        // name + " " + version
  std::string TypeLabel;    // the setup type
  std::string NextCaption;  // "&Install" or "&Update"
  std::string Hint;
  std::string InstallTo;    // "The program files will be installed to"
  std::string Destination;  // shortened to 35 characters
  std::string GroupText;
  std::string Group;        // shown below the group text; empty when none
  std::string Explanation;
};
TSummaryTexts SummaryTexts(const TSetupState& s);

std::string ProgressTitle(const TSetupState& s);  // name + " version " + version

struct TFinishTexts {
  std::string Done, Run, Exit;
};
TFinishTexts FinishTexts(const TSetupState& s);

struct TExitTexts {
  std::string Warning, Copied, Choice;
};
TExitTexts ExitTexts(const TSetupState& s);

}  // namespace korrin
