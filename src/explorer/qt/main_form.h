#pragma once
// The explorer main window: folder tree, message list, quick viewer,
// toolbar with the post-office selector, and the status bar.

#include <QMainWindow>
#include <QPoint>
#include <QPointer>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "archive/xceed_zip.h"
#include "engine/door_control.h"
#include "engine/packet_lifecycle.h"
#include "engine/qwk_msg.h"
#include "engine/qwk_post_office.h"
#include "engine/to_door.h"
#include "engine/to_reader.h"
#include "explorer/downloads.h"
#include "explorer/mail_commands.h"
#include "explorer/settings.h"
#include "platform/registry.h"
#include "session/main_host.h"
#include "session/reader_session.h"
#include "engine/tessel_mime.h"
#include "widgets/list_view_ex.h"

class QAbstractButton;
class QDragEnterEvent;
class QDropEvent;
class QMimeData;
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
class TTextViewHighlighter;
class TProgressGauge;
class TMSGView;
class TNewFilesForm;
class TFindMSGForm;

// The main window's commands, each member named as its action object.
struct TMainActions {
  // File
  QAction *OpenMailPacket1 = nullptr, *CloseMailPacket1 = nullptr, *OpenReplyPacket1 = nullptr,
          *CreateReplyPacket1 = nullptr, *AddressBook1 = nullptr, *Properties1 = nullptr, *Exit1 = nullptr;
  // Edit
  QAction *Taglines1 = nullptr, *AddConference1 = nullptr, *Keywords1 = nullptr, *Twits1 = nullptr, *Filters1 = nullptr;
  // View
  QAction *Toolbar1 = nullptr, *Statusline1 = nullptr, *QuickViewer1 = nullptr, *LargeIcons1 = nullptr,
          *SmallIcons1 = nullptr, *List1 = nullptr, *Details1 = nullptr, *Options1 = nullptr, *AddressBook2 = nullptr,
          *MSGViewer1 = nullptr, *MSGEditor1 = nullptr, *NewFiles1 = nullptr, *MailFinder1 = nullptr;
  // Mail
  QAction *MarkasRead1 = nullptr, *MarkasUnRead1 = nullptr, *NewMessage1 = nullptr, *ViewMessage1 = nullptr,
          *ReplytoMessage1 = nullptr, *ForwardMessage1 = nullptr, *Search1 = nullptr, *DeleteMessage1 = nullptr,
          *DeleteALLMessages1 = nullptr;
  // Downloads menu, and the file pop-up PopupMenu4
  QAction *Open2 = nullptr, *Extract1 = nullptr, *ExtractAll2 = nullptr;
  QAction *Open1 = nullptr, *Extract2 = nullptr, *ExtractAll1 = nullptr;
  // Help
  QAction *Topics1 = nullptr, *HelpTopics1 = nullptr, *UsingKorrinHelp1 = nullptr, *ExplorerHelp1 = nullptr,
          *About1 = nullptr;
  // Pop-up and the quick viewer's navigation
  QAction *Copy1 = nullptr, *Selectall1 = nullptr, *NextMessage1 = nullptr, *PreviousMessage1 = nullptr,
          *NextConference1 = nullptr, *PreviousConference1 = nullptr;
};

// The toolbar's command buttons, each member named as its object.
struct TMainButtons {
  QAbstractButton *CloseBtn = nullptr, *OpenBtn = nullptr, *ReadBtn = nullptr, *NewBtn = nullptr, *ReplyBtn = nullptr,
                  *ForwardBtn = nullptr, *DeleteButton = nullptr, *SearchBtn = nullptr;
  // The list's view styles.
  QAbstractButton *SpeedButton5 = nullptr, *SpeedButton2 = nullptr, *SpeedButton3 = nullptr, *SpeedButton4 = nullptr;
};

class TMainForm : public QMainWindow, public TMainHost {
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
  TReaderSession& Session() override { return session_; }
  TQWKMsg& QuickViewerMsg() { return quickMsg_; }
  const std::string& TempDirectory() const { return tempDirectory_; }
  int BusyCount() const { return busyCount_; }

  // The host of the secondary windows.
  TMailList& MailList() override;
  int SelectedRow() const override;
  void SelectRow(int row) override;
  void OpenRow(int row) override;
  void RefillList() override;
  bool Busy() const override { return busyCount_ > 0; }
  void SetBusy(bool on) override;
  // Runs the idle update now (the event loop runs it whenever it empties).
  void UpdateCommandStates() override;
  void NewMessage() override { NewBtnClick(); }
  // The editor for a new message with the address book's recipients.
  void NewMessageTo(const std::string& to, const std::string& cc) override;
  bool MessageWindowOpen(TMessageWindow window) const override;
  void BringMessageWindowForward(TMessageWindow window) override;
  void ReplyMessage() override { ReplyBtnClick(); }
  void ForwardMessage() override { ForwardBtnClick(); }
  void BringMainToFront() override;
  bool AcceptsDrops() const override { return acceptDrops(); }
  void SetAcceptsDrops(bool on) override { setAcceptDrops(on); }
  void CloseProgram() override { close(); }
  void SelectFolder(int node, bool fillList) override;
  bool ViewerExists() const override;
  void BringViewerToFront() override;
  bool FinderExists() const override;
  void ShowFinder() override;
  TFindMSGForm* Finder() const;
  // Closes the mail finder (a running search stops first).
  void CloseFinder();

  // Downloads and drag-and-drop (main_form_downloads.cpp).
  TDownloads& Downloads() { return *downloads_; }
  void Open1Click();
  void Extract2Click();
  void ExtractAll1Click();
  void ExtractIntoPickedFolder(const std::string& caption, const std::function<void(const std::string&)>& run);
  void MailListView1OpenDownload(int index);
  // Files dropped on the window, or named on the command line.
  void DropFile1DropFile(const std::vector<std::string>& names);
  // The same once the window is free (not busy, no box open).
  void OpenWhenIdle(const std::string& path);
  // The files of a drag of the selected rows out of the list, made when a
  // target first asks for them; nullptr when there is nothing to drag.
  QMimeData* DragData();
  // Drags them; false when there was nothing to drag.
  bool StartDragOut();

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
  void ShowOptions(int page) override;
  void ShowProperties();
  // The message editor while it is open (at most one exists).
  TEditForm* Editor() const;
  // The properties dialog on its last page (the viewer's Properties command).
  void ShowPropertiesOnLastPage() override;
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

  // New, Reply/Edit and Forward: the message editor.
  void NewBtnClick();
  void ReplyBtnClick();
  void ForwardBtnClick();

protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
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
  void FolderChanged();
  void OpenMessage(const TConfRec* rec, int index, int count);
  void ApplyQuickViewer();
  void ApplyMinimumSize();
  void KeepSplitInMiddleThird();
  void FitTreePane();
  void SetViewStyle(TViewStyle style, bool refill);
  void QWKPOCombobox1Click();
  void QWKPostOffice1Change();
  // The to-reader file of the tree's folder.
  void ReloadToReader();
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
  // Mark as Read / UnRead of the selected conference rows.
  void MarkSelectedRows(bool read);
  void PopupMenu1AboutToShow();
  void PopupMenu2AboutToShow();
  void RebuildTree();
  // New Files: a double click shows the entry in the new-files viewer.
  void MailListView1ShowNewFile(int index);
  void EditMenuAboutToShow();
  void StartEditor(bool forward);
  void ReadWindowPlacement();
  TWindowPlacement NormalPlacement() const;
  // Downloads and drag-and-drop.
  void BuildDownloads();
  TDownloadContext DownloadContext() const;
  void DownloadsMenuAboutToShow();
  void PopupMenu4AboutToShow();
  std::vector<TDownloadRow> SelectedDownloads() const;
  bool ListDragFilter(QObject* watched, QEvent* event);
  // Makes the files of a drag when its target asks for them; false when one failed.
  bool DragFilesSrc1Dropping(const TConfRec& folder, const std::vector<int>& rows,
                             const std::vector<std::string>& paths);

  QPointer<TNewFilesForm> newFiles_;
  QPointer<TFindMSGForm> finder_;
  bool keepList_ = false;  // the finder selects folders without their list
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
  TTextViewHighlighter* highlighter_ = nullptr;
  TMainActions acts_;
  TMainButtons btns_;
  QMenu *File1 = nullptr, *Edit1 = nullptr, *View1 = nullptr, *Mail1 = nullptr, *Downloads1 = nullptr,
        *Help1 = nullptr;
  QMenu *PopupMenu1 = nullptr, *PopupMenu2 = nullptr, *PopupMenu4 = nullptr;
  std::unique_ptr<TDownloads> downloads_;
  QPoint dragOrigin_{-1, -1};  // the last press in the list; x -1: not armed
  QAction* popupCopySeparator_ = nullptr;
  QAction* windowItemsSeparator_ = nullptr;  // View menu: above the windows' items

  // Colours, bulletins and the list's order (main_form_reading.cpp).
public:
  void SortListBy(int columnKind);  // -1: the packet's order
  void OpenBulletin(int index);
  // Opens the packet's welcome screen when the setting asks for it, once
  // per packet; false when it does not open.
  bool ShowWelcomeScreen();

private:
  void BuildReadingAids();
  void ReadingMenuAboutToShow();
  bool ShowBulletinQuickView(int row);
  QMenu* SortBy1 = nullptr;
  QAction *ShowANSIColours1 = nullptr, *ShowWelcomeScreen1 = nullptr, *SortByDate1 = nullptr,
          *SortByFrom1 = nullptr, *SortByTo1 = nullptr, *SortBySubject1 = nullptr, *PacketOrder1 = nullptr;
  std::string welcomeShownFor_;  // the packet whose welcome screen opened
};

}  // namespace korrin
