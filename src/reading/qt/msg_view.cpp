#include "reading/qt/msg_view.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDialog>
#include <QDrag>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QSyntaxHighlighter>
#include <QTextBlock>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>

#include "widgets/window_parts.h"
#include "addressbook/qt/address_book_form.h"
#include "addressbook/qt/address_query.h"
#include "engine/mail_tree.h"
#include "engine/mail_list.h"
#include "explorer/qt/about_box.h"
#include "explorer/qt/screen_placement.h"
#include "explorer/qt/font_setting_qt.h"
#include "explorer/qt/help_window.h"
#include "explorer/settings.h"
#include "platform/codepage.h"
#include "platform/ini_file.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/qt/qt_platform.h"
#include "platform/shell.h"
#include "reading/msg_view_commands.h"
#include "engine/bulletins.h"
#include "reading/msg_view_header.h"
#include "reading/msg_view_print.h"
#include "reading/quoted_line.h"
#include "reading/qt/ansi_view.h"
#include "session/main_host.h"
#include "session/reader_session.h"
#include "widgets/explorer_button.h"
#include "widgets/mail_images.h"

namespace fs = std::filesystem;

namespace korrin {

// The strip under the header pane: dragging it shows a black bar, releasing
// gives the header the bar's height.
class THeaderSplitter : public QWidget {
public:
  THeaderSplitter(TMSGView* view, QWidget* parent) : QWidget(parent), view_(view) {
    setObjectName("HeaderSplitter");
    setFixedHeight(5);
    setCursor(Qt::SplitVCursor);
  }

protected:
  void mousePressEvent(QMouseEvent* e) override {
    if (e->button() != Qt::LeftButton) return;
    dragging_ = true;
    MoveBar(e);
    view_->splitBar_->show();
    view_->splitBar_->raise();
  }
  void mouseMoveEvent(QMouseEvent* e) override {
    if (dragging_) MoveBar(e);
  }
  void mouseReleaseEvent(QMouseEvent* e) override {
    if (!dragging_ || e->button() != Qt::LeftButton) return;
    dragging_ = false;
    view_->SetHeaderHeight(HeaderHeightOnRelease(PanelY(e)));
    view_->splitBar_->hide();
  }
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.setPen(palette().color(QPalette::Mid));
    p.drawLine(0, height() / 2 - 1, width(), height() / 2 - 1);
    p.setPen(palette().color(QPalette::Light));
    p.drawLine(0, height() / 2, width(), height() / 2);
  }

private:
  // The mouse position measured from the header pane's top.
  int PanelY(QMouseEvent* e) const { return mapTo(view_->CenterPanel, e->position().toPoint()).y(); }
  void MoveBar(QMouseEvent* e) {
    view_->splitBar_->setGeometry(0, HeaderSplitBarTop(PanelY(e)), view_->CenterPanel->width(), 2);
  }
  TMSGView* view_;
  bool dragging_ = false;
};

// The search dialog: text, whole words, case and direction.
class TFindDialog : public QDialog {
public:
  explicit TFindDialog(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint) {
    setObjectName("FindDialog1");
    setWindowTitle("Find");
    auto* grid = new QGridLayout(this);
    auto* label = new QLabel("Fi&nd what:", this);
    FindEdit = new QLineEdit(this);
    FindEdit->setObjectName("FindEdit");
    label->setBuddy(FindEdit);
    WholeWord = new QCheckBox("Match &whole word only", this);
    WholeWord->setObjectName("WholeWord");
    MatchCase = new QCheckBox("Match &case", this);
    MatchCase->setObjectName("MatchCase");
    auto* dir = new QGroupBox("Direction", this);
    auto* dl = new QHBoxLayout(dir);
    Up = new QRadioButton("&Up", dir);
    Up->setObjectName("UpBtn");
    Down = new QRadioButton("&Down", dir);
    Down->setObjectName("DownBtn");
    Down->setChecked(true);
    dl->addWidget(Up);
    dl->addWidget(Down);
    FindNextBtn = new QPushButton("&Find Next", this);
    FindNextBtn->setObjectName("FindNextBtn");
    FindNextBtn->setDefault(true);
    auto* cancel = new QPushButton("Cancel", this);
    cancel->setObjectName("CancelBtn");
    grid->addWidget(label, 0, 0);
    grid->addWidget(FindEdit, 0, 1, 1, 2);
    grid->addWidget(FindNextBtn, 0, 3);
    grid->addWidget(WholeWord, 1, 0, 1, 2);
    grid->addWidget(dir, 1, 2, 2, 1);
    grid->addWidget(cancel, 1, 3);
    grid->addWidget(MatchCase, 2, 0, 1, 2);
    connect(cancel, &QPushButton::clicked, this, &QDialog::close);
    connect(FindEdit, &QLineEdit::textChanged, this,
            [this](const QString& t) { FindNextBtn->setEnabled(!t.isEmpty()); });
  }
  TFindOptions Options() const {
    TFindOptions o;
    o.MatchCase = MatchCase->isChecked();
    o.WholeWord = WholeWord->isChecked();
    o.Down = Down->isChecked();
    return o;
  }
  QLineEdit* FindEdit;
  QCheckBox *WholeWord, *MatchCase;
  QRadioButton *Up, *Down;
  QPushButton* FindNextBtn;
};

namespace {
// A faint copy of a picture for the backgrounds.
QPixmap Faint(TMailImage image, int size, qreal opacity) {
  QPixmap src = MailPixmap(image, size);
  QPixmap pm(src.size());
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setOpacity(opacity);
  p.drawPixmap(0, 0, src);
  return pm;
}

struct TNavigating {
  explicit TNavigating(int& n) : n_(n) { ++n_; }
  ~TNavigating() { --n_; }
  int& n_;
};

QString ShortHint(const std::string& hint) { return FromUtf8(hint.substr(0, hint.find('|'))); }
QString LongHint(const std::string& hint) {
  size_t bar = hint.find('|');
  return bar == std::string::npos ? FromUtf8(hint) : FromUtf8(hint.substr(bar + 1));
}
}  // namespace

// ---------------------------------------------------------------- creation

TMSGView::TMSGView(TMainHost& host)
    : QMainWindow(nullptr),
      host_(host),
      nav_(host.Session().Tree(), host.MailList(),
           TMsgViewNavHost{[&host] { return host.SelectedRow(); }, [&host](int row) { host.SelectRow(row); },
                           [&host](int row) { host.OpenRow(row); }}) {
  setObjectName("MSGView");
  setWindowTitle("Korrin Mail Viewer");
  setWindowIcon(MailImage(TMailImage::miReadMessage));
  setAttribute(Qt::WA_DeleteOnClose);
  SetHelpContext(this, 8011);
  msg_.SetMimeCTRL(&mime_);
  msg_.SetQWKExtCTRL(&toReader_);
  msg_.SetOnHDRChange([this](TQWKMsg*) { QWKMsg1HDRChange(); });
  msg_.SetOnTextChange([this](TQWKMsg*) { QWKMsg1TextChange(); });
  BuildActions();
  BuildMenus();
  BuildPanes();
  BuildToolbar();
  BuildStatus();
  // Never narrower than the toolbar: its buttons and the counter stay whole.
  setMinimumSize(std::max(500, Toolbar->minimumSizeHint().width()), 300);
  ApplySettings(host_.Session().Settings());
  ReadPlacement();
  UpdateButtons();
}

TMSGView::~TMSGView() {
  msg_.SetOnHDRChange(nullptr);
  msg_.SetOnTextChange(nullptr);
  if (findDialog_) delete findDialog_.data();
}

QAction* TMSGView::Action(const char* name, const QString& caption, const QKeySequence& shortcut, const QString& hint,
                          int help) {
  auto* a = new QAction(caption, this);
  a->setObjectName(name);
  if (!shortcut.isEmpty()) a->setShortcut(shortcut);
  a->setStatusTip(hint);
  a->setToolTip(hint.isEmpty() ? QString(caption).remove('&') : hint);
  SetHelpContext(a, help);
  addAction(a);
  return a;
}

// Makes the command `field` of acts_ with the same object name, so that a
// misspelt name does not compile.
#define NEW_ACTION(field, ...) (acts_.field = Action(#field, __VA_ARGS__))

void TMSGView::BuildActions() {
  auto on = [this](QAction* a, auto fn) { connect(a, &QAction::triggered, this, fn); };
  // File
  NEW_ACTION(SaveMessage1, "&Save Message", QKeySequence(Qt::CTRL | Qt::Key_S), "Copy the message to the Save Box",
             8011);
  on(acts_.SaveMessage1, [this] { SaveBtnClick(); });
  NEW_ACTION(PrintMessage1, "&Print message", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F12), "Print the message",
             8011);
  on(acts_.PrintMessage1, [this] { PrintButtonClick(); });
  NEW_ACTION(OpenAddressBook1, "Open", {}, "Open the address book", 8003);
  on(acts_.OpenAddressBook1, [this] { ShowAddressBook(host_); });
  NEW_ACTION(AddSender1, "Add Sender", {}, "Add the sender to the address book", 8003);
  on(acts_.AddSender1, [this] { AddSenderClick(); });
  NEW_ACTION(AddReciever1, "Add Reciever", {}, "Add the recipient to the address book", 8003);
  on(acts_.AddReciever1, [this] { AddRecieverClick(); });
  NEW_ACTION(Properties1, "&Properties", {}, "Show the properties", 8006);
  on(acts_.Properties1, [this] { Properties1Click(); });
  NEW_ACTION(CloseViewer1, "&Close Viewer", QKeySequence(Qt::CTRL | Qt::Key_V), "Close the viewer", 8011);
  on(acts_.CloseViewer1, [this] { close(); });
  NEW_ACTION(Exit1, "&Exit Program", QKeySequence(Qt::CTRL | Qt::Key_E), "Exit the program", 8007);
  on(acts_.Exit1, [this] { host_.CloseProgram(); });
  // Edit
  NEW_ACTION(Copy1, "&Copy", QKeySequence(Qt::CTRL | Qt::Key_C), "Copy the selected text", 8011);
  on(acts_.Copy1, [this] { Memo1->copy(); });
  NEW_ACTION(SelectAll1, "&Select All", QKeySequence(Qt::CTRL | Qt::Key_A), "Select the whole text", 8011);
  on(acts_.SelectAll1, [this] {
    Memo1->selectAll();
    UpdateButtons();
  });
  NEW_ACTION(Find1, "&Find", {}, "Search the text", 8011);
  on(acts_.Find1, [this] { Find1Click(); });
  NEW_ACTION(FindNext1, "&FindNext", {}, "Search again", 8011);
  on(acts_.FindNext1, [this] { FindNext1Click(); });
  // View
  auto* tb = NEW_ACTION(Toolbar1, "&Toolbar", {}, "Show or hide the toolbar", 8011);
  tb->setCheckable(true);
  on(acts_.Toolbar1, [this](bool v) { Toolbar->setVisible(v); });
  auto* sl = NEW_ACTION(Statusline1, "&Statusline", {}, "Show or hide the status line", 8011);
  sl->setCheckable(true);
  on(acts_.Statusline1, [this](bool v) { statusBar()->setVisible(v); });
  NEW_ACTION(Options1, "&Options", QKeySequence(Qt::CTRL | Qt::Key_O), "Change the options", 5488);
  on(acts_.Options1, [this] { Options1Click(); });
  NEW_ACTION(AddressBook2, "Address Book", {}, "Show the address book", 8003)->setVisible(false);
  on(acts_.AddressBook2, [this] { ShowAddressBook(host_); });
  NEW_ACTION(KorrinExplorer1, "Korrin Explorer", {}, "Show the explorer window", 8002);
  on(acts_.KorrinExplorer1, [this] { host_.BringMainToFront(); });
  NEW_ACTION(MailFinder1, "Mail Finder", {}, "Show the mail finder", 5487)->setVisible(false);
  connect(acts_.MailFinder1, &QAction::triggered, this, [this] { host_.ShowFinder(); });
  NEW_ACTION(ShowKludgeLines1, "Show kludge lines", {}, "Show or hide the networks' control lines", 8011)
      ->setCheckable(true);
  on(acts_.ShowKludgeLines1, [this](bool v) {
    host_.Session().Settings().ShowKludgeLines = v;
    QWKMsg1TextChange();
  });
  NEW_ACTION(ShowANSIColours1, "Show ANSI colours", {}, "Show colour sequences as colours, or plain text", 8011)
      ->setCheckable(true);
  acts_.ShowANSIColours1->setChecked(host_.Session().Settings().ShowAnsiColours);
  on(acts_.ShowANSIColours1, [this](bool v) {
    host_.Session().Settings().ShowAnsiColours = v;
    QWKMsg1TextChange();
  });
  // Mail: New, Reply and Forward are the main window's commands.
  NEW_ACTION(NewMessage1, "&New Message", QKeySequence(Qt::CTRL | Qt::Key_N), "Write a new message", 8019);
  NEW_ACTION(ReplytoMessage1, "&Reply to Message", QKeySequence(Qt::CTRL | Qt::Key_R), "Reply to the message", 8021);
  NEW_ACTION(ForwardMessage1, "&Forward Message", QKeySequence(Qt::CTRL | Qt::Key_F), "Forward the message", 8022);
  // They act on the main list's selected row: the row shown is selected again first.
  on(acts_.NewMessage1, [this] {
    nav_.ReselectWhenUnselected();
    host_.NewMessage();
  });
  on(acts_.ReplytoMessage1, [this] {
    nav_.ReselectWhenUnselected();
    host_.ReplyMessage();
  });
  on(acts_.ForwardMessage1, [this] {
    nav_.ReselectWhenUnselected();
    host_.ForwardMessage();
  });
  NEW_ACTION(ExtractFileInserts1, "Extract File Inserts", {}, "Extract every attached file", 8011);
  on(acts_.ExtractFileInserts1, [this] { ExtractFileInserts1Click(); });
  // Help
  NEW_ACTION(Introduction1, "&Introduction", {}, "Open the help contents", 8026);
  on(acts_.Introduction1, [] { THelp::ShowContents(); });
  NEW_ACTION(UsingKorrinHelp1, "&Using Korrin Help", {}, "How to use the help", 8001);
  on(acts_.UsingKorrinHelp1, [] { THelp::ShowTopic("hlp_Using_TesselHelp"); });
  NEW_ACTION(ViewerHelp1, "&Viewer Help", {}, "Help on this window", 8011);
  on(acts_.ViewerHelp1, [] { THelp::ShowTopic("hlp_Viewer"); });
  NEW_ACTION(About1, "&About", {}, "About Korrin", 8026);
  on(acts_.About1, [this] { TAboutBox::Execute(this, "Korrin Mail Viewer"); });
  // Navigation (pop-up and buttons)
  NEW_ACTION(NextMessage1, "Next Message", {}, "Show the next message", 8011);
  on(acts_.NextMessage1, [this] { NextMessage(); });
  NEW_ACTION(PreviousMessage1, "Previous Message", {}, "Show the previous message", 8011);
  on(acts_.PreviousMessage1, [this] { PreviousMessage(); });
  NEW_ACTION(NextConference1, "Next Conference", {}, "Go to the next conference", 8011);
  on(acts_.NextConference1, [this] { NextConference(); });
  NEW_ACTION(PreviousConference1, "Previous Conference", {}, "Go to the previous conference", 8011);
  on(acts_.PreviousConference1, [this] { PreviousConference(); });
  NEW_ACTION(AddressBook3, "Address Book", {}, "Open the address book", 8003);
  on(acts_.AddressBook3, [this] { ShowAddressBook(host_); });
  NEW_ACTION(CloseMessageViewer1, "Close Message Viewer", {}, "Close the viewer", 8011);
  on(acts_.CloseMessageViewer1, [this] { close(); });
}

#undef NEW_ACTION

void TMSGView::BuildMenus() {
  auto menu = [this](const char* name, const QString& title, const QString& hint) {
    QMenu* m = menuBar()->addMenu(title);
    m->setObjectName(name);
    m->menuAction()->setStatusTip(hint);
    return m;
  };
  auto add = [](QMenu* m, std::initializer_list<QAction*> actions) { AddActions(m, actions); };
  File1 = menu("File1", "&File", "Saving, printing and closing");
  add(File1, {acts_.SaveMessage1, acts_.PrintMessage1, nullptr});
  AddressBook1 = File1->addMenu("Address Book");
  AddressBook1->setObjectName("AddressBook1");
  add(AddressBook1, {acts_.OpenAddressBook1, acts_.AddSender1, acts_.AddReciever1});
  connect(AddressBook1, &QMenu::aboutToShow, this, &TMSGView::AddressMenuAboutToShow);
  add(File1, {acts_.Properties1, nullptr, acts_.CloseViewer1, acts_.Exit1});
  Edit1 = menu("Edit1", "&Edit", "Copying and searching the text");
  add(Edit1, {acts_.Copy1, acts_.SelectAll1, nullptr, acts_.Find1, acts_.FindNext1});
  connect(Edit1, &QMenu::aboutToShow, this, &TMSGView::EditMenuAboutToShow);
  View1 = menu("View1", "&View", "Bars, options and the other windows");
  add(View1, {acts_.Toolbar1, acts_.Statusline1, acts_.ShowKludgeLines1, acts_.ShowANSIColours1, nullptr, acts_.Options1, nullptr,
              acts_.AddressBook2,
              acts_.KorrinExplorer1, acts_.MailFinder1});
  connect(View1, &QMenu::aboutToShow, this, &TMSGView::ViewMenuAboutToShow);
  Mail1 = menu("Mail1", "&Mail", "Writing and attachments");
  add(Mail1, {acts_.NewMessage1, acts_.ReplytoMessage1, acts_.ForwardMessage1, nullptr, acts_.ExtractFileInserts1});
  connect(Mail1, &QMenu::aboutToShow, this, &TMSGView::MailMenuAboutToShow);
  Help1 = menu("Help1", "&Help", "Help on the viewer");
  add(Help1, {acts_.Introduction1, acts_.UsingKorrinHelp1, acts_.ViewerHelp1, nullptr, acts_.About1});

  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName("PopupMenu1");
  add(PopupMenu1, {acts_.NextMessage1, acts_.PreviousMessage1, acts_.NextConference1, acts_.PreviousConference1,
                   nullptr, acts_.NewMessage1, acts_.ReplytoMessage1, acts_.ForwardMessage1, nullptr,
                   acts_.AddressBook3, acts_.Properties1, nullptr, acts_.CloseMessageViewer1, acts_.Exit1});
}

void TMSGView::BuildToolbar() {
  Toolbar = new QWidget(this);
  Toolbar->setObjectName("Toolbar");
  auto* row = new QHBoxLayout(Toolbar);
  row->setContentsMargins(4, 2, 8, 2);
  row->setSpacing(0);
  struct Btn {
    QAbstractButton* TViewerButtons::*member;
    const char* name;
    const char* caption;
    QIcon icon;
    const char* hint;
    int help;
    std::function<void()> click;
  };
// A member of btns_ and its object name, spelt once.
#define BUTTON(field) &TViewerButtons::field, #field
  const Btn btns[] = {
      {BUTTON(PrevBtn), "Prev", MailImage(TMailImage::miPrevious), "Previous Message", 8011,
       [this] { PreviousMessage(); }},
      {BUTTON(NextBtn), "Next", MailImage(TMailImage::miNext), "Next Message", 8011, [this] { NextMessage(); }},
      {BUTTON(NewBtn), "New", MailImage(TMailImage::miNew), "New Message", 8019,
       [this] { acts_.NewMessage1->trigger(); }},
      {BUTTON(ReplyBtn), "Reply", MailImage(TMailImage::miReply), "Reply to Author", 8021,
       [this] { acts_.ReplytoMessage1->trigger(); }},
      {BUTTON(PrintButton), "Print", MailImage(TMailImage::miPrint), "Print Message", 8011,
       [this] { PrintButtonClick(); }},
      {BUTTON(SaveBtn), "Save", MailImage(TMailImage::miSaveBox), "Save Message", 8011, [this] { SaveBtnClick(); }},
      {BUTTON(CopyBtn), "Copy", MailImage(TMailImage::miCopy), "Copy", 8011, [this] { Memo1->copy(); }},
      {BUTTON(ForwardBtn), "Forward", MailImage(TMailImage::miForward), "Forward Message", 8022,
       [this] { acts_.ForwardMessage1->trigger(); }},
      {BUTTON(HelpBtn), "Help", MailImage(TMailImage::miHelp), "Help", 8011, [] { THelp::ShowTopic("hlp_Viewer"); }}};
#undef BUTTON
  for (const Btn& b : btns) {
    auto* button = new TExplorerButton(b.caption, b.icon, Toolbar);
    button->setObjectName(b.name);
    button->SetGlyphSize(26);
    button->setToolTip(b.hint);
    button->setStatusTip(b.hint);
    SetHelpContext(button, b.help);
    if (b.click) connect(button, &QAbstractButton::clicked, this, b.click);
    button->installEventFilter(this);
    row->addWidget(button);
    btns_.*b.member = button;
  }
  row->addStretch(1);
  MsgNumLabel = new QLabel(Toolbar);
  MsgNumLabel->setObjectName("MsgNumLabel");
  QFont f = MsgNumLabel->font();
  f.setBold(true);
  f.setPointSizeF(f.pointSizeF() * 1.15);
  MsgNumLabel->setFont(f);
  // Room for counters of the largest conferences, so "17 of 26" never loses a digit.
  MsgNumLabel->setMinimumWidth(QFontMetrics(f).horizontalAdvance("00000 of 00000"));
  MsgNumLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  row->addWidget(MsgNumLabel);

  SetToolbarCentral(this, Toolbar)->addWidget(CenterPanel, 1);
}

void TMSGView::BuildPanes() {
  CenterPanel = new QWidget(this);
  CenterPanel->setObjectName("CenterPanel");
  auto* cl = new QVBoxLayout(CenterPanel);
  cl->setContentsMargins(0, 0, 0, 0);
  cl->setSpacing(0);

  // Header pane.
  TopPanel = new QWidget(CenterPanel);
  TopPanel->setObjectName("TopPanel");
  TopPanel->setAutoFillBackground(true);
  TopPanel->setFixedHeight(113);
  TopPanel->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(TopPanel, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& p) { PopupMenu1->popup(TopPanel->mapToGlobal(p)); });
  TransPic1 = new QLabel(TopPanel);
  TransPic1->setObjectName("TransPic1");
  TransPic1->setPixmap(Faint(TMailImage::miReadMessage, 96, 0.13));
  TransPic1->setAttribute(Qt::WA_TransparentForMouseEvents);
  TransPic1->adjustSize();
  auto* hl = new QHBoxLayout(TopPanel);
  hl->setContentsMargins(10, 5, 26, 5);
  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(10);
  grid->setVerticalSpacing(1);
  QFont bold = font();
  bold.setBold(true);
  auto caption = [&](const char* text, int row) {
    auto* l = new QLabel(text, TopPanel);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, pal.color(QPalette::WindowText).lighter(160));
    l->setPalette(pal);
    grid->addWidget(l, row, 0);
    return l;
  };
  auto value = [&](const char* name, int row, bool strong) {
    auto* l = new QLabel(TopPanel);
    l->setObjectName(name);
    if (strong) l->setFont(bold);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    l->setContextMenuPolicy(Qt::NoContextMenu);
    l->setMinimumWidth(1);
    grid->addWidget(l, row, 1);
    return l;
  };
  caption("Posted :", 0);
  DateLabel = value("DateLabel", 0, false);
  caption("From :", 1);
  FromLabel = value("FromLabel", 1, true);
  caption("To :", 2);
  ToLabel = value("ToLabel", 2, true);
  caption("Subject :", 3);
  Subjectlabel = value("Subjectlabel", 3, true);
  caption("Posted in", 4);
  ConfLabel = value("ConfLabel", 4, false);
  ExLabel = value("ExLabel", 5, false);
  QFont small = font();
  small.setItalic(true);
  ExLabel->setFont(small);
  grid->setColumnStretch(1, 1);
  hl->addLayout(grid, 1);
  auto* right = new QVBoxLayout;
  right->setSpacing(2);
  StatusLabel = new QLabel(TopPanel);
  StatusLabel->setObjectName("StatusLabel");
  StatusLabel->setFont(bold);
  StatusLabel->setAlignment(Qt::AlignRight | Qt::AlignTop);
  StatusLabel->setMinimumWidth(QFontMetrics(bold).horizontalAdvance("P R I V A T E") + 6);
  right->addWidget(StatusLabel);
  right->addStretch(1);
  auto confButton = [this](const char* name, const char* hint, Qt::ArrowType arrow, void (TMSGView::*slot)()) {
    auto* b = new QToolButton(TopPanel);
    b->setObjectName(name);
    b->setArrowType(arrow);
    b->setAutoRaise(true);
    b->setToolTip(hint);
    b->setStatusTip(hint);
    b->setFixedSize(22, 18);
    connect(b, &QToolButton::clicked, this, slot);
    return b;
  };
  auto* confRow = new QHBoxLayout;
  confRow->addStretch(1);
  PrevConfBtn = confButton("PrevConfBtn", "Previous conference", Qt::UpArrow, &TMSGView::PreviousConference);
  NextConfBtn = confButton("NextConfBtn", "Next conference", Qt::DownArrow, &TMSGView::NextConference);
  confRow->addWidget(PrevConfBtn);
  confRow->addWidget(NextConfBtn);
  right->addLayout(confRow);
  hl->addLayout(right);
  cl->addWidget(TopPanel);

  splitter_ = new THeaderSplitter(this, CenterPanel);
  cl->addWidget(splitter_);

  // Text and attachments.
  Bottompanel = new QWidget(CenterPanel);
  Bottompanel->setObjectName("Bottompanel");
  auto* bl = new QVBoxLayout(Bottompanel);
  bl->setContentsMargins(0, 0, 0, 0);
  bl->setSpacing(2);
  Memo1 = new QPlainTextEdit(Bottompanel);
  Memo1->setObjectName("Memo1");
  Memo1->setReadOnly(true);
  Memo1->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  Memo1->setContextMenuPolicy(Qt::CustomContextMenu);
  Memo1->document()->setDocumentMargin(8);
  SetHelpContext(Memo1, 8011);
  Memo1->installEventFilter(this);
  Memo1->viewport()->installEventFilter(this);
  connect(Memo1, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& p) { PopupMenu1->popup(Memo1->viewport()->mapToGlobal(p)); });
  connect(Memo1, &QPlainTextEdit::selectionChanged, this, &TMSGView::UpdateButtons);
  highlighter_ = new TTextViewHighlighter(Memo1);
  bl->addWidget(Memo1, 1);

  AttachViewer = new QListWidget(Bottompanel);
  AttachViewer->setObjectName("AttachViewer");
  AttachViewer->setViewMode(QListView::IconMode);
  AttachViewer->setMovement(QListView::Static);
  AttachViewer->setFlow(QListView::LeftToRight);
  AttachViewer->setWrapping(true);
  AttachViewer->setResizeMode(QListView::Adjust);
  AttachViewer->setIconSize(QSize(32, 32));
  AttachViewer->setGridSize(QSize(110, 58));
  AttachViewer->setWordWrap(true);
  AttachViewer->setSelectionMode(QAbstractItemView::ExtendedSelection);
  AttachViewer->setDragDropMode(QAbstractItemView::NoDragDrop);
  AttachViewer->setFixedHeight(66);
  AttachViewer->setContextMenuPolicy(Qt::CustomContextMenu);
  AttachViewer->viewport()->installEventFilter(this);
  AttachViewer->hide();
  connect(AttachViewer, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& p) { PopupMenu1->popup(AttachViewer->viewport()->mapToGlobal(p)); });
  connect(AttachViewer, &QListWidget::itemSelectionChanged, this, [this] {
    paperclip->setEnabled(!Busy() && !AttachViewer->selectedItems().isEmpty());
    UpdateButtons();
  });
  connect(AttachViewer, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem*) { ExtractSelected(); });
  bl->addWidget(AttachViewer);
  cl->addWidget(Bottompanel, 1);

  ViewerStatusPanel = new QFrame(Bottompanel);
  ViewerStatusPanel->setObjectName("ViewerStatusPanel");
  ViewerStatusPanel->setFrameShape(QFrame::Panel);
  ViewerStatusPanel->setFrameShadow(QFrame::Raised);
  ViewerStatusPanel->setAutoFillBackground(true);
  auto* vl = new QHBoxLayout(ViewerStatusPanel);
  vl->setContentsMargins(14, 10, 18, 10);
  TransPic2 = new QLabel(ViewerStatusPanel);
  TransPic2->setObjectName("TransPic2");
  TransPic2->setPixmap(MailPixmap(TMailImage::miAttachment, 32));
  vl->addWidget(TransPic2);
  auto* busyText = new QLabel("Decoding insert . . .", ViewerStatusPanel);
  busyText->setFont(bold);
  vl->addWidget(busyText);
  ViewerStatusPanel->adjustSize();
  ViewerStatusPanel->hide();

  splitBar_ = new QFrame(CenterPanel);
  splitBar_->setObjectName("SplitBar");
  splitBar_->setAutoFillBackground(true);
  QPalette black = splitBar_->palette();
  black.setColor(QPalette::Window, Qt::black);
  splitBar_->setPalette(black);
  splitBar_->hide();
}

void TMSGView::BuildStatus() {
  QStatusBar* bar = statusBar();
  bar->setObjectName("Statusline");
  bar->setSizeGripEnabled(true);
  NumberPanel = new QLabel(bar);
  NumberPanel->setObjectName("NumberPanel");
  NumberPanel->setFrameShape(QFrame::Panel);
  NumberPanel->setFrameShadow(QFrame::Sunken);
  NumberPanel->setMinimumWidth(150);
  StatusPanel = new QLabel(bar);
  StatusPanel->setObjectName("StatusPanel");
  StatusPanel->setFrameShape(QFrame::Panel);
  StatusPanel->setFrameShadow(QFrame::Sunken);
  paperclip = new QToolButton(bar);
  paperclip->setObjectName("paperclip");
  paperclip->setIcon(MailImage(TMailImage::miAttachment));
  paperclip->setIconSize(QSize(16, 16));
  paperclip->setAutoRaise(true);
  paperclip->setToolTip("Extract Attached File");
  paperclip->setStatusTip("Extract Attached File");
  paperclip->setEnabled(false);
  connect(paperclip, &QToolButton::clicked, this, &TMSGView::ExtractSelected);
  bar->addWidget(NumberPanel);
  bar->addWidget(StatusPanel, 1);
  bar->addPermanentWidget(paperclip);
  for (QWidget* w : std::initializer_list<QWidget*>{PrevConfBtn, NextConfBtn, paperclip}) w->installEventFilter(this);
}

// ---------------------------------------------------------------- settings and placement

void TMSGView::ApplySettings(const TMainSettings& settings) {
  QFont f = FontFromSetting(settings.ViewerFont);
  f.setStyleHint(QFont::TypeWriter);
  f.setFamilies({f.family(), QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Monospace")});
  Memo1->setFont(f);
  QPalette pal = Memo1->palette();
  pal.setColor(QPalette::Text, ColorFromNumber(settings.ViewerFont.Color));
  Memo1->setPalette(pal);
  highlighter_->SetQuoteColor(ColorFromNumber(settings.QuoteFont.Color));
  ShowPictures();
}

void TMSGView::ShowPictures() {
  bool on = host_.Session().Settings().OverlayPictures;
  TransPic1->setVisible(on);
  TransPic2->setVisible(on);
  QPalette pal = TopPanel->palette();
  QColor base = QApplication::palette().color(QPalette::Window);
  if (on) {
    QLinearGradient g(0, 0, 0, 113);
    g.setColorAt(0, base.lighter(110));
    g.setColorAt(1, base.darker(104));
    pal.setBrush(QPalette::Window, g);
  } else {
    pal.setBrush(QPalette::Window, base);
  }
  TopPanel->setPalette(pal);
  TransPic1->move(TopPanel->width() - TransPic1->width() - 70, (TopPanel->height() - TransPic1->height()) / 2);
  TransPic1->lower();
}

void TMSGView::ReadPlacement() {
  TIniFile ini(IncludeTrailingBackslash(ProgramFolder()) + kIniFileName);
  TIniPlacement p = ReadIniPlacement(ini, "Viewer", true);
  const TWindowPlacement w = PlaceOnScreens(p.Stored ? &p.Placement : nullptr, ScreenAreas(), 545, 379, 0.5);
  Toolbar->setVisible(p.Toolbar);
  statusBar()->setVisible(p.Statusline);
  acts_.Toolbar1->setChecked(p.Toolbar);
  acts_.Statusline1->setChecked(p.Statusline);
  RestorePlacement(this, w, 500, 300);
  if (w.WindowState == TWindowState::wsMaximized) lastState_ = Qt::WindowMaximized;
}

void TMSGView::WritePlacement() {
  TIniPlacement p;
  p.Placement = PlacementOf(this);
  p.Toolbar = !Toolbar->isHidden();
  p.Statusline = !statusBar()->isHidden();
  TIniFile ini(IncludeTrailingBackslash(ProgramFolder()) + kIniFileName);
  if (!WriteIniPlacement(ini, "Viewer", p, true)) GetPrompts().Error("Could not write file - " + ini.FileName());
}

// ---------------------------------------------------------------- showing a message

void TMSGView::ViewMessage(const std::string& packetFolder, int n, const TConfRec& folder) {
  TNavigating guard(navigating_);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  bulletin_ = false;
  bulletinLines_.clear();
  if (folder.Kind == TFolderKind::fkConference) {
    boxFile_.clear();
    msg_.SetConfName("");
    msg_.LoadFromPacket(packetFolder, n, folder);
  } else {
    std::error_code ec;
    if (!folder.SelectedFile.empty() && fs::is_regular_file(folder.SelectedFile, ec)) {
      boxFile_ = folder.SelectedFile;
      msg_.SetPacketDirectory(packetFolder);  // the conference flags come from the open packet
      msg_.SetConfName("");  // a box file names no conference; the label says which box
      msg_.LoadFromFile(boxFile_, folder);
    }
  }
  ShowOnTop();
  QApplication::restoreOverrideCursor();
  UpdateButtons();
}

void TMSGView::ShowOnTop() {
  nav_.Remember();
  if (!isActiveWindow()) ownActivation_ = true;
  if (shownOnce_) {
    if (isMinimized()) setWindowState(lastState_ & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
    nav_.Reselect();
  } else {
    shownOnce_ = true;
    show();
    raise();
    activateWindow();
  }
}

bool TMSGView::ViewBulletin(const TBulletin& bulletin, int row, int count) {
  TNavigating guard(navigating_);
  std::vector<std::string> lines;
  if (!ReadBulletinLines(bulletin.Path, lines)) {
    GetPrompts().Error("Could not read file - " + bulletin.FileName);
    return false;
  }
  QApplication::setOverrideCursor(Qt::WaitCursor);
  bulletin_ = true;
  bulletinLines_ = std::move(lines);
  boxFile_.clear();
  const PacketIdentity& id = host_.Session().Tree().Identity();
  DateLabel->setText(FromUtf8(bulletin.Date));
  FromLabel->setText(FromCp437(id.BBSName));
  ToLabel->setText(FromCp437(id.UserName));
  Subjectlabel->setText(FromCp437(bulletin.Caption));
  ConfLabel->setText(kBulletinsName);
  ExLabel->clear();
  StatusLabel->clear();
  MsgNumLabel->setText(QString::number(row + 1) + " of " + QString::number(count));
  NumberPanel->setText(FromCp437(bulletin.FileName));
  mime_.Clear();
  QWKMsg1TextChange();
  ShowOnTop();
  QApplication::restoreOverrideCursor();
  UpdateButtons();
  return true;
}

void TMSGView::QWKMsg1HDRChange() {
  int row = host_.SelectedRow();
  int count = static_cast<int>(host_.MailList().Rows().size());
  // Packets write month-day-year whatever the reader's locale.
  TMsgViewHeader h = MsgViewHeader(msg_, row, count, TDateOrder::doMDY);
  DateLabel->setText(FromCp437(h.Date));
  FromLabel->setText(FromCharset(h.From, msg_.Charset()));
  ToLabel->setText(FromCharset(h.To, msg_.Charset()));
  Subjectlabel->setText(FromCharset(h.Subject, msg_.Charset()));
  ConfLabel->setText(FromCp437(h.Conf));
  ExLabel->setText(FromCp437(h.Ex));
  if (h.Status) StatusLabel->setText(FromUtf8(*h.Status));
  MsgNumLabel->setText(FromUtf8(h.MsgNum));
  NumberPanel->setText(FromCp437(h.NumberPanel));
  UpdateButtons();
}

void TMSGView::QWKMsg1TextChange() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const TMainSettings& settings = host_.Session().Settings();
  highlighter_->ShowLines(bulletin_ ? bulletinLines_ : VisibleLines(msg_.Text(), settings.ShowKludgeLines),
                          settings.ShowAnsiColours, bulletin_ ? std::string() : msg_.Charset());
  RebuildAttachments();
  QApplication::restoreOverrideCursor();
  UpdateButtons();
}

void TMSGView::RebuildAttachments() {
  AttachViewer->clear();
  if (mime_.AttachmentFound()) {
    AttachViewer->show();
  } else {
    AttachViewer->hide();
  }
  for (const auto& name : mime_.FileNames()) {
    std::string caption = AttachmentCaption(name);
    auto* item = new QListWidgetItem(FileIcon(FromCp437(caption)), FromCp437(caption), AttachViewer);
    item->setData(Qt::UserRole, QByteArray::fromStdString(caption));
    item->setToolTip(FileTypeName(FromCp437(caption)));
  }
  paperclip->setEnabled(!AttachViewer->isHidden() && !Busy() && !AttachViewer->selectedItems().isEmpty());
}

bool TMSGView::Busy() const { return host_.Busy(); }

void TMSGView::UpdateButtons() {
  if (!Memo1 || !btns_.SaveBtn) return;
  TMsgViewStates s = MsgViewStates(Kind(), Busy(), Memo1->textCursor().hasSelection());
  if (bulletin_) s.Reply = s.Forward = s.Save = s.PrevNextConf = false;  // a bulletin is no message
  acts_.Copy1->setEnabled(s.Copy);
  btns_.CopyBtn->setEnabled(s.Copy);
  PrevConfBtn->setEnabled(s.PrevNextConf);
  NextConfBtn->setEnabled(s.PrevNextConf);
  acts_.ReplytoMessage1->setEnabled(s.Reply);
  btns_.ReplyBtn->setEnabled(s.Reply);
  acts_.ForwardMessage1->setEnabled(s.Forward);
  btns_.ForwardBtn->setEnabled(s.Forward);
  acts_.SaveMessage1->setEnabled(s.Save);
  btns_.SaveBtn->setEnabled(s.Save);
  std::string hint = ReplyButtonHint(Kind());
  btns_.ReplyBtn->setToolTip(ShortHint(hint));
  btns_.ReplyBtn->setStatusTip(LongHint(hint));
}

void TMSGView::SetBusy(bool on) {
  host_.SetBusy(on);
  bool busy = Busy();
  if (busy) setCursor(Qt::WaitCursor);
  else unsetCursor();
  for (QMenu* m : {File1, Edit1, View1, Mail1, Help1}) m->setEnabled(!busy);
  for (QAbstractButton* n : {btns_.PrintButton, btns_.NewBtn, btns_.HelpBtn}) n->setEnabled(!busy);
  Memo1->setEnabled(!busy);
  AttachViewer->setEnabled(!busy);
  UpdateButtons();
  paperclip->setEnabled(!busy && !AttachViewer->selectedItems().isEmpty());
}

// ---------------------------------------------------------------- navigation

// While the viewer steps, the main list refills and lets events run: the
// viewer's own activation must not put the old selection back meanwhile.
void TMSGView::NextMessage() {
  TNavigating guard(navigating_);
  nav_.NextMessage(Kind());
}
void TMSGView::PreviousMessage() {
  TNavigating guard(navigating_);
  nav_.PreviousMessage(Kind());
}
void TMSGView::NextConference() {
  TNavigating guard(navigating_);
  nav_.NextConference(Kind(), msg_.ConfRecord().Ordinal);
}
void TMSGView::PreviousConference() {
  TNavigating guard(navigating_);
  nav_.PreviousConference(Kind(), msg_.ConfRecord().Ordinal);
}

void TMSGView::KeyNextPage() {
  QScrollBar* bar = Memo1->verticalScrollBar();
  if (bar->value() >= bar->maximum()) {
    NextMessage();
  } else {
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
  }
}

// ---------------------------------------------------------------- saving and printing

void TMSGView::SaveBtnClick() {
  if (Kind() != TFolderKind::fkConference) return;
  SaveToSaveBox(msg_, host_.Session().PostOffice().PostOfficeDirectory());
}

void TMSGView::PrintButtonClick() {
  if (QPrinterInfo::availablePrinters().isEmpty()) {
    // Without a printer the page goes into a PDF file.
    auto path = GetPrompts().SaveFile("Print to PDF file", "PDF Files (*.pdf);;All Files (*)",
                                      host_.Session().Settings().Packets, "message.pdf");
    if (path && !PrintToPdf(FromUtf8(*path))) GetPrompts().Error("Could not write file - " + *path);
    return;
  }
  QPrinter printer(QPrinter::HighResolution);
  QPrintDialog dialog(&printer, this);
  dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
  if (dialog.exec() == QDialog::Accepted) PrintTo(printer);
}

bool TMSGView::PrintToPdf(const QString& path, int copies) {
  {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setCopyCount(std::max(1, copies));
    PrintTo(printer);
  }
  std::error_code ec;
  return fs::file_size(path.toStdString(), ec) > 0 && !ec;
}

void TMSGView::PrintTo(QPrinter& printer) {
  QPainter p;
  if (!p.begin(&printer)) {
    GetPrompts().Error("Could not print the message.");
    return;
  }
  QFont font(QStringLiteral("DejaVu Sans Mono"), 10);
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  font.setFamilies({QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Monospace")});
  p.setFont(font);
  QFontMetrics fm = p.fontMetrics();
  QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
  int charWidth = std::max(1, fm.horizontalAdvance(QLatin1Char('M')));
  int lineHeight = std::max(1, fm.lineSpacing());
  int width = std::max(1, page.width() / charWidth);
  int perPage = std::max(1, page.height() / lineHeight);
  QString number = MsgNumLabel->text();
  int position = 0, count = 0;
  if (auto of = number.indexOf(" of "); of > 0) {
    position = number.left(of).toInt();
    count = number.mid(of + 4).toInt();
  }
  // The text as shown: plain characters, with the colours of its sequences when they are shown.
  const TMainSettings& settings = host_.Session().Settings();
  std::vector<std::string> text = bulletin_ ? bulletinLines_ : VisibleLines(msg_.Text(), settings.ShowKludgeLines);
  const std::string charset = bulletin_ ? std::string() : msg_.Charset();  // bulletins are code page 437
  TAnsiDocument doc = ParseAnsi(text);
  for (size_t i = 0; i < text.size(); ++i) text[i] = std::move(doc.Lines[i].Text);
  std::vector<std::string> pageLines;
  if (bulletin_) {
    for (const auto& l : text) pageLines.push_back(std::string(TMsgViewPrint::kMargin, ' ') + l);
  } else {
    pageLines = TMsgViewPrint::PageLines(msg_, position, count, text);
  }
  std::vector<std::vector<TAnsiSpan>> spans(pageLines.size());
  if (settings.ShowAnsiColours && doc.HasColour)
    for (size_t i = 0, first = pageLines.size() - text.size(); i < text.size(); ++i)
      spans[first + i] = TMsgViewPrint::MarginSpans(doc.Lines[i].Spans);
  auto pages = TMsgViewPrint::ColouredPages(pageLines, spans, width, perPage);
  // Each copy is a run of its own unless the printer makes the copies.
  int runs = printer.supportsMultipleCopies() ? 1 : std::max(1, printer.copyCount());
  bool first = true;
  for (int run = 0; run < runs; ++run)
    for (const auto& lines : pages) {
      if (!first) printer.newPage();
      first = false;
      int y = fm.ascent();
      for (const auto& line : lines) {
        if (line.Spans.empty()) p.drawText(0, y, FromCharset(line.Text, charset));
        for (const auto& span : line.Spans) {
          // Paper is the screen's black: light text on it is printed black.
          // Positions count characters, which a multi-byte set makes fewer than bytes.
          const int x = static_cast<int>(FromCharset(line.Text.substr(0, span.Start), charset).size()) * charWidth;
          const QString piece = FromCharset(line.Text.substr(span.Start, span.Length), charset);
          if (span.Bg != kAnsiDefaultBg)
            p.fillRect(x, y - fm.ascent(), static_cast<int>(piece.size()) * charWidth, lineHeight, AnsiColor(span.Bg));
          const bool light = span.Bg == kAnsiDefaultBg && (span.Fg == 7 || span.Fg == 15);
          p.setPen(light ? QColor(Qt::black) : AnsiColor(span.Fg));
          p.drawText(x, y, piece);
        }
        p.setPen(Qt::black);
        y += lineHeight;
      }
    }
  p.end();
}

// ---------------------------------------------------------------- links and finding

void TMSGView::OpenLinkAt(int position) {
  QTextBlock block = Memo1->document()->findBlock(position);
  if (!block.isValid()) return;
  std::string line = ToCp437(block.text());
  std::string word = WordAt(line, static_cast<size_t>(std::max(0, position - block.position())));
  auto link = LinkFromWord(word);
  if (!link) return;
  std::string target = Cp437ToUtf8(*link);
  if (GetShell().OpenDocument(target) <= 32) GetPrompts().Error("Could not execute associated program with " + target);
}

void TMSGView::Find1Click() {
  if (!findDialog_) {
    findDialog_ = new TFindDialog(this);
    connect(findDialog_->FindNextBtn, &QPushButton::clicked, this, [this] {
      lastFind_ = findDialog_->FindEdit->text();
      lastOptions_ = findDialog_->Options();
      FindText(lastFind_, lastOptions_);
    });
  }
  findDialog_->FindEdit->setText(lastFind_);
  findDialog_->FindEdit->selectAll();
  findDialog_->show();
  findDialog_->raise();
  findDialog_->activateWindow();
}

void TMSGView::FindNext1Click() {
  if (lastFind_.isEmpty()) {
    Find1Click();
    return;
  }
  FindText(lastFind_, lastOptions_);
}

bool TMSGView::FindText(const QString& text, const TFindOptions& options) {
  lastFind_ = text;
  lastOptions_ = options;
  QTextCursor c = Memo1->textCursor();
  size_t from = static_cast<size_t>(options.Down ? c.selectionEnd() : c.selectionStart());
  size_t at = TTextFinder::Find(Memo1->toPlainText().toStdU32String(), text.toStdU32String(), from, options);
  if (at == TTextFinder::npos) {
    GetPrompts().Information("The search string \"" + ToUtf8(text) + "\" not found.");
    return false;
  }
  c.setPosition(static_cast<int>(at));
  c.setPosition(static_cast<int>(at) + static_cast<int>(text.size()), QTextCursor::KeepAnchor);
  Memo1->setTextCursor(c);
  Memo1->ensureCursorVisible();
  UpdateButtons();
  return true;
}

// ---------------------------------------------------------------- attachments

bool TMSGView::MainFolderHasRecord() const {
  TMailTreeNode* node = host_.Session().Tree().Selected();
  return node && node->Record;
}

QStringList TMSGView::SelectedCaptions() const {
  QStringList out;
  for (int i = 0; i < AttachViewer->count(); ++i)
    if (AttachViewer->item(i)->isSelected()) out << AttachViewer->item(i)->text();
  return out;
}

void TMSGView::Extract(const QStringList& captions) {
  auto folder = GetPrompts().PickFolder("Select folder to decode file to:", host_.Session().Settings().Packets);
  if (!folder) return;
  std::vector<std::string> names;
  for (int i = 0; i < AttachViewer->count(); ++i)
    if (captions.contains(AttachViewer->item(i)->text()))
      names.push_back(AttachViewer->item(i)->data(Qt::UserRole).toByteArray().toStdString());
  ShowDecoding(true);
  ExtractAttachments(msg_, mime_, boxFile_, host_.Session().WorkFolder(), names, *folder);
  ShowDecoding(false);
}

void TMSGView::ShowDecoding(bool on) {
  if (on) {
    SetBusy(true);
    ViewerStatusPanel->adjustSize();
    ViewerStatusPanel->move((Bottompanel->width() - ViewerStatusPanel->width()) / 2,
                            (Bottompanel->height() - ViewerStatusPanel->height()) / 2);
    ViewerStatusPanel->show();
    ViewerStatusPanel->raise();
    ViewerStatusPanel->repaint();
  } else {
    ViewerStatusPanel->hide();
    SetBusy(false);
  }
}

void TMSGView::ExtractSelected() {
  if (!MainFolderHasRecord()) return;
  QListWidgetItem* item = AttachViewer->currentItem();
  if (!item || !item->isSelected()) {
    auto selected = AttachViewer->selectedItems();
    item = selected.isEmpty() ? nullptr : selected.first();
  }
  if (!item) return;
  Extract({item->text()});
}

void TMSGView::ExtractFileInserts1Click() {
  QStringList all;
  for (int i = 0; i < AttachViewer->count(); ++i) all << AttachViewer->item(i)->text();
  if (!all.isEmpty()) Extract(all);
}

QStringList TMSGView::PrepareDragFiles() {
  QStringList files;
  std::vector<std::string> names;
  for (auto* item : AttachViewer->selectedItems()) names.push_back(item->data(Qt::UserRole).toByteArray().toStdString());
  if (names.empty() || host_.Session().WorkFolder().empty()) return files;
  // A folder of its own, so that no attachment can replace a file of the unpacked packet.
  auto folder = CreateUniqueFolder(IncludeTrailingBackslash(host_.Session().WorkFolder()));
  if (!folder) return files;
  ShowDecoding(true);
  for (const auto& path : ExtractAttachments(msg_, mime_, boxFile_, host_.Session().WorkFolder(), names, *folder)) {
    std::error_code ec;
    if (fs::is_regular_file(path, ec)) files << FromUtf8(path);
  }
  ShowDecoding(false);
  return files;
}

void TMSGView::StartAttachmentDrag() {
  QStringList files = PrepareDragFiles();
  if (files.isEmpty()) {
    GetPrompts().Error("Something went wrong decoding and moving files!");
    return;
  }
  auto* data = new QMimeData;
  QList<QUrl> urls;
  for (const auto& f : files) urls << QUrl::fromLocalFile(f);
  data->setUrls(urls);
  auto* drag = new QDrag(this);
  drag->setMimeData(data);
  drag->setPixmap(MailPixmap(TMailImage::miAttachment, 32));
  bool accepted = host_.AcceptsDrops();
  host_.SetAcceptsDrops(false);
  drag->exec(Qt::MoveAction, Qt::MoveAction);
  host_.SetAcceptsDrops(accepted);
}

// ---------------------------------------------------------------- other commands

void TMSGView::Options1Click() {
  host_.ShowOptions(2);
  update();
}

void TMSGView::Properties1Click() { host_.ShowPropertiesOnLastPage(); }

void TMSGView::SetHeaderHeight(int height) {
  TopPanel->setFixedHeight(std::max(0, height));
  ShowPictures();
}

int TMSGView::HeaderHeight() const { return TopPanel->maximumHeight(); }

void TMSGView::MailMenuAboutToShow() {
  TMailTreeNode* node = host_.Session().Tree().Selected();
  acts_.ReplytoMessage1->setText(FromUtf8(ViewerReplyMenuCaption(node ? node->Record.get() : nullptr)));
  acts_.ExtractFileInserts1->setEnabled(!AttachViewer->isHidden());
}

void TMSGView::ViewMenuAboutToShow() {
  acts_.Toolbar1->setChecked(!Toolbar->isHidden());
  acts_.ShowKludgeLines1->setChecked(host_.Session().Settings().ShowKludgeLines);
  acts_.ShowANSIColours1->setChecked(host_.Session().Settings().ShowAnsiColours);
  acts_.Statusline1->setChecked(!statusBar()->isHidden());
  // The address book and the mail finder: shown while those windows exist.
  acts_.AddressBook2->setVisible(TAdressBook::Instance() != nullptr);
  acts_.MailFinder1->setVisible(host_.FinderExists());
}

void TMSGView::EditMenuAboutToShow() { acts_.Copy1->setEnabled(Memo1->textCursor().hasSelection()); }

// A new contact from a header label: its address in the e-mail field, or
// its first two words as first and last name.
static void AddFromLabel(QWidget* parent, TMainHost& host, const QString& label) {
  const TContactSeed seed = ContactFromLabel(ToUtf8(label));
  TAddressBookStore book(host.Session().Registry());
  AddContact(parent, book, seed.FirstName, seed.LastName, seed.EMail);
}

void TMSGView::AddSenderClick() { AddFromLabel(this, host_, FromLabel->text()); }

void TMSGView::AddRecieverClick() {
  if (AddRecieverEnabled(ToCp437(ToLabel->text()))) AddFromLabel(this, host_, ToLabel->text());
}

void TMSGView::AddressMenuAboutToShow() {
  acts_.AddReciever1->setEnabled(AddRecieverEnabled(ToCp437(ToLabel->text())));
}

// ---------------------------------------------------------------- events

void TMSGView::closeEvent(QCloseEvent* event) {
  if (findDialog_) findDialog_->close();
  WritePlacement();
  event->accept();
}

void TMSGView::changeEvent(QEvent* event) {
  if (event->type() == QEvent::WindowStateChange && !(windowState() & Qt::WindowMinimized))
    lastState_ = windowState();
  QMainWindow::changeEvent(event);
}

bool TMSGView::event(QEvent* event) {
  switch (event->type()) {
    case QEvent::StatusTip: {
      QString tip = static_cast<QStatusTipEvent*>(event)->tip();
      StatusPanel->setText(tip.isEmpty() ? QString() : " " + tip);
      return true;
    }
    case QEvent::WindowActivate:
      Memo1->setFocus();
      // The activation that showing a message asked for finds the selection
      // just remembered; it may arrive while the main window is busy with
      // another folder, which it must not take away.
      if (!ownActivation_ && !navigating_ && !Busy() && isVisible()) nav_.ReselectWhenUnselected();
      ownActivation_ = false;
      ShowPictures();
      break;
    case QEvent::WindowDeactivate: ownActivation_ = false; break;
    case QEvent::Resize:
    case QEvent::Show: {
      bool r = QMainWindow::event(event);
      ShowPictures();
      return r;
    }
    default: break;
  }
  return QMainWindow::event(event);
}

bool TMSGView::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Memo1 && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
    if (mods == Qt::AltModifier && (key->key() == Qt::Key_Left || key->key() == Qt::Key_Right)) {
      if (Kind() == TFolderKind::fkConference) key->key() == Qt::Key_Left ? PreviousConference() : NextConference();
      return true;
    }
    if (mods == Qt::NoModifier) {
      switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space: KeyNextPage(); return true;
        case Qt::Key_Escape: close(); return true;
        case Qt::Key_Left: PreviousMessage(); return true;
        case Qt::Key_Right: NextMessage(); return true;
        default: break;
      }
    }
  }
  if (watched == Memo1->viewport()) {
    if (event->type() == QEvent::MouseButtonRelease) {
      QMetaObject::invokeMethod(this, &TMSGView::UpdateButtons, Qt::QueuedConnection);
    } else if (event->type() == QEvent::MouseButtonDblClick) {
      auto* m = static_cast<QMouseEvent*>(event);
      if (m->button() == Qt::LeftButton) OpenLinkAt(Memo1->cursorForPosition(m->position().toPoint()).position());
    }
  }
  if (watched == AttachViewer->viewport()) {
    auto* m = static_cast<QMouseEvent*>(event);
    switch (event->type()) {
      case QEvent::MouseButtonPress:
        dragStart_ = m->button() == Qt::LeftButton ? m->position().toPoint() : QPoint(-1, -1);
        break;
      case QEvent::MouseMove:
        if ((m->buttons() & Qt::LeftButton) && dragStart_.x() >= 0 && !AttachViewer->selectedItems().isEmpty()) {
          QPoint d = m->position().toPoint() - dragStart_;
          if (std::abs(d.x()) > 20 || std::abs(d.y()) > 20) {
            dragStart_ = QPoint(-1, -1);
            StartAttachmentDrag();
            return true;
          }
        }
        break;
      case QEvent::MouseButtonRelease: dragStart_ = QPoint(-1, -1); break;
      default: break;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace korrin
