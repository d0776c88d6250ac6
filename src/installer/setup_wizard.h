#pragma once
// The order of setup's pages and what happens between them: which page
// follows, where Back leads, the exit question, installing, the finish page
// and starting the installed program. The windows only show the pages; they
// reach this class through TWizardPages.

#include <optional>
#include <string>

namespace korrin {

class Prompts;
class Shell;
class TSetupController;
struct TSetupState;

enum class TSetupPage { spLogo, spWelcome, spLicense, spReadme, spDestination, spSummary, spFinish };
enum class TPageResult { prNext, prBack, prCancel };

// The window side of the wizard.
class TWizardPages {
public:
  virtual ~TWizardPages() = default;
  // Creates, shows (modal) and frees one page; how it was closed. On the
  // finish page Next stands for "&Run" and Cancel for "&Exit".
  virtual TPageResult ShowPage(TSetupPage page) = 0;
  // The exit question: true for "&Exit", false for "&Resume".
  virtual bool ConfirmExit() = 0;
  // Creates and shows (true) or frees (false) the progress page.
  virtual void ShowProgress(bool show) = 0;
  // Installing has ended: the main window goes on top of all windows.
  virtual void BringToFront() {}
};

// The first page: the logo page with the "Splash" flag, else the welcome page.
TSetupPage FirstPage(const TSetupState& state);
// The page after `page` on Next, skipping pages whose flag is off. Nothing
// after the summary (installing follows) and the finish page.
std::optional<TSetupPage> NextPage(const TSetupState& state, TSetupPage page);
// Where Back leads; nothing when Back is disabled (the first page, the finish page).
std::optional<TSetupPage> BackPage(const TSetupState& state, TSetupPage page);

class TSetupWizard {
public:
  TSetupWizard(TSetupController& controller, TWizardPages& pages, Prompts& prompts, Shell& shell);

  // The pages from the first to the end; the work folder is removed on
  // every way out. The exit code (0).
  int Run();

  // Cancel on a page: true when setup is to end. Not asked once the
  // installation is complete.
  bool ExitConfirmation();
  // Writes the uninstall record, extracts behind the progress page and
  // offers the shortcuts. True when everything was installed; the
  // installation is then complete.
  bool Install();
  // "&Run": starts the installed program; its start result. A result of 32
  // or less shows "Error:" + result + " executing " + name.
  int RunProgram();

private:
  // After Next on the destination page: the package listing and the
  // destination check. The page that follows, or nothing when setup ends.
  std::optional<TSetupPage> LeaveDestination();
  int Finish();

  TSetupController& controller_;
  TWizardPages& pages_;
  Prompts& prompts_;
  Shell& shell_;
};

}  // namespace korrin
