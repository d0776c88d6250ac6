#include "widgets/browse_directory_dlg.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace korrin {

TBrowseDirectoryDlg::TBrowseDirectoryDlg(QWidget* parent) : QDialog(parent) {
  setObjectName("BrowseDirectoryDlg");
  auto* layout = new QVBoxLayout(this);
  title_ = new QLabel(this);
  title_->setObjectName("TitleLabel");
  title_->setWordWrap(true);
  layout->addWidget(title_);

  model_ = new QFileSystemModel(this);
  model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
  model_->setRootPath(QDir::rootPath());
  tree_ = new QTreeView(this);
  tree_->setObjectName("FolderTree");
  tree_->setModel(model_);
  for (int c = 1; c < model_->columnCount(); ++c) tree_->hideColumn(c);
  tree_->header()->hide();
  tree_->setRootIndex(model_->index(QDir::rootPath()).parent());
  tree_->setMinimumSize(300, 260);
  layout->addWidget(tree_, 1);

  status_ = new QLabel(this);
  status_->setObjectName("StatusLabel");
  status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(status_);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  ok_ = buttons->button(QDialogButtonBox::Ok);
  ok_->setObjectName("OKBtn");
  buttons->button(QDialogButtonBox::Cancel)->setObjectName("CancelBtn");
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);

  connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { SelectionChanged(); });
  connect(tree_, &QTreeView::doubleClicked, this, [this] { tree_->expand(tree_->currentIndex()); });
  SelectionChanged();
}

void TBrowseDirectoryDlg::SetTitle(const QString& title) { title_->setText(title); }

QString TBrowseDirectoryDlg::Title() const { return title_->text(); }

void TBrowseDirectoryDlg::SetDirectory(const QString& folder) {
  QString path = folder.isEmpty() ? QDir::homePath() : QDir::cleanPath(QDir(folder).absolutePath());
  while (!QFileInfo(path).isDir()) {
    const QString up = QFileInfo(path).path();
    if (up == path) break;
    path = up;
  }
  const QModelIndex index = model_->index(path);
  if (!index.isValid()) return;
  tree_->setCurrentIndex(index);
  tree_->scrollTo(index);
  tree_->expand(index);
  SelectionChanged();
}

QString TBrowseDirectoryDlg::Directory() const {
  const QModelIndex index = tree_->currentIndex();
  return index.isValid() ? QDir::cleanPath(model_->filePath(index)) : QString();
}

bool TBrowseDirectoryDlg::Execute() { return exec() == QDialog::Accepted && !Directory().isEmpty(); }

void TBrowseDirectoryDlg::SelectionChanged() {
  const QString dir = Directory();
  status_->setText(dir);
  ok_->setEnabled(!dir.isEmpty());
}

}  // namespace korrin
