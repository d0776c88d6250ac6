#pragma once
// The explorer main window: folder tree, message list, quick viewer,
// toolbar with the post-office selector, and the status bar.

#include <QMainWindow>
#include <QPointer>

#include <map>
#include <memory>
#include <string>

#include "archive/xceed_zip.h"
#include "engine/door_control.h"
#include "engine/packet_lifecycle.h"
#include "engine/qwk_msg.h"
#include "engine/qwk_post_office.h"
#include "engine/to_door.h"
#include "engine/to_reader.h"
#include "explorer/mail_commands.h"
#include "explorer/settings.h"
#include "platform/registry.h"
#include "session/main_host.h"
#include "session/reader_session.h"
#include "engine/tessel_mime.h"
#include "widgets/list_view_ex.h"

class QAbstractButton;
class QAction;
class QFrame;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QSplitter;
class QToolButton;
class QWidget;

namespace korrin {

class TMailTreeView;
class TMailListView;
class TEditForm;
class TQWKPOCombobox;
class TQuoteHighlighter;
class TProgressGauge;
class TMSGView;
class TNewFilesForm;

class TMainForm : public QMainWindow {
  Q_OBJECT
public:
  explicit TMainForm(QWidget* parent = nullptr);
  ~TMainForm() override;

  // Components the other windows and the tests reach.
  TMailTreeView* MailTreeView1() const { return tree_; }
  TMailListView* MailListView1() const { return list_; }
  TQWKPostOffice& PostOffice() { return QWKPostOffice1; }
  TPacketLifecycle& Lifecycle() { return *life_; }
  TMainSettings& Settings() { return settings_; }
  TReaderSession& Session() { return session_; }
  TQWKMsg& QuickViewerMsg() { return quickMsg_; }
  const std::string& TempDirectory() const { return tempDirectory_; }
  int BusyCount() const { return busyCount_; }

  void SetBusy(bool on);
  // Runs the idle update now (the event loop runs it whenever it empties).
  void UpdateCommandStates();

  // Commands.
  void OpenBtnClick();
  bool OpenPacketFile(const std::string& path);
  void CloseBtnClick();
  void OpenReplyPacketClick();
  void CreateReplyPacketClick();
  void ReadBtnClick();
  void DeleteButtonClick();
  void DeleteALLMessages1Click();
  void QuickViewer1Click();
  void ShowOptions(int page);
  void ShowProperties();
  // The message editor while it is open (at most one exists).
  TEditForm* Editor() const;
  // The properties dialog on its last page (the viewer's Properties command).
  void ShowPropertiesOnLastPage();
  // The message viewer while it exists, else nullptr.
  TMSGView* MsgView() const;
  // Closes the message viewer if it exists; the reference is cleared at once.
  void CloseMsgView();
  void GoNextMessage();
  void GoPreviousMessage();
  void GoNextConference();
  void GoPreviousConference();
  void ShowQuickView();
  void ClearQuickView();
  void AttachedBtnClick();
  void UpdateReplyCaption();
  bool QuickViewerShown() const;
  void SetQuickViewerShown(bool shown);

public slots:
  // New, Reply/Edit and Forward: the message editor.
  void NewBtnClick();
  void ReplyBtnClick();
  void ForwardBtnClick();

protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

private:
  void BuildActions();
  void BuildMenus();
  void BuildToolbar();
  void BuildPanes();
  void BuildQuickViewer();
  void BuildStatus();
  void FormCreate();
  bool FormCloseQuery();
  void FormClose();

  QAction* Action(const char* name, const QString& caption, const QKeySequence& shortcut, const QString& hint,
                  int help, void (TMainForm::*slot)());
  TCommandContext Context() const;
  const TConfRec* SelectedRecord() const;
  int SelectedRow() const;
  void SelectRow(int row);
  void FolderChanged();
  void OpenMessage(const TConfRec* rec, int index, int count);
  void ApplyQuickViewer();
  void SetViewStyle(TViewStyle style, bool refill);
  void QWKPOCombobox1Click();
  void QWKPostOffice1Change();
  void ShowStatusPanel(const std::string& caption);
  void HideStatusPanel();
  void ApplyOverlayPictures();
  void ShowAbout();
  void ShowHelp(int context);
  void ShowHelpTopic(const char* topic);
  void OnMsgHeader();
  void OnMsgText();
  void FileMenuAboutToShow();
  void ViewMenuAboutToShow();
  void ApplyMessageCommandStates(const TCommandStates& states);
  void MailMenuAboutToShow();
  void PopupMenu1AboutToShow();
  void PopupMenu2AboutToShow();
  void RebuildTree();
  // New Files: a double click shows the entry in the new-files viewer.
  void MailListView1ShowNewFile(int index);
  void EditMenuAboutToShow();
  void StartEditor(bool forward);
  void ReadWindowPlacement();
  TWindowPlacement NormalPlacement() const;

  // What the secondary windows reach of this window.
  friend class TMainFormHost;
  std::unique_ptr<TMainHost> host_;
  QPointer<TNewFilesForm> newFiles_;
  // Non-visual components: the session, and names for its parts.
  TReaderSession session_;
  TMainSettings& settings_ = session_.Settings();
  TQWKPostOffice& QWKPostOffice1 = session_.PostOffice();
  TQWKMsg& mainMsg_ = session_.Message();
  TTesselMime& TesselMime1 = session_.Mime();
  TToReader& ToReader1 = session_.ToReader();
  TDoorControl& DoorControl1 = session_.DoorControl();
  TXceedZip& MainXZ = session_.Zip();
  TPacketLifecycle* life_ = &session_.Lifecycle();
  const std::string& tempDirectory_ = session_.WorkFolder();
  TQWKMsg quickMsg_;
  QPointer<TEditForm> editor_;  // cleared when the editor is destroyed
  int busyCount_ = 0;
  int lastViewedIndex_ = -1;
  int lastViewedNode_ = -1;
  QPointer<TMSGView> msgView_;
  QPointer<TMSGView> closedView_;  // closed, its deletion still pending
  bool firstActivation_ = true;
  bool closing_ = false;

  // Widgets.
  QWidget* TopPanel = nullptr;
  QWidget* MainPanel = nullptr;
  QSplitter* mainSplit_ = nullptr;   // file manager above the quick viewer
  QSplitter* centerSplit_ = nullptr; // tree beside the list
  QWidget* FileManPanel = nullptr;
  QWidget* ViewerPanel = nullptr;
  QFrame* MainStatusPanel = nullptr;
  QLabel* MainStatusCaption = nullptr;
  TProgressGauge* StatusGauge = nullptr;
  QLabel* TreeHdr = nullptr;
  QLabel* treeststus = nullptr;
  QLabel* ListStatus = nullptr;
  QLabel* InfoPanel = nullptr;
  TMailTreeView* tree_ = nullptr;
  TMailListView* list_ = nullptr;
  TQWKPOCombobox* QWKPOCombobox1 = nullptr;
  QLabel* poLabel_ = nullptr;
  QWidget* QuickViewerHDR = nullptr;
  QLabel* FromLabel = nullptr;
  QLabel* SubjectLabel = nullptr;
  QToolButton* AttachedBtn = nullptr;
  QPlainTextEdit* QuickViewerMemo = nullptr;
  TQuoteHighlighter* highlighter_ = nullptr;
  std::map<std::string, QAbstractButton*> buttons_;
  std::map<std::string, QAction*> actions_;
  QMenu *File1 = nullptr, *Edit1 = nullptr, *View1 = nullptr, *Mail1 = nullptr, *Downloads1 = nullptr,
        *Help1 = nullptr;
  QMenu *PopupMenu1 = nullptr, *PopupMenu2 = nullptr;
  QAction* popupCopySeparator_ = nullptr;
};

}  // namespace korrin
