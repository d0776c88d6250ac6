#pragma once
// The "Close Mail Packet" dialog: what to do with the packet file, and
// whether to build the reply packet.

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace korrin {

class TCloseForm : public QDialog {
  Q_OBJECT
public:
  // Reads "MoveTo" from "korrin.ini" in the program folder.
  explicit TCloseForm(QWidget* parent = nullptr);

  // 0 leave, 1 delete, 2 rename, 3 move/rename.
  int Choice() const { return choice_; }
  void SetChoice(int choice);
  std::string Destination() const;
  bool CreateReply() const;
  // Enables and checks "Create Reply Packet?" exactly when there is something to send.
  void SetSomethingToSend(bool on);

  void done(int result) override;

private:
  int choice_ = 0;
  QCheckBox* CreateRep;
  QLabel* CreateLabel;
  QRadioButton *LeaveRad, *DeleteRad, *RenameRad, *MoveRad;
  QLabel* Label2;
  QLineEdit* DestEdit;
  QPushButton* Browse;
};

}  // namespace korrin
