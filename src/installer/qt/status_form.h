#pragma once
// The progress page: three boxed gauges (the current file, the whole
// package, the used share of the destination's disk) with their
// percentages, and the file being installed.

#include <QDialog>

#include <string>

class QLabel;

namespace korrin {

class TProgressGauge;
struct TProgressFigures;

class TStatusForm : public QDialog {
  Q_OBJECT
public:
  TStatusForm(QWidget* parent, const std::string& title);
  void ShowFigures(const TProgressFigures& figures);

  TProgressGauge* StatusGauge;
  TProgressGauge* InstalledGauge;
  TProgressGauge* DiskGauge;
  QLabel* StatusPercent;
  QLabel* InstalledPercent;
  QLabel* DiskPercent;
  QLabel* FileLabel;

protected:
  void showEvent(QShowEvent* event) override;
  // Nothing closes the progress page but the end of installing.
  void reject() override {}
};

}  // namespace korrin
