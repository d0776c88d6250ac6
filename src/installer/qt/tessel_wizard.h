#pragma once
// Setup's main window: a maximised backdrop with the product's name, in
// front of which the pages run one after another.

#include <QWidget>

#include <memory>
#include <string>

#include "installer/setup_controller.h"
#include "installer/setup_wizard.h"

class QLabel;

namespace korrin {

class TBackDrop;
class TLabel3D;
class TStatusForm;

class TTesselWizard : public QWidget, public TWizardPages {
  Q_OBJECT
public:
  explicit TTesselWizard(QWidget* parent = nullptr);
  ~TTesselWizard() override;

  // The start-up steps, then the pages to the end. The exit code: 1 when
  // the reader runs, else 0.
  int Execute(const std::string& setupFolder);

  TSetupController& Setup() { return setup_; }
  TStatusForm* StatusForm() const { return status_; }

  TBackDrop* BackDrop;
  TLabel3D* SetupLabel;
  QLabel* Image1;

  // TWizardPages
  TPageResult ShowPage(TSetupPage page) override;
  bool ConfirmExit() override;
  void ShowProgress(bool show) override;
  void BringToFront() override;

protected:
  void resizeEvent(QResizeEvent* event) override;

private:
  void PlaceImage();

  TSetupController setup_;
  TStatusForm* status_ = nullptr;
};

}  // namespace korrin
