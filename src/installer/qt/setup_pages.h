#pragma once
// The pages of setup: modal dialogs centred on the screen, without window
// buttons. Each page is closed by Next, Back or Cancel; Esc counts as Cancel.

#include <QDialog>
#include <QString>

#include <string>

#include "installer/setup_wizard.h"

class QComboBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QVBoxLayout;

namespace korrin {

class TSetupController;
struct TSetupState;

// What every page shares: a picture column at the left (when there is a
// picture), the page's texts, and a row of buttons under a rule.
class TPageDialog : public QDialog {
  Q_OBJECT
public:
  // The dialog result of Back (Next accepts, Cancel rejects).
  static constexpr int kBack = 2;

  TPageDialog(QWidget* parent, const char* name, const QString& caption, bool onTop);
  // How the page was closed.
  TPageResult PageResult() const;
  // Back enabled or not; pages without a Back button ignore it.
  void SetBackEnabled(bool on);

  QPushButton* BackBtn = nullptr;
  QPushButton* NextBtn = nullptr;
  QPushButton* CancelBtn = nullptr;

protected:
  // A picture from the work folder at the left; nothing when it cannot be read.
  void SetPicture(const QString& fileName);
  QLabel* AddText(const char* name, const std::string& text, int pointDelta = 0, bool bold = false);
  // The button row; an empty Back caption leaves Back out.
  void AddButtons(const QString& back, const QString& next, const QString& cancel);
  QVBoxLayout* Body() const { return body_; }
  void showEvent(QShowEvent* event) override;

private:
  QHBoxLayout* top_;
  QVBoxLayout* body_;
  QLabel* picture_ = nullptr;
};

// A file of the work folder (its name as the script gives it, looked up
// whatever its case); empty when there is none.
QString WorkFile(const TSetupState& s, const std::string& name);
// A text file for a memo: UTF-8, else code page 437; at most 1 MB of it.
QString LoadTextFile(const QString& fileName);

class TLogoDlg : public TPageDialog {
  Q_OBJECT
public:
  TLogoDlg(QWidget* parent, const TSetupState& s);
};

class TWelcomeDlg : public TPageDialog {
  Q_OBJECT
public:
  // Switches the setup type to "Update" when the destination holds the main program.
  TWelcomeDlg(QWidget* parent, TSetupController& setup);
};

class TLicenseDlg : public TPageDialog {
  Q_OBJECT
public:
  TLicenseDlg(QWidget* parent, const TSetupState& s);
  QPlainTextEdit* Memo = nullptr;
};

class TReadmeDlg : public TPageDialog {
  Q_OBJECT
public:
  TReadmeDlg(QWidget* parent, const TSetupState& s);
  QPlainTextEdit* Memo = nullptr;
};

// The destination folder and the program group.
class TWizard : public TPageDialog {
  Q_OBJECT
public:
  TWizard(QWidget* parent, TSetupController& setup);
  bool UpdateMode() const { return update_; }

  QLineEdit* InstallEdit;
  QPushButton* BrowseBtn;
  QComboBox* GroupEdit;
  QLabel* DirLabel;
  QLabel* InfoLabel;
  QLabel* GroupLabel;

  void done(int result) override;

private:
  void CheckUpdate();
  void Browse();

  TSetupController& setup_;
  bool update_ = false;
};

class TSummery : public TPageDialog {
  Q_OBJECT
public:
  // Switches the setup type to "Update" when the destination holds the main
  // program; Next is disabled when the disk lacks room.
  TSummery(QWidget* parent, TSetupController& setup);
};

class TFinnishedForm : public TPageDialog {
  Q_OBJECT
public:
  // Next is "&Run", Cancel "&Exit".
  TFinnishedForm(QWidget* parent, const TSetupState& s);
};

class TExitDlg : public TPageDialog {
  Q_OBJECT
public:
  // Next is "&Exit", Cancel "&Resume".
  TExitDlg(QWidget* parent, const TSetupState& s);
};

}  // namespace korrin
