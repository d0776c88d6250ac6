#include "addressbook/qt/address_book_form.h"

#include "explorer/qt/screen_placement.h"

#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardItemModel>
#include <QToolButton>
#include <QTreeView>
#include <QWindowStateChangeEvent>

#include <algorithm>

#include "addressbook/address_rules.h"
#include "addressbook/qt/address_query.h"
#include "addressbook/qt/group_form.h"
#include "addressbook/qt/sel_rec_form.h"
#include "addressbook/vcard.h"
#include "explorer/qt/about_box.h"
#include "explorer/qt/help_window.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "session/main_host.h"
#include "session/reader_session.h"
#include "widgets/list_view_ex.h"
#include "widgets/mail_images.h"
#include "widgets/window_parts.h"

namespace korrin {

namespace {
constexpr int kHelpContext = 8003;
QPointer<TAdressBook> theBook;

QString Q(const std::string& s) { return QString::fromStdString(s); }

TViewStyle StyleOf(int icons) {
  switch (icons) {
    case 1: return TViewStyle::vsIcon;
    case 2: return TViewStyle::vsSmallIcon;
    case 3: return TViewStyle::vsList;
    default: return TViewStyle::vsReport;
  }
}

int IconsOf(TViewStyle style) {
  switch (style) {
    case TViewStyle::vsIcon: return 1;
    case TViewStyle::vsSmallIcon: return 2;
    case TViewStyle::vsList: return 3;
    case TViewStyle::vsReport: return 4;
  }
  return 4;
}

// The import's question about a card whose address is already in the book.
TImportChoice AskImport(QWidget* parent, const ContactRecord& stored, const ContactRecord& incoming) {
  QMessageBox box(QMessageBox::Question, "Import vCard",
                  Q("\"" + incoming.FirstName + " " + incoming.LastName + "\" has the address \"" +
                    incoming.DefaultEmail + "\" of \"" + stored.FirstName + " " + stored.LastName +
                    "\" in the address book. Replace that contact, keep both, or skip the card?"),
                  QMessageBox::NoButton, parent);
  QPushButton* replace = box.addButton("Replace", QMessageBox::AcceptRole);
  QPushButton* both = box.addButton("Keep both", QMessageBox::AcceptRole);
  QPushButton* skip = box.addButton("Skip", QMessageBox::RejectRole);
  box.setDefaultButton(skip);
  box.exec();
  if (box.clickedButton() == replace) return TImportChoice::icReplace;
  if (box.clickedButton() == both) return TImportChoice::icKeepBoth;
  return TImportChoice::icSkip;
}
}  // namespace

TAdressBook* TAdressBook::Instance() { return theBook.data(); }

TAdressBook::TAdressBook(TMainHost& host, QWidget* parent)
    : QMainWindow(parent), host_(host), book_(host.Session().Registry()) {
  theBook = this;
  setObjectName("AdressBook");
  setWindowTitle("Address Book");
  setWindowFlag(Qt::Window);
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowIcon(MailImage(TMailImage::miAddress));
  SetHelpContext(this, kHelpContext);
  model_ = new QStandardItemModel(0, 3, this);
  model_->setHorizontalHeaderLabels({"Name", "E-Mail", "Phone"});
  ListView1 = new TListViewEx(this);
  ListView1->setObjectName("ListView1");
  ListView1->setModel(model_);
  QTreeView* report = ListView1->ReportView();
  report->setEditTriggers(QAbstractItemView::NoEditTriggers);
  ListView1->IconView()->setEditTriggers(QAbstractItemView::NoEditTriggers);
  // Names differ in width: each item is measured, so none is cut to the first one's.
  ListView1->IconView()->setUniformItemSizes(false);
  for (int c = 0; c < 3; ++c) report->setColumnWidth(c, 150);
  connect(ListView1, &TListViewEx::rowActivated, this, &TAdressBook::EditRow);
  connect(ListView1, &TListViewEx::currentRowChanged, this, [this](int) { UpdateButtons(); });
  connect(ListView1, &TListViewEx::contextMenuRequested, this, [this](const QPoint& p) { PopupMenu1->popup(p); });
  BuildActions();
  BuildToolbar();
  BuildMenus();
  ApplyPlacement();
  RebuildList();
  if (SelectedRow() < 0 && !rows_.empty()) SelectRow(0);
  UpdateButtons();
}

TAdressBook::~TAdressBook() {
  SavePlacement();
  if (theBook == this) theBook = nullptr;
}

#define NEW_ACTION(field, caption, shortcut, help)         \
  (acts_.field = new QAction(caption, this), acts_.field->setObjectName(#field), \
   acts_.field->setShortcut(shortcut), SetHelpContext(acts_.field, help), addAction(acts_.field), acts_.field)

void TAdressBook::BuildActions() {
  auto on = [this](QAction* a, auto slot) { connect(a, &QAction::triggered, this, slot); };
  NEW_ACTION(NewContact1, "New &Contact", QKeySequence(Qt::CTRL | Qt::Key_C), 8032);
  NEW_ACTION(NewGroup1, "New &Group", QKeySequence(Qt::CTRL | Qt::Key_G), 8034);
  NEW_ACTION(Properties1, "&Properties", QKeySequence(Qt::CTRL | Qt::Key_P), 8006);
  NEW_ACTION(Delete1, "&Delete", QKeySequence(Qt::CTRL | Qt::Key_D), kHelpContext);
  NEW_ACTION(ImportvCard1, "Import vCard...", QKeySequence(), kHelpContext);
  NEW_ACTION(ExportvCard1, "Export vCard...", QKeySequence(), kHelpContext);
  NEW_ACTION(Exit1, "&Exit", QKeySequence(), kHelpContext);
  NEW_ACTION(Toolbar1, "&Toolbar", QKeySequence(), kHelpContext)->setCheckable(true);
  NEW_ACTION(LargeIcon1, "&Large Icon", QKeySequence(), kHelpContext);
  NEW_ACTION(SmallIcon1, "&Small Icon", QKeySequence(), kHelpContext);
  NEW_ACTION(List1, "&List", QKeySequence(), kHelpContext);
  NEW_ACTION(Detail1, "&Detail", QKeySequence(), kHelpContext);
  NEW_ACTION(Refresh1, "&Refresh", QKeySequence(), kHelpContext);
  NEW_ACTION(KorrinExplorer1, "Korrin Explorer", QKeySequence(), 8002);
  NEW_ACTION(MSGViewer1, "MSG Viewer", QKeySequence(), 8011);
  NEW_ACTION(MSGEditor1, "MSG Editor", QKeySequence(), 8010);
  NEW_ACTION(AddressBookHelp1, "Address Book Help", QKeySequence(), kHelpContext);
  NEW_ACTION(About1, "&About", QKeySequence(), 8026);
  NEW_ACTION(NewContact2, "New Contact", QKeySequence(), 8032);
  NEW_ACTION(NewGroup2, "New Group", QKeySequence(), 8034);
  NEW_ACTION(Properties2, "Properties", QKeySequence(), 8006);
  NEW_ACTION(Delete2, "Delete", QKeySequence(), kHelpContext);
  NEW_ACTION(Exit2, "Exit", QKeySequence(), kHelpContext);
  for (QAction* a : {acts_.NewContact1, acts_.NewContact2}) on(a, &TAdressBook::NewContactClick);
  for (QAction* a : {acts_.NewGroup1, acts_.NewGroup2}) on(a, &TAdressBook::NewGroupClick);
  for (QAction* a : {acts_.Properties1, acts_.Properties2}) on(a, &TAdressBook::PropertiesClick);
  for (QAction* a : {acts_.Delete1, acts_.Delete2}) on(a, &TAdressBook::DeleteClick);
  for (QAction* a : {acts_.Exit1, acts_.Exit2}) on(a, &QWidget::close);
  on(acts_.ImportvCard1, &TAdressBook::ImportClick);
  on(acts_.ExportvCard1, &TAdressBook::ExportClick);
  on(acts_.Refresh1, &TAdressBook::RebuildList);
  on(acts_.KorrinExplorer1, [this] { host_.BringMainToFront(); });
  on(acts_.MSGViewer1, [this] { host_.BringMessageWindowForward(TMainHost::TMessageWindow::mwViewer); });
  on(acts_.MSGEditor1, [this] { host_.BringMessageWindowForward(TMainHost::TMessageWindow::mwEditor); });
  on(acts_.AddressBookHelp1, [] { THelp::ShowContext(kHelpContext); });
  on(acts_.About1, [this] { TAboutBox::Execute(this, "Korrin Address Book"); });
  connect(acts_.Toolbar1, &QAction::triggered, this, [this](bool on) { Toolbar->setVisible(on); });
  int icons = 1;
  for (QAction* a : {acts_.LargeIcon1, acts_.SmallIcon1, acts_.List1, acts_.Detail1}) {
    a->setCheckable(true);
    connect(a, &QAction::triggered, this, [this, icons] { SetStyle(icons); });
    ++icons;
  }
}

void TAdressBook::BuildMenus() {
  File1 = menuBar()->addMenu("&File");
  File1->setObjectName("File1");
  AddActions(File1, {acts_.NewContact1, acts_.NewGroup1, nullptr, acts_.Properties1, acts_.Delete1, nullptr,
                     acts_.ImportvCard1, acts_.ExportvCard1, nullptr, acts_.Exit1});
  connect(File1, &QMenu::aboutToShow, this, &TAdressBook::FileMenuAboutToShow);
  View1 = menuBar()->addMenu("&View");
  View1->setObjectName("View1");
  AddActions(View1, {acts_.Toolbar1, nullptr, acts_.LargeIcon1, acts_.SmallIcon1, acts_.List1, acts_.Detail1, nullptr,
                     acts_.Refresh1, nullptr, acts_.KorrinExplorer1, acts_.MSGViewer1, acts_.MSGEditor1});
  connect(View1, &QMenu::aboutToShow, this, &TAdressBook::ViewMenuAboutToShow);
  Help1 = menuBar()->addMenu("&Help");
  Help1->setObjectName("Help1");
  AddActions(Help1, {acts_.AddressBookHelp1, nullptr, acts_.About1});
  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName("PopupMenu1");
  AddActions(PopupMenu1, {acts_.NewContact2, acts_.NewGroup2, nullptr, acts_.Properties2, acts_.Delete2, nullptr,
                          acts_.Exit2});
}

void TAdressBook::BuildToolbar() {
  Toolbar = new QWidget(this);
  Toolbar->setObjectName("Toolbar");
  auto* row = new QHBoxLayout(Toolbar);
  row->setContentsMargins(4, 2, 4, 2);
  row->setSpacing(2);
  auto button = [this, row](QToolButton*& b, const char* name, const QString& text, const QIcon& icon, auto slot) {
    b = new QToolButton(Toolbar);
    b->setObjectName(name);
    b->setText(text);
    b->setIcon(icon);
    b->setIconSize(QSize(24, 24));
    b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    b->setAutoRaise(true);
    SetHelpContext(b, kHelpContext);
    connect(b, &QToolButton::clicked, this, slot);
    row->addWidget(b);
  };
  button(ContactBtn, "ContactBtn", "New Contact", MailImage(TMailImage::miContactLarge), &TAdressBook::NewContactClick);
  button(GroupBtn, "GroupBtn", "New Group", MailImage(TMailImage::miGroupLarge), &TAdressBook::NewGroupClick);
  button(PropBtn, "PropBtn", "Properties", MailImage(TMailImage::miView), &TAdressBook::PropertiesClick);
  button(DeleteBtn, "DeleteBtn", "Delete", MailImage(TMailImage::miDelete), &TAdressBook::DeleteClick);
  button(NewBtn, "NewBtn", "Write", MailImage(TMailImage::miNew), &TAdressBook::WriteClick);
  row->addStretch(1);
  TransPic1 = new QLabel(Toolbar);
  TransPic1->setObjectName("TransPic1");
  TransPic1->setPixmap(MailPixmap(TMailImage::miAddress, 32));
  row->addWidget(TransPic1);
  SetToolbarCentral(this, Toolbar)->addWidget(ListView1, 1);
}

void TAdressBook::RebuildList() {
  const int selected = SelectedRow();
  QApplication::setOverrideCursor(Qt::WaitCursor);
  std::vector<EntryRow> rows;
  StoreGuard([&] { rows = book_.BuildEntryList(); });
  rows_ = std::move(rows);
  model_->removeRows(0, model_->rowCount());
  model_->setRowCount(static_cast<int>(rows_.size()));
  static const QIcon contact = [] {
    QIcon i = MailImage(TMailImage::miContact);
    i.addFile(":/icons/contact-large.svg", QSize(32, 32));
    return i;
  }();
  static const QIcon group = [] {
    QIcon i = MailImage(TMailImage::miGroup);
    i.addFile(":/icons/group-large.svg", QSize(32, 32));
    return i;
  }();
  for (int r = 0; r < static_cast<int>(rows_.size()); ++r) {
    const EntryRow& e = rows_[static_cast<size_t>(r)];
    auto* item = new QStandardItem(e.Image == 1 ? group : contact, Q(e.Text));
    model_->setItem(r, 0, item);
    if (e.Image == 0) {
      model_->setItem(r, 1, new QStandardItem(Q(e.EMail)));
      model_->setItem(r, 2, new QStandardItem(Q(e.Phone)));
    }
  }
  QApplication::restoreOverrideCursor();
  if (selected >= 0 && selected < static_cast<int>(rows_.size())) SelectRow(selected);
  UpdateButtons();
}

int TAdressBook::SelectedRow() const { return ListView1->CurrentRow(); }

void TAdressBook::SelectRow(int row) { ListView1->SetCurrentRow(row); }

void TAdressBook::UpdateButtons() {
  const bool selected = SelectedRow() >= 0;
  PropBtn->setEnabled(selected);
  DeleteBtn->setEnabled(selected);
  NewBtn->setEnabled(selected && !host_.MessageWindowOpen(TMainHost::TMessageWindow::mwEditor));
}

void TAdressBook::FileMenuAboutToShow() {
  const bool selected = SelectedRow() >= 0;
  acts_.Properties1->setEnabled(selected);
  acts_.Delete1->setEnabled(selected);
}

void TAdressBook::ViewMenuAboutToShow() {
  acts_.Toolbar1->setChecked(!Toolbar->isHidden());
  const int icons = IconsOf(ListView1->ViewStyle());
  acts_.LargeIcon1->setChecked(icons == 1);
  acts_.SmallIcon1->setChecked(icons == 2);
  acts_.List1->setChecked(icons == 3);
  acts_.Detail1->setChecked(icons == 4);
  acts_.MSGViewer1->setVisible(host_.MessageWindowOpen(TMainHost::TMessageWindow::mwViewer));
  acts_.MSGEditor1->setVisible(host_.MessageWindowOpen(TMainHost::TMessageWindow::mwEditor));
}

void TAdressBook::SetStyle(int icons) {
  ListView1->SetViewStyle(StyleOf(icons));
  ViewMenuAboutToShow();
}

void TAdressBook::EditRow(int row) {
  if (row < 0 || row >= static_cast<int>(rows_.size())) return;
  if (EditEntry(this, book_, rows_[static_cast<size_t>(row)].Key).Written) RebuildList();
  UpdateButtons();
}

void TAdressBook::NewContactClick() {
  if (EditEntry(this, book_, {}).Written) RebuildList();
}

void TAdressBook::NewGroupClick() {
  TGroupForm form(book_, {}, this);
  if (form.exec() == QDialog::Accepted) RebuildList();
}

void TAdressBook::PropertiesClick() { EditRow(SelectedRow()); }

void TAdressBook::DeleteClick() {
  const int row = SelectedRow();
  if (row < 0 || row >= static_cast<int>(rows_.size())) return;
  const EntryRow r = rows_[static_cast<size_t>(row)];
  if (!DeleteEntryAsked(book_, r.Key, r.Text)) return;
  RebuildList();
  if (row < static_cast<int>(rows_.size())) SelectRow(row);
  UpdateButtons();
}

void TAdressBook::WriteClick() {
  if (!NewBtn->isEnabled()) return;
  TChosenRecipients chosen;
  if (ChooseRecipients(this, book_, {}, chosen)) host_.NewMessageTo(chosen.To, chosen.CC);
  UpdateButtons();
}

void TAdressBook::ImportClick() {
  auto path = GetPrompts().OpenFile("Import vCard", "vCard files (*.vcf *.vcard);;All files (*)", {});
  if (!path) return;
  auto text = ReadWholeFile(*path);
  if (!text) {
    GetPrompts().Error("Could not read file - " + *path);
    return;
  }
  // Cards are UTF-8; an older file in another character set is taken as Latin-1.
  const QByteArray bytes = QByteArray::fromStdString(*text);
  if (QString::fromUtf8(bytes).contains(QChar::ReplacementCharacter)) *text = QString::fromLatin1(bytes).toStdString();
  TImportResult r;
  if (!StoreGuard([&] {
        r = ImportVCards(book_, host_.Session().Registry(), *text,
                         [this](const ContactRecord& s, const ContactRecord& i) { return AskImport(this, s, i); });
      }))
    return;
  RebuildList();
  GetPrompts().Information(std::to_string(r.Added) + " contact(s) added, " + std::to_string(r.Replaced) +
                           " replaced, " + std::to_string(r.Skipped) + " skipped, " + std::to_string(r.Groups) +
                           " group(s) added.");
}

void TAdressBook::ExportClick() {
  auto path = GetPrompts().SaveFile("Export vCard", "vCard files (*.vcf);;All files (*)", {}, "contacts.vcf");
  if (!path) return;
  std::string text;
  if (!StoreGuard([&] { text = ExportVCards(book_); })) return;
  if (!WriteFileAtomic(*path, text)) GetPrompts().Error("Could not write file - " + *path);
}

void TAdressBook::ApplyPlacement() {
  TBookPlacement p;
  p.Icons = 4;
  StoreGuard([&] { book_.LoadBookPlacement(p); });
  setGeometry(p.Left, p.Top, std::max(p.Width, 300), std::max(p.Height, 200));
  Toolbar->setVisible(p.Toolbar);
  acts_.Toolbar1->setChecked(p.Toolbar);
  ListView1->SetViewStyle(StyleOf(p.Icons));
  if (p.WindowState == 1) setWindowState(Qt::WindowMaximized);
  if (p.WindowState == 2) setWindowState(Qt::WindowMinimized);
}

void TAdressBook::SavePlacement() {
  const TWindowPlacement w = PlacementOf(this);
  TBookPlacement p{w.Left, w.Top, w.Width, w.Height, static_cast<int32_t>(w.WindowState), !Toolbar->isHidden(),
                   IconsOf(ListView1->ViewStyle())};
  StoreGuard([&] { book_.SaveBookPlacement(p); });
}

void TAdressBook::changeEvent(QEvent* event) {
  if (event->type() == QEvent::WindowStateChange && !isMinimized())
    lastState_ = windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) UpdateButtons();
  QMainWindow::changeEvent(event);
}

bool TAdressBook::event(QEvent* event) {
  if (TransPic1 && (event->type() == QEvent::Paint || event->type() == QEvent::Show))
    TransPic1->setVisible(host_.Session().Settings().OverlayPictures);
  return QMainWindow::event(event);
}

TAdressBook* ShowAddressBook(TMainHost& host) {
  if (TAdressBook* book = TAdressBook::Instance()) {
    if (book->isMinimized()) book->setWindowState(book->LastState());
    book->show();
    book->raise();
    book->activateWindow();
    return book;
  }
  auto* book = new TAdressBook(host, dynamic_cast<QWidget*>(&host));
  book->show();
  return book;
}

}  // namespace korrin
