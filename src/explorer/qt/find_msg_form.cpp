#include "explorer/qt/find_msg_form.h"

#include "engine/mail_list.h"
#include "explorer/qt/screen_placement.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDate>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QTransform>
#include <QTreeWidget>

#include <algorithm>

#include "engine/mail_tree.h"
#include "explorer/qt/about_box.h"
#include "explorer/qt/help_window.h"
#include "platform/prompts.h"
#include "platform/qt/qt_platform.h"
#include "platform/text.h"
#include "session/main_host.h"
#include "session/reader_session.h"
#include "widgets/mail_images.h"
#include "widgets/window_parts.h"

namespace korrin {

namespace {
constexpr const char* kCaption = "Korrin Mail Finder";
constexpr const char* kDateMask = "MM/dd/yy";
constexpr int kHelpContext = 5487;
constexpr int kFrames = 5;

QDate DateOf(TDay d) { return QDate(1970, 1, 1).addDays(d); }
TDay DayOfDate(const QDate& d) { return static_cast<TDay>(QDate(1970, 1, 1).daysTo(d)); }
QString ShortDate(TDay d) { return QLocale().toString(DateOf(d), QLocale::ShortFormat); }

// A date field's text as a date; two-digit years as the message dates read them.
std::optional<TDay> FieldDate(const QString& text) { return ParsePostDate(ToUtf8(text)); }

QComboBox* Combo(QWidget* parent, const char* name, bool editable) {
  auto* c = new QComboBox(parent);
  c->setObjectName(name);
  c->setEditable(editable);
  if (editable) c->setInsertPolicy(QComboBox::InsertAlphabetically);
  return c;
}

QLabel* Label(QWidget* parent, const QString& text, int x, int y) {
  auto* l = new QLabel(text, parent);
  l->move(x, y);
  return l;
}

std::vector<std::string> Items(const QComboBox* c) {
  std::vector<std::string> out;
  for (int i = 0; i < c->count(); ++i) out.push_back(ToCp437(c->itemText(i)));
  return out;
}

void SetItems(QComboBox* c, const std::vector<std::string>& items) {
  const QString text = c->currentText();
  c->clear();
  for (const auto& s : items) c->addItem(FromCp437(s));
  c->setEditText(text);
}
}  // namespace

TFindMSGForm::TFindMSGForm(TMainHost& host, QWidget* parent) : QMainWindow(parent), host_(host), finder_(host.Session().Tree()) {
  setObjectName("FindMSGForm");
  setWindowTitle(kCaption);
  setWindowFlag(Qt::Window);
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowIcon(MailImage(TMailImage::miFind));
  setMinimumSize(480, 330);
  SetHelpContext(this, kHelpContext);
  setCentralWidget(new QWidget(this));
  BuildMenus();
  BuildTop();
  BuildPages();
  ListView1 = new QTreeWidget(centralWidget());
  ListView1->setObjectName("ListView1");
  ListView1->setRootIsDecorated(false);
  ListView1->setHeaderLabels({"Subject", "location"});
  ListView1->setColumnWidth(0, 250);
  ListView1->setColumnWidth(1, 220);
  connect(ListView1, &QTreeWidget::itemDoubleClicked, this, [this] { Read1Click(); });
  StatusBar1 = statusBar();
  StatusBar1->setObjectName("StatusBar1");
  Panel1 = new QLabel(" Found :", this);
  Panel1->setFixedWidth(100);
  Panel2 = new QLabel(this);
  Panel2->setMinimumWidth(100);
  StatusBar1->addWidget(Panel1);
  StatusBar1->addWidget(Panel2, 1);
  Timer1 = new QTimer(this);
  Timer1->setObjectName("Timer1");
  Timer1->setInterval(10);
  connect(Timer1, &QTimer::timeout, this, &TFindMSGForm::Timer1Timer);

  // Creation state.
  const TDay today = Today();
  MaskEdit1->setText(DateOf(today - 7).toString(kDateMask));
  MaskEdit2->setText(DateOf(today).toString(kDateMask));
  UpdateEnabledStates();
  FillLookIn();
  TWindowPlacement p = ReadFinderPlacement(host_.Session().Registry());
  setGeometry(p.Left, p.Top, std::max(p.Width, 480), std::max(p.Height, 330));
  if (p.WindowState == TWindowState::wsMaximized) setWindowState(Qt::WindowMaximized);
  if (p.WindowState == TWindowState::wsMinimized) setWindowState(Qt::WindowMinimized);
  ReadHistories();
  FilesComboBox->setEditText("*.*");
  FindControl->setCurrentIndex(0);
  PlaceControls();
  Timer1->start();
  Timer1Timer();
}

TFindMSGForm::~TFindMSGForm() { finder_.Stop(); }

void TFindMSGForm::BuildMenus() {
  auto action = [this](const char* name, const QString& caption) {
    auto* a = new QAction(caption, this);
    a->setObjectName(name);
    SetHelpContext(a, kHelpContext);
    return a;
  };
  Read1 = action("Read1", "&View Message");
  Close1 = action("Close1", "&Close");
  MailViewer1 = action("MailViewer1", "Mail Viewer");
  KorrinExplorer1 = action("KorrinExplorer1", "Korrin Explorer");
  About1 = action("About1", "&About");
  connect(Read1, &QAction::triggered, this, &TFindMSGForm::Read1Click);
  connect(Close1, &QAction::triggered, this, &QWidget::close);
  connect(MailViewer1, &QAction::triggered, this, [this] { host_.BringViewerToFront(); });
  connect(KorrinExplorer1, &QAction::triggered, this, [this] { host_.BringMainToFront(); });
  connect(About1, &QAction::triggered, this, [this] { TAboutBox::Execute(this, kCaption); });
  Mail1 = menuBar()->addMenu("&Mail");
  Mail1->setObjectName("Mail1");
  AddActions(Mail1, {Read1, nullptr, Close1});
  connect(Mail1, &QMenu::aboutToShow, this, [this] { Read1->setEnabled(ListView1->currentItem() != nullptr); });
  View1 = menuBar()->addMenu("&View");
  View1->setObjectName("View1");
  AddActions(View1, {MailViewer1, KorrinExplorer1});
  connect(View1, &QMenu::aboutToShow, this, [this] { MailViewer1->setVisible(host_.ViewerExists()); });
  Help1 = menuBar()->addMenu("&Help");
  Help1->setObjectName("Help1");
  AddActions(Help1, {About1});
}

void TFindMSGForm::BuildTop() {
  QWidget* c = centralWidget();
  Animate1 = new QLabel(c);
  Animate1->setObjectName("Animate1");
  Animate1->setFixedSize(40, 40);
  Animate1->setAlignment(Qt::AlignCenter);
  animTimer_ = new QTimer(this);
  animTimer_->setInterval(150);
  connect(animTimer_, &QTimer::timeout, this, [this] {
    frame_ = (frame_ + 1) % kFrames;
    Animate(false);
  });
  Animate(false);
  Label8 = new QLabel("0", c);
  Label8->setObjectName("Label8");
  Label8->setAlignment(Qt::AlignCenter);
  auto button = [c](const char* name, const QString& text) {
    auto* b = new QPushButton(text, c);
    b->setObjectName(name);
    b->resize(80, 25);
    return b;
  };
  FindNowBtn = button("FindNowBtn", "F&ind Now");
  FindNowBtn->setDefault(true);
  StopBtn = button("StopBtn", "Sto&p");
  StopBtn->setShortcut(Qt::Key_Escape);
  NewSearchBtn = button("NewSearchBtn", "Ne&w Search");
  connect(FindNowBtn, &QPushButton::clicked, this, &TFindMSGForm::FindNowBtnClick);
  connect(StopBtn, &QPushButton::clicked, this, &TFindMSGForm::StopBtnClick);
  connect(NewSearchBtn, &QPushButton::clicked, this, &TFindMSGForm::NewSearchBtnClick);
}

void TFindMSGForm::Animate(bool) {
  QPixmap base = MailImage(TMailImage::miFind).pixmap(32, 32);
  QPixmap frame(base.size());
  frame.fill(Qt::transparent);
  QPainter p(&frame);
  p.translate(16, 16);
  p.rotate(frame_ * 360.0 / kFrames);
  p.translate(-16, -16);
  p.drawPixmap(0, 0, base);
  p.end();
  Animate1->setPixmap(frame);
}

void TFindMSGForm::BuildPages() {
  FindControl = new QTabWidget(centralWidget());
  FindControl->setObjectName("FindControl");

  auto* address = new QWidget;
  address->setObjectName("AddressPage");
  Label(address, "From", 8, 14);
  Label(address, "To", 8, 42);
  Label(address, "Subject", 8, 70);
  LookInLabel = Label(address, "Look in", 8, 98);
  FromCombobox = Combo(address, "FromCombobox", true);
  ToComboBox = Combo(address, "ToComboBox", true);
  SubjectComboBox = Combo(address, "SubjectComboBox", true);
  WereComboBox = Combo(address, "WereComboBox", false);
  FromCombobox->move(64, 10);
  ToComboBox->move(64, 38);
  SubjectComboBox->move(64, 66);
  WereComboBox->move(64, 94);
  IncludeBox = new QCheckBox("Include &subfolders", address);
  IncludeBox->setObjectName("IncludeBox");
  IncludeBox->adjustSize();
  FindControl->addTab(address, "Address && Location");

  auto* date = new QWidget;
  date->setObjectName("DatePage");
  RadioButton1 = new QRadioButton("All messages", date);
  RadioButton2 = new QRadioButton("Find all messages posted or modified :", date);
  RadioButton3 = new QRadioButton("Between", date);
  RadioButton4 = new QRadioButton("During the previous", date);
  RadioButton5 = new QRadioButton("During the previous", date);
  auto* outer = new QButtonGroup(this);
  outer->addButton(RadioButton1);
  outer->addButton(RadioButton2);
  auto* modes = new QButtonGroup(this);
  for (QRadioButton* r : {RadioButton3, RadioButton4, RadioButton5}) modes->addButton(r);
  RadioButton1->move(8, 8);
  RadioButton2->move(8, 30);
  RadioButton3->move(28, 56);
  RadioButton4->move(28, 84);
  RadioButton5->move(28, 112);
  MaskEdit1 = new QLineEdit(date);
  MaskEdit2 = new QLineEdit(date);
  for (QLineEdit* m : {MaskEdit1, MaskEdit2}) {
    m->setInputMask("99/99/00;_");
    m->setFixedWidth(72);
  }
  MaskEdit1->move(176, 54);
  AndLabel = Label(date, "and", 254, 58);
  MaskEdit2->move(282, 54);
  SpinEdit1 = new QSpinBox(date);
  SpinEdit1->setRange(1, 12);
  SpinEdit1->move(180, 82);
  MonthLabel = Label(date, "month/s", 250, 86);
  SpinEdit2 = new QSpinBox(date);
  SpinEdit2->setRange(1, 20);
  SpinEdit2->move(180, 110);
  YearLabel = Label(date, "year/s", 250, 114);
  FindControl->addTab(date, "Date Posted");

  auto* advanced = new QWidget;
  advanced->setObjectName("AdvancedPage");
  RadioButton6 = new QRadioButton("Containing text :", advanced);
  RadioButton7 = new QRadioButton("Containing files :", advanced);
  auto* kind = new QButtonGroup(this);
  kind->addButton(RadioButton6);
  kind->addButton(RadioButton7);
  RadioButton6->move(8, 12);
  TextComboBox = Combo(advanced, "TextComboBox", true);
  TextComboBox->move(140, 10);
  CaseCheckBox = new QCheckBox("Case sensitive", advanced);
  CaseCheckBox->move(140, 40);
  WordsCheckBox = new QCheckBox("Whole words", advanced);
  WordsCheckBox->move(260, 40);
  RadioButton7->move(8, 76);
  FilesComboBox = Combo(advanced, "FilesComboBox", true);
  FilesComboBox->move(140, 74);
  FindControl->addTab(advanced, "Advanced");

  const char* names[] = {"RadioButton1", "RadioButton2", "RadioButton3", "RadioButton4",
                         "RadioButton5", "RadioButton6", "RadioButton7"};
  QRadioButton* radios[] = {RadioButton1, RadioButton2, RadioButton3, RadioButton4,
                            RadioButton5, RadioButton6, RadioButton7};
  for (int i = 0; i < 7; ++i) {
    radios[i]->setObjectName(names[i]);
    radios[i]->adjustSize();
    connect(radios[i], &QRadioButton::toggled, this, &TFindMSGForm::UpdateEnabledStates);
  }
  MaskEdit1->setObjectName("MaskEdit1");
  MaskEdit2->setObjectName("MaskEdit2");
  SpinEdit1->setObjectName("SpinEdit1");
  SpinEdit2->setObjectName("SpinEdit2");
  CaseCheckBox->setObjectName("CaseCheckBox");
  WordsCheckBox->setObjectName("WordsCheckBox");
  RadioButton1->setChecked(true);
  RadioButton3->setChecked(true);
  RadioButton6->setChecked(true);
}

void TFindMSGForm::UpdateEnabledStates() {
  if (!RadioButton7 || !FilesComboBox) return;  // still being built
  const bool dates = RadioButton2->isChecked();
  for (QRadioButton* r : {RadioButton3, RadioButton4, RadioButton5}) r->setEnabled(dates);
  const bool between = dates && RadioButton3->isChecked();
  MaskEdit1->setEnabled(between);
  MaskEdit2->setEnabled(between);
  AndLabel->setEnabled(between);
  const bool months = dates && RadioButton4->isChecked();
  SpinEdit1->setEnabled(months);
  MonthLabel->setEnabled(months);
  const bool years = dates && RadioButton5->isChecked();
  SpinEdit2->setEnabled(years);
  YearLabel->setEnabled(years);
  FilesComboBox->setEnabled(RadioButton7->isChecked());
  const bool text = RadioButton6->isChecked();
  TextComboBox->setEnabled(text);
  CaseCheckBox->setEnabled(text);
  WordsCheckBox->setEnabled(text);
}

void TFindMSGForm::FillLookIn() {
  WereComboBox->clear();
  for (const TMailTreeNode* n : host_.Session().Tree().Nodes()) WereComboBox->addItem(FromCp437(n->Caption));
  if (WereComboBox->count() > 0) WereComboBox->setCurrentIndex(0);
}

namespace {
struct FieldCombo {
  TSearchField field;
  QComboBox* combo;
};
}  // namespace

void TFindMSGForm::ReadHistories() {
  TRegistry& reg = host_.Session().Registry();
  for (FieldCombo f : {FieldCombo{sfTo, ToComboBox}, FieldCombo{sfFrom, FromCombobox},
                       FieldCombo{sfSubject, SubjectComboBox}, FieldCombo{sfText, TextComboBox},
                       FieldCombo{sfFiles, FilesComboBox}}) {
    SetItems(f.combo, ReadSearchHistory(reg, f.field));
    f.combo->setEditText(QString());
  }
}

void TFindMSGForm::WriteHistories() {
  TRegistry& reg = host_.Session().Registry();
  reg.BeginUpdate();
  try {
    for (FieldCombo f : {FieldCombo{sfTo, ToComboBox}, FieldCombo{sfFrom, FromCombobox},
                         FieldCombo{sfSubject, SubjectComboBox}, FieldCombo{sfText, TextComboBox},
                         FieldCombo{sfFiles, FilesComboBox}})
      WriteSearchHistory(reg, f.field, Items(f.combo));
    WriteFinderPlacement(reg, PlacementOf(this));
  } catch (const std::exception& e) {
    GetPrompts().Error(e.what());
  }
  reg.EndUpdate();
}

bool TFindMSGForm::ReadCriteria(TSearchCriteria& c) {
  c = TSearchCriteria{};
  c.To = ToCp437(ToComboBox->currentText());
  c.From = ToCp437(FromCombobox->currentText());
  c.Subject = ToCp437(SubjectComboBox->currentText());
  c.TextSelected = RadioButton6->isChecked();
  c.Text = ToCp437(TextComboBox->currentText());
  c.FilesSelected = RadioButton7->isChecked();
  c.FileMask = ToCp437(FilesComboBox->currentText());
  c.IncludeSubfolders = IncludeBox->isChecked();
  c.AllMessages = RadioButton1->isChecked();
  c.CaseSensitive = CaseCheckBox->isChecked();
  c.WholeWords = WordsCheckBox->isChecked();
  c.DateMode = RadioButton3->isChecked() ? dmBetween : RadioButton4->isChecked() ? dmMonths : dmYears;
  c.Months = SpinEdit1->value();
  c.Years = SpinEdit2->value();
  if (c.DateFilter() && c.DateMode == dmBetween) {
    for (QLineEdit* m : {MaskEdit1, MaskEdit2}) {
      auto d = FieldDate(m->text());
      if (!d) {
        GetPrompts().Error("'" + ToUtf8(m->text()) + "' is not a valid date");
        return false;
      }
      (m == MaskEdit1 ? c.FirstDate : c.SecondDate) = *d;
    }
  }
  return true;
}

bool TFindMSGForm::HasCriteria() const {
  TSearchCriteria c;
  c.To = ToCp437(ToComboBox->currentText());
  c.From = ToCp437(FromCombobox->currentText());
  c.Subject = ToCp437(SubjectComboBox->currentText());
  c.AllMessages = RadioButton1->isChecked();
  c.DateMode = dmBetween;
  c.TextSelected = RadioButton6->isChecked();
  c.Text = ToCp437(TextComboBox->currentText());
  c.FilesSelected = RadioButton7->isChecked();
  c.FileMask = ToCp437(FilesComboBox->currentText());
  return korrin::HasCriteria(c);
}

void TFindMSGForm::FindNowBtnClick() {
  if (finder_.Searching() || !HasCriteria()) return;
  TSearchCriteria c;
  if (!ReadCriteria(c)) return;
  // The tree was built again since "Look in" was filled (another post
  // office): its entries follow the tree as it is now, the choice kept by name.
  if (WereComboBox->count() != static_cast<int>(host_.Session().Tree().Nodes().size())) {
    const QString chosen = WereComboBox->currentText();
    FillLookIn();
    WereComboBox->setCurrentIndex(std::max(0, WereComboBox->findText(chosen)));
  }
  finder_.SetSearching(true);
  for (FieldCombo f : {FieldCombo{sfTo, ToComboBox}, FieldCombo{sfFrom, FromCombobox},
                       FieldCombo{sfSubject, SubjectComboBox}, FieldCombo{sfText, TextComboBox},
                       FieldCombo{sfFiles, FilesComboBox}})
    SetItems(f.combo, AddToHistory(Items(f.combo), ToCp437(f.combo->currentText())));
  finder_.SetCriteria(c);
  finder_.TodayDay = Today();
  finder_.OnFolder = [this](int node) {
    Animate(false);
    animTimer_->stop();
    auto nodes = host_.Session().Tree().Nodes();
    Panel2->setText("Loading confence " + FromCp437(nodes[static_cast<size_t>(node)]->Caption));
    Panel2->repaint();
    searchedNode_ = node;
    host_.SelectFolder(node, false);
    animTimer_->start();
  };
  finder_.ProcessMessages = [this] {
    Panel2->setText("Searching message from " + FromCp437(NormalizeNameCase(TrimRight(finder_.CurrentFrom()))));
    QApplication::processEvents();
    // The user may have selected another folder meanwhile: show ours again.
    TMailTree& tree = host_.Session().Tree();
    auto nodes = tree.Nodes();
    if (finder_.Searching() && searchedNode_ >= 0 && searchedNode_ < static_cast<int>(nodes.size()) &&
        tree.Selected() != nodes[static_cast<size_t>(searchedNode_)])
      host_.SelectFolder(searchedNode_, false);
  };
  finder_.OnHit = [this](const TFinderHit& hit) { AddHit(hit); };
  searchedNode_ = -1;
  Timer1Timer();
  finder_.Run(WereComboBox->currentIndex());
  animTimer_->stop();
  Panel2->clear();
  // The list shows the last folder searched again.
  if (searchedNode_ >= 0) host_.SelectFolder(searchedNode_, true);
  Timer1Timer();
  if (closeWhenStopped_) QTimer::singleShot(0, this, &QWidget::close);
}

void TFindMSGForm::AddHit(const TFinderHit& hit) {
  auto* item = new QTreeWidgetItem(ListView1);
  item->setText(0, FromCharset(hit.Subject, hit.Charset));
  item->setText(1, FromCp437(hit.Location));
  item->setData(0, Qt::UserRole, hit.Node);
  item->setData(1, Qt::UserRole, hit.Row);
}

void TFindMSGForm::StopBtnClick() { finder_.Stop(); }

void TFindMSGForm::NewSearchBtnClick() {
  if (!GetPrompts().ConfirmOkCancel("This will clear your current search.")) return;
  finder_.SetExaminedCount(0);
  frame_ = 0;
  Animate(false);
  for (QComboBox* c : {ToComboBox, FromCombobox, SubjectComboBox, TextComboBox}) c->setEditText(QString());
  FilesComboBox->setEditText("*.*");
  RadioButton1->setChecked(true);
  RadioButton6->setChecked(true);
  CaseCheckBox->setChecked(false);
  WordsCheckBox->setChecked(false);
  UpdateEnabledStates();
  ListView1->clear();
  finder_.ClearHits();
  Timer1Timer();
  update();
}

void TFindMSGForm::Timer1Timer() {
  const bool searching = finder_.Searching();
  StopBtn->setEnabled(searching);
  FindNowBtn->setEnabled(!searching && HasCriteria());
  NewSearchBtn->setEnabled(!searching);
  Panel1->setText("Found : " + QString::number(ListView1->topLevelItemCount()));
  Label8->setText(QString::number(finder_.ExaminedCount()));
  Label8->adjustSize();
  Label8->move(width() - 53 - Label8->width() / 2, Label8->y());
  if (searching) {
    TSearchCriteria c;
    c = finder_.Criteria();
    setWindowTitle("Searching mail -" + FromCp437(SearchDescription(c, [](TDay d) { return ToCp437(ShortDate(d)); })));
  } else {
    setWindowTitle(kCaption);
  }
}

void TFindMSGForm::Read1Click() {
  QTreeWidgetItem* item = ListView1->currentItem();
  if (!item) return;
  const int node = item->data(0, Qt::UserRole).toInt();
  host_.SelectFolder(node, true);
  // The hit's row in the packet's order: the row that shows it in the list's order.
  const int row = host_.MailList().DisplayRow(item->data(1, Qt::UserRole).toInt());
  host_.SelectRow(row);
  host_.OpenRow(row);
}

void TFindMSGForm::CloseFromHost() {
  if (finder_.Searching()) {
    finder_.Stop();
    closeWhenStopped_ = true;
    return;
  }
  close();
}

void TFindMSGForm::closeEvent(QCloseEvent* event) {
  if (finder_.Searching()) {
    // Refused while a search runs; the stop lets a second request succeed.
    finder_.Stop();
    event->ignore();
    return;
  }
  Timer1->stop();
  QApplication::processEvents();
  WriteHistories();
  event->accept();
}

void TFindMSGForm::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  PlaceControls();
}

void TFindMSGForm::PlaceControls() {
  if (!ListView1) return;
  const int w = width();
  const int btnLeft = w - 90;
  Animate1->move(w - 98, 4);
  Label8->move(w - 53 - Label8->width() / 2, 48);
  FindNowBtn->move(btnLeft, 70);
  StopBtn->move(btnLeft, 100);
  NewSearchBtn->move(btnLeft, 130);
  FindControl->setGeometry(8, 4, btnLeft - 25, 170);
  const int inner = FindControl->width() - 8;
  for (QComboBox* c : {ToComboBox, FromCombobox, SubjectComboBox, TextComboBox, FilesComboBox})
    c->resize(std::max(60, inner - 8 - c->x()), c->height());
  IncludeBox->move(inner - IncludeBox->width() - 8, 96);
  WereComboBox->resize(std::max(60, IncludeBox->x() - 8 - WereComboBox->x()), WereComboBox->height());
  const int listTop = FindControl->geometry().bottom() + 8;
  ListView1->setGeometry(0, listTop, centralWidget()->width(), std::max(40, centralWidget()->height() - listTop));
  ListView1->setColumnWidth(1, std::max(20, ListView1->width() - ListView1->columnWidth(0) - 20));
}

}  // namespace korrin
