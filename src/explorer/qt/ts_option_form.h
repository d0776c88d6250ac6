#pragma once
// The options dialog "Korrin Options" with its five pages.

#include <QDialog>

#include <memory>

#include "explorer/options.h"
#include "explorer/settings.h"

class QCheckBox;
class QHeaderView;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QRadioButton;
class QStandardItemModel;
class QTabWidget;

namespace korrin {

class TTsOptionForm : public QDialog {
  Q_OBJECT
public:
  explicit TTsOptionForm(QWidget* parent = nullptr);

  // Fills every control from the settings and the list's column order and
  // selects the page: 2 the "Mail" page, anything else the "Program" page.
  void Fill(const TMainSettings& settings, const int32_t columnOrder[4], int page);
  // Reads the controls back into the settings (folders corrected as on OK)
  // and the dialog's column order into columnOrder.
  void ReadBack(TMainSettings& settings, int32_t columnOrder[4]) const;

  void accept() override;

private:
  void Browse(QLineEdit* edit, const char* title);
  void ChangeFont(QLabel* label, int32_t& color);
  void FillColumnList(int selected);
  void SetSample(QLabel* label, const TFontSetting& font);

  QTabWidget* PageControl1;
  QCheckBox *MoveToSent, *DisplayPersonal, *PicBox, *Tagbox, *OpenViewer;
  QLineEdit *QWKEdiT, *RepEdit, *EMailEdit;
  QRadioButton *UUEncode, *Mime;
  QPlainTextEdit* Memo1;
  QLabel *ViewerLabel, *QuoteLabel, *EditorLabel;
  int32_t viewerColor_ = kClWindowText, quoteColor_ = kClRed, editorColor_ = kClWindowText;
  QListWidget* HeaderList;
  QHeaderView* Header1;
  QStandardItemModel* headerModel_;
  std::unique_ptr<TColumnList> columns_;
  std::string programFolder_;
};

}  // namespace korrin
