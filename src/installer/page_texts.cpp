#include "installer/page_texts.h"

#include "installer/setup_folders.h"
#include "installer/setup_script.h"
#include "installer/setup_text.h"
#include "platform/paths.h"

namespace korrin {

namespace {
std::string NameVersion(const TSetupState& s) { return s.ProductName + " version " + s.Version; }
}  // namespace

TWelcomeTexts WelcomeTexts(const TSetupState& s) {
  TWelcomeTexts t;
  t.Title = NameVersion(s);
  t.Installer = std::string(kWizardCaption) + " v" + kInstallerVersion;
  t.Product = NameVersion(s);
  t.Notice = "Setup copies the program to your computer; run it again later to update the installed copy.";
  t.Rights = "allrights reserved by " + s.Author;
  t.Welcome = "Welcome to the " + s.ProductName + " Setup program.";
  t.Advice = "It is strongly recommended that you exit all Windows programs before running this setup.";
  t.Continue =
      "Click Cancel to quit Setup and then close any programs you have running. Click Next to continue with the "
      "Setup program.";
  return t;
}

std::string LicenseIntro() {
  return "Please read the following License Agreement.  Press the PAGE DOWN key to see the rest of the agreement.";
}

std::string LicenseQuestion(const TSetupState& s) {
  return "Do you accept all the terms of the preceding License Agreement?  If you choose No,  Setup will close.  To "
         "install " +
         s.ProductName + ", you must accept this agreement.";
}

std::string ReadmeHeading(const TSetupState& s) {
  return "Additional info from " + s.Vendor + " reguarding the use of " + NameVersion(s) + ".";
}

TDestinationTexts DestinationTexts(const TSetupState& s, bool update) {
  TDestinationTexts t;
  t.Title = s.ProductName + " " + s.Version;
  t.GroupPrompt = "Select the program folder to add program icons to";
  t.GroupLabel = s.ProductName + " icons will be installed into the following group folder.";
  if (update) {
    t.DirLabel = "Previous installation directory";
    t.InfoLabel = "Setup has detected a previous installation of the " + s.ProductName +
                  ". Files will be installed or update in the following directory.";
  } else {
    t.DirLabel = "Select directory to install program files into";
    t.InfoLabel = s.ProductName + " files will be installed into the following directory.";
  }
  return t;
}

std::string BrowsedDestination(const TSetupState& s, const std::string& chosen) {
  if (HoldsFile(chosen, FileNamePart(s.MainEXE))) return chosen;
  return IncludeTrailingBackslash(chosen) + s.ProductName;
}

TSummaryTexts SummaryTexts(const TSetupState& s) {
  TSummaryTexts t;
  const bool update = s.SetupType == kSetupTypeUpdate;
  t.Title = s.ProductName + " " + s.Version;
  t.TypeLabel = s.SetupType;
  t.NextCaption = update ? "&Update" : "&Install";
  t.Hint = update ? "Click Update to continue setup or click Cancel to exit Setup"
                  : "Click Install to continue setup or click Cancel to exit Setup";
  t.InstallTo = "The program files will be installed to";
  t.Destination = ShortenPath(s.Destination, 35);
  if (s.Group.empty()) {
    t.GroupText = "No group folder was selected so no icons for " + s.ProductName + " will be created.";
  } else {
    t.GroupText = s.ProductName + " icons will be installed into the following group folder";
    t.Group = s.Group;
  }
  t.Explanation =
      "Setup now has enough information to complete the installation. If the information displayed is not correct, "
      "click Back to make changes.";
  return t;
}

std::string ProgressTitle(const TSetupState& s) { return NameVersion(s); }

TFinishTexts FinishTexts(const TSetupState& s) {
  return {"Setup is finnished installing " + s.ProductName + " on your system.",
          "To run the installed program, click \"Run\"", "To exit  setup, click Exit."};
}

TExitTexts ExitTexts(const TSetupState& s) {
  return {"WARNING   Setup is not complete. If you exit Setup, " + s.ProductName + " will not be installed correctly.",
          "If files have been copied over a previous version of " + s.ProductName + ".  It may not function correctly.",
          "To continue installing the program, click Resume.  To exit Setup and install at a later date, click Exit."};
}

}  // namespace korrin
