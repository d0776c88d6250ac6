// The main window's downloads commands and its two directions of
// drag-and-drop: rows dragged out of the list as files, files dropped on
// the window opened as packets or reply packets.

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QTreeView>
#include <QUrl>

#include <memory>

#include "door/qt/new_files_form.h"
#include "engine/mail_tree.h"
#include "explorer/message_text.h"
#include "explorer/qt/mail_list_view.h"
#include "explorer/qt/mail_tree_view.h"
#include "explorer/qt/main_form.h"
#include "platform/codepage.h"
#include "platform/launch.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/qt/qt_platform.h"
#include "session/file_drop.h"
#include "widgets/mail_images.h"
#include "widgets/progress_gauge.h"

namespace korrin {

namespace {
// The files of a drag: made when the drop target first asks for them.
class TDragFilesMime : public QMimeData {
public:
  std::function<bool()> Produce;
  std::shared_ptr<bool> Failed = std::make_shared<bool>(false);

protected:
  QVariant retrieveData(const QString& type, QMetaType preferred) const override {
    if (!produced_) {
      produced_ = true;
      if (Produce && !Produce()) *Failed = true;
    }
    return QMimeData::retrieveData(type, preferred);
  }

private:
  mutable bool produced_ = false;
};

bool IsMessageFolder(TFolderKind k) {
  return k == TFolderKind::fkConference || k == TFolderKind::fkOutBox || k == TFolderKind::fkSaveBox ||
         k == TFolderKind::fkSentBox;
}

// The subject column's text of a message row.
std::string SubjectOfRow(const TMailList& list, const TMailListRow& row) {
  const int32_t* order = list.ColumnOrder();
  for (int i = 0; i < 4; ++i) {
    if (order[i] != 3) continue;
    if (i == 0) return row.Caption;
    return static_cast<size_t>(i - 1) < row.SubItems.size() ? row.SubItems[static_cast<size_t>(i - 1)] : std::string();
  }
  return {};
}
}  // namespace

void TMainForm::BuildDownloads() {
  downloads_ = std::make_unique<TDownloads>(MainXZ, tree_->Tree(), tempDirectory_);
  downloads_->OnRowBegins = [this](const std::string& caption) {
    MainStatusCaption->setText("Extracting - " + FromCp437(caption));
    StatusGauge->SetValue(0);
    MainStatusCaption->repaint();
  };
  InstallReplaceQuestion(MainXZ);
  InstallListing(MainXZ, ToReader1);
  setAcceptDrops(true);
  for (QAbstractItemView* v : {static_cast<QAbstractItemView*>(list_->IconView()),
                               static_cast<QAbstractItemView*>(list_->ReportView())}) {
    // A press on a selected row keeps the other selected rows: they are dragged together.
    v->setDragEnabled(true);
    v->viewport()->installEventFilter(this);
  }
}

TDownloadContext TMainForm::DownloadContext() const {
  TDownloadContext c;
  c.TreeSelection = tree_->Tree().Selected() != nullptr;
  const TConfRec* rec = SelectedRecord();
  c.FolderHasRecord = rec != nullptr;
  if (rec) c.Kind = rec->Kind;
  const int row = SelectedRow();
  const auto& rows = list_->List().Rows();
  c.RowSelected = row >= 0 && row < static_cast<int>(rows.size());
  c.HasRows = !rows.empty();
  return c;
}

void TMainForm::DownloadsMenuAboutToShow() {
  if (auto s = DownloadsMenuStates(DownloadContext())) {
    acts_.Open2->setEnabled(s->Open);
    acts_.Extract1->setEnabled(s->Extract);
    acts_.ExtractAll2->setEnabled(s->ExtractAll);
  }
}

void TMainForm::PopupMenu4AboutToShow() {
  if (auto s = DownloadsPopupStates(DownloadContext())) {
    acts_.Open1->setEnabled(s->Open);
    acts_.Extract2->setEnabled(s->Extract);
    acts_.ExtractAll1->setEnabled(s->ExtractAll);
  }
}

std::vector<TDownloadRow> TMainForm::SelectedDownloads() const {
  std::vector<TDownloadRow> out;
  const auto& rows = list_->List().Rows();
  for (int r : list_->SelectedRows())
    if (r >= 0 && r < static_cast<int>(rows.size())) out.push_back(DownloadOfRow(rows[static_cast<size_t>(r)]));
  return out;
}

void TMainForm::Open1Click() {
  const int row = SelectedRow();
  if (Busy() || row < 0) return;
  auto s = DownloadsMenuStates(DownloadContext());
  if (s && s->Open) list_->List().DoubleClick(row);
}

void TMainForm::MailListView1OpenDownload(int index) {
  const auto& rows = list_->List().Rows();
  const TConfRec* rec = SelectedRecord();
  if (Busy() || !rec || rec->Kind != TFolderKind::fkDownloads || index < 0 || index >= static_cast<int>(rows.size()))
    return;
  const TDownloadRow row = DownloadOfRow(rows[static_cast<size_t>(index)]);
  SetBusy(true);
  ShowStatusPanel("Extracting - " + row.Caption);
  auto file = downloads_->ExtractToWork(row);
  HideStatusPanel();
  if (file) LaunchFile(*file, {}, ExtractFilePath(*file));
  SetBusy(false);
}

void TMainForm::Extract2Click() {
  auto s = DownloadsMenuStates(DownloadContext());
  const int row = SelectedRow();
  if (Busy() || !s || !s->Extract || row < 0) return;
  const TDownloadRow download = DownloadOfRow(list_->List().Rows()[static_cast<size_t>(row)]);
  ExtractIntoPickedFolder(download.Caption, [&](const std::string& folder) {
    downloads_->ExtractRow(download, folder, true, kRenamingFailure);
  });
}

void TMainForm::ExtractAll1Click() {
  if (Busy() || !tree_->Tree().PacketLoaded() || !tree_->Tree().DownloadBox()) return;
  tree_->Tree().Select(tree_->Tree().DownloadBox());
  std::vector<TDownloadRow> rows;
  for (const auto& r : list_->List().Rows()) rows.push_back(DownloadOfRow(r));
  ExtractIntoPickedFolder(rows.empty() ? std::string() : rows.front().Caption,
                          [&](const std::string& folder) { downloads_->ExtractAll(rows, folder); });
}

// Asks for the folder, then extracts with the replace question, busy and with the progress panel.
void TMainForm::ExtractIntoPickedFolder(const std::string& caption, const std::function<void(const std::string&)>& run) {
  auto folder = GetPrompts().PickFolder("Select folder to extract file to:", settings_.Packets);
  if (!folder || folder->empty()) return;
  SetBusy(true);
  MainXZ.SetOverwrite(TXcdOverwrite::xowAsk);
  ShowStatusPanel("Extracting - " + caption);
  run(*folder);
  HideStatusPanel();
  MainXZ.SetOverwrite(TXcdOverwrite::xowAlways);
  SetBusy(false);
}

// ---------------------------------------------------------------- drag out

bool TMainForm::ListDragFilter(QObject* watched, QEvent* event) {
  if (!list_ || (watched != list_->IconView()->viewport() && watched != list_->ReportView()->viewport())) return false;
  if (event->type() == QEvent::MouseButtonPress) {
    dragOrigin_ = static_cast<QMouseEvent*>(event)->position().toPoint();
    return false;
  }
  if (event->type() != QEvent::MouseMove) return false;
  auto* move = static_cast<QMouseEvent*>(event);
  if (move->buttons() & Qt::RightButton) dragOrigin_ = {-1, -1};
  if (!(move->buttons() & Qt::LeftButton) || dragOrigin_.x() < 0) return false;
  if (SelectedRow() < 0 || !tree_->Tree().Selected()) return false;
  // While a drag may start the view neither sweeps a selection nor moves icons.
  const QPoint d = move->position().toPoint() - dragOrigin_;
  if (std::abs(d.x()) < 20 && std::abs(d.y()) < 20) return true;
  dragOrigin_ = {-1, -1};
  StartDragOut();
  return true;
}

QMimeData* TMainForm::DragData() {
  const TConfRec* rec = SelectedRecord();
  if (Busy() || !rec || tempDirectory_.empty()) return nullptr;
  const auto& rows = list_->List().Rows();
  std::vector<int> picked;
  std::vector<std::string> names;
  std::vector<int> selected = list_->SelectedRows();
  if (selected.empty()) selected.push_back(SelectedRow());
  for (int r : selected) {
    if (r < 0 || r >= static_cast<int>(rows.size())) continue;
    const TMailListRow& row = rows[static_cast<size_t>(r)];
    if (IsMessageFolder(rec->Kind)) {
      if (row.SubItems.size() < 4) continue;
      names.push_back(MessageFileName(SubjectOfRow(list_->List(), row)));
    } else if (rec->Kind == TFolderKind::fkDownloads) {
      auto leaf = SafeLeafName(row.Caption);
      if (!leaf) continue;
      names.push_back(Cp437ToUtf8(*leaf));
    } else {
      return nullptr;
    }
    picked.push_back(r);
  }
  if (picked.empty()) return nullptr;
  // A folder of its own: nothing of the unpacked packet or of another drag is replaced.
  auto folder = CreateUniqueFolder(IncludeTrailingBackslash(tempDirectory_));
  if (!folder) return nullptr;
  std::vector<std::string> paths;
  QList<QUrl> urls;
  for (const auto& name : DistinctFileNames(names)) {
    paths.push_back(*folder + name);
    urls << QUrl::fromLocalFile(FromUtf8(paths.back()));
  }
  auto* data = new TDragFilesMime;
  data->setUrls(urls);
  const TConfRec folderRec = *rec;
  data->Produce = [this, folderRec, picked, paths] { return DragFilesSrc1Dropping(folderRec, picked, paths); };
  return data;
}

bool TMainForm::StartDragOut() {
  auto* data = static_cast<TDragFilesMime*>(DragData());
  if (!data) return false;
  std::shared_ptr<bool> failed = data->Failed;
  const TConfRec* rec = SelectedRecord();
  auto* drag = new QDrag(this);
  drag->setMimeData(data);
  drag->setPixmap(
      MailPixmap(rec && IsMessageFolder(rec->Kind) ? TMailImage::miTextFile : TMailImage::miDownloads, 32));
  // The drag must not land on this window.
  const bool accepted = acceptDrops();
  setAcceptDrops(false);
  drag->exec(Qt::CopyAction, Qt::CopyAction);
  setAcceptDrops(accepted);
  if (*failed) GetPrompts().Error("Something went wrong extracting and moving files!");
  update();
  return true;
}

bool TMainForm::DragFilesSrc1Dropping(const TConfRec& folder, const std::vector<int>& rows,
                                      const std::vector<std::string>& paths) {
  bool ok = true;
  const auto& listRows = list_->List().Rows();
  if (IsMessageFolder(folder.Kind)) {
    if (rows.size() == 1 && SelectedRow() == rows.front() && QuickViewerShown() && lastViewedIndex_ != rows.front())
      ShowQuickView();
    TQWKMsg msg;
    const bool box = folder.Kind != TFolderKind::fkConference;
    for (size_t i = 0; i < rows.size() && i < paths.size(); ++i) {
      const std::string boxFile = box ? list_->List().SelectedFilePath(rows[i]) : std::string();
      if (box && boxFile.empty()) {
        ok = false;
        continue;
      }
      ok = ExportMessageText(msg, tree_->Tree().Directory(), folder, list_->List().MessageNumber(rows[i]), boxFile,
                             paths[i]) &&
           ok;
    }
  } else {
    SetBusy(true);
    for (size_t i = 0; i < rows.size() && i < paths.size(); ++i) {
      if (rows[i] >= static_cast<int>(listRows.size())) {
        ok = false;
        continue;
      }
      const TDownloadRow row = DownloadOfRow(listRows[static_cast<size_t>(rows[i])]);
      ShowStatusPanel("Extracting - " + row.Caption);
      ok = downloads_->ExtractRow(row, ExtractFilePath(paths[i]), false, kRenamingFailure,
                                  ExtractFileName(paths[i])) == TExtractResult::erDone &&
           ok;
    }
    HideStatusPanel();
    SetBusy(false);
  }
  update();
  return ok;
}

// ---------------------------------------------------------------- drop in

void TMainForm::dragEnterEvent(QDragEnterEvent* event) {
  for (const QUrl& u : event->mimeData()->urls())
    if (u.isLocalFile()) {
      event->acceptProposedAction();
      return;
    }
  QMainWindow::dragEnterEvent(event);
}

void TMainForm::dropEvent(QDropEvent* event) {
  std::vector<std::string> names;
  for (const QUrl& u : event->mimeData()->urls())
    if (u.isLocalFile()) names.push_back(ToUtf8(u.toLocalFile()));
  if (names.empty()) return QMainWindow::dropEvent(event);
  event->acceptProposedAction();
  // Opened once the drop is over: the program the files came from is not kept waiting.
  QTimer::singleShot(0, this, [this, names] { DropFile1DropFile(names); });
}

void TMainForm::DropFile1DropFile(const std::vector<std::string>& names) {
  const std::string path = DroppedPath(names);
  if (path.empty()) return;
  BringMainToFront();
  repaint();
  if (Busy()) return;
  if (tree_->Tree().PacketLoaded()) {
    CloseMsgView();
    CloseFinder();
    if (newFiles_) newFiles_->close();
    update();
  }
  SetBusy(true);
  TDropHooks hooks;
  hooks.OpenPacket = [this](const std::string& p) { return OpenPacketFile(p); };
  hooks.PostOfficeChanged = [this] { ReloadToReader(); };
  OpenDroppedFile(session_, path, hooks);
  SetBusy(false);
  UpdateCommandStates();
}

void TMainForm::OpenWhenIdle(const std::string& path) {
  if (closing_) return;
  if (Busy() || QApplication::activeModalWidget() || QApplication::activePopupWidget()) {
    QTimer::singleShot(250, this, [this, path] { OpenWhenIdle(path); });
    return;
  }
  DropFile1DropFile({path});
}

}  // namespace korrin
