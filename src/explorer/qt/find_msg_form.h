#pragma once
// The mail finder window: criteria on three pages, the search run through
// TMailFinder while the main window's tree shows the folder being searched,
// and the hits, each opened in the message viewer through the main window.

#include <QMainWindow>

#include "explorer/mail_finder.h"

class QAction;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QStatusBar;
class QTabWidget;
class QTimer;
class QTreeWidget;

namespace korrin {

class TMainHost;

class TFindMSGForm : public QMainWindow {
  Q_OBJECT
public:
  explicit TFindMSGForm(TMainHost& host, QWidget* parent = nullptr);
  ~TFindMSGForm() override;

  void FindNowBtnClick();
  void StopBtnClick();
  void NewSearchBtnClick();
  void Timer1Timer();
  // Opens the selected hit in the message viewer.
  void Read1Click();
  // The main window asks the finder to go (a packet opens or closes): a
  // running search stops and the window closes when its loop has ended.
  void CloseFromHost();
  bool Searching() const { return finder_.Searching(); }
  TMailFinder& Finder() { return finder_; }
  // The criteria as the controls give them (false after the box when a date
  // field holds no date).
  bool ReadCriteria(TSearchCriteria& c);
  bool HasCriteria() const;
  void UpdateEnabledStates();

protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

private:
  void BuildMenus();
  void BuildTop();
  void BuildPages();
  void FillLookIn();
  void ReadHistories();
  void WriteHistories();
  void AddHit(const TFinderHit& hit);
  void Animate(bool on);
  void PlaceControls();

  TMainHost& host_;
  TMailFinder finder_;
  int searchedNode_ = -1;
  bool closeWhenStopped_ = false;
  int frame_ = 0;

  QLabel* Animate1 = nullptr;
  QTimer* animTimer_ = nullptr;
  QLabel* Label8 = nullptr;
  QPushButton *FindNowBtn = nullptr, *StopBtn = nullptr, *NewSearchBtn = nullptr;
  QTabWidget* FindControl = nullptr;
  QComboBox *FromCombobox = nullptr, *ToComboBox = nullptr, *SubjectComboBox = nullptr, *WereComboBox = nullptr,
            *TextComboBox = nullptr, *FilesComboBox = nullptr;
  QLabel* LookInLabel = nullptr;
  QCheckBox *IncludeBox = nullptr, *CaseCheckBox = nullptr, *WordsCheckBox = nullptr;
  QRadioButton *RadioButton1 = nullptr, *RadioButton2 = nullptr, *RadioButton3 = nullptr, *RadioButton4 = nullptr,
               *RadioButton5 = nullptr, *RadioButton6 = nullptr, *RadioButton7 = nullptr;
  QLineEdit *MaskEdit1 = nullptr, *MaskEdit2 = nullptr;
  QLabel *AndLabel = nullptr, *MonthLabel = nullptr, *YearLabel = nullptr;
  QSpinBox *SpinEdit1 = nullptr, *SpinEdit2 = nullptr;
  QTreeWidget* ListView1 = nullptr;
  QStatusBar* StatusBar1 = nullptr;
  QLabel *Panel1 = nullptr, *Panel2 = nullptr;
  QTimer* Timer1 = nullptr;
  QMenu *Mail1 = nullptr, *View1 = nullptr, *Help1 = nullptr;
  QAction *Read1 = nullptr, *Close1 = nullptr, *MailViewer1 = nullptr, *KorrinExplorer1 = nullptr, *About1 = nullptr;
};

}  // namespace korrin
