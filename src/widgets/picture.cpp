#include "widgets/picture.h"

#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QSvgRenderer>

#include <algorithm>

namespace korrin {

QPixmap LoadPicture(const QString& fileName, qreal devicePixelRatio) {
  if (fileName.isEmpty() || !QFileInfo(fileName).isFile()) return {};
  const qreal dpr = std::max<qreal>(1.0, devicePixelRatio);
  if (QFileInfo(fileName).suffix().compare("svg", Qt::CaseInsensitive) == 0) {
    QSvgRenderer svg(fileName);
    if (!svg.isValid()) return {};
    QSize size = svg.defaultSize();
    // A drawing without a size of its own, or an absurd one, gets a sane one.
    if (size.isEmpty()) size = QSize(128, 128);
    if (size.width() > 2048 || size.height() > 2048) size.scale(2048, 2048, Qt::KeepAspectRatio);
    QPixmap pix(size * dpr);
    pix.fill(Qt::transparent);
    QPainter p(&pix);
    svg.render(&p);
    p.end();
    pix.setDevicePixelRatio(dpr);
    return pix;
  }
  QImageReader reader(fileName);
  reader.setAutoTransform(true);
  // Pictures larger than any screen are refused rather than eating memory.
  const QSize size = reader.size();
  if (size.isValid() && (size.width() > 16384 || size.height() > 16384)) return {};
  QImage image = reader.read();
  if (image.isNull()) return {};
  return QPixmap::fromImage(image);
}

}  // namespace korrin
