#include "explorer/qt/close_form.h"

#include "explorer/qt/help_window.h"

#include <QMouseEvent>

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "explorer/settings.h"
#include "platform/ini_file.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/qt/qt_platform.h"

namespace korrin {

namespace {
class TClickToggles : public QObject {
public:
  TClickToggles(QCheckBox* box, QObject* parent) : QObject(parent), box_(box) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::MouseButtonRelease && static_cast<QWidget*>(watched)->isEnabled() &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
      box_->toggle();
    return false;
  }

private:
  QCheckBox* box_;
};
}  // namespace

TCloseForm::TCloseForm(QWidget* parent) : QDialog(parent) {
  setObjectName("CloseForm");
  setWindowTitle("Close Mail Packet");
  SetHelpContext(this, 8037);
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  auto* layout = new QVBoxLayout(this);

  auto* replyRow = new QHBoxLayout;
  CreateRep = new QCheckBox(this);
  CreateRep->setObjectName("CreateRep");
  CreateRep->setChecked(true);
  CreateLabel = new QLabel("Create Reply &Packet?", this);
  CreateLabel->setObjectName("CreateLabel");
  CreateLabel->setBuddy(CreateRep);
  // A click on the label toggles its box, as on the box's own text.
  CreateLabel->installEventFilter(new TClickToggles(CreateRep, CreateLabel));
  replyRow->addWidget(CreateRep);
  replyRow->addWidget(CreateLabel, 1);
  layout->addLayout(replyRow);

  auto* grid = new QGridLayout;
  auto* group = new QButtonGroup(this);
  struct Row {
    QRadioButton** button;
    const char* name;
    const char* labelName;
    const char* caption;
  } rows[] = {{&LeaveRad, "LeaveRad", "Label1", "&Leave as is"},
              {&DeleteRad, "DeleteRad", "Label4", "&Delete"},
              {&RenameRad, "RenameRad", "Label3", "&Rename"},
              {&MoveRad, "MoveRad", "Label5", "&Move/Rename"}};
  for (int i = 0; i < 4; ++i) {
    auto* b = new QRadioButton(rows[i].caption, this);
    b->setObjectName(rows[i].name);
    *rows[i].button = b;
    group->addButton(b, i);
    grid->addWidget(b, i, 0, 1, 3);
  }
  connect(group, &QButtonGroup::idClicked, this, [this](int id) { SetChoice(id); });
  Label2 = new QLabel("&Folder :", this);
  Label2->setObjectName("Label2");
  DestEdit = new QLineEdit(this);
  DestEdit->setObjectName("DestEdit");
  Label2->setBuddy(DestEdit);
  Browse = new QPushButton("...", this);
  Browse->setObjectName("Browse");
  Browse->setFixedWidth(32);
  grid->addWidget(Label2, 4, 0);
  grid->addWidget(DestEdit, 4, 1);
  grid->addWidget(Browse, 4, 2);
  layout->addLayout(grid);
  connect(Browse, &QPushButton::clicked, this, [this] {
    if (auto folder = GetPrompts().PickFolder("Select directory to move packet.", ToUtf8(DestEdit->text())))
      DestEdit->setText(FromUtf8(*folder));
  });

  auto* buttons = new QDialogButtonBox(this);
  auto* ok = buttons->addButton("&Ok", QDialogButtonBox::AcceptRole);
  ok->setObjectName("Button1");
  ok->setDefault(true);
  auto* cancel = buttons->addButton("&Cancel", QDialogButtonBox::RejectRole);
  cancel->setObjectName("Button2");
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);

  TIniFile ini(ProgramFolder() + kIniFileName);
  DestEdit->setText(FromUtf8(ini.ReadString("Main", "MoveTo", "")));
  SetChoice(0);
}

void TCloseForm::SetChoice(int choice) {
  choice_ = choice < 0 || choice > 3 ? 0 : choice;
  QRadioButton* buttons[] = {LeaveRad, DeleteRad, RenameRad, MoveRad};
  buttons[choice_]->setChecked(true);
  for (QWidget* w : {static_cast<QWidget*>(Label2), static_cast<QWidget*>(DestEdit), static_cast<QWidget*>(Browse)})
    w->setEnabled(choice_ == 3);
}

std::string TCloseForm::Destination() const { return ToUtf8(DestEdit->text()); }

bool TCloseForm::CreateReply() const { return CreateRep->isEnabled() && CreateRep->isChecked(); }

void TCloseForm::SetSomethingToSend(bool on) {
  CreateRep->setEnabled(on);
  CreateLabel->setEnabled(on);
  CreateRep->setChecked(on);
}

void TCloseForm::done(int result) {
  bool refuse = result == QDialog::Accepted && choice_ == 3 && !DirectoryUsable(Destination());
  TIniFile ini(ProgramFolder() + kIniFileName);
  ini.WriteString("Main", "MoveTo", Destination());
  if (refuse) {
    GetPrompts().Information("No destination folder entered!");
    return;
  }
  QDialog::done(result);
}

}  // namespace korrin
