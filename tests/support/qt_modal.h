#pragma once
// Helpers for window tests: act on the next modal dialog, find widgets by
// object name, grab a window into a PNG.

#include <QApplication>
#include <QString>
#include <QWidget>

#include <functional>

namespace korrin::test {

// When the next modal widget appears (within timeoutMs), calls `action` on it
// once. The action usually fills fields and accepts or rejects the dialog.
void AnswerNextModal(std::function<void(QWidget*)> action, int timeoutMs = 5000);
// Presses the button with this text (mnemonic "&" ignored) or object name in the widget.
bool ClickButton(QWidget* dialog, const QString& textOrName);
// Saves a picture of the widget to $KORRIN_SHOTS (or the test root) and returns the path.
QString GrabToPng(QWidget* widget, const QString& name);

template <typename T>
T* Find(QObject* parent, const char* name) {
  return parent->findChild<T*>(QString::fromLatin1(name));
}

}  // namespace korrin::test
