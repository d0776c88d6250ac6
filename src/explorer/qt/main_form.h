#pragma once
// The explorer main window.

#include <QMainWindow>

namespace korrin {

class TMainForm : public QMainWindow {
  Q_OBJECT
public:
  explicit TMainForm(QWidget* parent = nullptr);
};

}  // namespace korrin
