#include "reading/qt/edit_form.h"

#include <utility>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

#include "widgets/window_parts.h"
#include "addressbook/qt/address_book_form.h"
#include "addressbook/qt/sel_rec_form.h"
#include "engine/mail_tree.h"
#include "explorer/qt/about_box.h"
#include "explorer/qt/screen_placement.h"
#include "explorer/qt/font_setting_qt.h"
#include "explorer/qt/help_window.h"
#include "explorer/help_topics.h"
#include "platform/ini_file.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/qt/qt_platform.h"
#include "reading/mime_compose.h"
#include "reading/qt/sel_tag_form.h"
#include "session/main_host.h"
#include "session/reader_session.h"
#include "widgets/mail_images.h"

namespace korrin {

namespace {
constexpr int kHelpEditor = 8010;
constexpr int kMinWidth = 460;
constexpr int kMinHeight = 300;
constexpr int kCaptionLeft = 6;
constexpr int kFieldLeft = 88;
constexpr int kStatusAreaWidth = 132;

QStringList ToLines(const std::vector<std::string>& utf8) {
  QStringList lines;
  for (const auto& l : utf8) lines << FromUtf8(l);
  return lines;
}

QLabel* Caption(const QString& text, QWidget* parent, const char* name) {
  auto* l = new QLabel(text, parent);
  l->setObjectName(name);
  l->setCursor(Qt::PointingHandCursor);
  return l;
}
}  // namespace

// ---------------------------------------------------------------- creation

TEditForm::TEditForm(TMainHost& host) : QMainWindow(dynamic_cast<QWidget*>(&host), Qt::Window), host_(host) {
  setObjectName("EditForm");
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(kEditorCaption);
  setWindowIcon(MailImage(TMailImage::miNew));
  setMinimumSize(kMinWidth, kMinHeight);
  SetHelpContext(this, kHelpEditor);
  BuildActions();
  BuildMenus();
  BuildToolbar();
  BuildHeader();
  BuildTagBar();
  BuildBody();

  QVBoxLayout* cl = SetToolbarCentral(this, Toolbar);
  QWidget* central = cl->parentWidget();
  auto* head = new QWidget(central);
  head->setObjectName("HeaderStrip");
  auto* hl = new QHBoxLayout(head);
  hl->setContentsMargins(0, 0, 0, 0);
  hl->setSpacing(0);
  hl->addWidget(HDRPanel, 1);
  hl->addWidget(statusArea_);
  cl->addWidget(head);
  cl->addWidget(Panel2);
  auto* body = new QWidget(central);
  auto* bl = new QVBoxLayout(body);
  bl->setContentsMargins(2, 2, 2, 2);
  bl->setSpacing(2);
  bl->addWidget(memo_, 1);
  bl->addWidget(AttachViewer);
  cl->addWidget(body, 1);
  StatusPanel->setParent(body);

  // 1. font and placement
  const TMainSettings& settings = host_.Session().Settings();
  ApplyEditorFont(settings.EditorFont);
  ReadPlacement();
  ApplyOverlay();

  // 2-6, 8: the session takes the settings, the packet's conferences and the taglines.
  TEditOptions options;
  options.EMail = settings.EMail;
  options.UseMime = settings.UseMime;
  options.AddTags = settings.AddTags;
  options.Signature = settings.Signature;
  session_.SetOptions(options);
  session_.SetOutBoxFolder(host_.Session().Lifecycle().OutBoxFolder());
  session_.SetWorkFolder(host_.Session().WorkFolder());
  session_.OnFormatting = [this](bool on) {
    StatusPanel->setVisible(on);
    if (on) {
      StatusPanel->raise();
      StatusPanel->repaint();
    }
  };
  QWKMsg2().SetOnHDRChange([this](TQWKMsg*) { QWKMsg2HDRChange(); });
  QWKMsg2().SetOnTextChange([this](TQWKMsg*) { QWKMsg2TextChange(); });
  session_.Create(host_.Session().Tree().Directory(), ProgramFolder());
  {
    QSignalBlocker block(ConfBox);
    for (const auto& c : session_.Conferences()) ConfBox->addItem(FromCp437(c));
    ConfBox->setCurrentIndex(session_.ConferenceIndex());
  }
  ShowTagline(QWKMsg2().Tagline());
  RefreshHeader();
  UpdateEditCommands();
  memo_->document()->setModified(false);

  // The main window follows when the editor goes.
  auto follow = [host = &host_] { host->UpdateCommandStates(); };
  if (auto* main = dynamic_cast<QObject*>(&host_)) {
    connect(this, &QObject::destroyed, main, follow);
  } else {
    connect(this, &QObject::destroyed, follow);
  }
}

TEditForm::~TEditForm() {
  QWKMsg2().SetOnHDRChange(nullptr);
  QWKMsg2().SetOnTextChange(nullptr);
}

QAction* TEditForm::Action(const char* name, const QString& caption, const QKeySequence& shortcut,
                           const QString& hint, int help) {
  auto* a = new QAction(caption, this);
  a->setObjectName(name);
  if (!shortcut.isEmpty()) {
    a->setShortcut(shortcut);
    a->setShortcutContext(Qt::WindowShortcut);
  }
  a->setStatusTip(hint);
  a->setToolTip(hint.isEmpty() ? QString(caption).remove('&') : hint);
  SetHelpContext(a, help);
  addAction(a);
  return a;
}

// Makes the command `field` of acts_ with the same object name, so that a
// misspelt name does not compile.
#define NEW_ACTION(field, ...) (acts_.field = Action(#field, __VA_ARGS__))

void TEditForm::BuildActions() {
  // File
  connect(NEW_ACTION(Sendmessage1, "&Post message", QKeySequence(Qt::CTRL | Qt::Key_P), "Send message", kHelpEditor),
          &QAction::triggered, this, [this] { Sendmessage1Click(); });
  connect(NEW_ACTION(AddressBook1, "&Address Book", {}, "Address Book", 8003), &QAction::triggered, this,
          [this] { ShowAddressBook(host_); });
  connect(NEW_ACTION(Properties1, "&Properties", {}, "Show the properties", 8006), &QAction::triggered, this,
          [this] { host_.ShowPropertiesOnLastPage(); });
  connect(NEW_ACTION(Cancelmessage1, "&Cancel message (ESC)", {}, "Cancel", kHelpEditor), &QAction::triggered, this,
          [this] { Discard(); });
  // Edit
  connect(NEW_ACTION(Undo1, "&Undo", QKeySequence(Qt::CTRL | Qt::Key_Z), "Undo", kHelpEditor), &QAction::triggered,
          this, [this] {
            memo_->undo();
            UpdateEditCommands();
          });
  connect(NEW_ACTION(Cut1, "Cut", QKeySequence(Qt::CTRL | Qt::Key_X), "Cut", kHelpEditor), &QAction::triggered, this,
          [this] {
            memo_->cut();
            UpdateEditCommands();
          });
  connect(NEW_ACTION(Copy1, "Copy", QKeySequence(Qt::CTRL | Qt::Key_C), "Copy", kHelpEditor), &QAction::triggered, this,
          [this] {
            memo_->copy();
            UpdateEditCommands();
          });
  connect(NEW_ACTION(Paste1, "Paste", QKeySequence(Qt::CTRL | Qt::Key_V), "Paste", kHelpEditor), &QAction::triggered,
          this, [this] {
            memo_->paste();
            UpdateEditCommands();
          });
  connect(
      NEW_ACTION(SellectAll1, "&Sellect All", QKeySequence(Qt::CTRL | Qt::Key_A), "Select the whole text", kHelpEditor),
      &QAction::triggered, this, [this] {
        memo_->selectAll();
        UpdateEditCommands();
      });
  // The text box handles these keys itself while it has the focus.
  for (QAction* n : {acts_.Undo1, acts_.Cut1, acts_.Copy1, acts_.Paste1, acts_.SellectAll1})
    n->setShortcutContext(Qt::WidgetShortcut);
  // View
  auto* tb = NEW_ACTION(Toolbar1, "Toolbar", {}, "Show or hide the toolbar", kHelpEditor);
  tb->setCheckable(true);
  tb->setChecked(true);
  connect(tb, &QAction::toggled, this, [this](bool on) { Toolbar->setVisible(on); });
  connect(NEW_ACTION(Options1, "&Options", QKeySequence(Qt::CTRL | Qt::Key_O), "Change the options", 5488),
          &QAction::triggered, this, [this] {
            host_.ShowOptions(2);
            update();
          });
  connect(NEW_ACTION(AddressBook2, "&Address Book", {}, "Address Book", 8003), &QAction::triggered, this,
          [this] { ShowAddressBook(host_); });
  connect(NEW_ACTION(KorrinExplorer1, "Korrin Explorer", {}, "Bring the explorer forward", kHelpEditor),
          &QAction::triggered, this, [this] { host_.BringMainToFront(); });
  // Mail
  connect(
      NEW_ACTION(NewMessage1, "&New message", QKeySequence(Qt::CTRL | Qt::Key_N), "Start a new message", kHelpEditor),
      &QAction::triggered, this, [this] { NewMessage1Click(); });
  connect(NEW_ACTION(Public1, "Public", {}, "A public message", kHelpEditor), &QAction::triggered, this, [this] {
    session_.ChooseStatus(tStatus::sPublic);
    RefreshHeader();
  });
  connect(NEW_ACTION(Private1, "Private", {}, "A private message", kHelpEditor), &QAction::triggered, this, [this] {
    session_.ChooseStatus(tStatus::sPrivate);
    RefreshHeader();
  });
  acts_.Public1->setCheckable(true);
  acts_.Private1->setCheckable(true);
  // Insert
  connect(NEW_ACTION(Textfile1, "&Text file", QKeySequence(Qt::CTRL | Qt::Key_I), "Insert text file", kHelpEditor),
          &QAction::triggered, this, [this] { InsertTextFile1Click(); });
  connect(NEW_ACTION(Fileattachment1, "&File attachment", QKeySequence(Qt::CTRL | Qt::Key_U), "Insert file attachment",
                     kHelpEditor),
          &QAction::triggered, this, [this] { InsertBtnClick(); });
  connect(NEW_ACTION(Signiture1, "&Signiture", QKeySequence(Qt::CTRL | Qt::Key_S), "Insert signature", kHelpEditor),
          &QAction::triggered, this, [this] { Signiture1Click(); });
  // Help
  connect(NEW_ACTION(Introduction1, "&Introduction", {}, "Open the help contents", 8026), &QAction::triggered, this,
          [] { THelp::ShowContents(); });
  connect(NEW_ACTION(UsingKorrinHelp1, "&Using Korrin Help", {}, "How to use the help", 8001), &QAction::triggered,
          this, [] { THelp::ShowTopic("hlp_Using_TesselHelp"); });
  connect(NEW_ACTION(EditorHelp1, "&Editor Help", {}, "Help on the editor", kHelpEditor), &QAction::triggered, this,
          [] { THelp::ShowTopic(kTopicEditor); });
  connect(NEW_ACTION(About1, "&About", {}, "About Korrin", 8026), &QAction::triggered, this,
          [this] { TAboutBox::Execute(this, kEditorCaption); });
}

#undef NEW_ACTION

void TEditForm::BuildMenus() {
  auto menu = [this](const char* name, const QString& title) {
    QMenu* m = menuBar()->addMenu(title);
    m->setObjectName(name);
    return m;
  };
  auto add = [](QMenu* m, std::initializer_list<QAction*> actions) { AddActions(m, actions); };
  add(menu("File1", "&File"),
      {acts_.Sendmessage1, nullptr, acts_.AddressBook1, acts_.Properties1, nullptr, acts_.Cancelmessage1});
  QMenu* edit = menu("Edit1", "&Edit");
  add(edit, {acts_.Undo1, nullptr, acts_.Cut1, acts_.Copy1, acts_.Paste1, nullptr, acts_.SellectAll1});
  connect(edit, &QMenu::aboutToShow, this, &TEditForm::UpdateEditCommands);
  QMenu* view = menu("View1", "&View");
  add(view, {acts_.Toolbar1, nullptr, acts_.Options1, nullptr, acts_.AddressBook2, acts_.KorrinExplorer1});
  // "&Address Book" brings the window forward, so it shows only while the window exists.
  connect(view, &QMenu::aboutToShow, this, [this] { acts_.AddressBook2->setVisible(TAdressBook::Instance()); });
  QMenu* mail = menu("Mail1", "&Mail");
  add(mail, {acts_.NewMessage1, nullptr});
  StatusMenu = mail->addMenu("Status");
  StatusMenu->setObjectName("Status1");
  add(StatusMenu, {acts_.Public1, acts_.Private1});
  connect(StatusMenu, &QMenu::aboutToShow, this, &TEditForm::StatusMenuAboutToShow);
  add(menu("Insert1", "&Insert"), {acts_.Textfile1, acts_.Fileattachment1, acts_.Signiture1});
  add(menu("Help1", "&Help"), {acts_.Introduction1, acts_.UsingKorrinHelp1, acts_.EditorHelp1, nullptr, acts_.About1});
}

void TEditForm::BuildToolbar() {
  Toolbar = new QWidget(this);
  Toolbar->setObjectName("Toolbar");
  Toolbar->setAutoFillBackground(true);
  auto* row = new QHBoxLayout(Toolbar);
  row->setContentsMargins(4, 2, 4, 2);
  row->setSpacing(1);
  auto button = [this, row](const char* name, TMailImage picture, QAction* action, const QString& hint) {
    auto* b = new QToolButton(Toolbar);
    b->setObjectName(name);
    b->setAutoRaise(true);
    b->setIconSize(QSize(24, 24));
    b->setToolButtonStyle(Qt::ToolButtonIconOnly);
    if (action) {
      action->setIcon(MailImage(picture));
      b->setDefaultAction(action);
    } else {
      b->setIcon(MailImage(picture));
    }
    b->setToolTip(hint);
    b->setStatusTip(hint);
    SetHelpContext(b, kHelpEditor);
    row->addWidget(b);
    return b;
  };
  button("SendBtn", TMailImage::miSend, acts_.Sendmessage1, "Send message");
  row->addSpacing(6);
  button("UndoBtn", TMailImage::miUndo, acts_.Undo1, "Undo");
  button("CutBtn", TMailImage::miCut, acts_.Cut1, "Cut");
  button("CopyBtn", TMailImage::miCopy, acts_.Copy1, "Copy");
  button("PasteBtn", TMailImage::miPaste, acts_.Paste1, "Paste");
  row->addSpacing(6);
  button("InsertTextBtn", TMailImage::miTextFile, acts_.Textfile1, "Insert text file");
  button("InsertBtn", TMailImage::miAttachment, acts_.Fileattachment1, "Insert file attachment");
  button("SignatureBtn", TMailImage::miSignature, acts_.Signiture1, "Insert signature");
  row->addSpacing(6);
  auto* help = button("HelpBtn", TMailImage::miHelp, nullptr, "Help");
  connect(help, &QToolButton::clicked, this, [] { THelp::ShowTopic(kTopicEditor); });
  button("CancelBtn", TMailImage::miCancel, acts_.Cancelmessage1, "Cancel");
  auto* book = new QToolButton(Toolbar);
  book->setObjectName("AddressBtn");
  book->setIcon(MailImage(TMailImage::miAddress));
  book->setIconSize(QSize(24, 24));
  book->setAutoRaise(true);
  book->setToolTip("Address Book");
  connect(book, &QToolButton::clicked, this, [this] { ShowAddressBook(host_); });
  row->addWidget(book);
  row->addStretch(1);
  ExLabel = new QLabel(Toolbar);
  ExLabel->setObjectName("ExLabel");
  QFont f = ExLabel->font();
  f.setItalic(true);
  ExLabel->setFont(f);
  ExLabel->setStyleSheet("color: #1f3f7a");
  row->addWidget(ExLabel);
}

void TEditForm::BuildHeader() {
  HDRPanel = new QWidget(this);
  HDRPanel->setObjectName("HDRPanel");
  HDRPanel->setFixedHeight(106);
  HDRPanel->setAutoFillBackground(true);
  SetHelpContext(HDRPanel, kHelpEditor);
  ToCaption = Caption("To:", HDRPanel, "ToCaption");
  CCCaption = Caption("Cc:", HDRPanel, "CCCaption");
  SubjectCaption = Caption("Subject:", HDRPanel, "SubjectCaption");
  ConfCaption = Caption("Conference:", HDRPanel, "ConfCaption");
  ToEdit = new QLineEdit(HDRPanel);
  ToEdit->setObjectName("ToEdit");
  CCEdit = new QLineEdit(HDRPanel);
  CCEdit->setObjectName("CCEdit");
  CCEdit->setToolTip(kCCHint);
  CCEdit->setStatusTip(kCCHint);
  SubjectEdit = new QLineEdit(HDRPanel);
  SubjectEdit->setObjectName("SubjectEdit");
  ConfBox = new QComboBox(HDRPanel);
  ConfBox->setObjectName("ConfBox");
  ConfBox->setToolTip(kConfBoxHint);
  ConfBox->setStatusTip(kConfBoxHint);
  for (QWidget* w : std::initializer_list<QWidget*>{ToEdit, CCEdit, SubjectEdit, ConfBox}) {
    SetHelpContext(w, kHelpEditor);
    w->installEventFilter(this);
  }
  for (QLabel* l : {ToCaption, CCCaption, SubjectCaption, ConfCaption}) {
    l->installEventFilter(this);
    l->setToolTip(FromUtf8(session_.StatusHint()).section('|', 0, 0));
  }
  ExplorerButton1 = new QToolButton(HDRPanel);
  ExplorerButton1->setObjectName("ExplorerButton1");
  ExplorerButton2 = new QToolButton(HDRPanel);
  ExplorerButton2->setObjectName("ExplorerButton2");
  for (QToolButton* b : {ExplorerButton1, ExplorerButton2}) {
    b->setIcon(MailImage(TMailImage::miAddress));
    b->setAutoRaise(true);
    b->setToolTip("Choose recipients from the address book");
    connect(b, &QToolButton::clicked, this, &TEditForm::ExplorerButton1Click);
  }
  connect(ToEdit, &QLineEdit::textChanged, this, [this](const QString& t) { session_.ToFieldChanged(ToUtf8(t)); });
  connect(SubjectEdit, &QLineEdit::textChanged, this,
          [this](const QString& t) { session_.SubjectFieldChanged(ToUtf8(t)); });
  connect(ConfBox, &QComboBox::currentIndexChanged, this, &TEditForm::ConfBoxChange);
  HDRPanel->installEventFilter(this);

  statusArea_ = new QWidget(this);
  statusArea_->setObjectName("StatusArea");
  statusArea_->setFixedSize(kStatusAreaWidth, 106);
  statusArea_->setAutoFillBackground(true);
  auto* sl = new QVBoxLayout(statusArea_);
  sl->setContentsMargins(4, 8, 8, 4);
  sl->setSpacing(4);
  StatusLabel = new QLabel(kStatusPublicText, statusArea_);
  StatusLabel->setObjectName("StatusLabel");
  StatusLabel->setAlignment(Qt::AlignCenter);
  StatusLabel->setCursor(Qt::PointingHandCursor);
  QFont bold = StatusLabel->font();
  bold.setBold(true);
  StatusLabel->setFont(bold);
  StatusLabel->setFrameShape(QFrame::StyledPanel);
  StatusLabel->setFrameShadow(QFrame::Sunken);
  StatusLabel->setMinimumHeight(22);
  StatusLabel->installEventFilter(this);
  sl->addWidget(StatusLabel);
  HDRPicture = new QLabel(statusArea_);
  HDRPicture->setObjectName("HDRPicture");
  HDRPicture->setAlignment(Qt::AlignCenter);
  HDRPicture->setPixmap(MailPixmap(TMailImage::miNew, 56));
  sl->addWidget(HDRPicture, 1);
}

void TEditForm::LayoutHeader() {
  const int w = HDRPanel->width();
  const int rowHeight = 22, step = 25, top = 4;
  // The fields follow the header's width up to their largest size.
  const int toWidth = std::clamp(w - 150, 40, 297);
  const int subjectWidth = std::clamp(w - 122, 40, 325);
  QLabel* captions[] = {ToCaption, CCCaption, SubjectCaption, ConfCaption};
  QWidget* fields[] = {ToEdit, CCEdit, SubjectEdit, ConfBox};
  for (int i = 0; i < 4; ++i) {
    int y = top + i * step;
    captions[i]->setGeometry(kCaptionLeft, y, kFieldLeft - kCaptionLeft - 4, rowHeight);
    fields[i]->setGeometry(kFieldLeft, y, i < 2 ? toWidth : subjectWidth, rowHeight);
  }
  ExplorerButton1->setGeometry(kFieldLeft + toWidth + 2, top, rowHeight, rowHeight);
  ExplorerButton2->setGeometry(kFieldLeft + toWidth + 2, top + step, rowHeight, rowHeight);
}

void TEditForm::BuildTagBar() {
  Panel2 = new QWidget(this);
  Panel2->setObjectName("Panel2");
  Panel2->setFixedHeight(26);
  Panel2->setAutoFillBackground(true);
  auto* row = new QHBoxLayout(Panel2);
  row->setContentsMargins(kCaptionLeft, 2, 46, 2);
  row->setSpacing(6);
  TagPicture = new QLabel(Panel2);
  TagPicture->setObjectName("TagPicture");
  TagPicture->setPixmap(MailPixmap(TMailImage::miReadMessage, 18));
  TagPicture->setCursor(Qt::PointingHandCursor);
  TagPicture->setToolTip("Remove the tagline");
  TagPicture->installEventFilter(this);
  row->addWidget(TagPicture);
  TaglineCaption = Caption("Tagline:", Panel2, "TaglineCaption");
  TaglineCaption->setToolTip("Pick another tagline");
  TaglineCaption->installEventFilter(this);
  row->addWidget(TaglineCaption);
  TagLabel = new QLabel(kNoTaglineLabel, Panel2);
  TagLabel->setObjectName("TagLabel");
  TagLabel->setCursor(Qt::PointingHandCursor);
  TagLabel->setToolTip("Remove the tagline");
  TagLabel->setTextFormat(Qt::PlainText);
  TagLabel->installEventFilter(this);
  QFont f = TagLabel->font();
  f.setItalic(true);
  TagLabel->setFont(f);
  row->addWidget(TagLabel, 1);
  TagBtn = new QPushButton("...", Panel2);
  TagBtn->setObjectName("TagBtn");
  TagBtn->setFixedSize(40, 20);
  TagBtn->setToolTip("Choose a tagline");
  connect(TagBtn, &QPushButton::clicked, this, &TEditForm::TagBtnClick);
  Panel2->installEventFilter(this);
}

void TEditForm::BuildBody() {
  memo_ = new QPlainTextEdit(this);
  memo_->setObjectName("Memo1");
  memo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  memo_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  memo_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  memo_->setTabChangesFocus(false);
  SetHelpContext(memo_, kHelpEditor);
  memo_->installEventFilter(this);
  memo_->viewport()->installEventFilter(this);
  memo_->viewport()->setAcceptDrops(true);
  // Edit-command shortcuts act on the text box.
  for (QAction* n : {acts_.Undo1, acts_.Cut1, acts_.Copy1, acts_.Paste1, acts_.SellectAll1}) memo_->addAction(n);
  connect(memo_, &QPlainTextEdit::copyAvailable, this, [this](bool) { UpdateEditCommands(); });
  connect(memo_, &QPlainTextEdit::undoAvailable, this, [this](bool) { UpdateEditCommands(); });
  connect(QApplication::clipboard(), &QClipboard::dataChanged, this, &TEditForm::UpdateEditCommands);

  AttachViewer = new QListWidget(this);
  AttachViewer->setObjectName("AttachViewer");
  AttachViewer->setViewMode(QListView::IconMode);
  AttachViewer->setFlow(QListView::LeftToRight);
  AttachViewer->setWrapping(false);
  AttachViewer->setFixedHeight(72);
  AttachViewer->hide();

  StatusPanel = new QFrame(this);
  StatusPanel->setObjectName("StatusPanel");
  StatusPanel->setFrameShape(QFrame::Panel);
  StatusPanel->setFrameShadow(QFrame::Raised);
  StatusPanel->setAutoFillBackground(true);
  auto* sp = new QHBoxLayout(StatusPanel);
  auto* pic = new QLabel(StatusPanel);
  pic->setPixmap(MailPixmap(TMailImage::miAttachment, 32));
  sp->addWidget(pic);
  auto* notice = new QLabel(kBusyNoticeText, StatusPanel);
  QFont f = notice->font();
  f.setBold(true);
  notice->setFont(f);
  sp->addWidget(notice);
  StatusPanel->resize(240, 56);
  StatusPanel->hide();
}

void TEditForm::ApplyEditorFont(const TFontSetting& font) {
  memo_->setFont(FontFromSetting(font));
  QPalette pal = memo_->palette();
  pal.setColor(QPalette::Text, ColorFromNumber(font.Color));
  memo_->setPalette(pal);
}

void TEditForm::ApplyOverlay() {
  QColor base = QApplication::palette().color(QPalette::Window);
  for (QWidget* w : {Toolbar, HDRPanel, statusArea_, Panel2}) {
    QPalette pal = w->palette();
    if (host_.Session().Settings().OverlayPictures) {
      QLinearGradient g(0, 0, 0, w == Panel2 ? 26 : 106);
      g.setColorAt(0, base.lighter(110));
      g.setColorAt(1, base.darker(105));
      pal.setBrush(QPalette::Window, g);
    } else {
      pal.setBrush(QPalette::Window, base);
    }
    w->setPalette(pal);
  }
}

// ---------------------------------------------------------------- placement

void TEditForm::ReadPlacement() {
  TIniFile ini(ProgramFolder() + kIniFileName);
  TIniPlacement p = ReadIniPlacement(ini, kEditorIniSection, false);
  const TWindowPlacement w = PlaceOnScreens(p.Stored ? &p.Placement : nullptr, ScreenAreas(), 545, 379, 0.5);
  acts_.Toolbar1->setChecked(p.Toolbar);
  Toolbar->setVisible(p.Toolbar);
  RestorePlacement(this, w, kMinWidth, kMinHeight);
  if (w.WindowState == TWindowState::wsMaximized) lastState_ = Qt::WindowMaximized;
}

void TEditForm::WritePlacement() {
  TIniPlacement p;
  p.Placement = PlacementOf(this);
  p.Toolbar = acts_.Toolbar1->isChecked();
  TIniFile ini(ProgramFolder() + kIniFileName);
  WriteIniPlacement(ini, kEditorIniSection, p, false);
}

void TEditForm::changeEvent(QEvent* event) {
  if (event->type() == QEvent::WindowStateChange && !isMinimized())
    lastState_ = windowState() & ~Qt::WindowMinimized;
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) UpdateEditCommands();
  QMainWindow::changeEvent(event);
}

void TEditForm::BringToFront() {
  if (isMinimized()) setWindowState(lastState_ & ~Qt::WindowMinimized);
  show();
  raise();
  activateWindow();
}

// ---------------------------------------------------------------- the record's events

void TEditForm::QWKMsg2HDRChange() { RefreshHeader(); }

void TEditForm::QWKMsg2TextChange() {
  QStringList lines;
  for (const auto& l : QWKMsg2().Text()) lines << FromCharset(l, QWKMsg2().Charset());
  memo_->setPlainText(lines.join('\n'));
  memo_->moveCursor(QTextCursor::Start);
  memo_->document()->setModified(false);
  UpdateEditCommands();
}

void TEditForm::RefreshHeader() {
  QString status = FromUtf8(session_.StatusText());
  if (!status.isEmpty()) StatusLabel->setText(status);
  ExLabel->setText(FromCp437(session_.FlagText()));
  if (!QWKMsg2().Tagline().empty()) ShowTagline(QWKMsg2().Tagline());
  session_.HeaderRefresh();
  QString hint = FromUtf8(session_.StatusHint()).section('|', 0, 0);
  for (QLabel* l : {StatusLabel, ToCaption, CCCaption, SubjectCaption, ConfCaption}) {
    l->setToolTip(hint);
    l->setStatusTip(hint);
  }
  acts_.Public1->setEnabled(session_.PublicEnabled());
  acts_.Private1->setEnabled(session_.PrivateEnabled());
}

void TEditForm::ShowTagline(const std::string& tagline) {
  tagline_ = tagline;
  TagLabel->setText(tagline.empty() ? QString(kNoTaglineLabel) : FromCp437(tagline));
}

QString TEditForm::TagText() const { return TagLabel->text(); }

void TEditForm::StatusMenuAboutToShow() {
  acts_.Public1->setChecked(QWKMsg2().Status() == tStatus::sPublic);
  acts_.Private1->setChecked(QWKMsg2().Status() == tStatus::sPrivate);
  acts_.Public1->setEnabled(session_.PublicEnabled());
  acts_.Private1->setEnabled(session_.PrivateEnabled());
}

void TEditForm::UpdateEditCommands() {
  if (!memo_) return;
  bool selected = memo_->textCursor().hasSelection();
  acts_.Copy1->setEnabled(selected);
  acts_.Cut1->setEnabled(selected);
  acts_.Undo1->setEnabled(memo_->document()->isUndoAvailable());
  acts_.Paste1->setEnabled(!QApplication::clipboard()->text().isEmpty());
}

// ---------------------------------------------------------------- conferences and status

void TEditForm::ConfBoxChange(int index) {
  session_.ConfBoxChange(index);
  RefreshHeader();
}

void TEditForm::SelectConference(unsigned conference) {
  int index = session_.FindConference(conference);
  if (index < 0) return;
  {
    QSignalBlocker block(ConfBox);
    ConfBox->setCurrentIndex(index);
  }
  ConfBoxChange(index);
}

void TEditForm::StatusClick() {
  session_.ToggleStatus();
  RefreshHeader();
}

// ---------------------------------------------------------------- starting from a message

bool TEditForm::StartFrom(const TConfRec& folder, int row, const std::string& boxFile, bool forward) {
  TQWKMsg& msg = QWKMsg2();
  const std::string directory = host_.Session().Tree().Directory();
  msg.SetPacketDirectory(directory);
  if (forward) session_.BeginForward();
  bool loaded = folder.Kind == TFolderKind::fkConference ? msg.LoadFromPacket(directory, row + 1, folder)
                                                         : !boxFile.empty() && msg.LoadFromFile(boxFile, folder);
  if (!loaded) return false;
  TEditSession::TEditStart start;
  if (forward) {
    start = session_.PrepareForward();
  } else if (folder.Kind == TFolderKind::fkOutBox) {
    start = session_.PrepareOutBoxEdit(boxFile);
    QWKMsg2TextChange();  // the text without its tagline line
    ShowTagline(msg.Tagline());
    if (session_.Attachments().empty()) {
      ShowFoundAttachments();
    } else {
      for (const auto& path : session_.Attachments()) ShowAttachment(path);  // taken back: posted again
    }
  } else {
    QuoteMessage();
    start = session_.PrepareReply();
  }
  ToEdit->setText(FromUtf8(start.To));
  CCEdit->setText(FromUtf8(start.CC));
  SubjectEdit->setText(FromUtf8(start.Subject));
  SelectConference(start.Conference);
  memo_->moveCursor(QTextCursor::Start);
  memo_->document()->setModified(false);
  show();
  return true;
}

void TEditForm::QuoteMessage() {
  auto lines = session_.QuoteMessage();
  if (!lines) return;
  QStringList text;
  for (const auto& l : *lines) text << FromCharset(l, QWKMsg2().Charset());
  memo_->setPlainText(text.join('\n'));
  memo_->moveCursor(QTextCursor::Start);
  memo_->document()->setModified(false);
  UpdateEditCommands();
}

void TEditForm::ShowFoundAttachments() {
  TTesselMime& mime = session_.TesselMime1();
  if (!mime.AttachmentFound()) {
    AttachViewer->hide();
    return;
  }
  AttachViewer->clear();
  AttachViewer->show();
  for (const auto& name : mime.FileNames()) {
    QString lower = FromCp437(name).toLower();
    AttachViewer->addItem(new QListWidgetItem(FileIcon(lower), lower));
  }
}

// ---------------------------------------------------------------- commands

TEditFields TEditForm::Fields() const {
  TEditFields f;
  f.To = ToUtf8(ToEdit->text());
  f.CC = ToUtf8(CCEdit->text());
  f.Subject = ToUtf8(SubjectEdit->text());
  for (const QString& line : memo_->toPlainText().split('\n')) f.Lines.push_back(ToUtf8(line));
  return f;
}

std::string TEditForm::Recipient() const { return ToUtf8(ToEdit->text()); }

void TEditForm::SetRecipients(const std::string& to, const std::string& cc) {
  if (!to.empty()) ToEdit->setText(FromUtf8(to));  // the record's MsgTo follows the field
  if (!cc.empty()) CCEdit->setText(FromUtf8(cc));
  session_.UpdateSenderLine(ToUtf8(ToEdit->text()));
}

void TEditForm::ExplorerButton1Click() {
  TAddressBookStore book(host_.Session().Registry());
  TChosenRecipients chosen;
  if (ChooseRecipients(this, book, ToUtf8(ToEdit->text()), chosen)) SetRecipients(chosen.To, chosen.CC);
}

bool TEditForm::Sendmessage1Click() {
  if (posting_) return false;
  posting_ = true;
  QWKMsg2().SetTagline(tagline_);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  bool ok = session_.Post(Fields());
  QApplication::restoreOverrideCursor();
  posting_ = false;
  if (!ok) return false;
  RefillOutBoxList();
  memo_->document()->setModified(false);
  close();
  return true;
}

void TEditForm::RefillOutBoxList() {
  TMailTree& tree = host_.Session().Tree();
  if (tree.Selected() && tree.Selected() == tree.OutBox()) host_.RefillList();
}

void TEditForm::NewMessage1Click() {
  memo_->clear();
  ToEdit->clear();
  SubjectEdit->clear();
  ToEdit->setEnabled(true);
  ConfBox->setEnabled(true);
  memo_->document()->setModified(false);
  UpdateEditCommands();
}

void TEditForm::InsertTextFile1Click() {
  auto path = GetPrompts().OpenFile("Insert text file", kTextFileFilter, host_.Session().Settings().Packets);
  if (path) ImportTextFile(*path);
}

void TEditForm::AppendLines(const std::vector<std::string>& utf8Lines) {
  QTextCursor c(memo_->document());
  c.movePosition(QTextCursor::End);
  QString text = ToLines(utf8Lines).join('\n');
  bool empty = memo_->document()->isEmpty();
  c.insertText(empty ? text : "\n" + text);
  memo_->setTextCursor(c);
  memo_->ensureCursorVisible();
  UpdateEditCommands();
}

bool TEditForm::ImportTextFile(const std::string& path) {
  auto lines = TEditSession::ImportTextFile(path);
  if (!lines) return false;
  AppendLines(*lines);
  return true;
}

void TEditForm::Signiture1Click() { AppendLines(session_.SignatureLines()); }

void TEditForm::TaglineCaptionClick() {
  if (auto t = session_.PickRandomTagline(tagline_)) ShowTagline(*t);
}

void TEditForm::TagLabelClick() {
  session_.RemoveTagline();
  ShowTagline(std::string());
}

void TEditForm::TagBtnClick() {
  QWKMsg2().SetTagline(tagline_);
  if (TSelTagForm::Choose(TagLabel, QWKMsg2(), this)) ShowTagline(QWKMsg2().Tagline());
}

void TEditForm::InsertBtnClick() {
  auto path = GetPrompts().OpenFile("Insert file attachment", "All files (*)", host_.Session().Settings().Packets);
  if (path) AddAttachment(*path);
}

void TEditForm::AddAttachment(const std::string& path) {
  session_.Attachments().push_back(path);
  ShowAttachment(path);
}

void TEditForm::ShowAttachment(const std::string& path) {
  QString caption = FromUtf8(TMimeCompose::AttachmentCaption(path));
  AttachViewer->addItem(new QListWidgetItem(FileIcon(caption), caption));
  AttachViewer->show();
}

void TEditForm::DropFile1DropFile(const std::vector<std::string>& names) {
  QStringList args = QCoreApplication::arguments();
  std::string first = args.size() > 1 ? ToUtf8(args[1]) : std::string();
  auto name = TEditSession::DroppedFileName(names, first);
  if (!name) return;
  bool mime = session_.Options().UseMime;
  if (GetPrompts().Box(TBoxKind::bkConfirmation, TMimeCompose::DropQuestion(*name, mime), TBoxButtons::bbYesNo) !=
      TBoxAnswer::baNo)
    AddAttachment(*name);
}

// ---------------------------------------------------------------- closing

void TEditForm::Discard() {
  memo_->document()->setModified(false);
  close();
}

bool TEditForm::FormCloseQuery() {
  if (!TEditSession::AskOnClose(memo_->document()->isModified())) return true;
  if (!GetPrompts().ConfirmYesNo(kCloseQuestion)) return true;
  // Yes: post; a message that cannot be posted keeps the editor open.
  if (posting_) return false;
  posting_ = true;
  QWKMsg2().SetTagline(tagline_);
  bool ok = session_.Post(Fields());
  posting_ = false;
  if (ok) {
    memo_->document()->setModified(false);
    RefillOutBoxList();
  }
  return ok;
}

void TEditForm::closeEvent(QCloseEvent* event) {
  if (closed_) {
    event->accept();
    return;
  }
  if (!FormCloseQuery()) {
    event->ignore();
    return;
  }
  WritePlacement();
  closed_ = true;
  event->accept();
}

// ---------------------------------------------------------------- keys, clicks and drops

void TEditForm::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && !event->isAutoRepeat()) escapePressed_ = true;
  QMainWindow::keyPressEvent(event);
}

void TEditForm::keyReleaseEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && !event->isAutoRepeat()) {
    if (std::exchange(escapePressed_, false)) close();  // no field has the focus: through the close question
    return;
  }
  QMainWindow::keyReleaseEvent(event);
}

bool TEditForm::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress:
      if (auto* key = static_cast<QKeyEvent*>(event); key->key() == Qt::Key_Escape && !key->isAutoRepeat())
        escapePressed_ = true;
      break;
    case QEvent::KeyRelease: {
      auto* key = static_cast<QKeyEvent*>(event);
      bool field = watched == memo_ || watched == ToEdit || watched == CCEdit || watched == SubjectEdit ||
                   watched == ConfBox;
      if (field && key->key() == Qt::Key_Escape && !key->isAutoRepeat()) {
        // The release of an Esc that closed a menu is not the user's Esc to this window.
        if (std::exchange(escapePressed_, false)) Discard();
        return true;
      }
      if (watched == ToEdit) session_.UpdateSenderLine(ToUtf8(ToEdit->text()));
      if (watched == memo_) UpdateEditCommands();
      break;
    }
    case QEvent::MouseButtonRelease:
      if (watched == memo_->viewport()) {
        UpdateEditCommands();
      } else if (watched == StatusLabel || watched == ToCaption || watched == CCCaption || watched == SubjectCaption ||
                 watched == ConfCaption) {
        StatusClick();
        return true;
      } else if (watched == TaglineCaption) {
        TaglineCaptionClick();
        return true;
      } else if (watched == TagLabel || watched == TagPicture) {
        TagLabelClick();
        return true;
      }
      break;
    case QEvent::Resize:
      if (watched == HDRPanel) LayoutHeader();
      if (watched == Panel2) TagBtn->move(Panel2->width() - 46, 3);
      if (watched == memo_->viewport() && StatusPanel)
        StatusPanel->move((memo_->width() - StatusPanel->width()) / 2, (memo_->height() - StatusPanel->height()) / 2);
      break;
    case QEvent::DragEnter:
    case QEvent::DragMove:
      if (watched == memo_->viewport()) {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (drag->mimeData()->hasUrls()) {
          drag->acceptProposedAction();
          return true;
        }
      }
      break;
    case QEvent::Drop:
      if (watched == memo_->viewport()) {
        auto* drop = static_cast<QDropEvent*>(event);
        if (drop->mimeData()->hasUrls()) {
          std::vector<std::string> names;
          for (const QUrl& u : drop->mimeData()->urls())
            if (u.isLocalFile()) names.push_back(ToUtf8(u.toLocalFile()));
          drop->acceptProposedAction();
          DropFile1DropFile(names);
          return true;
        }
      }
      break;
    default: break;
  }
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace korrin
