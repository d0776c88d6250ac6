#pragma once
// Message boxes and common dialogs on Qt.

#include <QWidget>
#include <QPointer>

#include <functional>

#include "platform/prompts.h"

namespace korrin {

class TQtPrompts : public Prompts {
public:
  // Boxes belong to the window that asks (the active one); `parent` when none is active.
  explicit TQtPrompts(QWidget* parent = nullptr) : parent_(parent) {}
  void SetParent(QWidget* parent) { parent_ = parent; }
  // Runs before every box and dialog is shown (the splash steps aside).
  void SetBeforeDialog(std::function<void()> before) { before_ = std::move(before); }

  TBoxAnswer Box(TBoxKind kind, const std::string& text, TBoxButtons buttons, const std::string& caption) override;
  std::optional<std::string> InputBox(const std::string& caption, const std::string& prompt,
                                      const std::string& value) override;
  std::optional<std::string> PickFolder(const std::string& title, const std::string& folder) override;
  std::optional<std::string> OpenFile(const std::string& title, const std::string& filter,
                                      const std::string& folder) override;
  std::optional<std::string> SaveFile(const std::string& title, const std::string& filter, const std::string& folder,
                                      const std::string& name) override;

private:
  // The parent of the next box or dialog, after the before-dialog hook ran.
  QWidget* Parent() const;
  QPointer<QWidget> parent_;
  std::function<void()> before_;
};

}  // namespace korrin
