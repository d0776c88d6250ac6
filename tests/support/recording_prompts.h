#pragma once
// A Prompts implementation for tests: records every box and dialog and
// answers from scripts. It installs itself as the program's prompts for
// its lifetime.

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/prompts.h"

namespace korrin::test {

class TRecordingPrompts : public Prompts {
public:
  struct Record {
    TBoxKind kind;
    std::string text;
    TBoxButtons buttons;
    std::string caption;
  };

  TRecordingPrompts() { SetPrompts(this); }
  ~TRecordingPrompts() override { SetPrompts(nullptr); }

  TBoxAnswer Box(TBoxKind kind, const std::string& text, TBoxButtons buttons, const std::string& caption) override;
  std::optional<std::string> InputBox(const std::string& caption, const std::string& prompt,
                                      const std::string& value) override;
  std::optional<std::string> PickFolder(const std::string& title, const std::string& folder) override;
  std::optional<std::string> OpenFile(const std::string& title, const std::string& filter,
                                      const std::string& folder) override;
  std::optional<std::string> SaveFile(const std::string& title, const std::string& filter, const std::string& folder,
                                      const std::string& name) override;

  // Scripted answers, used in order. An unscripted box gets its first button
  // (OK or Yes); an unscripted dialog is cancelled.
  std::deque<TBoxAnswer> answers;
  std::deque<std::optional<std::string>> inputs, folders, openFiles, saveFiles;

  std::vector<Record> boxes;
  // Title or caption and prompt of each dialog that was shown.
  std::vector<std::string> dialogs;

  // The texts of all boxes, in order.
  std::vector<std::string> Texts() const;
  // The texts of the boxes of one kind.
  std::vector<std::string> Texts(TBoxKind kind) const;
  bool Shown(const std::string& text) const;
};

}  // namespace korrin::test
