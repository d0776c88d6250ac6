#include "platform/qt/qt_platform.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QUrl>

#include <memory>

#include "platform/charset.h"
#include "platform/codepage.h"

namespace korrin {

QString FromCp437(const std::string& bytes) { return FromUtf8(Cp437ToUtf8(bytes)); }

std::string ToCp437(const QString& text, std::string* replaced) { return Utf8ToCp437(ToUtf8(text), '?', replaced); }
QString FromCharset(const std::string& bytes, const std::string& charset) {
  return IsCp437(charset) ? FromCp437(bytes) : FromUtf8(DecodeToUtf8(bytes, charset));
}
std::string ToCharset(const QString& text, const std::string& charset, std::string* replaced) {
  return EncodeFromUtf8(ToUtf8(text), charset, '?', replaced);
}

QIcon FileIcon(const QString& fileName) {
  QMimeDatabase db;
  QMimeType type = db.mimeTypeForFile(fileName, QMimeDatabase::MatchExtension);
  QIcon icon = QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName()));
  if (!icon.isNull()) return icon;
  static QFileIconProvider provider;
  return provider.icon(QFileIconProvider::File);
}

QString FileTypeName(const QString& fileName) {
  QMimeDatabase db;
  QMimeType type = db.mimeTypeForFile(fileName, QMimeDatabase::MatchExtension);
  if (type.isDefault()) {
    QString ext = QFileInfo(fileName).suffix().toUpper();
    return ext.isEmpty() ? QStringLiteral("File") : ext + QStringLiteral(" File");
  }
  return type.comment();
}

TProcessMessages MakeProcessMessages(int intervalMs) {
  auto timer = std::make_shared<QElapsedTimer>();
  timer->start();
  return [timer, intervalMs] {
    if (timer->elapsed() < intervalMs) return;
    QCoreApplication::processEvents();
    timer->restart();
  };
}

int TQtShell::OpenDocument(const std::string& target, const std::string& folder) {
  QString t = FromUtf8(target);
  QUrl url = QUrl::fromUserInput(t, FromUtf8(folder), QUrl::AssumeLocalFile);
  if (url.isLocalFile() && !QFileInfo::exists(url.toLocalFile())) return kShellFileNotFound;
  return QDesktopServices::openUrl(url) ? kShellOk : kShellNoAssociation;
}

}  // namespace korrin
