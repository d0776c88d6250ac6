#pragma once
// The About box every window shares: the program name (set by the window
// that shows it), the version, what Korrin is, and the maker.

#include <QDialog>

class QLabel;
class QPushButton;

namespace korrin {

class TAboutBox : public QDialog {
  Q_OBJECT
public:
  explicit TAboutBox(QWidget* parent = nullptr, const QString& productName = "Korrin Packet Explorer");

  QString ProductNameText() const;
  void SetProductName(const QString& name);
  // "Version " followed by the version text.
  QString VersionText() const;

  // Shows the box modally.
  static void Execute(QWidget* parent, const QString& productName = "Korrin Packet Explorer");

private:
  QLabel* ProgramIcon;
  QLabel* ProductName;
  QLabel* Version;
  QLabel* Comments;
  QLabel* Copyright;
  QPushButton* OKButton;
};

}  // namespace korrin
