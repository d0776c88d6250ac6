#include "explorer/qt/main_form.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QSyntaxHighlighter>
#include <QTextBlock>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

#include <filesystem>

#include "widgets/window_parts.h"
#include "engine/mail_tree.h"
#include "explorer/qt/close_form.h"
#include "addressbook/qt/address_book_form.h"
#include "explorer/qt/find_msg_form.h"
#include "explorer/qt/screen_placement.h"
#include "door/door_filter_lists.h"
#include "door/qt/conf_man.h"
#include "door/qt/new_files_form.h"
#include "door/qt/olms_setup.h"
#include "explorer/qt/about_box.h"
#include "explorer/qt/font_setting_qt.h"
#include "explorer/qt/help_window.h"
#include "explorer/qt/mail_list_view.h"
#include "explorer/qt/mail_tree_view.h"
#include "explorer/qt/properties_form.h"
#include "explorer/qt/qwk_po_combobox.h"
#include "explorer/qt/ts_option_form.h"
#include "platform/errors.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/random.h"
#include "platform/qt/qt_platform.h"
#include "reading/qt/edit_form.h"
#include "reading/qt/tag_line_man.h"
#include "reading/quoted_line.h"
#include "reading/qt/ansi_view.h"
#include "reading/qt/msg_view.h"
#include "widgets/explorer_button.h"
#include "widgets/mail_images.h"
#include "widgets/progress_gauge.h"

namespace fs = std::filesystem;

namespace korrin {

namespace {
constexpr const char* kOpenFilter = "Mail Packets (*.Q* *.q*);;Reply Packets (*.REP *.rep);;All Files (*)";

bool IsBoxKind(TFolderKind k) {
  return k == TFolderKind::fkOutBox || k == TFolderKind::fkSaveBox || k == TFolderKind::fkSentBox;
}
}  // namespace

// While the main window is busy, the user's keys, shortcuts and clicks reach
// no window but a box or dialog asked meanwhile (long operations pump events,
// and a command run then would act under the running one).
class TBusyInputFilter : public QObject {
public:
  explicit TBusyInputFilter(const TMainHost& host, QObject* parent) : QObject(parent), host_(host) {}

protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    switch (event->type()) {
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
      case QEvent::ShortcutOverride:
      case QEvent::Shortcut:
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::Wheel:
      case QEvent::ContextMenu:
        // A native window passes its input on to its widgets, which are judged then.
        if (watched->isWindowType()) return false;
        return host_.Busy() && !AskedMeanwhile(watched);
      default: return false;
    }
  }

private:
  static bool AskedMeanwhile(QObject* o) {
    while (o && !o->isWidgetType()) o = o->parent();
    if (!o) return false;
    QWidget* window = static_cast<QWidget*>(o)->window();
    QWidget* modal = QApplication::activeModalWidget();
    QWidget* popup = QApplication::activePopupWidget();
    return (modal && window == modal) || (popup && window == popup && modal);
  }
  const TMainHost& host_;
};

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
  setObjectName("MainForm");
  setWindowTitle("Korrin Mail Explorer");
  setWindowIcon(MailImage(TMailImage::miInBox));
  setGeometry(182, 79, 542, 411);
  SetHelpContext(this, 8002);
  BuildPanes();
  BuildActions();
  BuildMenus();
  BuildToolbar();
  BuildQuickViewer();
  BuildStatus();
  qApp->installEventFilter(new TBusyInputFilter(*this, this));
  FormCreate();
}

TMainForm::~TMainForm() {
  // Windows closed but not yet deleted go with this one: none may call back into it.
  for (QObject* child : children()) child->disconnect(this);
  delete newFiles_.data();
  delete TAdressBook::Instance();  // it keeps its placement in the session's registry
  if (finder_) finder_->Finder().Stop();
  delete finder_.data();
  // The viewer and the editor read this window's tree and list: they go first.
  for (QWidget* v : {static_cast<QWidget*>(msgView_.data()), static_cast<QWidget*>(closedView_.data()),
                     static_cast<QWidget*>(editor_.data())})
    if (v) {
      v->disconnect(this);
      delete v;
    }
  tree_->Tree().OnChange = nullptr;
  tree_->Tree().OnRebuilt = nullptr;
  quickMsg_.SetOnHDRChange(nullptr);
  quickMsg_.SetOnTextChange(nullptr);
  QWKPostOffice1.OnChange = nullptr;
}

QAction* TMainForm::Action(const char* name, const QString& caption, const QKeySequence& shortcut, const QString& hint,
                           int help, void (TMainForm::*slot)()) {
  auto* a = new QAction(caption, this);
  a->setObjectName(name);
  if (!shortcut.isEmpty()) a->setShortcut(shortcut);
  a->setStatusTip(hint);
  a->setToolTip(hint.isEmpty() ? QString(caption).remove('&') : hint);
  SetHelpContext(a, help);
  if (slot) connect(a, &QAction::triggered, this, [this, slot] { (this->*slot)(); });
  addAction(a);
  return a;
}

// Makes the command `field` of acts_ with the same object name, so that a
// misspelt name does not compile.
#define NEW_ACTION(field, ...) (acts_.field = Action(#field, __VA_ARGS__))

void TMainForm::BuildActions() {
  // File
  NEW_ACTION(OpenMailPacket1, "&Open Mail Packet", QKeySequence(Qt::Key_F4), "Open a mail packet", 8008,
             &TMainForm::OpenBtnClick);
  NEW_ACTION(CloseMailPacket1, "&Close Mail Packet", QKeySequence(Qt::Key_F5), "Close the mail packet", 8009,
             &TMainForm::CloseBtnClick);
  NEW_ACTION(OpenReplyPacket1, "Open Reply Packet", QKeySequence(Qt::Key_F6),
             "Put the messages of the reply packet back into the Out Box", 8004, &TMainForm::OpenReplyPacketClick);
  NEW_ACTION(CreateReplyPacket1, "Create Reply Packet", QKeySequence(Qt::Key_F7),
             "Create the reply packet from the Out Box", 8005, &TMainForm::CreateReplyPacketClick);
  NEW_ACTION(AddressBook1, "Address Book", QKeySequence(Qt::CTRL | Qt::Key_A), "Show the address book", 8003, nullptr);
  connect(acts_.AddressBook1, &QAction::triggered, this, [this] { ShowAddressBook(*this); });
  NEW_ACTION(Properties1, "Properties", QKeySequence(Qt::CTRL | Qt::Key_P), "Show the properties", 8006,
             &TMainForm::ShowProperties);
  NEW_ACTION(Exit1, "&Exit Program", QKeySequence(Qt::CTRL | Qt::Key_E), "Exit the program", 8007, nullptr);
  connect(acts_.Exit1, &QAction::triggered, this, &QWidget::close);
  // Edit: these windows come later and stay hidden until then.
  NEW_ACTION(Taglines1, "&Taglines", QKeySequence(Qt::CTRL | Qt::Key_T), "", 8014, nullptr);
  // The door commands are enabled from the door's capabilities (EditMenuAboutToShow).
  NEW_ACTION(AddConference1, "&Conferences", QKeySequence(Qt::CTRL | Qt::Key_C), "", 8015, nullptr);
  NEW_ACTION(Keywords1, "&Keywords", QKeySequence(Qt::CTRL | Qt::Key_K), "", 8016, nullptr);
  NEW_ACTION(Twits1, "T&wits", QKeySequence(Qt::CTRL | Qt::Key_W), "", 8017, nullptr);
  NEW_ACTION(Filters1, "&Filters", {}, "", 8018, nullptr);
  // Ctrl+F stays with Forward Message; the menu still shows it beside "&Filters".
  acts_.Filters1->setText("&Filters\tCtrl+F");
  connect(acts_.AddConference1, &QAction::triggered, this, [this] { TConfMan::Execute(*this); });
  for (auto [a, page] : {std::pair{acts_.Keywords1, 0}, std::pair{acts_.Filters1, 1}, std::pair{acts_.Twits1, 2}})
    connect(a, &QAction::triggered, this, [this, page] { TOLMSSetup::Execute(*this, page); });
  acts_.Taglines1->setStatusTip("Edit the taglines");
  connect(acts_.Taglines1, &QAction::triggered, this, [this] {
    TTagLineMan man(this);
    man.exec();
  });
  // View
  auto* tb = NEW_ACTION(Toolbar1, "&Toolbar", {}, "Show or hide the toolbar", 8002, nullptr);
  tb->setCheckable(true);
  tb->setChecked(true);
  connect(tb, &QAction::toggled, this, [this](bool on) {
    TopPanel->setVisible(on);
    settings_.Toolbar = on;
    ApplyMinimumSize();
  });
  auto* sb = NEW_ACTION(Statusline1, "&Status bar", {}, "Show or hide the status bar", 8002, nullptr);
  sb->setCheckable(true);
  sb->setChecked(true);
  connect(sb, &QAction::toggled, this, [this](bool on) {
    statusBar()->setVisible(on);
    settings_.Statusbar = on;
  });
  auto* qv = NEW_ACTION(QuickViewer1, "&Quick Viewer", {}, "Show or hide the quick viewer", 5486, nullptr);
  qv->setCheckable(true);
  connect(qv, &QAction::triggered, this, [this] { ApplyQuickViewer(); });
  NEW_ACTION(LargeIcons1, "Lar&ge Icons", {}, "", 8002, nullptr);
  NEW_ACTION(SmallIcons1, "S&mall Icons", {}, "", 8002, nullptr);
  NEW_ACTION(List1, "&List", {}, "", 8002, nullptr);
  NEW_ACTION(Details1, "&Detail", {}, "", 8002, nullptr);
  for (auto [a, style] :
       {std::pair{acts_.LargeIcons1, TViewStyle::vsIcon}, std::pair{acts_.SmallIcons1, TViewStyle::vsSmallIcon},
        std::pair{acts_.List1, TViewStyle::vsList}, std::pair{acts_.Details1, TViewStyle::vsReport}}) {
    a->setCheckable(true);
    connect(a, &QAction::triggered, this, [this, style] { SetViewStyle(style, false); });
  }
  NEW_ACTION(Options1, "&Options", QKeySequence(Qt::CTRL | Qt::Key_O), "Change the options", 5488, nullptr);
  connect(acts_.Options1, &QAction::triggered, this, [this] { ShowOptions(0); });
  for (QAction* a : {NEW_ACTION(AddressBook2, "Address Book", {}, "", 8002, nullptr),
                     NEW_ACTION(MSGViewer1, "Mail Viewer", {}, "", 8002, nullptr),
                     NEW_ACTION(MSGEditor1, "Mail Editor", {}, "", 8002, nullptr),
                     NEW_ACTION(NewFiles1, "New Files", {}, "", 8002, nullptr),
                     NEW_ACTION(MailFinder1, "Mail Finder", {}, "", 8002, nullptr)})
    a->setVisible(false);
  connect(acts_.MSGEditor1, &QAction::triggered, this, [this] {
    if (Editor()) Editor()->BringToFront();
  });
  connect(acts_.NewFiles1, &QAction::triggered, this, [this] {
    if (!newFiles_) return;
    newFiles_->show();
    newFiles_->raise();
    newFiles_->activateWindow();
  });
  connect(acts_.AddressBook2, &QAction::triggered, this, [this] {
    if (TAdressBook::Instance()) ShowAddressBook(*this);
  });
  connect(acts_.MSGViewer1, &QAction::triggered, this, &TMainForm::BringViewerToFront);
  connect(acts_.MailFinder1, &QAction::triggered, this, &TMainForm::ShowFinder);
  // Mail
  NEW_ACTION(MarkasRead1, "Mark as Read", QKeySequence(Qt::SHIFT | Qt::CTRL | Qt::Key_R), "Mark the message read",
             8002, nullptr);
  NEW_ACTION(MarkasUnRead1, "Mark as UnRead", QKeySequence(Qt::SHIFT | Qt::CTRL | Qt::Key_U),
             "Mark the message not read", 8002, nullptr);
  connect(acts_.MarkasRead1, &QAction::triggered, this, [this] { MarkSelectedRows(true); });
  connect(acts_.MarkasUnRead1, &QAction::triggered, this, [this] { MarkSelectedRows(false); });
  NEW_ACTION(NewMessage1, "New Message", QKeySequence(Qt::CTRL | Qt::Key_N), "Write a new message", 8019,
             &TMainForm::NewBtnClick);
  NEW_ACTION(ViewMessage1, "View Message", QKeySequence(Qt::CTRL | Qt::Key_V), "View the message", 8011,
             &TMainForm::ReadBtnClick);
  NEW_ACTION(ReplytoMessage1, "Reply to Message", QKeySequence(Qt::CTRL | Qt::Key_R), "Reply to the message", 8021,
             &TMainForm::ReplyBtnClick);
  NEW_ACTION(ForwardMessage1, "Forward Message", QKeySequence(Qt::CTRL | Qt::Key_F), "Forward the message", 8022,
             &TMainForm::ForwardBtnClick);
  NEW_ACTION(Search1, "&Search", {}, "Search for mail", 5487, &TMainForm::ShowFinder);
  NEW_ACTION(DeleteMessage1, "Delete Message", QKeySequence(Qt::CTRL | Qt::Key_D), "Delete the message", 8023,
             &TMainForm::DeleteButtonClick);
  NEW_ACTION(DeleteALLMessages1, "Delete all Messages", QKeySequence(Qt::SHIFT | Qt::CTRL | Qt::Key_D),
             "Delete every message of the box", 8024, &TMainForm::DeleteALLMessages1Click);
  // Downloads: the menu's items and the file pop-up's run the same commands.
  NEW_ACTION(Open2, "&Open", {}, "Open the file with its program", 8027, &TMainForm::Open1Click);
  NEW_ACTION(Extract1, "E&xtract", {}, "Extract the file to a folder", 8027, &TMainForm::Extract2Click);
  NEW_ACTION(ExtractAll2, "Extract &All", {}, "Extract every file to a folder", 8027, &TMainForm::ExtractAll1Click);
  NEW_ACTION(Open1, "Open", {}, "Open the file with its program", 8027, &TMainForm::Open1Click);
  NEW_ACTION(Extract2, "Extract", {}, "Extract the file to a folder", 8027, &TMainForm::Extract2Click);
  NEW_ACTION(ExtractAll1, "Extract All", {}, "Extract every file to a folder", 8027, &TMainForm::ExtractAll1Click);
  // Help
  NEW_ACTION(Topics1, "&Topics", {}, "Search the help", 8002, nullptr);
  connect(acts_.Topics1, &QAction::triggered, this, [this] { ShowHelp(-2); });
  NEW_ACTION(HelpTopics1, "&Introduction", {}, "Open the help contents", 8026, nullptr);
  connect(acts_.HelpTopics1, &QAction::triggered, this, [this] { ShowHelp(-1); });
  NEW_ACTION(UsingKorrinHelp1, "&Using Korrin Help", {}, "How to use the help", 8001, nullptr);
  connect(acts_.UsingKorrinHelp1, &QAction::triggered, this, [this] { ShowHelpTopic("hlp_Using_TesselHelp"); });
  NEW_ACTION(ExplorerHelp1, "&Explorer Help", {}, "Help on this window", 8002, nullptr);
  connect(acts_.ExplorerHelp1, &QAction::triggered, this, [this] { ShowHelpTopic("hlp_Using"); });
  NEW_ACTION(About1, "&About", {}, "About Korrin", 8026, &TMainForm::ShowAbout);
  // Pop-up and navigation
  NEW_ACTION(Copy1, "Copy", {}, "Copy the selected text", 7001, nullptr);
  connect(acts_.Copy1, &QAction::triggered, this, [this] { QuickViewerMemo->copy(); });
  NEW_ACTION(Selectall1, "Select all", {}, "Select the whole text", 7001, nullptr);
  connect(acts_.Selectall1, &QAction::triggered, this, [this] { QuickViewerMemo->selectAll(); });
  NEW_ACTION(NextMessage1, "Next Message", {}, "Show the next message", 7001, nullptr);
  connect(acts_.NextMessage1, &QAction::triggered, this, [this] {
    GoNextMessage();
    UpdateReplyCaption();
  });
  NEW_ACTION(PreviousMessage1, "Previous Message", {}, "Show the previous message", 7001, nullptr);
  connect(acts_.PreviousMessage1, &QAction::triggered, this, [this] {
    GoPreviousMessage();
    UpdateReplyCaption();
  });
  NEW_ACTION(NextConference1, "Next Conference", {}, "Go to the next conference", 7001, nullptr);
  connect(acts_.NextConference1, &QAction::triggered, this, [this] {
    GoNextConference();
    UpdateReplyCaption();
  });
  NEW_ACTION(PreviousConference1, "Previous Conference", {}, "Go to the previous conference", 7001, nullptr);
  connect(acts_.PreviousConference1, &QAction::triggered, this, [this] {
    GoPreviousConference();
    UpdateReplyCaption();
  });
}

#undef NEW_ACTION

void TMainForm::BuildMenus() {
  auto menu = [this](const char* name, const QString& title, const QString& hint) {
    QMenu* m = menuBar()->addMenu(title);
    m->setObjectName(name);
    m->menuAction()->setStatusTip(hint);
    m->setToolTipsVisible(true);
    return m;
  };
  auto add = [](QMenu* m, std::initializer_list<QAction*> actions) { AddActions(m, actions); };
  File1 = menu("File1", "&File", "Contains commands for working with the selected items.");
  add(File1, {acts_.OpenMailPacket1, acts_.CloseMailPacket1, nullptr, acts_.OpenReplyPacket1, acts_.CreateReplyPacket1,
              nullptr, acts_.AddressBook1, acts_.Properties1, nullptr, acts_.Exit1});
  connect(File1, &QMenu::aboutToShow, this, &TMainForm::FileMenuAboutToShow);
  Edit1 = menu("Edit1", "&Edit", "Commands related to editing mail packets.");
  add(Edit1, {acts_.Taglines1, acts_.AddConference1, acts_.Keywords1, acts_.Twits1, acts_.Filters1});
  connect(Edit1, &QMenu::aboutToShow, this, &TMainForm::EditMenuAboutToShow);
  View1 = menu("View1", "&View", "Contains commands for customizing the window.");
  add(View1, {acts_.Toolbar1, acts_.Statusline1, acts_.QuickViewer1, nullptr});
  BuildReadingAids();
  QMenu* icons = View1->addMenu("Icons");
  icons->setObjectName("Icons1");
  add(icons, {acts_.LargeIcons1, acts_.SmallIcons1, acts_.List1, acts_.Details1});
  add(View1, {nullptr, acts_.Options1});
  windowItemsSeparator_ = View1->addSeparator();
  add(View1, {acts_.AddressBook2, acts_.MSGViewer1, acts_.MSGEditor1, acts_.NewFiles1, acts_.MailFinder1});
  connect(View1, &QMenu::aboutToShow, this, &TMainForm::ViewMenuAboutToShow);
  Mail1 = menu("Mail1", "&Mail", "Commands for reading and writing mail.");
  add(Mail1, {acts_.MarkasRead1, acts_.MarkasUnRead1, acts_.NewMessage1, acts_.ViewMessage1, acts_.ReplytoMessage1,
              acts_.ForwardMessage1, acts_.Search1, nullptr, acts_.DeleteMessage1, acts_.DeleteALLMessages1});
  connect(Mail1, &QMenu::aboutToShow, this, &TMainForm::MailMenuAboutToShow);
  Downloads1 = menu("Downloads1", "&Downloads", "Files that came with the packet.");
  add(Downloads1, {acts_.Open2, acts_.Extract1, acts_.ExtractAll2});
  Downloads1->menuAction()->setVisible(false);
  connect(Downloads1, &QMenu::aboutToShow, this, &TMainForm::DownloadsMenuAboutToShow);
  Help1 = menu("Help1", "&Help", "Help on using Korrin.");
  add(Help1, {acts_.Topics1, acts_.HelpTopics1, acts_.UsingKorrinHelp1, acts_.ExplorerHelp1, nullptr, acts_.About1});

  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName("PopupMenu1");
  add(PopupMenu1, {acts_.Copy1, acts_.Selectall1});
  popupCopySeparator_ = PopupMenu1->addSeparator();
  QMenu* go = PopupMenu1->addMenu("Go to >>>");
  go->setObjectName("Goto1");
  add(go, {acts_.NextMessage1, acts_.PreviousMessage1, acts_.NextConference1, acts_.PreviousConference1});
  add(PopupMenu1,
      {acts_.ViewMessage1, acts_.NewMessage1, acts_.ReplytoMessage1, acts_.ForwardMessage1, acts_.DeleteMessage1,
       nullptr, acts_.QuickViewer1, acts_.AddressBook1, acts_.Properties1, nullptr, acts_.Exit1});
  connect(PopupMenu1, &QMenu::aboutToShow, this, &TMainForm::PopupMenu1AboutToShow);
  // The pop-up hides View while the quick viewer is shown; the action is shared, so it comes back after.
  connect(PopupMenu1, &QMenu::aboutToHide, this, [this] { acts_.ViewMessage1->setVisible(true); });
  PopupMenu2 = new QMenu(this);
  PopupMenu2->setObjectName("PopupMenu2");
  // The tree's pop-up has captions of its own for the File menu's packet commands.
  auto same = [this](const char* name, const char* caption, QAction* action) {
    auto* a = new QAction(caption, PopupMenu2);
    a->setObjectName(name);
    a->setStatusTip(action->statusTip());
    connect(a, &QAction::triggered, action, &QAction::trigger);
    return a;
  };
  add(PopupMenu2, {same("OpenPacket2", "Open Packet", acts_.OpenMailPacket1),
                   same("ClosePacket2", "Close Packet", acts_.CloseMailPacket1),
                   same("OpenReplies2", "Open Replies", acts_.OpenReplyPacket1),
                   same("CreateReplies2", "Create Replies", acts_.CreateReplyPacket1), nullptr, acts_.QuickViewer1,
                   acts_.AddressBook1, acts_.Properties1, nullptr, acts_.Exit1});
  connect(PopupMenu2, &QMenu::aboutToShow, this, &TMainForm::PopupMenu2AboutToShow);
  PopupMenu4 = new QMenu(this);
  PopupMenu4->setObjectName("PopupMenu4");
  add(PopupMenu4, {acts_.Open1, acts_.Extract2, acts_.ExtractAll1, nullptr, acts_.Exit1});
  connect(PopupMenu4, &QMenu::aboutToShow, this, &TMainForm::PopupMenu4AboutToShow);
  // A closed menu leaves no hint behind: the list status comes back.
  for (QMenu* m : {File1, Edit1, View1, Mail1, Downloads1, Help1, PopupMenu1, PopupMenu2, PopupMenu4, icons, go})
    connect(m, &QMenu::aboutToHide, this, [this] { statusBar()->clearMessage(); });
}

void TMainForm::BuildToolbar() {
  TopPanel = new QWidget(this);
  TopPanel->setObjectName("TopPanel");
  TopPanel->setAutoFillBackground(true);
  auto* row = new QHBoxLayout(TopPanel);
  row->setContentsMargins(6, 4, 6, 4);
  row->setSpacing(2);
  struct Btn {
    QAbstractButton* TMainButtons::*member;
    const char* name;
    const char* caption;
    TMailImage image;
    int help;
    QAction* action;
  };
// A member of btns_ and its object name, spelt once.
#define BUTTON(field) &TMainButtons::field, #field
  const Btn btns[] = {{BUTTON(CloseBtn), "Close", TMailImage::miClose, 8009, acts_.CloseMailPacket1},
                      {BUTTON(OpenBtn), "Open", TMailImage::miOpen, 8008, acts_.OpenMailPacket1},
                      {BUTTON(ReadBtn), "View", TMailImage::miView, 8011, acts_.ViewMessage1},
                      {BUTTON(NewBtn), "New", TMailImage::miNew, 8019, acts_.NewMessage1},
                      {BUTTON(ReplyBtn), "Reply", TMailImage::miReply, 8021, acts_.ReplytoMessage1},
                      {BUTTON(ForwardBtn), "Forward", TMailImage::miForward, 8022, acts_.ForwardMessage1},
                      {BUTTON(DeleteButton), "Delete", TMailImage::miDelete, 8023, acts_.DeleteMessage1},
                      {BUTTON(SearchBtn), "Search", TMailImage::miFind, 8023, acts_.Search1}};
  for (const Btn& b : btns) {
    auto* button = new TExplorerButton(b.caption, b.image, TopPanel);
    button->setObjectName(b.name);
    SetHelpContext(button, b.help);
    QAction* a = b.action;
    button->setStatusTip(a->statusTip());
    button->setToolTip(a->toolTip());
    button->setVisible(a->isVisible());
    connect(button, &QAbstractButton::clicked, a, &QAction::trigger);
    button->installEventFilter(this);
    row->addWidget(button);
    btns_.*b.member = button;
  }
  for (QAbstractButton* n :
       {btns_.CloseBtn, btns_.ReadBtn, btns_.NewBtn, btns_.ReplyBtn, btns_.ForwardBtn, btns_.DeleteButton})
    n->setEnabled(false);
  row->addStretch(1);
  auto* poBox = new QVBoxLayout;
  poLabel_ = new QLabel("BBS Post Office", TopPanel);
  poLabel_->setObjectName("POLabel");
  poBox->addWidget(poLabel_);
  QWKPOCombobox1 = new TQWKPOCombobox(TopPanel);
  QWKPOCombobox1->setMinimumWidth(170);
  QWKPOCombobox1->setStatusTip("Choose the post office of a BBS");
  connect(QWKPOCombobox1, &TQWKPOCombobox::Click, this, &TMainForm::QWKPOCombobox1Click);
  poBox->addWidget(QWKPOCombobox1);
  auto* styles = new QHBoxLayout;
  styles->setSpacing(1);
  struct Speed {
    QAbstractButton* TMainButtons::*member;
    const char* name;
    const char* hint;
    TMailImage image;
    TViewStyle style;
  };
  for (Speed sp : {Speed{BUTTON(SpeedButton5), "Large Icons", TMailImage::miLargeIcons, TViewStyle::vsIcon},
                   Speed{BUTTON(SpeedButton2), "Small Icons", TMailImage::miSmallIcons, TViewStyle::vsSmallIcon},
                   Speed{BUTTON(SpeedButton3), "List", TMailImage::miList, TViewStyle::vsList},
                   Speed{BUTTON(SpeedButton4), "Details", TMailImage::miDetails, TViewStyle::vsReport}}) {
    auto* b = new QToolButton(TopPanel);
    b->setObjectName(sp.name);
    b->setIcon(MailImage(sp.image));
    b->setIconSize(QSize(16, 16));
    b->setAutoRaise(true);
    b->setToolTip(sp.hint);
    b->setStatusTip(sp.hint);
    TViewStyle style = sp.style;
    connect(b, &QToolButton::clicked, this, [this, style] { SetViewStyle(style, true); });
    styles->addWidget(b);
    btns_.*sp.member = b;
  }
  styles->addStretch();
  poBox->addLayout(styles);
  row->addLayout(poBox);

  SetToolbarCentral(this, TopPanel)->addWidget(MainPanel, 1);
}

#undef BUTTON

void TMainForm::BuildPanes() {
  MainPanel = new QWidget(this);
  MainPanel->setObjectName("MainPanel");
  auto* ml = new QVBoxLayout(MainPanel);
  ml->setContentsMargins(2, 2, 2, 2);
  mainSplit_ = new QSplitter(Qt::Vertical, MainPanel);
  mainSplit_->setObjectName("MainSplit");
  mainSplit_->setChildrenCollapsible(false);
  mainSplit_->setHandleWidth(4);
  ml->addWidget(mainSplit_);

  FileManPanel = new QWidget(mainSplit_);
  FileManPanel->setObjectName("FileManPanel");
  auto* fl = new QVBoxLayout(FileManPanel);
  fl->setContentsMargins(0, 0, 0, 0);
  fl->setSpacing(0);
  centerSplit_ = new QSplitter(Qt::Horizontal, FileManPanel);
  centerSplit_->setObjectName("CenterPanel");
  centerSplit_->setChildrenCollapsible(false);
  centerSplit_->setHandleWidth(4);
  fl->addWidget(centerSplit_);

  auto pane = [this](const char* name, QWidget* content, QLabel*& header, const char* headerName) {
    auto* panel = new QWidget(centerSplit_);
    panel->setObjectName(name);
    auto* l = new QVBoxLayout(panel);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(0);
    header = new QLabel(panel);
    header->setObjectName(headerName);
    header->setFrameShape(QFrame::StyledPanel);
    header->setFrameShadow(QFrame::Raised);
    header->setMinimumHeight(22);
    header->setContentsMargins(4, 0, 4, 0);
    l->addWidget(header);
    content->setParent(panel);
    l->addWidget(content, 1);
    return panel;
  };
  tree_ = new TMailTreeView(session_.Tree());
  list_ = new TMailListView;
  QWidget* treePanel = pane("TreePanel", tree_, TreeHdr, "TreeHdr");
  TreeHdr->setText("All Folders");
  QWidget* listPanel = pane("ListPanel", list_, treeststus, "treeststus");
  treePanel->setMinimumWidth(120);
  listPanel->setMinimumWidth(200);
  centerSplit_->setStretchFactor(1, 1);
  centerSplit_->setSizes({169, 359});
  // The tree pane widens to show its labels whole when the tree is filled or opened further.
  auto fitLater = [this] { QTimer::singleShot(0, this, [this] { FitTreePane(); }); };
  connect(tree_->model(), &QAbstractItemModel::rowsInserted, this, fitLater);
  connect(tree_, &QTreeView::expanded, this, fitLater);

  tree_->SetStatusLabel(treeststus);
  tree_->Tree().SetPersonalConference(true);
  tree_->Tree().SetTextCase(TTextCase::tcAsIs);
  list_->List().SetTextCase(TTextCase::tcProperName);
  list_->List().SetToReader(&ToReader1);
  list_->List().SetMailTree(&tree_->Tree());
  list_->List().OnOpenMessage = [this](const TConfRec* rec, int index, int count) { OpenMessage(rec, index, count); };
  list_->List().OnShowNewFile = [this](const TConfRec*, int index, int) { MailListView1ShowNewFile(index); };
  list_->List().OnOpenDownload = [this](const TConfRec*, int index, int) { MailListView1OpenDownload(index); };
  list_->List().OnOpenBulletin = [this](const TConfRec*, int index, int) { OpenBulletin(index); };
  connect(tree_, &TMailTreeView::folderChanged, this, &TMainForm::FolderChanged);
  connect(tree_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& p) { PopupMenu2->popup(tree_->viewport()->mapToGlobal(p)); });
  connect(tree_, &QTreeWidget::itemClicked, this, [this] {
    UpdateReplyCaption();
    // A press in the tree selects the folder's first row when none is, and shows it.
    if (SelectedRow() < 0 && !list_->List().Rows().empty()) SelectRow(0);
    if (QuickViewerShown() && SelectedRow() >= 0) ShowQuickView();
  });
  connect(list_, &TListViewEx::rowActivated, this, [this](int row) { list_->List().DoubleClick(row); });
  connect(list_, &TListViewEx::contextMenuRequested, this, [this](const QPoint& p) {
    if (UsesFilePopup(SelectedRecord())) {
      PopupMenu4->popup(p);
      return;
    }
    popupCopySeparator_->setVisible(false);
    acts_.Copy1->setVisible(false);
    acts_.Selectall1->setVisible(false);
    PopupMenu1->popup(p);
  });
  connect(list_, &TListViewEx::currentRowChanged, this, [this](int) {
    if (QuickViewerShown()) ShowQuickView();
    UpdateCommandStates();
  });
  list_->SetViewStyle(TViewStyle::vsReport);
}

void TMainForm::BuildQuickViewer() {
  ViewerPanel = new QWidget(mainSplit_);
  ViewerPanel->setObjectName("ViewerPanel");
  auto* vl = new QVBoxLayout(ViewerPanel);
  vl->setContentsMargins(0, 0, 0, 0);
  vl->setSpacing(0);
  QuickViewerHDR = new QWidget(ViewerPanel);
  QuickViewerHDR->setObjectName("QuickViewerHDR");
  QuickViewerHDR->setFixedHeight(49);
  QuickViewerHDR->setAutoFillBackground(true);
  QPalette pal = QuickViewerHDR->palette();
  pal.setColor(QPalette::Window, pal.color(QPalette::Window).darker(108));
  QuickViewerHDR->setPalette(pal);
  auto* hl = new QHBoxLayout(QuickViewerHDR);
  hl->setContentsMargins(4, 2, 2, 2);
  auto navButton = [this](const char* name, const char* hint, Qt::ArrowType arrow, QAction* action) {
    auto* b = new QToolButton(QuickViewerHDR);
    b->setObjectName(name);
    b->setArrowType(arrow);
    b->setAutoRaise(true);
    b->setToolTip(hint);
    b->setStatusTip(hint);
    b->setFixedWidth(18);
    connect(b, &QToolButton::clicked, action, &QAction::trigger);
    return b;
  };
  auto* leftNav = new QVBoxLayout;
  leftNav->setSpacing(0);
  leftNav->addWidget(navButton("PrevMsgBtn", "Previous Message", Qt::LeftArrow, acts_.PreviousMessage1));
  leftNav->addWidget(navButton("PrevConfBtn", "Previous Conference", Qt::UpArrow, acts_.PreviousConference1));
  hl->addLayout(leftNav);
  auto* grid = new QGridLayout;
  grid->setVerticalSpacing(1);
  QFont bold("Arial");
  bold.setBold(true);
  auto* fromCaption = new QLabel("From", QuickViewerHDR);
  auto* subjectCaption = new QLabel("Subject", QuickViewerHDR);
  FromLabel = new QLabel(QuickViewerHDR);
  FromLabel->setObjectName("FromLabel");
  SubjectLabel = new QLabel(QuickViewerHDR);
  SubjectLabel->setObjectName("SubjectLabel");
  for (QLabel* l : {FromLabel, SubjectLabel}) {
    l->setFont(bold);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
  }
  grid->addWidget(fromCaption, 0, 0);
  grid->addWidget(FromLabel, 0, 1);
  grid->addWidget(subjectCaption, 1, 0);
  grid->addWidget(SubjectLabel, 1, 1);
  grid->setColumnStretch(1, 1);
  hl->addLayout(grid, 1);
  AttachedBtn = new QToolButton(QuickViewerHDR);
  AttachedBtn->setObjectName("AttachedBtn");
  AttachedBtn->setIcon(MailImage(TMailImage::miAttachment));
  AttachedBtn->setIconSize(QSize(32, 32));
  AttachedBtn->setFixedSize(45, 45);
  AttachedBtn->setAutoRaise(true);
  AttachedBtn->hide();
  connect(AttachedBtn, &QToolButton::clicked, this, &TMainForm::AttachedBtnClick);
  hl->addWidget(AttachedBtn);
  auto* rightNav = new QVBoxLayout;
  rightNav->setSpacing(0);
  rightNav->addWidget(navButton("NextMsgBtn", "Next Message", Qt::RightArrow, acts_.NextMessage1));
  rightNav->addWidget(navButton("NextConfBtn", "Next Conference", Qt::DownArrow, acts_.NextConference1));
  hl->addLayout(rightNav);
  vl->addWidget(QuickViewerHDR);

  QuickViewerMemo = new QPlainTextEdit(ViewerPanel);
  QuickViewerMemo->setObjectName("QuickViewerMemo");
  QuickViewerMemo->setReadOnly(true);
  QuickViewerMemo->setLineWrapMode(QPlainTextEdit::NoWrap);
  QuickViewerMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  SetHelpContext(QuickViewerMemo, 7001);
  QuickViewerMemo->setContextMenuPolicy(Qt::CustomContextMenu);
  QuickViewerMemo->installEventFilter(this);
  connect(QuickViewerMemo, &QWidget::customContextMenuRequested, this, [this](const QPoint& p) {
    popupCopySeparator_->setVisible(true);
    acts_.Copy1->setVisible(true);
    acts_.Selectall1->setVisible(true);
    PopupMenu1->popup(QuickViewerMemo->viewport()->mapToGlobal(p));
  });
  highlighter_ = new TTextViewHighlighter(QuickViewerMemo);
  vl->addWidget(QuickViewerMemo, 1);
  ViewerPanel->hide();
  mainSplit_->setStretchFactor(0, 1);
  // The split bar stays in the middle third of the pane, when dragged and when the window is resized.
  connect(mainSplit_, &QSplitter::splitterMoved, this, [this](int, int) { KeepSplitInMiddleThird(); });
  mainSplit_->installEventFilter(this);
  menuBar()->installEventFilter(this);  // its titles' hints go when it is left

  quickMsg_.SetMimeCTRL(&TesselMime1);
  quickMsg_.SetQWKExtCTRL(&ToReader1);
  quickMsg_.SetOnHDRChange([this](TQWKMsg*) { OnMsgHeader(); });
  quickMsg_.SetOnTextChange([this](TQWKMsg*) { OnMsgText(); });

  MainStatusPanel = new QFrame(MainPanel);
  MainStatusPanel->setObjectName("MainStatusPanel");
  MainStatusPanel->setFrameShape(QFrame::Panel);
  MainStatusPanel->setFrameShadow(QFrame::Raised);
  MainStatusPanel->setAutoFillBackground(true);
  MainStatusPanel->resize(265, 65);
  auto* sl = new QVBoxLayout(MainStatusPanel);
  MainStatusCaption = new QLabel("Opening -", MainStatusPanel);
  MainStatusCaption->setObjectName("MainStatusCaption");
  QFont capFont = MainStatusCaption->font();
  capFont.setBold(true);
  MainStatusCaption->setFont(capFont);
  StatusGauge = new TProgressGauge(MainStatusPanel);
  StatusGauge->setObjectName("StatusGauge");
  StatusGauge->SetBoxes(39);
  sl->addWidget(MainStatusCaption);
  sl->addWidget(StatusGauge);
  MainStatusPanel->hide();
}

void TMainForm::BuildStatus() {
  QStatusBar* bar = statusBar();
  bar->setObjectName("BottomPanel");
  ListStatus = new QLabel(bar);
  ListStatus->setObjectName("ListStatus");
  ListStatus->setFrameShape(QFrame::Panel);
  ListStatus->setFrameShadow(QFrame::Sunken);
  ListStatus->setMinimumWidth(112);
  InfoPanel = new QLabel(bar);
  InfoPanel->setObjectName("InfoPanel");
  InfoPanel->setFrameShape(QFrame::Panel);
  InfoPanel->setFrameShadow(QFrame::Sunken);
  bar->addWidget(ListStatus);
  bar->addWidget(InfoPanel, 1);
}

// ---------------------------------------------------------------- start-up

void TMainForm::FormCreate() {
  SetBusy(true);
  session_.CreateWorkFolder();
  life_->OnStatus = [this](const std::string& text) {
    MainStatusCaption->setText(FromCp437(text));
    MainStatusCaption->repaint();
  };
  life_->OnCaption = [this](const std::string& text) { setWindowTitle(FromCp437(text)); };
  life_->RunCloseDialog = [this](bool something) {
    TCloseForm form(this);
    form.SetSomethingToSend(something);
    TCloseAnswer answer;
    answer.Ok = form.exec() == QDialog::Accepted;
    answer.Choice = form.Choice();
    answer.Destination = form.Destination();
    answer.CreateReply = form.CreateReply();
    return answer;
  };
  life_->RefillList = [this] { list_->Refill(); };
  life_->Repaint = [this] { update(); };
  life_->EditorOpen = [this] { return Editor() != nullptr; };
  life_->EditorRecipient = [this] { return Editor() ? Editor()->Recipient() : std::string(); };
  life_->BringEditorToFront = [this] {
    if (Editor()) Editor()->BringToFront();
  };
  life_->DiscardEditor = [this] {
    if (Editor()) Editor()->Discard();
  };
  MainXZ.SetProcessMessages(MakeProcessMessages(20));
  MainXZ.SetOnStatus([this](const TXcdFileStats& s) {
    if (MainStatusPanel->isVisible()) StatusGauge->SetValue(s.Percent);
  });
  MainXZ.SetOnExtracting([this](const TXcdFileStats&) {
    if (MainStatusPanel->isVisible()) StatusGauge->SetValue(0);
  });

  BuildDownloads();
  QWKPostOffice1.OnChange = [this] { QWKPostOffice1Change(); };
  session_.LoadConfiguration();
  ReadWindowPlacement();
  list_->List().SetColumnOrder(settings_.Columns);
  ApplySortOrders(settings_, list_->List());
  acts_.Toolbar1->setChecked(settings_.Toolbar);
  acts_.Statusline1->setChecked(settings_.Statusbar);
  TopPanel->setVisible(settings_.Toolbar);
  statusBar()->setVisible(settings_.Statusbar);
  QWKPOCombobox1->SetPostOffice(&QWKPostOffice1);
  QWKPOCombobox1->setCurrentIndex(QWKPostOffice1.Itemindex());
  RebuildTree();
  ApplyOverlayPictures();
  // The idle update runs whenever the event queue empties.
  if (auto* dispatcher = QAbstractEventDispatcher::instance())
    connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, [this] {
      if (QApplication::activeWindow() == this) UpdateCommandStates();
    });
  SetBusy(false);
}

void TMainForm::ReadWindowPlacement() {
  // Without a stored placement about two thirds of the screen; a stored one
  // moved onto a screen that exists now.
  const TWindowPlacement p =
      PlaceOnScreens(settings_.LocationStored ? &settings_.Location : nullptr, ScreenAreas(), 580, 411, 2.0 / 3);
  ApplyMinimumSize();
  setGeometry(p.Left, p.Top, std::max(p.Width, minimumWidth()), std::max(p.Height, minimumHeight()));
  acts_.QuickViewer1->setChecked(settings_.QuickViewer);
  if (settings_.QuickViewer) ApplyQuickViewer();
  if (p.WindowState == TWindowState::wsMaximized) setWindowState(Qt::WindowMaximized);
  if (p.WindowState == TWindowState::wsMinimized) setWindowState(Qt::WindowMinimized);
}

// 528 x 300 (x 425 with the quick viewer), widened to what the toolbar needs
// so that its buttons and the post-office box never clip (large fonts, scale 2).
void TMainForm::ApplyMinimumSize() {
  int w = 528;
  if (TopPanel->isVisibleTo(this)) w = std::max(w, TopPanel->minimumSizeHint().width());
  setMinimumSize(w, QuickViewerShown() ? 425 : 300);
}

TWindowPlacement TMainForm::NormalPlacement() const {
  TWindowPlacement p = PlacementOf(this);
  if (QuickViewerShown()) p.Height -= ViewerPanel->height();
  return p;
}

void TMainForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (firstActivation_) {
    firstActivation_ = false;
    if (QWKPostOffice1.Count() == 0) ShowHelp(5501);
  }
}

void TMainForm::RebuildTree() {
  tree_->Tree().SetDirectory(tree_->Tree().PacketLoaded() ? tempDirectory_ : std::string());
}

// ---------------------------------------------------------------- busy and idle

void TMainForm::SetBusy(bool on) {
  busyCount_ = std::max(0, busyCount_ + (on ? 1 : -1));
  bool busy = busyCount_ > 0;
  if (busy) {
    if (!QApplication::overrideCursor()) QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
  }
  if (!life_) return;
  bool packet = tree_->Tree().PacketLoaded();
  if (!packet) setWindowTitle(kCaptionNoPacket);
  btns_.OpenBtn->setEnabled(!busy);
  btns_.CloseBtn->setEnabled(packet && !busy);
  btns_.NewBtn->setEnabled(QWKPostOffice1.Itemindex() >= 0 && !busy);
  for (QMenu* m : {File1, Edit1, View1, Mail1, Downloads1, Help1}) m->setEnabled(!busy);
  for (QWidget* w : std::initializer_list<QWidget*>{tree_, list_, QWKPOCombobox1, poLabel_, ListStatus, AttachedBtn,
                                                    QuickViewerMemo, QuickViewerHDR})
    w->setEnabled(!busy);
  for (QAbstractButton* n :
       {btns_.SpeedButton5, btns_.SpeedButton2, btns_.SpeedButton3, btns_.SpeedButton4, btns_.SearchBtn})
    n->setEnabled(!busy);
  if (busy) {
    for (QAbstractButton* n : {btns_.ReadBtn, btns_.ReplyBtn, btns_.ForwardBtn, btns_.DeleteButton})
      n->setEnabled(false);
    MailMenuAboutToShow();
  } else {
    UpdateCommandStates();
    if (msgView_) msgView_->UpdateButtons();  // a viewer opened meanwhile: its commands come alive
  }
}

const TConfRec* TMainForm::SelectedRecord() const {
  TMailTreeNode* node = tree_->Tree().Selected();
  return node ? node->Record.get() : nullptr;
}

int TMainForm::SelectedRow() const { return list_->CurrentRow(); }

TCommandContext TMainForm::Context() const {
  TCommandContext c;
  c.Busy = busyCount_ > 0;
  int row = SelectedRow();
  const auto& rows = list_->List().Rows();
  c.RowSelected = row >= 0 && row < static_cast<int>(rows.size());
  c.RowSubItems = c.RowSelected ? rows[static_cast<size_t>(row)].SubItems.size() : 0;
  const TConfRec* rec = SelectedRecord();
  c.FolderHasRecord = rec != nullptr;
  if (rec) c.Kind = rec->Kind;
  c.PostOfficeExists = const_cast<TQWKPostOffice&>(QWKPostOffice1).Itemindex() >= 0;
  c.QuickViewerShown = QuickViewerShown();
  c.TreeHasNodes = tree_->Tree().Root() != nullptr;
  c.QuickViewerHasSelection = QuickViewerMemo->textCursor().hasSelection();
  return c;
}

void TMainForm::UpdateCommandStates() {
  if (!life_) return;
  bool packet = tree_->Tree().PacketLoaded();
  if (!packet && windowTitle() != kCaptionNoPacket) setWindowTitle(kCaptionNoPacket);
  TCommandContext c = Context();
  TCommandStates s = ToolbarStates(c);
  btns_.CloseBtn->setEnabled(packet && !c.Busy);
  btns_.NewBtn->setEnabled(s.New);
  btns_.ReadBtn->setEnabled(s.View);
  btns_.ReplyBtn->setEnabled(s.Reply);
  btns_.ForwardBtn->setEnabled(s.Forward);
  btns_.DeleteButton->setEnabled(s.Delete);
  btns_.SearchBtn->setEnabled(s.Search);
  MailMenuAboutToShow();  // the shortcuts follow the selection
  EditMenuAboutToShow();  // the door commands' shortcuts follow the door
  if ((!c.RowSelected || !c.FolderHasRecord) && QuickViewerShown() && !QuickViewerMemo->document()->isEmpty())
    ClearQuickView();
  const bool downloads = DownloadsMenuVisible(packet, ToReader1);
  if (Downloads1->menuAction()->isVisible() != downloads) Downloads1->menuAction()->setVisible(downloads);
  int count = static_cast<int>(list_->List().Rows().size());
  QString status = FromUtf8(ListStatusText(c.RowSelected ? SelectedRow() : -1, count));
  if (ListStatus->text() != status) ListStatus->setText(status);
  if (statusBar()->currentMessage().isEmpty()) {
    ListStatus->show();
    InfoPanel->show();
  }
}

// ---------------------------------------------------------------- packets

void TMainForm::OpenBtnClick() {
  if (Busy()) return;
  CloseMsgView();
  if (tree_->Tree().PacketLoaded() && !life_->ClosePacket()) return;
  SetBusy(true);
  auto path = GetPrompts().OpenFile("Open Packet", kOpenFilter, settings_.Packets);
  if (path) OpenPacketFile(*path);
  SetBusy(false);
}

bool TMainForm::OpenPacketFile(const std::string& path) {
  CloseFinder();
  if (tree_->Tree().PacketLoaded() && !life_->ClosePacket()) return false;
  SetBusy(true);
  const bool reply = TReaderSession::IsReplyPacketName(path);
  if (!reply) ShowStatusPanel("Opening - " + ExtractFileName(path));
  const bool ok = ShowFailure(session_.OpenFile(path));
  if (!reply) {
    if (ok && ShowWelcomeScreen()) {
      // The welcome screen comes first, as on the board.
    } else if (ok) {
      tree_->Tree().NextConference(0);  // the first conference
      if (!list_->List().Rows().empty()) {
        SelectRow(0);
        if (settings_.DisplayFirstMessage) {
          MainStatusCaption->setText("Loading MSG Viewer . . .");
          MainStatusCaption->repaint();
          list_->List().DoubleClick(0);
        } else if (QuickViewerShown()) {
          ShowQuickView();
        }
      }
    }
    HideStatusPanel();
  }
  SetBusy(false);
  return ok;
}

void TMainForm::CloseBtnClick() {
  if (Busy() || !tree_->Tree().PacketLoaded()) return;
  CloseMsgView();
  if (newFiles_) newFiles_->close();
  CloseFinder();
  life_->ClosePacket();
  ClearQuickView();
  UpdateCommandStates();
}

void TMainForm::OpenReplyPacketClick() {
  if (Busy()) return;
  SetBusy(true);
  life_->OpenReplyPacket(life_->ReplyPacketPath());
  SetBusy(false);
}

void TMainForm::CreateReplyPacketClick() {
  if (Busy()) return;
  SetBusy(true);
  setEnabled(false);
  if (life_->CreateReplyPacket(life_->ReplyPacketPath()))
    GetPrompts().Information("The reply packet " + life_->ReplyPacketPath() + " is ready to be uploaded.");
  setEnabled(true);
  SetBusy(false);
}

void TMainForm::ShowStatusPanel(const std::string& caption) {
  MainStatusCaption->setText(FromCp437(caption));
  StatusGauge->SetValue(0);
  MainStatusPanel->move((MainPanel->width() - MainStatusPanel->width()) / 2,
                        (MainPanel->height() - MainStatusPanel->height()) / 2);
  MainStatusPanel->show();
  MainStatusPanel->raise();
  MainStatusPanel->repaint();
}

void TMainForm::HideStatusPanel() { MainStatusPanel->hide(); }

void TMainForm::QWKPOCombobox1Click() {
  int chosen = QWKPostOffice1.Itemindex();
  const std::string shown = tree_->Tree().BBSID();
  if (chosen >= 0 && QWKPostOffice1.Node(chosen).BBSID == shown) return;
  if (tree_->Tree().PacketLoaded()) {
    CloseMsgView();
    if (newFiles_) newFiles_->close();
    CloseFinder();
    // Back to the packet's post office while it is asked whether the packet may close.
    std::string wanted = chosen >= 0 ? QWKPostOffice1.Node(chosen).BBSID : std::string();
    for (int i = 0; i < QWKPostOffice1.Count(); ++i)
      if (QWKPostOffice1.Node(i).BBSID == shown) QWKPostOffice1.SetItemindex(i);
    if (!life_->ClosePacket()) {
      QWKPOCombobox1->setCurrentIndex(QWKPostOffice1.Itemindex());
      return;
    }
    for (int i = 0; i < QWKPostOffice1.Count(); ++i)
      if (QWKPostOffice1.Node(i).BBSID == wanted) QWKPostOffice1.SetItemindex(i);
  }
  settings_.LastPO = QWKPostOffice1.Itemindex();
  RebuildTree();
  ReloadToReader();  // the tree's folder is the new post office's now
}

void TMainForm::QWKPostOffice1Change() {
  QWKPOCombobox1->Fill();
  QWKPOCombobox1->setCurrentIndex(QWKPostOffice1.Itemindex());
  if (!tree_->Tree().Root() && QWKPostOffice1.Itemindex() >= 0) tree_->Tree().Rebuild();
  DoorControl1.ReadDoorId(QWKPostOffice1.PostOfficeDirectory());
  ReloadToReader();
}

void TMainForm::ReloadToReader() {
  ToReader1.SetDirectory(tree_->Tree().Directory());
  ToReader1.LoadExtensionLists();
}

// ---------------------------------------------------------------- folders and messages

void TMainForm::FolderChanged() {
  if (keepList_) {
    // The finder shows the folder it searches; the list's rows (of another
    // folder) are out of use and no command acts on them.
    list_->SetCurrentRow(-1);
    list_->setEnabled(false);
    if (QuickViewerShown()) ClearQuickView();
    UpdateCommandStates();
    return;
  }
  list_->setEnabled(busyCount_ == 0);
  list_->Refill();
  UpdateReplyCaption();
  if (QuickViewerShown()) ClearQuickView();
  UpdateCommandStates();
}

TMailList& TMainForm::MailList() { return list_->List(); }

void TMainForm::SelectFolder(int node, bool fillList) {
  auto nodes = tree_->Tree().Nodes();
  if (node < 0 || node >= static_cast<int>(nodes.size())) return;
  keepList_ = !fillList;
  tree_->Tree().Select(nodes[static_cast<size_t>(node)]);
  keepList_ = false;
}

bool TMainForm::ViewerExists() const { return msgView_ != nullptr; }
bool TMainForm::FinderExists() const { return finder_ != nullptr; }
TFindMSGForm* TMainForm::Finder() const { return finder_; }

void TMainForm::BringViewerToFront() {
  if (!msgView_) return;
  if (msgView_->isMinimized()) msgView_->showNormal();
  msgView_->show();
  msgView_->raise();
  msgView_->activateWindow();
}

void TMainForm::ShowFinder() {
  if (!finder_) finder_ = new TFindMSGForm(*this, this);
  if (finder_->isMinimized()) finder_->showNormal();
  finder_->show();
  finder_->raise();
  finder_->activateWindow();
}

void TMainForm::CloseFinder() {
  if (finder_) finder_->CloseFromHost();
}

void TMainForm::OpenRow(int row) { list_->List().DoubleClick(row); }

void TMainForm::RefillList() { list_->Refill(); }

void TMainForm::BringMainToFront() {
  if (isMinimized()) showNormal();
  show();
  raise();
  activateWindow();
}

void TMainForm::SelectRow(int row) {
  list_->SetCurrentRow(row);
  if (row >= 0) list_->ActiveView()->scrollTo(list_->model()->index(row, 0));
}

void TMainForm::OpenMessage(const TConfRec* rec, int index, int count) {
  if (index < 0 || !SelectedRecord() || !rec) return;
  (void)count;
  if (Editor()) {
    Editor()->BringToFront();
    return;
  }
  if (rec->Kind == TFolderKind::fkConference) list_->List().MarkSelectedRead(index);
  if (QuickViewerShown()) SetQuickViewerShown(false);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const TConfRec folder = *rec;  // the viewer may move the tree's selection
  if (!msgView_) {
    msgView_ = new TMSGView(*this);
    connect(msgView_, &QObject::destroyed, this, [this] { lastViewedIndex_ = SelectedRow(); });
  }
  msgView_->ViewMessage(tree_->Tree().Directory(), list_->List().MessageNumber(index), folder);
  QApplication::restoreOverrideCursor();
}

TMSGView* TMainForm::MsgView() const { return msgView_.data(); }

void TMainForm::CloseMsgView() {
  if (!msgView_) return;
  lastViewedIndex_ = SelectedRow();
  if (closedView_) delete closedView_.data();
  // Freed when control is back in the event loop (the viewer may be the caller).
  closedView_ = msgView_;
  msgView_ = nullptr;
  closedView_->close();
}

void TMainForm::ReadBtnClick() {
  int row = SelectedRow();
  if (MailMenuStates(Context()).View) list_->List().DoubleClick(row);
}

void TMainForm::UpdateReplyCaption() {
  QString caption = FromUtf8(ReplyCaption(SelectedRecord()));
  if (btns_.ReplyBtn->text() != caption) {
    btns_.ReplyBtn->setText(caption);
    btns_.ReplyBtn->repaint();
  }
}

bool TMainForm::QuickViewerShown() const { return ViewerPanel && !ViewerPanel->isHidden(); }

void TMainForm::SetQuickViewerShown(bool shown) {
  acts_.QuickViewer1->setChecked(shown);
  ApplyQuickViewer();
}

void TMainForm::QuickViewer1Click() { SetQuickViewerShown(!acts_.QuickViewer1->isChecked()); }

void TMainForm::ApplyQuickViewer() {
  bool want = acts_.QuickViewer1->isChecked();
  if (want == QuickViewerShown()) return;
  int h = settings_.QuickViewerHeight > 0 ? settings_.QuickViewerHeight : 100;
  settings_.QuickViewer = want;
  if (want) {
    CloseMsgView();
    int top = FileManPanel->height();
    ViewerPanel->show();
    if (!isMaximized()) resize(width(), height() + h);
    mainSplit_->setSizes({std::max(top, 60), h});
    ApplyMinimumSize();
  } else {
    settings_.QuickViewerHeight = ViewerPanel->height();
    ViewerPanel->hide();
    ApplyMinimumSize();
    if (!isMaximized()) resize(width(), std::max(300, height() - h));
  }
}

void TMainForm::ClearQuickView() {
  AttachedBtn->hide();
  FromLabel->clear();
  SubjectLabel->clear();
  QuickViewerMemo->clear();
}

void TMainForm::ShowQuickView() {
  const auto& rows = list_->List().Rows();
  if (rows.empty()) {
    QuickViewerMemo->clear();
    return;
  }
  int row = SelectedRow();
  const TConfRec* rec = SelectedRecord();
  if (row < 0 || row >= static_cast<int>(rows.size()) || !rec) return;
  quickMsg_.SetPacketDirectory(tree_->Tree().Directory());
  TesselMime1.SetDirectory(tree_->Tree().Directory());
  AttachedBtn->hide();
  list_->ActiveView()->scrollTo(list_->model()->index(row, 0));
  QApplication::setOverrideCursor(Qt::WaitCursor);
  auto nodes = tree_->Tree().Nodes();
  lastViewedNode_ = static_cast<int>(std::find(nodes.begin(), nodes.end(), tree_->Tree().Selected()) - nodes.begin());
  const TMailListRow& r = rows[static_cast<size_t>(row)];
  if (IsBoxKind(rec->Kind) && r.SubItems.size() >= 6) {
    lastViewedIndex_ = row;
    quickMsg_.LoadFromFile(r.SubItems[5], *rec);
  } else if (rec->Kind == TFolderKind::fkConference && r.SubItems.size() >= 4) {
    lastViewedIndex_ = row;
    quickMsg_.LoadFromPacket(tree_->Tree().Directory(), list_->List().MessageNumber(row), *rec);
    if (QuickViewerShown()) list_->List().MarkSelectedRead(row);
  } else if (rec->Kind == TFolderKind::fkBulletins && ShowBulletinQuickView(row)) {
    lastViewedIndex_ = row;
  } else {
    ClearQuickView();
  }
  QApplication::restoreOverrideCursor();
}

void TMainForm::OnMsgHeader() {
  FromLabel->setText(FromCharset(LongerText(quickMsg_.LongFrom(), quickMsg_.MsgFROM()), quickMsg_.Charset()));
  SubjectLabel->setText(FromCharset(LongerText(quickMsg_.LongSubject(), quickMsg_.Subject()), quickMsg_.Charset()));
}

void TMainForm::OnMsgText() {
  QuickViewerMemo->clear();
  QFont f = FontFromSetting(settings_.ViewerFont);
  f.setStyleHint(QFont::TypeWriter);
  f.setFamilies({f.family(), QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Monospace")});
  QuickViewerMemo->setFont(f);
  QPalette pal = QuickViewerMemo->palette();
  pal.setColor(QPalette::Text, ColorFromNumber(settings_.ViewerFont.Color));
  QuickViewerMemo->setPalette(pal);
  highlighter_->SetQuoteColor(ColorFromNumber(settings_.QuoteFont.Color));
  if (TesselMime1.AttachmentFound() && !TesselMime1.FileNames().empty()) {
    QString hint;
    for (const auto& n : TesselMime1.FileNames()) hint += " " + FromCp437(n);
    AttachedBtn->setToolTip(hint);
    AttachedBtn->setStatusTip(hint);
    AttachedBtn->show();
  } else {
    AttachedBtn->hide();
  }
  highlighter_->ShowLines(VisibleLines(quickMsg_.Text(), settings_.ShowKludgeLines), settings_.ShowAnsiColours,
                          quickMsg_.Charset());
}

void TMainForm::AttachedBtnClick() {
  const TConfRec* rec = SelectedRecord();
  if (!tree_->Tree().Selected()) return;
  auto folder = GetPrompts().PickFolder("Select folder to save attachments to:", settings_.Packets);
  if (!folder || !rec) return;
  if (!(IsBoxKind(rec->Kind) || rec->Kind == TFolderKind::fkConference)) return;
  SetBusy(true);
  std::string text = IncludeTrailingBackslash(tree_->Tree().Directory()) + "MimeText.tmp";
  std::vector<std::string> names = TesselMime1.FileNames();
  try {
    std::vector<TTesselMime::TWantedAttachment> wanted;
    for (const auto& name : names) wanted.push_back({name, IncludeTrailingBackslash(*folder) + name});
    if (quickMsg_.ExportBody(text)) TesselMime1.ExtractFiles(text, wanted);
  } catch (const EInOutError& e) {
    GetPrompts().Error(e.what());
  }
  std::error_code ec;
  fs::remove(text, ec);
  SetBusy(false);
}

// ---------------------------------------------------------------- navigation

void TMainForm::GoNextMessage() {
  const auto& rows = list_->List().Rows();
  if (rows.empty()) {
    GoNextConference();
    return;
  }
  int row = SelectedRow();
  const TConfRec* rec = SelectedRecord();
  if (row < 0 || !rec) return;
  bool fromConference = rec->Kind == TFolderKind::fkConference;
  if (row + 1 < static_cast<int>(rows.size())) {
    if (fromConference) list_->List().MarkSelectedRead(row);
    SelectRow(row + 1);
  } else if (fromConference) {
    tree_->Tree().NextConference(rec->Ordinal);
    if (!list_->List().Rows().empty()) SelectRow(0);
  } else {
    SelectRow(0);
  }
  ShowQuickView();
}

void TMainForm::GoPreviousMessage() {
  const auto& rows = list_->List().Rows();
  if (rows.empty()) {
    GoPreviousConference();
    return;
  }
  int row = SelectedRow();
  const TConfRec* rec = SelectedRecord();
  if (row < 0 || !rec) return;
  bool fromConference = rec->Kind == TFolderKind::fkConference;
  if (row > 0) {
    if (fromConference) list_->List().MarkSelectedRead(row);
    SelectRow(row - 1);
  } else {
    if (fromConference) tree_->Tree().PreviousConference(rec->Ordinal);
    int count = static_cast<int>(list_->List().Rows().size());
    if (count > 0) SelectRow(count - 1);
  }
  ShowQuickView();
}

void TMainForm::GoNextConference() {
  TMailTree& tree = tree_->Tree();
  TMailTreeNode* node = tree.Selected();
  if (!node) return;
  auto nodes = tree.Nodes();
  if (!node->Record) {
    int index = static_cast<int>(std::find(nodes.begin(), nodes.end(), node) - nodes.begin());
    tree.Select(index < static_cast<int>(nodes.size()) - 1 ? nodes[static_cast<size_t>(index + 1)] : nodes[0]);
  } else if (node == tree.OutBox()) {
    tree.Select(tree.SaveBox());
  } else if (node == tree.SaveBox()) {
    tree.Select(tree.SentBox());
  } else if (node == tree.SentBox()) {
    tree.Select(tree.OutBox());
  } else {
    tree.NextConference(node->Record->Ordinal);
  }
  if (!list_->List().Rows().empty()) {
    SelectRow(0);
    ShowQuickView();
  }
}

void TMainForm::GoPreviousConference() {
  TMailTree& tree = tree_->Tree();
  TMailTreeNode* node = tree.Selected();
  if (!node) return;
  auto nodes = tree.Nodes();
  if (!node->Record) {
    int index = static_cast<int>(std::find(nodes.begin(), nodes.end(), node) - nodes.begin());
    tree.Select(index > 0 ? nodes[static_cast<size_t>(index - 1)] : nodes.back());
  } else if (node == tree.OutBox()) {
    tree.Select(tree.SentBox());
  } else if (node == tree.SaveBox()) {
    tree.Select(tree.OutBox());
  } else if (node == tree.SentBox()) {
    tree.Select(tree.SaveBox());
  } else {
    tree.PreviousConference(node->Record->Ordinal);
  }
  int count = static_cast<int>(list_->List().Rows().size());
  if (count > 0) {
    SelectRow(count - 1);
    ShowQuickView();
  }
}

// ---------------------------------------------------------------- deleting

void TMainForm::DeleteButtonClick() {
  const TConfRec* rec = SelectedRecord();
  int row = SelectedRow();
  if (!MailMenuStates(Context()).Delete || !rec || !IsBoxKind(rec->Kind) || row < 0) return;
  CloseMsgView();
  if (Editor()) {
    Editor()->BringToFront();
    return;
  }
  std::string path = list_->List().SelectedFilePath(row);
  if (!path.empty()) {
    std::error_code ec;
    fs::remove(path, ec);
    if (ec) GetPrompts().Error("Could not delete " + path);
    list_->Refill();
  }
  int count = static_cast<int>(list_->List().Rows().size());
  if (count == 0) {
    ClearQuickView();
    return;
  }
  SelectRow(row < count ? row : count - 1);
  if (QuickViewerShown()) ShowQuickView();
}

void TMainForm::DeleteALLMessages1Click() {
  const TConfRec* rec = SelectedRecord();
  if (!MailMenuStates(Context()).DeleteAll || !rec || !IsBoxKind(rec->Kind)) return;
  CloseMsgView();
  if (GetPrompts().ConfirmYesNo(DeleteAllQuestion(rec->Kind))) {
    const auto rows = list_->List().Rows();
    for (size_t i = 0; i < rows.size(); ++i) {
      std::string path = list_->List().SelectedFilePath(static_cast<int>(i));
      std::error_code ec;
      if (!path.empty()) fs::remove(path, ec);
    }
  }
  list_->Refill();
  if (SelectedRow() >= 0 && QuickViewerShown()) ShowQuickView();
  if (list_->List().Rows().empty()) ClearQuickView();
}

// ---------------------------------------------------------------- menus

void TMainForm::FileMenuAboutToShow() {
  acts_.CreateReplyPacket1->setEnabled(life_->SomethingToSend() || FileExistsNoCase(tempDirectory_, kToDoorFileName));
  acts_.CloseMailPacket1->setEnabled(tree_->Tree().PacketLoaded());
  acts_.OpenReplyPacket1->setEnabled(QWKPostOffice1.Itemindex() >= 0 && life_->ExistingReplyPacket().has_value());
  acts_.Properties1->setEnabled(QWKPostOffice1.Itemindex() >= 0);
}

void TMainForm::ViewMenuAboutToShow() {
  TViewStyle st = list_->ViewStyle();
  acts_.LargeIcons1->setChecked(st == TViewStyle::vsIcon);
  acts_.SmallIcons1->setChecked(st == TViewStyle::vsSmallIcon);
  acts_.List1->setChecked(st == TViewStyle::vsList);
  acts_.Details1->setChecked(st == TViewStyle::vsReport);
  acts_.Toolbar1->setChecked(TopPanel->isVisible());
  acts_.Statusline1->setChecked(statusBar()->isVisible());
  acts_.QuickViewer1->setChecked(QuickViewerShown());
  acts_.MSGViewer1->setVisible(msgView_ != nullptr);
  acts_.MSGEditor1->setVisible(Editor() != nullptr);
  acts_.NewFiles1->setVisible(newFiles_ != nullptr);
  acts_.AddressBook2->setVisible(TAdressBook::Instance() != nullptr);
  acts_.MailFinder1->setVisible(finder_ != nullptr);
  windowItemsSeparator_->setVisible(msgView_ || Editor() || newFiles_ || finder_);
}

void TMainForm::EditMenuAboutToShow() {
  TDoorCommandStates s = DoorCommandStates(DoorControl1);
  acts_.AddConference1->setEnabled(s.Conferences);
  acts_.Keywords1->setEnabled(s.Keywords);
  acts_.Filters1->setEnabled(s.Filters);
  acts_.Twits1->setEnabled(s.Twits);
}

void TMainForm::MailListView1ShowNewFile(int index) {
  CloseMsgView();
  if (Editor()) {
    Editor()->BringToFront();
    return;
  }
  TNewFilesForm::ShowEntry(*this, newFiles_, index);
}

void TMainForm::ApplyMessageCommandStates(const TCommandStates& s) {
  acts_.ViewMessage1->setEnabled(s.View);
  acts_.ViewMessage1->setVisible(s.ViewVisible);
  acts_.ReplytoMessage1->setEnabled(s.Reply);
  acts_.ReplytoMessage1->setText(FromUtf8(ReplyMenuCaption(SelectedRecord())));
  acts_.ForwardMessage1->setEnabled(s.Forward);
  acts_.DeleteMessage1->setEnabled(s.Delete);
}

void TMainForm::MarkSelectedRows(bool read) {
  if (!MailMenuStates(Context()).MarkRead) return;
  for (int row : list_->SelectedRows())
    if (!list_->List().SetConferenceRowRead(row, read)) GetPrompts().Error("Could not mark the message.");
}

void TMainForm::MailMenuAboutToShow() {
  TCommandStates s = MailMenuStates(Context());
  ApplyMessageCommandStates(s);
  acts_.MarkasRead1->setEnabled(s.MarkRead);
  acts_.MarkasUnRead1->setEnabled(s.MarkRead);
  acts_.DeleteALLMessages1->setEnabled(s.DeleteAll);
  acts_.NewMessage1->setEnabled(s.New);
  acts_.Search1->setEnabled(s.Search);
}

void TMainForm::PopupMenu1AboutToShow() {
  TCommandStates s = PopupStates(Context());
  ApplyMessageCommandStates(s);
  acts_.NextMessage1->setEnabled(s.NextPrevMessage);
  acts_.PreviousMessage1->setEnabled(s.NextPrevMessage);
  acts_.NextConference1->setEnabled(s.NextPrevConference);
  acts_.PreviousConference1->setEnabled(s.NextPrevConference);
  acts_.Copy1->setEnabled(s.Copy);
  acts_.QuickViewer1->setChecked(QuickViewerShown());
}

void TMainForm::PopupMenu2AboutToShow() {
  bool close = QWKPostOffice1.Itemindex() >= 0 && tree_->Tree().PacketLoaded();
  acts_.CloseMailPacket1->setEnabled(close);
  PopupMenu2->findChild<QAction*>("ClosePacket2")->setEnabled(close);
  acts_.QuickViewer1->setChecked(QuickViewerShown());
}

void TMainForm::SetViewStyle(TViewStyle style, bool refill) {
  list_->SetViewStyle(style);
  // A view mode brings its own drag setting; the list's rows are dragged as files.
  list_->IconView()->setDragEnabled(true);
  if (refill) list_->Refill();
}

void TMainForm::ShowOptions(int page) {
  TTsOptionForm form(this);
  form.Fill(settings_, list_->List().ColumnOrder(), page);
  if (form.exec() == QDialog::Accepted) {
    bool personal = settings_.PersonalSeparate;
    int32_t order[4];
    form.ReadBack(settings_, order);
    std::copy(order, order + 4, settings_.Columns);
    list_->List().SetColumnOrder(order);
    session_.ApplySettings();
    list_->Refill();
    if (personal != settings_.PersonalSeparate) tree_->Tree().Rebuild();
    ApplyOverlayPictures();
    if (msgView_) msgView_->ApplySettings(settings_);
    if (Editor()) Editor()->ApplyEditorFont(settings_.EditorFont);
    // Written at once, so that a crash later in the run cannot lose them.
    TMainSettings saved = settings_;
    saved.Location = NormalPlacement();
    saved.LastPO = QWKPostOffice1.Itemindex();
    try {
      SaveSettings(session_.Registry(), saved);
    } catch (const ERegistryException& e) {
      GetPrompts().Error(e.what());
    }
  }
  update();
}

void TMainForm::ShowProperties() {
  TPropertiesSource src;
  src.PostOffice = &QWKPostOffice1;
  src.Tree = &tree_->Tree();
  src.Door = &DoorControl1;
  src.ViewerMsg = msgView_ ? &msgView_->QWKMsg1() : nullptr;
  if (Editor()) src.EditorMsg = &Editor()->QWKMsg2();
  TPropertiesForm form(src, this);
  form.SelectPacketPage();
  form.exec();
}

void TMainForm::ShowPropertiesOnLastPage() {
  TPropertiesSource src;
  src.PostOffice = &QWKPostOffice1;
  src.Tree = &tree_->Tree();
  src.Door = &DoorControl1;
  src.ViewerMsg = msgView_ ? &msgView_->QWKMsg1() : nullptr;
  if (Editor()) src.EditorMsg = &Editor()->QWKMsg2();
  TPropertiesForm form(src, msgView_ ? static_cast<QWidget*>(msgView_.data()) : this);
  form.SelectLastPage();
  form.exec();
}

// ---------------------------------------------------------------- the message editor

TEditForm* TMainForm::Editor() const { return editor_ && !editor_->Closed() ? editor_.data() : nullptr; }

void TMainForm::NewBtnClick() {
  if (!MailMenuStates(Context()).New) return;
  CloseMsgView();
  if (Editor()) {
    Editor()->BringToFront();
    return;
  }
  QApplication::setOverrideCursor(Qt::WaitCursor);
  editor_ = new TEditForm(*this);
  editor_->QWKMsg2().SetPacketDirectory(tree_->Tree().Directory());
  editor_->SelectConference(editor_->QWKMsg2().Conference());
  editor_->show();
  QApplication::restoreOverrideCursor();
  UpdateCommandStates();
}

void TMainForm::NewMessageTo(const std::string& to, const std::string& cc) {
  NewBtnClick();
  if (Editor()) Editor()->SetRecipients(to, cc);
}

bool TMainForm::MessageWindowOpen(TMessageWindow window) const {
  return window == TMessageWindow::mwEditor ? Editor() != nullptr : msgView_ != nullptr;
}

void TMainForm::BringMessageWindowForward(TMessageWindow window) {
  (window == TMessageWindow::mwEditor ? acts_.MSGEditor1 : acts_.MSGViewer1)->trigger();
}

void TMainForm::ReplyBtnClick() { StartEditor(false); }

void TMainForm::ForwardBtnClick() { StartEditor(true); }

void TMainForm::StartEditor(bool forward) {
  const TConfRec* rec = SelectedRecord();
  int row = SelectedRow();
  const auto& rows = list_->List().Rows();
  TCommandStates states = MailMenuStates(Context());
  if (!(forward ? states.Forward : states.Reply)) return;
  if (!rec || row < 0 || row >= static_cast<int>(rows.size())) return;
  CloseMsgView();
  if (Editor()) {
    Editor()->BringToFront();
    return;
  }
  const auto& sub = rows[static_cast<size_t>(row)].SubItems;
  std::string boxFile = IsBoxKind(rec->Kind) && sub.size() >= 6 ? sub[5] : std::string();
  QApplication::setOverrideCursor(Qt::WaitCursor);
  editor_ = new TEditForm(*this);
  if (!editor_->StartFrom(*rec, list_->List().MessageNumber(row) - 1, boxFile, forward)) editor_->Discard();
  QApplication::restoreOverrideCursor();
  UpdateCommandStates();
}

void TMainForm::ApplyOverlayPictures() {
  QPalette pal = TopPanel->palette();
  QColor base = QApplication::palette().color(QPalette::Window);
  if (settings_.OverlayPictures) {
    QLinearGradient g(0, 0, 0, 97);
    g.setColorAt(0, base.lighter(112));
    g.setColorAt(1, base.darker(106));
    pal.setBrush(QPalette::Window, g);
  } else {
    pal.setBrush(QPalette::Window, base);
  }
  TopPanel->setPalette(pal);
}

void TMainForm::ShowAbout() { TAboutBox::Execute(this); }

void TMainForm::ShowHelp(int context) {
  if (context == -1) {
    THelp::ShowContents();
  } else if (context == -2) {
    THelp::ShowFinder();
  } else {
    THelp::ShowContext(context);
  }
}

void TMainForm::ShowHelpTopic(const char* topic) { THelp::ShowTopic(topic); }

// ---------------------------------------------------------------- keys and closing

// Widens the tree pane (never narrows it: the user's wider choice stays) so
// that the widest shown label fits, up to two fifths of the window's width.
void TMainForm::FitTreePane() {
  QList<int> sizes = centerSplit_->sizes();
  if (sizes.size() != 2) return;
  int need = tree_->ContentWidth() + 2 * tree_->frameWidth() + tree_->indentation() / 2;
  if (tree_->verticalScrollBar()->isVisible()) need += tree_->verticalScrollBar()->width();
  int total = sizes[0] + sizes[1];
  int width = std::min(need, total * 2 / 5);
  if (width > sizes[0]) centerSplit_->setSizes({width, total - width});
}

void TMainForm::KeepSplitInMiddleThird() {
  int h = mainSplit_->height();
  QList<int> sizes = mainSplit_->sizes();
  if (sizes.size() != 2 || !ViewerPanel->isVisible()) return;
  int top = std::clamp(sizes[0], h / 3, 2 * (h / 3));
  if (top != sizes[0]) mainSplit_->setSizes({top, sizes[0] + sizes[1] - top});  // the bar's own height stays out
  settings_.QuickViewerHeight = mainSplit_->sizes()[1];
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == mainSplit_ && event->type() == QEvent::Resize) {
    // The splitter lays its panes out on the same resize; clamp after it has.
    QTimer::singleShot(0, this, [this] { KeepSplitInMiddleThird(); });
    return false;
  }
  // A menu bar title's hint goes when the bar is left (the list status comes back).
  if (watched == menuBar() && (event->type() == QEvent::FocusOut ||
                               (event->type() == QEvent::Leave && !menuBar()->activeAction())))
    statusBar()->clearMessage();
  if (ListDragFilter(watched, event)) return true;
  if (watched == QuickViewerMemo && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    bool alt = key->modifiers() & Qt::AltModifier;
    switch (key->key()) {
      case Qt::Key_Left:
        alt ? GoPreviousConference() : GoPreviousMessage();
        return true;
      case Qt::Key_Right:
        alt ? GoNextConference() : GoNextMessage();
        return true;
      case Qt::Key_Return:
      case Qt::Key_Enter:
      case Qt::Key_Space: {
        QScrollBar* bar = QuickViewerMemo->verticalScrollBar();
        if (bar->value() >= bar->maximum()) {
          GoNextMessage();
        } else {
          bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        }
        return true;
      }
      case Qt::Key_Escape:
        SetQuickViewerShown(false);
        return true;
      default: break;
    }
  }
  if (event->type() == QEvent::Enter || event->type() == QEvent::Leave) {
    if (auto* w = qobject_cast<QWidget*>(watched)) {
      if (event->type() == QEvent::Enter && !w->statusTip().isEmpty()) {
        statusBar()->showMessage(w->statusTip());
      } else {
        statusBar()->clearMessage();
      }
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

bool TMainForm::FormCloseQuery() {
  if (finder_ && finder_->Searching()) {
    // The search loop runs below this call: the program ends at the next request.
    CloseFinder();
    return false;
  }
  CloseMsgView();
  if (newFiles_) newFiles_->close();
  CloseFinder();
  QApplication::processEvents();
  if (tree_->Tree().PacketLoaded()) return life_->ClosePacket();
  // No packet: a message being written is posted or given up through the
  // editor's own question before the program ends.
  if (Editor() && !Editor()->close()) return false;
  return true;
}

void TMainForm::FormClose() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  settings_.Location = NormalPlacement();
  settings_.QuickViewer = QuickViewerShown();
  if (QuickViewerShown()) settings_.QuickViewerHeight = ViewerPanel->height();
  settings_.Toolbar = TopPanel->isVisibleTo(this);
  settings_.Statusbar = statusBar()->isVisibleTo(this);
  session_.SaveConfiguration();
  session_.RemoveWorkFolder();
  QApplication::restoreOverrideCursor();
}

void TMainForm::closeEvent(QCloseEvent* event) {
  if (closing_) {
    event->accept();
    return;
  }
  if (Busy() || !FormCloseQuery()) {  // never under a running operation
    event->ignore();
    return;
  }
  closing_ = true;
  FormClose();
  event->accept();
}

}  // namespace korrin
