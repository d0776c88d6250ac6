#include "platform/qt/qt_prompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace korrin {

namespace {
QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
std::string S(const QString& s) { return s.toUtf8().toStdString(); }
}  // namespace

QWidget* TQtPrompts::Parent() const {
  if (before_) before_();
  // A box belongs to the window that asks (the active one), so that a viewer
  // or editor is not left hidden behind the main window; the given parent
  // only when none of ours is active. A window just hidden (the splash) never
  // carries a box.
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  if (QWidget* active = QApplication::activeWindow(); active && active->isVisible()) return active;
  return parent_;
}

TBoxAnswer TQtPrompts::Box(TBoxKind kind, const std::string& text, TBoxButtons buttons, const std::string& caption) {
  QMessageBox box(Parent());
  box.setObjectName("PromptBox");
  box.setWindowTitle(caption.empty() ? QApplication::applicationDisplayName() : Q(caption));
  box.setText(Q(text));
  switch (kind) {
    case TBoxKind::bkError: box.setIcon(QMessageBox::Critical); break;
    case TBoxKind::bkInformation: box.setIcon(QMessageBox::Information); break;
    case TBoxKind::bkWarning: box.setIcon(QMessageBox::Warning); break;
    case TBoxKind::bkConfirmation: box.setIcon(QMessageBox::Question); break;
    case TBoxKind::bkPlain: box.setIcon(QMessageBox::NoIcon); break;
  }
  switch (buttons) {
    case TBoxButtons::bbOk: box.setStandardButtons(QMessageBox::Ok); break;
    case TBoxButtons::bbYesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case TBoxButtons::bbOkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case TBoxButtons::bbYesNoAbort:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Abort);
      break;
    case TBoxButtons::bbYesNoCancel:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      break;
  }
  switch (box.exec()) {
    case QMessageBox::Ok: return TBoxAnswer::baOk;
    case QMessageBox::Yes: return TBoxAnswer::baYes;
    case QMessageBox::No: return TBoxAnswer::baNo;
    case QMessageBox::Abort: return TBoxAnswer::baAbort;
    default: break;
  }
  // Closing the box with Esc or the title bar: the safe answer.
  switch (buttons) {
    case TBoxButtons::bbOk: return TBoxAnswer::baOk;
    case TBoxButtons::bbYesNo: return TBoxAnswer::baNo;
    case TBoxButtons::bbYesNoAbort: return TBoxAnswer::baAbort;
    default: return TBoxAnswer::baCancel;
  }
}

namespace {
// File dialogs open inside the folder they are given; a folder path alone
// would otherwise open its parent with the folder selected.
void StartIn(QFileDialog& dlg, const std::string& folder) {
  QFileInfo info(QString::fromStdString(folder));
  if (!folder.empty() && info.isDir()) dlg.setDirectory(info.absoluteFilePath());
}
}  // namespace

std::optional<std::string> TQtPrompts::InputBox(const std::string& caption, const std::string& prompt,
                                                const std::string& value) {
  QInputDialog dlg(Parent());
  dlg.setObjectName("InputBox");
  dlg.setWindowTitle(Q(caption));
  dlg.setLabelText(Q(prompt));
  dlg.setTextValue(Q(value));
  if (dlg.exec() != QDialog::Accepted) return std::nullopt;
  return S(dlg.textValue());
}

std::optional<std::string> TQtPrompts::PickFolder(const std::string& title, const std::string& folder) {
  QFileDialog dlg(Parent(), Q(title), Q(folder));
  dlg.setObjectName("FolderPicker");
  StartIn(dlg, folder);
  dlg.setFileMode(QFileDialog::Directory);
  dlg.setOption(QFileDialog::ShowDirsOnly, true);
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return std::nullopt;
  return S(dlg.selectedFiles().first());
}

std::optional<std::string> TQtPrompts::OpenFile(const std::string& title, const std::string& filter,
                                                const std::string& folder) {
  QFileDialog dlg(Parent(), Q(title), Q(folder), Q(filter));
  dlg.setObjectName("OpenDialog");
  StartIn(dlg, folder);
  dlg.setFileMode(QFileDialog::ExistingFile);
  dlg.setAcceptMode(QFileDialog::AcceptOpen);
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return std::nullopt;
  return S(dlg.selectedFiles().first());
}

std::optional<std::string> TQtPrompts::SaveFile(const std::string& title, const std::string& filter,
                                                const std::string& folder, const std::string& name) {
  QFileDialog dlg(Parent(), Q(title), Q(folder), Q(filter));
  dlg.setObjectName("SaveDialog");
  StartIn(dlg, folder);
  dlg.setAcceptMode(QFileDialog::AcceptSave);
  if (!name.empty()) dlg.selectFile(Q(name));
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return std::nullopt;
  return S(dlg.selectedFiles().first());
}

}  // namespace korrin
