#pragma once
// The message viewer window: one message at a time with its header pane,
// the text, and the list of its attachments; stepping through the main
// window's folder, saving to the Save Box, printing, links, finding text,
// extracting and dragging out attachments.

#include <QMainWindow>
#include <QPointer>

#include <string>
#include <vector>

#include "engine/qwk_msg.h"
#include "engine/to_reader.h"
#include "reading/msg_view_navigator.h"
#include "engine/tessel_mime.h"
#include "reading/text_finder.h"

class QAction;
class QFrame;
class QLabel;
class QListWidget;
class QMenu;
class QMimeData;
class QPlainTextEdit;
class QPrinter;
class QToolButton;
class QAbstractButton;

namespace korrin {

class TMainHost;
struct TMainSettings;
class TTextViewHighlighter;
struct TBulletin;
class THeaderSplitter;
class TFindDialog;

// The viewer's commands, each member named as its action object.
struct TViewerActions {
  // File
  QAction *SaveMessage1 = nullptr, *PrintMessage1 = nullptr, *OpenAddressBook1 = nullptr, *AddSender1 = nullptr,
          *AddReciever1 = nullptr, *Properties1 = nullptr, *CloseViewer1 = nullptr, *Exit1 = nullptr;
  // Edit
  QAction *Copy1 = nullptr, *SelectAll1 = nullptr, *Find1 = nullptr, *FindNext1 = nullptr;
  // View
  QAction *Toolbar1 = nullptr, *Statusline1 = nullptr, *Options1 = nullptr, *AddressBook2 = nullptr,
          *KorrinExplorer1 = nullptr, *MailFinder1 = nullptr, *ShowKludgeLines1 = nullptr,
          *ShowANSIColours1 = nullptr;
  // Mail
  QAction *NewMessage1 = nullptr, *ReplytoMessage1 = nullptr, *ForwardMessage1 = nullptr,
          *ExtractFileInserts1 = nullptr;
  // Help
  QAction *Introduction1 = nullptr, *UsingKorrinHelp1 = nullptr, *ViewerHelp1 = nullptr, *About1 = nullptr;
  // Pop-up
  QAction *NextMessage1 = nullptr, *PreviousMessage1 = nullptr, *NextConference1 = nullptr,
          *PreviousConference1 = nullptr, *AddressBook3 = nullptr, *CloseMessageViewer1 = nullptr;
};

// The viewer's toolbar buttons, each member named as its object.
struct TViewerButtons {
  QAbstractButton *PrevBtn = nullptr, *NextBtn = nullptr, *NewBtn = nullptr, *ReplyBtn = nullptr,
                  *PrintButton = nullptr, *SaveBtn = nullptr, *CopyBtn = nullptr, *ForwardBtn = nullptr,
                  *HelpBtn = nullptr;
};

class TMSGView : public QMainWindow {
  Q_OBJECT
public:
  // The viewer reads and drives the main window's tree and list.
  explicit TMSGView(TMainHost& host);
  ~TMSGView() override;

  // Shows message n of the conference (kind 6) or the box file named in the
  // folder record (other kinds), remembering the main window's selected node
  // and row; a new viewer is shown, an existing one brought back.
  void ViewMessage(const std::string& packetFolder, int n, const TConfRec& folder);

  // Shows a bulletin of the packet (row `row` of `count` in the Bulletins
  // folder); false after the error box when it cannot be read.
  bool ViewBulletin(const TBulletin& bulletin, int row, int count);
  bool ShowsBulletin() const { return bulletin_; }
  // Shows the text again (after the colour or kludge-line setting changed).
  void RefreshText() { QWKMsg1TextChange(); }
  TQWKMsg& QWKMsg1() { return msg_; }
  TTesselMime& TesselMime1() { return mime_; }
  // The message's folder kind (of the folder it was loaded from).
  TFolderKind Kind() const { return bulletin_ ? TFolderKind::fkBulletins : msg_.ConfRecord().Kind; }

  // Commands.
  void NextMessage();
  void PreviousMessage();
  void NextConference();
  void PreviousConference();
  void SaveBtnClick();
  void PrintButtonClick();
  // Prints the page to a PDF file without a dialog; false when it cannot be written.
  bool PrintToPdf(const QString& path, int copies = 1);
  void Find1Click();
  void FindNext1Click();
  // Searches the text from the caret as the find dialog does; false when not found (after the box).
  bool FindText(const QString& text, const TFindOptions& options);
  void OpenLinkAt(int position);
  void ExtractSelected();  // double click on a row, paperclip
  void ExtractFileInserts1Click();
  // Extracts the selected rows into a new folder of the work folder for a
  // drag; the files, empty when nothing could be written.
  QStringList PrepareDragFiles();
  void StartAttachmentDrag();
  void Options1Click();
  void Properties1Click();
  void SetHeaderHeight(int height);
  int HeaderHeight() const;

  // Viewer font and quote colour from the settings (on creation and after the options).
  void ApplySettings(const TMainSettings& settings);
  // Button state of the message's kind, selection and busy state.
  void UpdateButtons();
  void SetBusy(bool on);
  bool Busy() const;

  // The address book's "Add Sender" and "Add Reciever": a new contact from the header.
  void AddSenderClick();
  void AddRecieverClick();

protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  friend class THeaderSplitter;
  QAction* Action(const char* name, const QString& caption, const QKeySequence& shortcut, const QString& hint,
                  int help);
  void BuildActions();
  void BuildMenus();
  void BuildToolbar();
  void BuildPanes();
  void BuildStatus();
  void ReadPlacement();
  void WritePlacement();
  void ShowOnTop();
  void QWKMsg1HDRChange();
  void QWKMsg1TextChange();
  void RebuildAttachments();
  void ShowPictures();
  void Extract(const QStringList& captions);
  // Busy with the "Decoding insert . . ." notice, or back.
  void ShowDecoding(bool on);
  QStringList SelectedCaptions() const;
  bool MainFolderHasRecord() const;
  void MailMenuAboutToShow();
  void ViewMenuAboutToShow();
  void EditMenuAboutToShow();
  void AddressMenuAboutToShow();
  void PrintTo(QPrinter& printer);
  void KeyNextPage();

  TMainHost& host_;
  TQWKMsg msg_;
  TTesselMime mime_;
  TToReader toReader_;
  TMsgViewNavigator nav_;
  std::string boxFile_;          // the box file shown (kinds 2, 3, 4)
  bool bulletin_ = false;        // a bulletin is shown, not the message record
  std::vector<std::string> bulletinLines_;
  Qt::WindowStates lastState_ = Qt::WindowNoState;
  QPoint dragStart_{-1, -1};
  bool shownOnce_ = false;
  int navigating_ = 0;  // inside a step through the main list
  bool ownActivation_ = false;  // an activation asked for by showing a message
  QString lastFind_;
  TFindOptions lastOptions_;

  // Widgets.
  QWidget* CenterPanel = nullptr;
  QWidget* TopPanel = nullptr;
  QWidget* Bottompanel = nullptr;
  QWidget* Toolbar = nullptr;
  QLabel *DateLabel = nullptr, *FromLabel = nullptr, *ToLabel = nullptr, *Subjectlabel = nullptr,
         *ConfLabel = nullptr, *StatusLabel = nullptr, *ExLabel = nullptr, *MsgNumLabel = nullptr;
  QLabel *NumberPanel = nullptr, *StatusPanel = nullptr;
  QLabel *TransPic1 = nullptr, *TransPic2 = nullptr;
  QToolButton *PrevConfBtn = nullptr, *NextConfBtn = nullptr, *paperclip = nullptr;
  QPlainTextEdit* Memo1 = nullptr;
  QListWidget* AttachViewer = nullptr;
  QFrame* ViewerStatusPanel = nullptr;
  THeaderSplitter* splitter_ = nullptr;
  QFrame* splitBar_ = nullptr;
  TTextViewHighlighter* highlighter_ = nullptr;
  QPointer<TFindDialog> findDialog_;
  TViewerActions acts_;
  TViewerButtons btns_;
  QMenu *File1 = nullptr, *Edit1 = nullptr, *View1 = nullptr, *Mail1 = nullptr, *Help1 = nullptr,
        *AddressBook1 = nullptr, *PopupMenu1 = nullptr;
};

}  // namespace korrin
