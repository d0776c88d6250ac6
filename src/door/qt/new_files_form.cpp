#include "door/qt/new_files_form.h"

#include <QAction>
#include <QDate>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QStyle>
#include <QToolButton>

#include <algorithm>

#include "engine/control_file.h"
#include "engine/mail_tree.h"
#include "explorer/qt/about_box.h"
#include "explorer/qt/help_window.h"
#include "explorer/qt/screen_placement.h"
#include "explorer/help_topics.h"
#include "explorer/settings.h"
#include "platform/ini_file.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/qt/qt_platform.h"
#include "session/main_host.h"
#include "session/reader_session.h"
#include "widgets/mail_images.h"
#include "widgets/window_parts.h"

namespace korrin {

namespace {
constexpr const char* kSection = "New Files";
constexpr int kHelpContext = 8012;

// The order of day, month and year in the system's short date format.
TDateOrder SystemDateOrder() {
  const QString f = QLocale::system().dateFormat(QLocale::ShortFormat);
  const auto d = f.indexOf('d'), m = f.indexOf('M'), y = f.indexOf('y');
  if (y >= 0 && (d < 0 || y < d) && (m < 0 || y < m)) return TDateOrder::doYMD;
  if (d >= 0 && m >= 0 && d < m) return TDateOrder::doDMY;
  return TDateOrder::doMDY;
}

QFont TerminalFont() {
  QFont f("Terminal");
  f.setStyleHint(QFont::TypeWriter);
  f.setFixedPitch(true);
  if (!QFontInfo(f).fixedPitch()) f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  return f;
}

bool NewFilesSelected(TMainHost& host) {
  const TMailTreeNode* node = host.Session().Tree().Selected();
  return node && node->Record && node->Record->Kind == TFolderKind::fkNewFiles;
}
}  // namespace

TNewFilesForm::TNewFilesForm(TMainHost& host, QWidget* parent) : QMainWindow(parent), host_(host) {
  setObjectName("NewFilesForm");
  setWindowTitle("New File Viewer");
  setWindowFlag(Qt::Window);
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowIcon(MailImage(TMailImage::miNewFiles));
  setMinimumSize(400, 300);
  SetHelpContext(this, kHelpContext);
  BuildActions();
  BuildPanes();
  BuildToolbar();
  BuildMenus();
  ReadPlacement();
  TReaderSession& s = host_.Session();
  s.ToDoor().SetDirectory(s.Lifecycle().TempDirectory());
  viewer_.Load(s.Tree().Directory());
  UpdateCommandStates();
}

TNewFilesForm::~TNewFilesForm() { WritePlacement(); }

QAction* TNewFilesForm::Action(const char* name, const QString& caption, const QString& hint, int help) {
  auto* a = new QAction(caption, this);
  a->setObjectName(name);
  a->setStatusTip(hint);
  SetHelpContext(a, help);
  return a;
}

void TNewFilesForm::BuildActions() {
  auto on = [this](QAction* a, auto slot) { connect(a, &QAction::triggered, this, slot); };
  acts_.RequestFile1 = Action("RequestFile1", "&Request File", "Request the file shown", kHelpContext);
  acts_.RequestAnyFile1 = Action("RequestAnyFile1", "Request &Any File", "Request a file by its name", kHelpContext);
  acts_.CloseNewFiles1 = Action("CloseNewFiles1", "&Close New Files", "Close the new file viewer", kHelpContext);
  acts_.Exit1 = Action("Exit1", "&Exit Program", "Exit the program", kHelpContext);
  acts_.Toolbar1 = Action("Toolbar1", "Toolbar", "Show or hide the toolbar", kHelpContext);
  acts_.Toolbar1->setCheckable(true);
  acts_.KorrinExplorer1 = Action("KorrinExplorer1", "Korrin Explorer", "Bring the explorer forward", kHelpContext);
  acts_.Introduction1 = Action("Introduction1", "&Introduction", "Open the help contents", kHelpContext);
  acts_.UsingKorrinHelp1 = Action("UsingKorrinHelp1", "&Using Korrin Help", "How to use the help", kHelpContext);
  acts_.NewfilesHelp1 = Action("NewfilesHelp1", "&New files Help", "Help on this window", kHelpContext);
  acts_.About1 = Action("About1", "&About", "About the new file viewer", kHelpContext);
  acts_.NextFile1 = Action("NextFile1", "Next File", "Show the next file", kHelpContext);
  acts_.PreviousFile1 = Action("PreviousFile1", "Previous File", "Show the previous file", kHelpContext);
  acts_.RequestFile2 = Action("RequestFile2", "Request File", "Request the file shown", kHelpContext);
  acts_.Requestanyfile1 = Action("Requestanyfile1", "Request any File", "Request a file by its name", kHelpContext);
  acts_.Close1 = Action("Close1", "Close", "Close the new file viewer", kHelpContext);
  // The File menu's request items do what the pop-up's do: an enabled
  // item that does nothing would only puzzle.
  for (QAction* n : {acts_.RequestFile1, acts_.RequestFile2}) on(n, &TNewFilesForm::RequestFileClick);
  for (QAction* n : {acts_.RequestAnyFile1, acts_.Requestanyfile1}) on(n, &TNewFilesForm::RequestAnyFileClick);
  for (QAction* n : {acts_.CloseNewFiles1, acts_.Close1}) on(n, &QWidget::close);
  on(acts_.Exit1, [this] { host_.CloseProgram(); });
  on(acts_.KorrinExplorer1, [this] { host_.BringMainToFront(); });
  on(acts_.Introduction1, [] { THelp::ShowContents(); });
  on(acts_.UsingKorrinHelp1, [] { THelp::ShowTopic(kTopicUsingHelp); });
  on(acts_.NewfilesHelp1, [] { THelp::ShowTopic(kTopicNewFiles); });
  on(acts_.About1, [this] { TAboutBox::Execute(this, "Korrin New File Viewer"); });
  on(acts_.NextFile1, &TNewFilesForm::NextBtnClick);
  on(acts_.PreviousFile1, &TNewFilesForm::PrevBtnClick);
  connect(acts_.Toolbar1, &QAction::toggled, this, [this](bool shown) { Toolbar->setVisible(shown); });
}

void TNewFilesForm::BuildMenus() {
  auto menu = [this](const char* name, const QString& title) {
    QMenu* m = menuBar()->addMenu(title);
    m->setObjectName(name);
    return m;
  };
  AddActions(menu("File1", "&File"), {acts_.RequestFile1, acts_.RequestAnyFile1, nullptr, acts_.CloseNewFiles1, acts_.Exit1});
  AddActions(menu("View1", "&View"), {acts_.Toolbar1, acts_.KorrinExplorer1});
  AddActions(menu("Help1", "&Help"), {acts_.Introduction1, acts_.UsingKorrinHelp1, acts_.NewfilesHelp1, nullptr, acts_.About1});
  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName("PopupMenu1");
  AddActions(PopupMenu1, {acts_.NextFile1, acts_.PreviousFile1, nullptr, acts_.RequestFile2, acts_.Requestanyfile1, nullptr, acts_.Close1});
  for (QWidget* w : {HeaderPanel, static_cast<QWidget*>(FileDiscription)}) {
    w->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(w, &QWidget::customContextMenuRequested, this,
            [this, w](const QPoint& p) { PopupMenu1->popup(w->mapToGlobal(p)); });
  }
}

void TNewFilesForm::BuildToolbar() {
  Toolbar = new QWidget(this);
  Toolbar->setObjectName("Toolbar");
  auto* row = new QHBoxLayout(Toolbar);
  row->setContentsMargins(4, 2, 8, 2);
  row->setSpacing(2);
  auto button = [this, row](QToolButton*& b, const char* name, const QIcon& icon, const QString& hint, auto slot) {
    b = new QToolButton(Toolbar);
    b->setObjectName(name);
    b->setIcon(icon);
    b->setIconSize(QSize(24, 24));
    b->setAutoRaise(true);
    b->setToolTip(hint);
    b->setStatusTip(hint);
    SetHelpContext(b, kHelpContext);
    connect(b, &QToolButton::clicked, this, slot);
    row->addWidget(b);
  };
  button(PrevBtn, "PrevBtn", style()->standardIcon(QStyle::SP_ArrowLeft), "Previous file", &TNewFilesForm::PrevBtnClick);
  button(NextBtn, "NextBtn", style()->standardIcon(QStyle::SP_ArrowRight), "Next file", &TNewFilesForm::NextBtnClick);
  CountLabel = new QLabel(Toolbar);
  CountLabel->setObjectName("CountLabel");
  CountLabel->setMinimumWidth(110);
  CountLabel->setAlignment(Qt::AlignCenter);
  QFont bold = CountLabel->font();
  bold.setBold(true);
  CountLabel->setFont(bold);
  row->addWidget(CountLabel);
  button(SpeedButton3, "SpeedButton3", MailImage(TMailImage::miNewFiles), "Request file",
         &TNewFilesForm::RequestFileClick);
  button(SpeedButton4, "SpeedButton4", MailImage(TMailImage::miDownloads), "Request any file",
         &TNewFilesForm::RequestAnyFileClick);
  row->addStretch(1);
  SetToolbarCentral(this, Toolbar)->addWidget(CenterPanel, 1);
  acts_.Toolbar1->setChecked(true);
}

void TNewFilesForm::BuildPanes() {
  CenterPanel = new QWidget(this);
  CenterPanel->setObjectName("CenterPanel");
  auto* cl = new QVBoxLayout(CenterPanel);
  cl->setContentsMargins(0, 0, 0, 0);
  cl->setSpacing(0);
  HeaderPanel = new QWidget(CenterPanel);
  HeaderPanel->setObjectName("HeaderPanel");
  auto* grid = new QGridLayout(HeaderPanel);
  grid->setContentsMargins(10, 6, 10, 6);
  grid->setHorizontalSpacing(10);
  auto pair = [this, grid](int r, const char* caption, QLabel*& value, const char* name) {
    auto* c = new QLabel(caption, HeaderPanel);
    QFont f = c->font();
    f.setBold(true);
    c->setFont(f);
    value = new QLabel(HeaderPanel);
    value->setObjectName(name);
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    value->setContextMenuPolicy(Qt::NoContextMenu);
    grid->addWidget(c, r, 0);
    grid->addWidget(value, r, 1);
  };
  pair(0, "Filename:", NameLabel, "NameLabel");
  pair(1, "Size:", SizeLabel, "SizeLabel");
  pair(2, "Date:", DateLabel, "DateLabel");
  grid->setColumnStretch(1, 1);
  FileDiscription = new QPlainTextEdit(CenterPanel);
  FileDiscription->setObjectName("FileDiscription");
  FileDiscription->setReadOnly(true);
  FileDiscription->setFont(TerminalFont());
  FileDiscription->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  FileDiscription->setLineWrapMode(QPlainTextEdit::NoWrap);
  FileDiscription->installEventFilter(this);
  cl->addWidget(HeaderPanel);
  cl->addWidget(FileDiscription, 1);
}

bool TNewFilesForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == FileDiscription && event->type() == QEvent::KeyPress) {
    switch (static_cast<QKeyEvent*>(event)->key()) {
      case Qt::Key_Return:
      case Qt::Key_Enter:
      case Qt::Key_Space:
      case Qt::Key_Right: NextBtnClick(); return true;
      case Qt::Key_Left: PrevBtnClick(); return true;
      case Qt::Key_Escape: close(); return true;
      default: break;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void TNewFilesForm::ShowNewFile(int n) {
  viewer_.SetCurrentEntry(n - 1);
  ShowCurrent();
}

void TNewFilesForm::ShowRow(int row) { ShowNewFile(viewer_.EntryOfRow(row) + 1); }

void TNewFilesForm::SelectListRow() {
  const int row = viewer_.RowOfEntry(viewer_.CurrentEntry());
  if (row >= 0 && NewFilesSelected(host_)) host_.SelectRow(row);
}

void TNewFilesForm::ShowCurrent() {
  TNewFileView v = viewer_.View(SystemDateOrder(), QDate::currentDate().year());
  NameLabel->setText(FromCp437(v.Name));
  SizeLabel->setText(FromCp437(v.Size));
  DateLabel->setText(FromCp437(v.Date));
  QStringList lines;
  for (const auto& line : v.Description) lines << FromCp437(line);
  FileDiscription->setPlainText(lines.join('\n'));
  CountLabel->setText(QString::fromStdString(v.Count));
  UpdateCommandStates();
}

void TNewFilesForm::Refresh() {
  const int current = viewer_.CurrentEntry();
  viewer_.Load(host_.Session().Tree().Directory());
  viewer_.SetCurrentEntry(current);
  ShowCurrent();
}

// The commands wait while the main window runs a long operation.
void TNewFilesForm::NextBtnClick() {
  if (host_.Busy()) return;
  viewer_.Next();
  SelectListRow();
  ShowCurrent();
}

void TNewFilesForm::PrevBtnClick() {
  if (host_.Busy()) return;
  viewer_.Previous();
  SelectListRow();
  ShowCurrent();
}

void TNewFilesForm::RequestFileClick() {
  if (host_.Busy()) return;
  TReaderSession& s = host_.Session();
  RequestFile(s.DoorControl(), s.ToDoor(), viewer_.CurrentName());
  host_.UpdateCommandStates();
}

void TNewFilesForm::RequestAnyFileClick() {
  if (host_.Busy()) return;
  TReaderSession& s = host_.Session();
  RequestAnyFile(s.DoorControl(), s.ToDoor());
  host_.UpdateCommandStates();
}

void TNewFilesForm::UpdateCommandStates() {
  const bool allowed = RequestsAllowed(host_.Session().DoorControl());
  const bool shown = viewer_.Count() > 0;
  SpeedButton3->setEnabled(allowed && shown);
  SpeedButton4->setEnabled(allowed);
  for (QAction* n : {acts_.RequestFile1, acts_.RequestFile2}) n->setEnabled(allowed && shown);
  for (QAction* n : {acts_.RequestAnyFile1, acts_.Requestanyfile1}) n->setEnabled(allowed);
}

void TNewFilesForm::ReadPlacement() {
  TIniFile ini(IncludeTrailingBackslash(ProgramFolder()) + kIniFileName);
  TIniPlacement p = ReadIniPlacement(ini, kSection, false);
  acts_.Toolbar1->setChecked(p.Toolbar);
  Toolbar->setVisible(p.Toolbar);
  RestorePlacement(this, p.Placement, 400, 300);
}

void TNewFilesForm::WritePlacement() {
  TIniPlacement p;
  p.Placement = PlacementOf(this);
  p.Toolbar = !Toolbar->isHidden();
  TIniFile ini(IncludeTrailingBackslash(ProgramFolder()) + kIniFileName);
  if (!WriteIniPlacement(ini, kSection, p, false)) GetPrompts().Error("Could not write file - " + ini.FileName());
}

TNewFilesForm* TNewFilesForm::ShowEntry(TMainHost& host, QPointer<TNewFilesForm>& window, int row) {
  if (window) {
    window->Refresh();
  } else {
    window = new TNewFilesForm(host, dynamic_cast<QWidget*>(&host));
  }
  window->ShowRow(row);
  window->show();
  window->raise();
  window->activateWindow();
  return window;
}

}  // namespace korrin
