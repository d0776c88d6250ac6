#pragma once
// The message editor "Korrin Mail Editor": header fields, tagline bar, the
// message text and the list of files to attach. Every decision is taken by
// its TEditSession; this window shows it and hands it what the user typed.
// At most one exists; the main window creates it for New, Reply, Forward and
// Out Box editing and keeps a guarded reference to it.

#include <QMainWindow>

#include <string>
#include <vector>

#include "explorer/settings.h"
#include "reading/edit_session.h"

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QToolButton;
class QWidget;

namespace korrin {

class TMainHost;
struct TConfRec;

// The editor's commands, each member named as its action object.
struct TEditorActions {
  // File
  QAction *Sendmessage1 = nullptr, *AddressBook1 = nullptr, *Properties1 = nullptr, *Cancelmessage1 = nullptr;
  // Edit
  QAction *Undo1 = nullptr, *Cut1 = nullptr, *Copy1 = nullptr, *Paste1 = nullptr, *SellectAll1 = nullptr;
  // View
  QAction *Toolbar1 = nullptr, *Options1 = nullptr, *AddressBook2 = nullptr, *KorrinExplorer1 = nullptr;
  // Mail
  QAction *NewMessage1 = nullptr, *Public1 = nullptr, *Private1 = nullptr;
  // Insert
  QAction *Textfile1 = nullptr, *Fileattachment1 = nullptr, *Signiture1 = nullptr;
  // Help
  QAction *Introduction1 = nullptr, *UsingKorrinHelp1 = nullptr, *EditorHelp1 = nullptr, *About1 = nullptr;
};

class TEditForm : public QMainWindow {
  Q_OBJECT
public:
  // Creation: font and placement, conference list, first conference, record
  // defaults, taglines, forced status, random tagline when the option is on.
  explicit TEditForm(TMainHost& host);
  ~TEditForm() override;

  TEditSession& Session() { return session_; }
  TQWKMsg& QWKMsg2() { return session_.QWKMsg2(); }
  const std::string& UserName() const { return session_.UserName(); }

  // Replaces the text with the quoted text of the loaded source message.
  void QuoteMessage();
  // Selects the conference's entry (the first one when it is not listed)
  // and runs the conference choice.
  void SelectConference(unsigned conference);
  // Runs the conference choice for the selected entry.
  void ConfBoxChange(int index);
  // An edited Out Box message's attachments, listed under the text.
  void ShowFoundAttachments();
  // Loads the source message of the selected list row and prepares a reply,
  // a forward or (for the Out Box) an edit, then shows the editor. False when
  // the message could not be read.
  bool StartFrom(const TConfRec& folder, int row, const std::string& boxFile, bool forward);

  // Restores a minimized editor to its last state and brings it to the top.
  void BringToFront();
  // Clears the changed flag and closes without asking.
  void Discard();
  // True once the window has been closed (it is freed right after).
  bool Closed() const { return closed_; }
  // The To field, for the main window's questions (UTF-8).
  std::string Recipient() const;
  // The recipients chosen in the address book: a non-empty To replaces the
  // To field (and the record's recipient), a non-empty CC the CC field.
  void SetRecipients(const std::string& to, const std::string& cc);
  // ExplorerButton1 and ExplorerButton2: the recipient chooser.
  void ExplorerButton1Click();
  void ApplyEditorFont(const TFontSetting& font);

  // Commands.
  // Posts the message; true when it was saved (the editor then closes).
  bool Sendmessage1Click();
  void NewMessage1Click();
  void InsertTextFile1Click();
  // Appends a text file's lines to the end of the text; false when refused.
  bool ImportTextFile(const std::string& path);
  void Signiture1Click();
  void TaglineCaptionClick();  // another tagline at random
  void TagLabelClick();        // no tagline
  void TagBtnClick();          // the tagline chooser
  void InsertBtnClick();       // a file to attach
  void AddAttachment(const std::string& path);
  void ShowAttachment(const std::string& path);
  void StatusClick();          // toggle the status
  void DropFile1DropFile(const std::vector<std::string>& names);
  bool FormCloseQuery();

  // The edit fields as the session takes them.
  TEditFields Fields() const;
  QPlainTextEdit* Memo1() const { return memo_; }
  const TEditorActions& Commands() const { return acts_; }
  // The tagline shown ("<None>" when none).
  QString TagText() const;

protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void changeEvent(QEvent* event) override;

private:
  QAction* Action(const char* name, const QString& caption, const QKeySequence& shortcut, const QString& hint,
                  int help);
  void BuildActions();
  void BuildMenus();
  void BuildToolbar();
  void BuildHeader();
  void BuildTagBar();
  void BuildBody();
  void ReadPlacement();
  void WritePlacement();
  void LayoutHeader();
  void ApplyOverlay();

  void QWKMsg2HDRChange();
  void QWKMsg2TextChange();
  void RefreshHeader();
  void ShowTagline(const std::string& tagline);
  void UpdateEditCommands();
  void StatusMenuAboutToShow();
  void AppendLines(const std::vector<std::string>& utf8Lines);
  void RefillOutBoxList();

  TMainHost& host_;
  TEditSession session_;
  std::string tagline_;  // the tagline shown, code page 437 (empty: none)
  bool closed_ = false;
  // Esc acts on its release only when its press reached this window, not a menu it closed.
  bool escapePressed_ = false;
  bool posting_ = false;
  Qt::WindowStates lastState_ = Qt::WindowNoState;

  TEditorActions acts_;
  QMenu* StatusMenu = nullptr;
  QWidget* Toolbar = nullptr;
  QLabel* ExLabel = nullptr;
  QWidget* HDRPanel = nullptr;
  QWidget* statusArea_ = nullptr;
  QLabel *ToCaption = nullptr, *CCCaption = nullptr, *SubjectCaption = nullptr, *ConfCaption = nullptr;
  QLineEdit *ToEdit = nullptr, *CCEdit = nullptr, *SubjectEdit = nullptr;
  QComboBox* ConfBox = nullptr;
  QLabel* StatusLabel = nullptr;
  QLabel* HDRPicture = nullptr;
  QToolButton *ExplorerButton1 = nullptr, *ExplorerButton2 = nullptr;
  QWidget* Panel2 = nullptr;
  QLabel* TaglineCaption = nullptr;
  QLabel* TagLabel = nullptr;
  QLabel* TagPicture = nullptr;
  QPushButton* TagBtn = nullptr;
  QPlainTextEdit* memo_ = nullptr;
  QListWidget* AttachViewer = nullptr;
  QFrame* StatusPanel = nullptr;
};

}  // namespace korrin
