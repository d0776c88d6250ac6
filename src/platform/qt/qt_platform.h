#pragma once
// Qt sides of the platform layer: text conversion for the windows, the
// shell's icons and type names, the event pump handed to core loops.

#include <QIcon>
#include <QString>

#include <string>

#include "platform/process_messages.h"
#include "platform/shell.h"

namespace korrin {

// Code page 437 bytes (packet text) to a QString and back.
QString FromCp437(const std::string& bytes);
std::string ToCp437(const QString& text, std::string* replaced = nullptr);
// Bytes in a character set (platform/charset.h; empty is code page 437)
// to a QString and back.
QString FromCharset(const std::string& bytes, const std::string& charset);
std::string ToCharset(const QString& text, const std::string& charset, std::string* replaced = nullptr);
// UTF-8 (core's message box and file name text) to a QString and back.
inline QString FromUtf8(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
inline std::string ToUtf8(const QString& s) { return s.toUtf8().toStdString(); }

// The icon and the type name the desktop shows for a file name (the file
// need not exist).
QIcon FileIcon(const QString& fileName);
QString FileTypeName(const QString& fileName);

// Pumps the event loop at most once every `intervalMs` milliseconds.
TProcessMessages MakeProcessMessages(int intervalMs = 20);

// Opens documents through the desktop services.
class TQtShell : public TPosixShell {
public:
  int OpenDocument(const std::string& target, const std::string& folder = {}) override;
};

}  // namespace korrin
