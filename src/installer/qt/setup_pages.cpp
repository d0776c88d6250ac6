#include "installer/qt/setup_pages.h"

#include <QComboBox>
#include <QFile>
#include <QFontDatabase>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStringDecoder>
#include <QVBoxLayout>

#include <algorithm>

#include "installer/page_texts.h"
#include "installer/setup_controller.h"
#include "installer/setup_folders.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/qt/qt_platform.h"
#include "widgets/browse_directory_dlg.h"
#include "widgets/picture.h"

namespace korrin {

namespace {
constexpr int kPageWidth = 600;
constexpr qint64 kMaxText = 1 << 20;
}  // namespace

QString WorkFile(const TSetupState& s, const std::string& name) {
  // Only the name counts: pictures and texts come from the work folder alone.
  const std::string file = FileNamePart(name);
  if (file.empty() || s.WorkFolder.empty()) return {};
  auto found = FindFileNoCase(s.WorkFolder, file);
  return found ? FromUtf8(*found) : QString();
}

QString LoadTextFile(const QString& fileName) {
  QFile f(fileName);
  if (fileName.isEmpty() || !f.open(QIODevice::ReadOnly)) return {};
  const QByteArray bytes = f.read(kMaxText);
  QStringDecoder utf8(QStringDecoder::Utf8);
  QString text = utf8.decode(bytes);
  if (utf8.hasError()) text = FromCp437(bytes.toStdString());
  return text;
}

TPageDialog::TPageDialog(QWidget* parent, const char* name, const QString& caption, bool onTop) : QDialog(parent) {
  setObjectName(name);
  setWindowTitle(caption);
  Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
  if (onTop) flags |= Qt::WindowStaysOnTopHint;
  setWindowFlags(flags);
  setModal(true);
  auto* outer = new QVBoxLayout(this);
  top_ = new QHBoxLayout;
  top_->setSpacing(16);
  body_ = new QVBoxLayout;
  body_->setSpacing(6);
  top_->addLayout(body_, 1);
  outer->addLayout(top_, 1);
  // Wide enough that the texts take few lines, narrower on a small screen.
  int width = kPageWidth;
  if (QScreen* screen = parent != nullptr ? parent->screen() : QGuiApplication::primaryScreen())
    width = std::min(kPageWidth, screen->availableGeometry().width() - 40);
  setMinimumWidth(std::max(width, 320));
}

TPageResult TPageDialog::PageResult() const {
  if (result() == kBack) return TPageResult::prBack;
  return result() == QDialog::Accepted ? TPageResult::prNext : TPageResult::prCancel;
}

void TPageDialog::SetBackEnabled(bool on) {
  if (BackBtn != nullptr) BackBtn->setEnabled(on);
}

void TPageDialog::SetPicture(const QString& fileName) {
  QPixmap pix = LoadPicture(fileName, devicePixelRatioF());
  if (pix.isNull()) return;
  picture_ = new QLabel(this);
  picture_->setObjectName("Picture");
  picture_->setPixmap(pix);
  picture_->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
  top_->insertWidget(0, picture_, 0, Qt::AlignTop);
}

QLabel* TPageDialog::AddText(const char* name, const std::string& text, int pointDelta, bool bold) {
  auto* label = new QLabel(FromUtf8(text), this);
  label->setObjectName(name);
  label->setWordWrap(true);
  label->setTextFormat(Qt::PlainText);
  if (pointDelta != 0 || bold) {
    QFont f = label->font();
    if (pointDelta != 0 && f.pointSizeF() > 0) f.setPointSizeF(f.pointSizeF() + pointDelta);
    f.setBold(bold);
    label->setFont(f);
  }
  body_->addWidget(label);
  return label;
}

void TPageDialog::AddButtons(const QString& back, const QString& next, const QString& cancel) {
  auto* rule = new QFrame(this);
  rule->setFrameShape(QFrame::HLine);
  rule->setFrameShadow(QFrame::Sunken);
  layout()->addWidget(rule);
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  if (!back.isEmpty()) {
    BackBtn = new QPushButton(back, this);
    BackBtn->setObjectName("BackBtn");
    BackBtn->setAutoDefault(false);
    connect(BackBtn, &QPushButton::clicked, this, [this] { done(kBack); });
    row->addWidget(BackBtn);
  }
  NextBtn = new QPushButton(next, this);
  NextBtn->setObjectName("NextBtn");
  NextBtn->setDefault(true);
  connect(NextBtn, &QPushButton::clicked, this, &QDialog::accept);
  row->addWidget(NextBtn);
  row->addSpacing(12);
  CancelBtn = new QPushButton(cancel, this);
  CancelBtn->setObjectName("CancelBtn");
  CancelBtn->setAutoDefault(false);
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
  row->addWidget(CancelBtn);
  static_cast<QVBoxLayout*>(layout())->addLayout(row);
}

void TPageDialog::showEvent(QShowEvent* event) {
  QScreen* screen = parentWidget() != nullptr ? parentWidget()->screen() : QGuiApplication::primaryScreen();
  // Wrapped texts need the height their width gives them; the first size
  // of a window does not allow for that.
  if (layout() != nullptr && layout()->hasHeightForWidth()) {
    int wanted = layout()->totalHeightForWidth(width());
    if (screen != nullptr) wanted = std::min(wanted, screen->availableGeometry().height() - 40);
    if (wanted > height()) resize(width(), wanted);
  }
  QDialog::showEvent(event);
  // Centred on the screen, whatever the window behind it.
  if (screen == nullptr) return;
  QRect frame = frameGeometry();
  frame.moveCenter(screen->availableGeometry().center());
  move(frame.topLeft());
}

TLogoDlg::TLogoDlg(QWidget* parent, const TSetupState& s) : TPageDialog(parent, "LogoDlg", "Welcome", true) {
  auto* splash = new QLabel(this);
  splash->setObjectName("SplashImage");
  splash->setAlignment(Qt::AlignCenter);
  QPixmap pix = LoadPicture(WorkFile(s, s.SplashBitmap), devicePixelRatioF());
  if (!pix.isNull()) splash->setPixmap(pix);
  else splash->setText(FromUtf8(s.ProductName));
  Body()->addWidget(splash, 1);
  AddButtons("< &Back", "&Next >", "&Cancel");
  SetBackEnabled(false);
}

TWelcomeDlg::TWelcomeDlg(QWidget* parent, TSetupController& setup)
    : TPageDialog(parent, "WelcomeDlg", "Welcome", true) {
  setup.DetectUpdate(setup.State().Destination);
  const TSetupState& s = setup.State();
  const TWelcomeTexts t = WelcomeTexts(s);
  if (s.Logo) SetPicture(WorkFile(s, s.LogoBitmap));
  AddText("TypeLabel", s.SetupType, 0, true);
  AddText("TitleLabel", t.Title, 4, true);
  AddText("InstallerLabel", t.Installer);
  AddText("ProductLabel", t.Product);
  AddText("NoticeLabel", t.Notice);
  AddText("RightsLabel", t.Rights);
  Body()->addSpacing(8);
  AddText("WelcomeLabel", t.Welcome, 0, true);
  AddText("AdviceLabel", t.Advice);
  AddText("ContinueLabel", t.Continue);
  Body()->addStretch(1);
  AddButtons("< &Back", "&Next >", "&Cancel");
}

TLicenseDlg::TLicenseDlg(QWidget* parent, const TSetupState& s)
    : TPageDialog(parent, "LicenseDlg", "Software License Agreement", true) {
  AddText("IntroLabel", LicenseIntro());
  Memo = new QPlainTextEdit(this);
  Memo->setObjectName("LicenseMemo");
  Memo->setReadOnly(true);
  Memo->setPlainText(LoadTextFile(WorkFile(s, s.LicenseText)));
  Memo->setMinimumHeight(220);
  Body()->addWidget(Memo, 1);
  AddText("QuestionLabel", LicenseQuestion(s));
  AddButtons("< &Back", "&Yes", "&No");
  // PAGE DOWN reaches the memo at once.
  Memo->setFocus();
}

TReadmeDlg::TReadmeDlg(QWidget* parent, const TSetupState& s) : TPageDialog(parent, "ReadmeDlg", "Read me file", true) {
  if (s.Logo) SetPicture(WorkFile(s, s.LogoBitmap));
  AddText("HeadingLabel", ReadmeHeading(s), 0, true);
  Memo = new QPlainTextEdit(this);
  Memo->setObjectName("ReadmeMemo");
  Memo->setReadOnly(true);
  // Read-me files line their columns up with blanks: shown as written.
  Memo->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  Memo->setLineWrapMode(QPlainTextEdit::NoWrap);
  Memo->setPlainText(LoadTextFile(WorkFile(s, s.ReadmeText)));
  Memo->setMinimumHeight(220);
  Body()->addWidget(Memo, 1);
  AddButtons("< &Back", "&Next >", "&Cancel");
  Memo->setFocus();
}

TWizard::TWizard(QWidget* parent, TSetupController& setup)
    : TPageDialog(parent, "Wizard", "Wizard", false), setup_(setup) {
  const TSetupState& s = setup.State();
  const TDestinationTexts t = DestinationTexts(s, false);
  AddText("TitleLabel", t.Title, 4, true);
  InfoLabel = AddText("InfoLabel", t.InfoLabel);
  DirLabel = AddText("DirLabel", t.DirLabel, 0, true);
  auto* row = new QHBoxLayout;
  InstallEdit = new QLineEdit(FromUtf8(s.Destination), this);
  InstallEdit->setObjectName("InstallEdit");
  DirLabel->setBuddy(InstallEdit);
  BrowseBtn = new QPushButton("...", this);
  BrowseBtn->setObjectName("BrowseBtn");
  BrowseBtn->setAutoDefault(false);
  BrowseBtn->setFixedWidth(BrowseBtn->fontMetrics().horizontalAdvance("....") + 16);
  row->addWidget(InstallEdit, 1);
  row->addWidget(BrowseBtn);
  Body()->addLayout(row);
  Body()->addSpacing(12);
  GroupLabel = AddText("GroupLabel", t.GroupLabel);
  AddText("GroupPrompt", t.GroupPrompt, 0, true);
  GroupEdit = new QComboBox(this);
  GroupEdit->setObjectName("GroupEdit");
  GroupEdit->setEditable(true);
  GroupEdit->setInsertPolicy(QComboBox::NoInsert);
  for (const std::string& g : s.GroupFolders) GroupEdit->addItem(FromUtf8(g));
  GroupEdit->setEditText(FromUtf8(s.Group));
  Body()->addWidget(GroupEdit);
  Body()->addStretch(1);
  AddButtons("< &Back", "&Next >", "&Cancel");

  connect(InstallEdit, &QLineEdit::textChanged, this, [this] { CheckUpdate(); });
  connect(BrowseBtn, &QPushButton::clicked, this, [this] { Browse(); });
  CheckUpdate();
}

void TWizard::CheckUpdate() {
  if (update_ || !setup_.DetectUpdate(ToUtf8(InstallEdit->text()))) return;
  // A previous installation: the files go there.
  update_ = true;
  const TDestinationTexts t = DestinationTexts(setup_.State(), true);
  InstallEdit->setEnabled(false);
  BrowseBtn->setEnabled(false);
  InfoLabel->setText(FromUtf8(t.InfoLabel));
  DirLabel->setText(FromUtf8(t.DirLabel));
}

void TWizard::Browse() {
  TBrowseDirectoryDlg dlg(this);
  dlg.setWindowTitle(kBrowseCaption);
  dlg.SetTitle(kBrowseTitle);
  dlg.SetDirectory(InstallEdit->text());
  if (!dlg.Execute()) return;
  InstallEdit->setText(FromUtf8(BrowsedDestination(setup_.State(), ToUtf8(dlg.Directory()))));
}

void TWizard::done(int result) {
  TSetupState& s = setup_.State();
  s.Destination = ToUtf8(InstallEdit->text().trimmed());
  s.Group = ToUtf8(GroupEdit->currentText().trimmed());
  TPageDialog::done(result);
}

TSummery::TSummery(QWidget* parent, TSetupController& setup) : TPageDialog(parent, "Summery", "Summery", true) {
  setup.DetectUpdate(setup.State().Destination);
  const TSetupState& s = setup.State();
  const TSummaryTexts t = SummaryTexts(s);
  AddText("TitleLabel", t.Title, 4, true);
  AddText("TypeLabel", t.TypeLabel, 0, true);
  AddText("ExplanationLabel", t.Explanation);
  AddText("InstallToLabel", t.InstallTo);
  QLabel* dest = AddText("DestLabel", t.Destination, 0, true);
  dest->setToolTip(FromUtf8(s.Destination));
  AddText("GroupTextLabel", t.GroupText);
  if (!t.Group.empty()) AddText("GroupNameLabel", t.Group, 0, true);
  AddText("RequiredLabel", setup.RequiredSpaceText());
  AddText("FreeLabel", setup.FreeSpaceText());
  Body()->addStretch(1);
  AddText("HintLabel", t.Hint);
  AddButtons("< &Back", FromUtf8(t.NextCaption), "&Cancel");
  NextBtn->setEnabled(setup.EnoughSpace());
}

TFinnishedForm::TFinnishedForm(QWidget* parent, const TSetupState& s)
    : TPageDialog(parent, "FinnishedForm", kWizardCaption, true) {
  const TFinishTexts t = FinishTexts(s);
  AddText("DoneLabel", t.Done, 2, true);
  AddText("RunLabel", t.Run);
  AddText("ExitLabel", t.Exit);
  Body()->addStretch(1);
  AddButtons({}, "&Run", "&Exit");
  NextBtn->setObjectName("RunBtn");
  CancelBtn->setObjectName("ExitBtn");
}

TExitDlg::TExitDlg(QWidget* parent, const TSetupState& s) : TPageDialog(parent, "ExitDlg", kWizardCaption, true) {
  const TExitTexts t = ExitTexts(s);
  AddText("WarningLabel", t.Warning, 0, true);
  AddText("CopiedLabel", t.Copied);
  AddText("ChoiceLabel", t.Choice);
  // Resume is the safe answer: it is the default and what Esc gives.
  AddButtons({}, "&Resume", "&Exit");
  NextBtn->setObjectName("ResumeBtn");
  CancelBtn->setObjectName("ExitBtn");
  disconnect(NextBtn, nullptr, this, nullptr);
  disconnect(CancelBtn, nullptr, this, nullptr);
  connect(NextBtn, &QPushButton::clicked, this, &QDialog::reject);
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace korrin
