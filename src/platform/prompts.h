#pragma once
// Message boxes and common dialogs as seen from core code. Every failure the
// user is told about goes through the current Prompts object; the windows
// install a Qt implementation, tests a recording one. Texts are UTF-8.

#include <optional>
#include <string>

namespace korrin {

enum class TBoxKind { bkError, bkInformation, bkWarning, bkPlain, bkConfirmation };
enum class TBoxButtons { bbOk, bbYesNo, bbOkCancel, bbYesNoAbort, bbYesNoCancel };
enum class TBoxAnswer { baOk, baCancel, baYes, baNo, baAbort };

class Prompts {
public:
  virtual ~Prompts() = default;

  // One message box. The caption defaults to the program's title.
  virtual TBoxAnswer Box(TBoxKind kind, const std::string& text, TBoxButtons buttons,
                         const std::string& caption = {}) = 0;
  // Input box; nothing when cancelled.
  virtual std::optional<std::string> InputBox(const std::string& caption, const std::string& prompt,
                                              const std::string& value) = 0;
  // Folder picker with a title and a preselected folder; nothing when cancelled.
  virtual std::optional<std::string> PickFolder(const std::string& title, const std::string& folder) = 0;
  // Open and save file dialogs. The filter uses the "Name (*.a *.b);;Other (*)" form.
  virtual std::optional<std::string> OpenFile(const std::string& title, const std::string& filter,
                                              const std::string& folder) = 0;
  virtual std::optional<std::string> SaveFile(const std::string& title, const std::string& filter,
                                              const std::string& folder, const std::string& name) = 0;

  void Error(const std::string& text) { Box(TBoxKind::bkError, text, TBoxButtons::bbOk); }
  void Information(const std::string& text) { Box(TBoxKind::bkInformation, text, TBoxButtons::bbOk); }
  void Warning(const std::string& text) { Box(TBoxKind::bkWarning, text, TBoxButtons::bbOk); }
  bool ConfirmYesNo(const std::string& text) {
    return Box(TBoxKind::bkConfirmation, text, TBoxButtons::bbYesNo) == TBoxAnswer::baYes;
  }
  bool ConfirmOkCancel(const std::string& text) {
    return Box(TBoxKind::bkConfirmation, text, TBoxButtons::bbOkCancel) == TBoxAnswer::baOk;
  }
  TBoxAnswer ConfirmYesNoAbort(const std::string& text) {
    return Box(TBoxKind::bkConfirmation, text, TBoxButtons::bbYesNoAbort);
  }
};

// Writes boxes to standard error and answers every question negatively.
// Used by command-line programs and before a window exists.
class TStderrPrompts : public Prompts {
public:
  TBoxAnswer Box(TBoxKind kind, const std::string& text, TBoxButtons buttons, const std::string& caption) override;
  std::optional<std::string> InputBox(const std::string&, const std::string&, const std::string&) override {
    return std::nullopt;
  }
  std::optional<std::string> PickFolder(const std::string&, const std::string&) override { return std::nullopt; }
  std::optional<std::string> OpenFile(const std::string&, const std::string&, const std::string&) override {
    return std::nullopt;
  }
  std::optional<std::string> SaveFile(const std::string&, const std::string&, const std::string&,
                                      const std::string&) override {
    return std::nullopt;
  }

protected:
  // The answer that leaves everything as it is: OK, Cancel or No.
  static TBoxAnswer Refusal(TBoxButtons buttons);
};

// The program-wide prompts. Never null: a TStderrPrompts stands in until a
// window or a test installs its own. SetPrompts(nullptr) restores it.
Prompts& GetPrompts();
void SetPrompts(Prompts* prompts);

}  // namespace korrin
