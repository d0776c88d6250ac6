#include "explorer/qt/ts_option_form.h"

#include "explorer/qt/help_window.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardItemModel>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "explorer/qt/font_setting_qt.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/qt/qt_platform.h"

namespace korrin {

namespace {
// Column entries are as high as the letter "W" of the list's font, with room to breathe.
class EntryDelegate : public QStyledItemDelegate {
public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QSize s = QStyledItemDelegate::sizeHint(option, index);
    s.setHeight(option.fontMetrics.boundingRect(QLatin1Char('W')).height() + 6);
    return s;
  }
};

QWidget* Page(QTabWidget* tabs, const char* name, const char* title, int help) {
  auto* page = new QWidget;
  page->setObjectName(name);
  SetHelpContext(page, help);
  tabs->addTab(page, title);
  return page;
}

QCheckBox* Check(QWidget* parent, const char* name, const char* caption) {
  auto* box = new QCheckBox(QString::fromUtf8(caption), parent);
  box->setObjectName(name);
  return box;
}
}  // namespace

TTsOptionForm::TTsOptionForm(QWidget* parent) : QDialog(parent), programFolder_(ProgramFolder()) {
  setObjectName("TsOptionForm");
  setWindowTitle("Korrin Options");
  SetHelpContext(this, 5488);
  setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
  auto* layout = new QVBoxLayout(this);
  PageControl1 = new QTabWidget(this);
  PageControl1->setObjectName("PageControl1");
  layout->addWidget(PageControl1);

  // Program
  QWidget* program = Page(PageControl1, "ProgramPage", "Program", 5489);
  auto* pl = new QVBoxLayout(program);
  MoveToSent = Check(program, "MoveToSent", "Create copy of all sent messages in \"Sent Box\"");
  DisplayPersonal = Check(program, "DisplayPersonal", "Create a personal new mail conference");
  PicBox = Check(program, "PicBox", "Display shaded backgrounds");
  for (auto* w : {MoveToSent, DisplayPersonal, PicBox}) pl->addWidget(w);
  pl->addStretch();

  // Directories
  QWidget* dirs = Page(PageControl1, "DirectoriesPage", "Directories", 5490);
  auto* dl = new QVBoxLayout(dirs);
  auto folderRow = [&](const char* label, const char* editName, const char* buttonName, QLineEdit*& edit,
                       const char* title) {
    dl->addWidget(new QLabel(label, dirs));
    auto* row = new QHBoxLayout;
    edit = new QLineEdit(dirs);
    edit->setObjectName(editName);
    auto* browse = new QPushButton("Browse", dirs);
    browse->setObjectName(buttonName);
    row->addWidget(edit, 1);
    row->addWidget(browse);
    dl->addLayout(row);
    QLineEdit* target = edit;
    connect(browse, &QPushButton::clicked, this, [this, target, title] { Browse(target, title); });
  };
  folderRow("Directory were mail packets are located :", "QWKEdiT", "NewButton1", QWKEdiT,
            "Select folder that contains mail packets:");
  folderRow("Directory were to create reply packets :", "RepEdit", "NewButton2", RepEdit,
            "Select folder to place reply packets in:");
  dl->addStretch();

  // Mail
  QWidget* mail = Page(PageControl1, "MailPage", "Mail", 5491);
  auto* ml = new QVBoxLayout(mail);
  auto* form = new QFormLayout;
  EMailEdit = new QLineEdit(mail);
  EMailEdit->setObjectName("EMailEdit");
  form->addRow("EMail address", EMailEdit);
  ml->addLayout(form);
  auto* sendWith = new QGroupBox("Send mail using", mail);
  auto* sl = new QHBoxLayout(sendWith);
  UUEncode = new QRadioButton("&Standard", sendWith);
  UUEncode->setObjectName("UUEncode");
  Mime = new QRadioButton("Mime", sendWith);
  Mime->setObjectName("Mime");
  sl->addWidget(UUEncode);
  sl->addWidget(Mime);
  ml->addWidget(sendWith);
  Tagbox = Check(mail, "Tagbox", "Add random tag line to messages");
  OpenViewer = Check(mail, "OpenViewer", "Open viewer to first message");
  ml->addWidget(Tagbox);
  ml->addWidget(OpenViewer);
  auto* sig = new QGroupBox("Signature", mail);
  auto* sigl = new QVBoxLayout(sig);
  Memo1 = new QPlainTextEdit(sig);
  Memo1->setObjectName("Memo1");
  sigl->addWidget(Memo1);
  ml->addWidget(sig, 1);

  // Fonts: sample labels on a window-coloured shape, each with a Change button.
  QWidget* fonts = Page(PageControl1, "FontsPage", "Fonts", 5492);
  auto* fl = new QVBoxLayout(fonts);
  auto* shape = new QFrame(fonts);
  shape->setObjectName("Shape1");
  shape->setFrameShape(QFrame::StyledPanel);
  shape->setAutoFillBackground(true);
  shape->setBackgroundRole(QPalette::Base);
  auto* grid = new QGridLayout(shape);
  auto fontRow = [&](int row, const char* name, const char* caption, QLabel*& label, int32_t* color) {
    label = new QLabel(caption, shape);
    label->setObjectName(name);
    label->setMinimumHeight(28);
    auto* change = new QPushButton("Change", shape);
    change->setObjectName(QString(name).replace("Label", "Change"));
    grid->addWidget(label, row, 0);
    grid->addWidget(change, row, 1);
    QLabel* target = label;
    connect(change, &QPushButton::clicked, this, [this, target, color] { ChangeFont(target, *color); });
  };
  fontRow(0, "ViewerLabel", "Viewer", ViewerLabel, &viewerColor_);
  fontRow(1, "QuoteLabel", "Quote", QuoteLabel, &quoteColor_);
  fontRow(2, "EditorLabel", "Editor", EditorLabel, &editorColor_);
  grid->setColumnStretch(0, 1);
  fl->addWidget(shape);
  fl->addStretch();

  // Columns
  QWidget* cols = Page(PageControl1, "ColumnsPage", "Columns", 5493);
  auto* cl = new QVBoxLayout(cols);
  Header1 = new QHeaderView(Qt::Horizontal, cols);
  Header1->setObjectName("Header1");
  headerModel_ = new QStandardItemModel(0, 4, Header1);
  Header1->setModel(headerModel_);
  Header1->setSectionResizeMode(QHeaderView::ResizeToContents);
  Header1->setFixedHeight(Header1->sizeHint().height());
  cl->addWidget(Header1);
  auto* row = new QHBoxLayout;
  HeaderList = new QListWidget(cols);
  HeaderList->setObjectName("HeaderList");
  HeaderList->setItemDelegate(new EntryDelegate(HeaderList));
  row->addWidget(HeaderList, 1);
  auto* arrows = new QVBoxLayout;
  auto* up = new QToolButton(cols);
  up->setObjectName("UpButton");
  up->setArrowType(Qt::UpArrow);
  auto* down = new QToolButton(cols);
  down->setObjectName("DownButton");
  down->setArrowType(Qt::DownArrow);
  arrows->addWidget(up);
  arrows->addWidget(down);
  arrows->addStretch();
  row->addLayout(arrows);
  cl->addLayout(row);
  connect(up, &QToolButton::clicked, this, [this] { FillColumnList(columns_->MoveUp(HeaderList->currentRow())); });
  connect(down, &QToolButton::clicked, this,
          [this] { FillColumnList(columns_->MoveDown(HeaderList->currentRow())); });

  auto* buttons = new QDialogButtonBox(this);
  auto* ok = buttons->addButton("&Ok", QDialogButtonBox::AcceptRole);
  ok->setObjectName("OkBtn");
  ok->setDefault(true);
  auto* cancel = buttons->addButton("&Cancel", QDialogButtonBox::RejectRole);
  cancel->setObjectName("CancelBtn");
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);

  const int32_t initial[4] = {0, 1, 2, 3};
  columns_ = std::make_unique<TColumnList>(initial);
  PageControl1->setCurrentIndex(0);
  resize(430, 360);
}

void TTsOptionForm::Fill(const TMainSettings& s, const int32_t columnOrder[4], int page) {
  MoveToSent->setChecked(s.MoveToSentBox);
  DisplayPersonal->setChecked(s.PersonalSeparate);
  PicBox->setChecked(s.OverlayPictures);
  QWKEdiT->setText(FromUtf8(s.Packets));
  RepEdit->setText(FromUtf8(s.Replies));
  EMailEdit->setText(FromUtf8(s.EMail));
  Mime->setChecked(s.UseMime);
  UUEncode->setChecked(!s.UseMime);
  Tagbox->setChecked(s.AddTags);
  OpenViewer->setChecked(s.DisplayFirstMessage);
  QStringList lines;
  for (const auto& l : s.Signature) lines << FromCp437(l);
  Memo1->setPlainText(lines.join('\n'));
  viewerColor_ = s.ViewerFont.Color;
  quoteColor_ = s.QuoteFont.Color;
  editorColor_ = s.EditorFont.Color;
  SetSample(ViewerLabel, s.ViewerFont);
  SetSample(QuoteLabel, s.QuoteFont);
  SetSample(EditorLabel, s.EditorFont);
  columns_ = std::make_unique<TColumnList>(columnOrder);
  PageControl1->setCurrentIndex(page == 2 ? 2 : 0);
  FillColumnList(0);
}

void TTsOptionForm::SetSample(QLabel* label, const TFontSetting& font) {
  label->setFont(FontFromSetting(font));
  // The samples stand on a window-coloured shape, where labels draw with the
  // Text role: both roles carry the colour.
  QPalette pal = label->palette();
  pal.setColor(QPalette::WindowText, ColorFromNumber(font.Color));
  pal.setColor(QPalette::Text, ColorFromNumber(font.Color));
  label->setPalette(pal);
}

void TTsOptionForm::FillColumnList(int selected) {
  HeaderList->clear();
  for (size_t i = 0; i < columns_->Entries().size(); ++i) {
    auto* item = new QListWidgetItem(QString::fromStdString(columns_->Display(i)), HeaderList);
    item->setData(Qt::UserRole, QString::fromStdString(columns_->Entries()[i]));
  }
  HeaderList->setCurrentRow(selected);
  auto sections = columns_->HeaderSections();
  headerModel_->setColumnCount(static_cast<int>(sections.size()));
  for (int i = 0; i < static_cast<int>(sections.size()); ++i)
    headerModel_->setHeaderData(i, Qt::Horizontal, QString::fromStdString(sections[static_cast<size_t>(i)]));
}

void TTsOptionForm::Browse(QLineEdit* edit, const char* title) {
  auto chosen = GetPrompts().PickFolder(title, IncludeTrailingBackslash(ToUtf8(edit->text())));
  if (chosen) edit->setText(FromUtf8(BrowsedFolderText(*chosen)));
}

void TTsOptionForm::ChangeFont(QLabel* label, int32_t& color) {
  // The font dialog has no colour of its own: the colour dialog follows it.
  bool ok = false;
  QFont font = QFontDialog::getFont(&ok, label->font(), this, label->text());
  if (!ok) return;
  QColor chosen = QColorDialog::getColor(ColorFromNumber(color), this, label->text() + " colour");
  if (chosen.isValid()) color = NumberFromColor(chosen);
  SetSample(label, SettingFromFont(font, color));
}

void TTsOptionForm::accept() {
  QWKEdiT->setText(FromUtf8(CorrectFolderEdit(ToUtf8(QWKEdiT->text()), programFolder_)));
  RepEdit->setText(FromUtf8(CorrectFolderEdit(ToUtf8(RepEdit->text()), programFolder_)));
  QDialog::accept();
}

void TTsOptionForm::ReadBack(TMainSettings& s, int32_t columnOrder[4]) const {
  s.MoveToSentBox = MoveToSent->isChecked();
  s.PersonalSeparate = DisplayPersonal->isChecked();
  s.OverlayPictures = PicBox->isChecked();
  s.Packets = CorrectFolderEdit(ToUtf8(QWKEdiT->text()), programFolder_);
  s.Replies = CorrectFolderEdit(ToUtf8(RepEdit->text()), programFolder_);
  s.EMail = ToUtf8(EMailEdit->text());
  s.UseMime = Mime->isChecked();
  s.AddTags = Tagbox->isChecked();
  s.DisplayFirstMessage = OpenViewer->isChecked();
  s.Signature.clear();
  QString text = Memo1->toPlainText();
  if (!text.isEmpty())
    for (const QString& line : text.split('\n')) s.Signature.push_back(ToCp437(line));
  s.ViewerFont = SettingFromFont(ViewerLabel->font(), viewerColor_);
  s.QuoteFont = SettingFromFont(QuoteLabel->font(), quoteColor_);
  s.EditorFont = SettingFromFont(EditorLabel->font(), editorColor_);
  columns_->Order(columnOrder);
}

}  // namespace korrin
