#include "installer/qt/status_form.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

#include "installer/setup_text.h"
#include "installer/setup_zip.h"
#include "platform/qt/qt_platform.h"
#include "widgets/progress_gauge.h"

namespace korrin {

namespace {
constexpr int kBoxes = 17;
}

TStatusForm::TStatusForm(QWidget* parent, const std::string& title) : QDialog(parent) {
  setObjectName("StatusForm");
  setWindowTitle("Installer");
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  auto* layout = new QVBoxLayout(this);
  auto* heading = new QLabel(FromUtf8(title), this);
  heading->setObjectName("TitleLabel");
  QFont f = heading->font();
  f.setBold(true);
  if (f.pointSizeF() > 0) f.setPointSizeF(f.pointSizeF() + 2);
  heading->setFont(f);
  layout->addWidget(heading);

  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(10);
  struct Row {
    const char* caption;
    const char* gaugeName;
    const char* percentName;
    QColor color;
    TProgressGauge** gauge;
    QLabel** percent;
  } rows[] = {{"Status :", "StatusGauge", "StatusPercent", QColor(0, 160, 0), &StatusGauge, &StatusPercent},
              {"Installed:", "InstalledGauge", "InstalledPercent", QColor(230, 200, 0), &InstalledGauge,
               &InstalledPercent},
              {"Disk Used:", "DiskGauge", "DiskPercent", QColor(200, 0, 0), &DiskGauge, &DiskPercent}};
  int r = 0;
  for (const Row& row : rows) {
    grid->addWidget(new QLabel(row.caption, this), r, 0);
    auto* gauge = new TProgressGauge(this);
    gauge->setObjectName(row.gaugeName);
    gauge->SetBoxes(kBoxes);
    gauge->SetBoxColor(row.color);
    gauge->setMinimumWidth(kBoxes * 14);
    grid->addWidget(gauge, r, 1);
    auto* percent = new QLabel(FromUtf8(PercentLabel(0)), this);
    percent->setObjectName(row.percentName);
    percent->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    percent->setMinimumWidth(percent->fontMetrics().horizontalAdvance("100%") + 4);
    grid->addWidget(percent, r, 2);
    *row.gauge = gauge;
    *row.percent = percent;
    ++r;
  }
  grid->addWidget(new QLabel("File :", this), r, 0);
  FileLabel = new QLabel(this);
  FileLabel->setObjectName("FileLabel");
  FileLabel->setTextFormat(Qt::PlainText);
  grid->addWidget(FileLabel, r, 1, 1, 2);
  grid->setColumnStretch(1, 1);
  layout->addLayout(grid);
  setMinimumWidth(420);
}

void TStatusForm::ShowFigures(const TProgressFigures& figures) {
  FileLabel->setText(FromUtf8(figures.FileText));
  StatusGauge->SetValue(figures.FilePercent);
  StatusPercent->setText(FromUtf8(PercentLabel(figures.FilePercent)));
  InstalledGauge->SetValue(figures.OverallPercent);
  InstalledPercent->setText(FromUtf8(PercentLabel(figures.OverallPercent)));
  DiskGauge->SetValue(figures.DiskPercent);
  DiskPercent->setText(FromUtf8(PercentLabel(figures.DiskPercent)));
}

void TStatusForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  QScreen* screen = parentWidget() != nullptr ? parentWidget()->screen() : QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  QRect frame = frameGeometry();
  frame.moveCenter(screen->availableGeometry().center());
  move(frame.topLeft());
}

}  // namespace korrin
