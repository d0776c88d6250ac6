#include "installer/qt/tessel_wizard.h"

#include <QApplication>
#include <QLabel>
#include <QResizeEvent>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

#include "installer/qt/setup_pages.h"
#include "installer/qt/status_form.h"
#include "installer/page_texts.h"
#include "platform/prompts.h"
#include "platform/qt/qt_platform.h"
#include "platform/shell.h"
#include "widgets/back_drop.h"
#include "widgets/label_3d.h"
#include "widgets/picture.h"

namespace korrin {

namespace {
constexpr int kImageMargin = 30;
}

TTesselWizard::TTesselWizard(QWidget* parent) : QWidget(parent), setup_(GetPrompts()) {
  setObjectName("TesselWizard");
  setWindowTitle(kWizardCaption);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::blue);
  setPalette(pal);
  setAutoFillBackground(true);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  BackDrop = new TBackDrop(this);
  BackDrop->setObjectName("BackDrop");
  layout->addWidget(BackDrop);

  SetupLabel = new TLabel3D({}, BackDrop);
  SetupLabel->setObjectName("SetupLabel");
  QFont f = SetupLabel->font();
  f.setPointSizeF(std::max<qreal>(f.pointSizeF(), 9.0) * 2.6);
  f.setBold(true);
  f.setItalic(true);
  SetupLabel->setFont(f);
  QPalette white = SetupLabel->palette();
  white.setColor(QPalette::WindowText, Qt::white);
  SetupLabel->setPalette(white);
  SetupLabel->move(24, 16);

  Image1 = new QLabel(BackDrop);
  Image1->setObjectName("Image1");
  Image1->setAttribute(Qt::WA_TranslucentBackground);
  Image1->hide();

  // The pages stay painted while the archive library works.
  setup_.Zip().XZ().SetProcessMessages(MakeProcessMessages());
}

TTesselWizard::~TTesselWizard() = default;

int TTesselWizard::Execute(const std::string& setupFolder) {
  switch (setup_.Startup(setupFolder)) {
    case TStartup::suReaderRunning: return 1;
    case TStartup::suNoTempFolder: return 0;
    case TStartup::suContinue: break;
  }
  const TSetupState& s = setup_.State();
  if (s.Background) {
    QPalette pal = palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Button));
    setPalette(pal);
    QPixmap pix = LoadPicture(WorkFile(s, s.BackgroundBitmap), devicePixelRatioF());
    if (!pix.isNull()) {
      Image1->setPixmap(pix);
      Image1->resize(pix.deviceIndependentSize().toSize());
      Image1->show();
      PlaceImage();
    }
  }
  SetupLabel->setText(FromUtf8(s.ProductName + " Setup"));
  SetupLabel->adjustSize();
  // The whole screen even where no window manager maximises windows.
  if (QScreen* sc = screen()) setGeometry(sc->availableGeometry());
  showMaximized();
  repaint();
  TSetupWizard wizard(setup_, *this, GetPrompts(), GetShell());
  return wizard.Run();
}

TPageResult TTesselWizard::ShowPage(TSetupPage page) {
  std::unique_ptr<TPageDialog> dlg;
  switch (page) {
    case TSetupPage::spLogo: dlg = std::make_unique<TLogoDlg>(this, setup_.State()); break;
    case TSetupPage::spWelcome: dlg = std::make_unique<TWelcomeDlg>(this, setup_); break;
    case TSetupPage::spLicense: dlg = std::make_unique<TLicenseDlg>(this, setup_.State()); break;
    case TSetupPage::spReadme: dlg = std::make_unique<TReadmeDlg>(this, setup_.State()); break;
    case TSetupPage::spDestination: dlg = std::make_unique<TWizard>(this, setup_); break;
    case TSetupPage::spSummary: dlg = std::make_unique<TSummery>(this, setup_); break;
    case TSetupPage::spFinish: dlg = std::make_unique<TFinnishedForm>(this, setup_.State()); break;
  }
  dlg->SetBackEnabled(BackPage(setup_.State(), page).has_value());
  dlg->exec();
  return dlg->PageResult();
}

bool TTesselWizard::ConfirmExit() {
  TExitDlg dlg(this, setup_.State());
  return dlg.exec() == QDialog::Accepted;
}

void TTesselWizard::ShowProgress(bool show) {
  TInstallProgress& progress = setup_.Zip().Progress();
  if (show) {
    if (status_ == nullptr) status_ = new TStatusForm(this, ProgressTitle(setup_.State()));
    progress.SetOnProgress([this](const TProgressFigures& f) {
      if (status_ != nullptr) status_->ShowFigures(f);
    });
    status_->show();
    status_->raise();
    QApplication::processEvents();
  } else {
    progress.SetOnProgress(nullptr);
    delete status_;
    status_ = nullptr;
  }
}

void TTesselWizard::BringToFront() {
  raise();
  activateWindow();
}

void TTesselWizard::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  PlaceImage();
}

void TTesselWizard::PlaceImage() {
  // 30 pixels from the right and bottom edges.
  Image1->move(width() - Image1->width() - kImageMargin, height() - Image1->height() - kImageMargin);
}

}  // namespace korrin
