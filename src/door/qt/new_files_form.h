#pragma once
// The New File Viewer: the BBS's new files one at a time (name, size, date,
// description) with the commands that request a file from the door.

#include <QMainWindow>
#include <QPointer>

#include <map>
#include <string>

#include "door/new_files.h"

class QAction;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QToolButton;

namespace korrin {

class TMainHost;

class TNewFilesForm : public QMainWindow {
  Q_OBJECT
public:
  explicit TNewFilesForm(TMainHost& host, QWidget* parent = nullptr);
  ~TNewFilesForm() override;

  // Shows entry n (1-based); CurrentEntry follows.
  void ShowNewFile(int n);
  // Shows the entry of a row of the New Files list.
  void ShowRow(int row);
  // Reloads the list from the tree's folder (the packet may have changed).
  void Refresh();
  void NextBtnClick();
  void PrevBtnClick();
  void RequestFileClick();
  void RequestAnyFileClick();

  TNewFilesViewer& Viewer() { return viewer_; }
  // The explorer's double click in New Files: refreshes the existing window
  // or makes one, then shows the entry of the row. Returns the window.
  static TNewFilesForm* ShowEntry(TMainHost& host, QPointer<TNewFilesForm>& window, int row);

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void BuildActions();
  void BuildMenus();
  void BuildToolbar();
  void BuildPanes();
  QAction* Action(const char* name, const QString& caption, const QString& hint, int help);
  void ShowCurrent();
  // Selects the shown entry's row in the New Files list, when it is shown.
  void SelectListRow();
  void UpdateCommandStates();
  void ReadPlacement();
  void WritePlacement();

  TMainHost& host_;
  TNewFilesViewer viewer_;
  // The commands, each member named as its action object.
  struct {
    QAction *RequestFile1 = nullptr, *RequestAnyFile1 = nullptr, *CloseNewFiles1 = nullptr, *Exit1 = nullptr, *Toolbar1 = nullptr, *KorrinExplorer1 = nullptr, *Introduction1 = nullptr, *UsingKorrinHelp1 = nullptr, *NewfilesHelp1 = nullptr, *About1 = nullptr, *NextFile1 = nullptr, *PreviousFile1 = nullptr, *RequestFile2 = nullptr, *Requestanyfile1 = nullptr, *Close1 = nullptr;
  } acts_;
  QWidget* Toolbar = nullptr;
  QWidget* CenterPanel = nullptr;
  QWidget* HeaderPanel = nullptr;
  QToolButton* PrevBtn = nullptr;
  QToolButton* NextBtn = nullptr;
  QToolButton* SpeedButton3 = nullptr;
  QToolButton* SpeedButton4 = nullptr;
  QLabel* CountLabel = nullptr;
  QLabel* NameLabel = nullptr;
  QLabel* SizeLabel = nullptr;
  QLabel* DateLabel = nullptr;
  QPlainTextEdit* FileDiscription = nullptr;
  QMenu* PopupMenu1 = nullptr;
};

}  // namespace korrin
