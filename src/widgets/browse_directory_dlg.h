#pragma once
// A folder picker: a title line, a tree of folders only, the selected folder
// in a status line under it, and OK and Cancel.

#include <QDialog>

class QFileSystemModel;
class QLabel;
class QTreeView;

namespace korrin {

class TBrowseDirectoryDlg : public QDialog {
  Q_OBJECT
public:
  explicit TBrowseDirectoryDlg(QWidget* parent = nullptr);

  // The line above the tree.
  void SetTitle(const QString& title);
  QString Title() const;
  // Selects the folder, or the nearest folder above it that exists.
  void SetDirectory(const QString& folder);
  // The selected folder (absolute, without a trailing separator except for
  // the root); empty when none is selected.
  QString Directory() const;
  // Shows the dialog; true when a folder was chosen with OK.
  bool Execute();

private:
  void SelectionChanged();

  QLabel* title_;
  QTreeView* tree_;
  QLabel* status_;
  QFileSystemModel* model_;
  class QPushButton* ok_;
};

}  // namespace korrin
