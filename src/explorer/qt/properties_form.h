#pragma once
// The "Properties" dialog: the current post office, packet, door and message.

#include <QDialog>

class QTabWidget;

namespace korrin {

class TMailTree;
class TQWKPostOffice;
class TDoorControl;
class TQWKMsg;

struct TPropertiesSource {
  TQWKPostOffice* PostOffice = nullptr;
  const TMailTree* Tree = nullptr;
  const TDoorControl* Door = nullptr;
  TQWKMsg* ViewerMsg = nullptr;  // the message viewer's record, when it exists
  TQWKMsg* EditorMsg = nullptr;  // the editor's record, when it exists (wins)
};

class TPropertiesForm : public QDialog {
  Q_OBJECT
public:
  TPropertiesForm(const TPropertiesSource& source, QWidget* parent = nullptr);
  QTabWidget* Pages() const { return pages_; }
  // Selects the "Packet" page when it exists, else the first page.
  void SelectPacketPage();
  void SelectLastPage();

private:
  QTabWidget* pages_;
};

}  // namespace korrin
