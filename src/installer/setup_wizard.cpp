#include "installer/setup_wizard.h"

#include "installer/setup_controller.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/shell.h"

namespace korrin {

TSetupPage FirstPage(const TSetupState& state) {
  return state.Splash ? TSetupPage::spLogo : TSetupPage::spWelcome;
}

std::optional<TSetupPage> NextPage(const TSetupState& state, TSetupPage page) {
  switch (page) {
    case TSetupPage::spLogo: return TSetupPage::spWelcome;
    case TSetupPage::spWelcome:
      if (state.License) return TSetupPage::spLicense;
      [[fallthrough]];
    case TSetupPage::spLicense:
      if (state.ReadMe) return TSetupPage::spReadme;
      [[fallthrough]];
    case TSetupPage::spReadme: return TSetupPage::spDestination;
    case TSetupPage::spDestination: return TSetupPage::spSummary;
    case TSetupPage::spSummary:
    case TSetupPage::spFinish: return std::nullopt;
  }
  return std::nullopt;
}

std::optional<TSetupPage> BackPage(const TSetupState& state, TSetupPage page) {
  switch (page) {
    case TSetupPage::spLogo: return std::nullopt;
    case TSetupPage::spWelcome:
      if (state.Splash) return TSetupPage::spLogo;
      return std::nullopt;
    case TSetupPage::spLicense: return TSetupPage::spWelcome;
    case TSetupPage::spReadme: return state.License ? TSetupPage::spLicense : TSetupPage::spWelcome;
    case TSetupPage::spDestination:
      if (state.ReadMe) return TSetupPage::spReadme;
      return state.License ? TSetupPage::spLicense : TSetupPage::spWelcome;
    case TSetupPage::spSummary: return TSetupPage::spDestination;
    case TSetupPage::spFinish: return std::nullopt;
  }
  return std::nullopt;
}

TSetupWizard::TSetupWizard(TSetupController& controller, TWizardPages& pages, Prompts& prompts, Shell& shell)
    : controller_(controller), pages_(pages), prompts_(prompts), shell_(shell) {}

int TSetupWizard::Run() {
  TSetupPage page = FirstPage(controller_.State());
  for (;;) {
    const TPageResult result = pages_.ShowPage(page);
    if (result == TPageResult::prCancel) {
      if (ExitConfirmation()) return Finish();
      continue;  // "&Resume": the same page again
    }
    if (result == TPageResult::prBack) {
      if (auto back = BackPage(controller_.State(), page)) page = *back;
      continue;
    }
    if (page == TSetupPage::spDestination) {
      auto next = LeaveDestination();
      if (!next) return Finish();
      page = *next;
    } else if (page == TSetupPage::spSummary) {
      // Next is disabled while the disk lacks room; a page that let it
      // through anyway gets the summary again.
      if (!controller_.EnoughSpace()) continue;
      // A failed installation is not reported as finished: its messages
      // were shown, and the summary comes back to try again or cancel.
      if (Install()) break;
    } else if (auto next = NextPage(controller_.State(), page)) {
      page = *next;
    }
  }
  if (pages_.ShowPage(TSetupPage::spFinish) == TPageResult::prNext) RunProgram();
  return Finish();
}

std::optional<TSetupPage> TSetupWizard::LeaveDestination() {
  if (!controller_.ListPackage()) {
    if (ExitConfirmation()) return std::nullopt;
    return TSetupPage::spDestination;
  }
  if (controller_.CheckDestination() != TDestinationCheck::dcOk) return TSetupPage::spDestination;
  return TSetupPage::spSummary;
}

bool TSetupWizard::ExitConfirmation() {
  if (controller_.State().InstallationComplete) return true;
  return pages_.ConfirmExit();
}

bool TSetupWizard::Install() {
  pages_.ShowProgress(true);
  bool ok = controller_.InstallFiles();
  pages_.ShowProgress(false);
  const TSetupState& s = controller_.State();
  if (ok && !s.Group.empty() && prompts_.ConfirmYesNo(controller_.ShortcutQuestion())) ok = controller_.MakeShortcuts();
  controller_.EndInstalling(ok);
  pages_.BringToFront();
  return ok;
}

int TSetupWizard::RunProgram() {
  const TSetupState& s = controller_.State();
  const std::string program = IncludeTrailingBackslash(s.Destination) + FileNamePart(s.MainEXE);
  const int code = shell_.StartProgram(program, {}, s.Destination);
  if (code <= 32)
    prompts_.Box(TBoxKind::bkPlain, "Error:" + std::to_string(code) + " executing " + s.ProductName, TBoxButtons::bbOk);
  return code;
}

int TSetupWizard::Finish() {
  controller_.FinishSetup();
  return 0;
}

}  // namespace korrin
