#pragma once
// Pictures read from files of any format the program can read, drawings
// (".svg") included, at the sharpness of the screen they are shown on.

#include <QPixmap>
#include <QString>

namespace korrin {

// The picture in the file at its natural size in device-independent pixels,
// drawn for `devicePixelRatio`; a null pixmap when the file cannot be read.
QPixmap LoadPicture(const QString& fileName, qreal devicePixelRatio = 1.0);

}  // namespace korrin
