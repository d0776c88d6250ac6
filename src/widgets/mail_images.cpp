#include "widgets/mail_images.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <map>

namespace korrin {

namespace {
const QColor kInk(40, 48, 64);
const QColor kFolderBack(224, 170, 50), kFolderFront(250, 204, 90);
const QColor kPaper(250, 250, 246), kBlue(52, 110, 196), kGreen(46, 150, 80), kRed(200, 60, 50), kGrey(120, 128, 140);

void Folder(QPainter& p, bool open) {
  p.setPen(QPen(kInk, 1.2));
  p.setBrush(kFolderBack);
  QPainterPath back;
  back.moveTo(3, 9);
  back.lineTo(12, 9);
  back.lineTo(14, 6);
  back.lineTo(29, 6);
  back.lineTo(29, 26);
  back.lineTo(3, 26);
  back.closeSubpath();
  p.drawPath(back);
  p.setBrush(kFolderFront);
  if (open) {
    QPolygonF front({{7, 13}, {31, 13}, {27, 26}, {3, 26}});
    p.drawPolygon(front);
  } else {
    p.drawRect(QRectF(3, 11, 26, 15));
  }
}

void Envelope(QPainter& p, bool read) {
  p.setPen(QPen(kInk, 1.2));
  if (read) {
    p.setBrush(kPaper.darker(108));
    p.drawPolygon(QPolygonF({{3, 14}, {16, 5}, {29, 14}, {29, 27}, {3, 27}}));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(7, 9, 18, 12));
    p.setBrush(kPaper);
    p.drawPolygon(QPolygonF({{3, 14}, {16, 22}, {29, 14}, {29, 27}, {3, 27}}));
  } else {
    p.setBrush(kPaper);
    p.drawRect(QRectF(3, 8, 26, 18));
    p.drawPolyline(QPolygonF({{3, 8}, {16, 18}, {29, 8}}));
    p.setBrush(kRed);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(26, 8), 4, 4);
  }
}

void Tray(QPainter& p, const QColor& color) {
  p.setPen(QPen(kInk, 1.2));
  p.setBrush(color);
  p.drawPolygon(QPolygonF({{2, 18}, {9, 18}, {11, 22}, {21, 22}, {23, 18}, {30, 18}, {30, 28}, {2, 28}}));
}

void Arrow(QPainter& p, bool up, const QColor& color, double x = 16) {
  p.setPen(QPen(kInk, 1));
  p.setBrush(color);
  QPolygonF arrow = up ? QPolygonF({{x - 3, 17}, {x - 3, 10}, {x - 7, 10}, {x, 3}, {x + 7, 10}, {x + 3, 10}, {x + 3, 17}})
                       : QPolygonF({{x - 3, 3}, {x - 3, 10}, {x - 7, 10}, {x, 17}, {x + 7, 10}, {x + 3, 10}, {x + 3, 3}});
  p.drawPolygon(arrow);
}

void Computer(QPainter& p, bool lit) {
  p.setPen(QPen(kInk, 1.2));
  p.setBrush(QColor(210, 214, 220));
  p.drawRoundedRect(QRectF(3, 4, 26, 18), 2, 2);
  p.setBrush(lit ? QColor(70, 170, 230) : QColor(30, 60, 100));
  p.drawRect(QRectF(6, 7, 20, 12));
  p.setBrush(QColor(190, 194, 200));
  p.drawRect(QRectF(12, 22, 8, 3));
  p.drawRoundedRect(QRectF(6, 25, 20, 4), 1, 1);
  if (lit) {
    p.setPen(QPen(Qt::white, 1));
    p.drawLine(QPointF(9, 11), QPointF(20, 11));
    p.drawLine(QPointF(9, 14), QPointF(17, 14));
  }
}

void Document(QPainter& p, const QColor& accent) {
  p.setPen(QPen(kInk, 1.2));
  p.setBrush(kPaper);
  p.drawPolygon(QPolygonF({{7, 3}, {20, 3}, {26, 9}, {26, 29}, {7, 29}}));
  p.setPen(QPen(accent, 1.4));
  for (int y = 13; y <= 25; y += 4) p.drawLine(QPointF(10, y), QPointF(23, y));
}

void Star(QPainter& p, QPointF c, double r) {
  QPolygonF star;
  for (int i = 0; i < 10; ++i) {
    double a = -M_PI / 2 + i * M_PI / 5;
    double rr = i % 2 ? r * 0.45 : r;
    star << QPointF(c.x() + rr * std::cos(a), c.y() + rr * std::sin(a));
  }
  p.setPen(QPen(kInk, 0.8));
  p.setBrush(QColor(250, 200, 40));
  p.drawPolygon(star);
}

void Draw(QPainter& p, TMailImage image) {
  switch (image) {
    case TMailImage::miFolder: Folder(p, false); break;
    case TMailImage::miFolderOpen: Folder(p, true); break;
    case TMailImage::miBBS: Computer(p, false); break;
    case TMailImage::miBBSSelected: Computer(p, true); break;
    case TMailImage::miNewMessage: Envelope(p, false); break;
    case TMailImage::miReadMessage: Envelope(p, true); break;
    case TMailImage::miNewFiles:
      Document(p, kBlue);
      Star(p, {24, 8}, 7);
      break;
    case TMailImage::miSentBox:
      Tray(p, QColor(170, 200, 240));
      Envelope(p, false);
      break;
    case TMailImage::miSaveBox:
      p.setPen(QPen(kInk, 1.2));
      p.setBrush(QColor(120, 150, 200));
      p.drawRoundedRect(QRectF(4, 4, 24, 24), 2, 2);
      p.setBrush(kPaper);
      p.drawRect(QRectF(9, 4, 14, 9));
      p.setBrush(QColor(60, 70, 90));
      p.drawRect(QRectF(9, 18, 14, 10));
      break;
    case TMailImage::miOutBox:
      Tray(p, QColor(240, 200, 150));
      Arrow(p, true, kGreen);
      break;
    case TMailImage::miInBox:
      Tray(p, QColor(180, 220, 180));
      Arrow(p, false, kBlue);
      break;
    case TMailImage::miDownloads:
    case TMailImage::miDownloadsOpen:
      Folder(p, image == TMailImage::miDownloadsOpen);
      Arrow(p, false, kGreen, 19);
      break;
    case TMailImage::miOpen:
      Folder(p, true);
      break;
    case TMailImage::miClose:
      Folder(p, false);
      p.setPen(QPen(kRed, 3));
      p.drawLine(QPointF(18, 14), QPointF(28, 24));
      p.drawLine(QPointF(28, 14), QPointF(18, 24));
      break;
    case TMailImage::miReplies:
      Tray(p, QColor(240, 200, 150));
      Arrow(p, true, kBlue);
      break;
    case TMailImage::miNew:
      Document(p, kGrey);
      Star(p, {23, 8}, 7);
      break;
    case TMailImage::miReply:
      Envelope(p, false);
      p.setPen(QPen(kBlue, 3, Qt::SolidLine, Qt::RoundCap));
      p.drawArc(QRectF(6, 12, 16, 14), 90 * 16, 150 * 16);
      break;
    case TMailImage::miForward:
      Envelope(p, false);
      p.setPen(QPen(kGreen, 3, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(8, 20), QPointF(22, 20));
      p.drawLine(QPointF(17, 15), QPointF(22, 20));
      p.drawLine(QPointF(17, 25), QPointF(22, 20));
      break;
    case TMailImage::miDelete:
      p.setPen(QPen(kInk, 1.2));
      p.setBrush(QColor(200, 205, 212));
      p.drawPolygon(QPolygonF({{8, 9}, {24, 9}, {22, 29}, {10, 29}}));
      p.drawRect(QRectF(6, 6, 20, 3));
      p.drawRect(QRectF(13, 3, 6, 3));
      break;
    case TMailImage::miView:
      Document(p, kGrey);
      p.setPen(QPen(kInk, 2));
      p.setBrush(QColor(200, 230, 250, 180));
      p.drawEllipse(QPointF(18, 17), 6, 6);
      p.drawLine(QPointF(22, 21), QPointF(28, 28));
      break;
    case TMailImage::miFind:
      p.setPen(QPen(kInk, 2.4));
      p.setBrush(QColor(200, 230, 250));
      p.drawEllipse(QPointF(13, 13), 8, 8);
      p.drawLine(QPointF(19, 19), QPointF(28, 28));
      break;
    case TMailImage::miAddress:
      p.setPen(QPen(kInk, 1.2));
      p.setBrush(QColor(180, 90, 60));
      p.drawRoundedRect(QRectF(6, 3, 21, 26), 2, 2);
      p.setBrush(kPaper);
      p.drawEllipse(QPointF(16.5, 12), 4, 4);
      p.drawChord(QRectF(10, 16, 13, 12), 0, 180 * 16);
      break;
    case TMailImage::miLargeIcons:
    case TMailImage::miSmallIcons:
    case TMailImage::miList:
    case TMailImage::miDetails: {
      p.setPen(Qt::NoPen);
      p.setBrush(kBlue);
      if (image == TMailImage::miLargeIcons) {
        for (int x : {4, 18})
          for (int y : {4, 18}) p.drawRect(QRectF(x, y, 10, 10));
      } else if (image == TMailImage::miSmallIcons) {
        for (int x : {4, 13, 22})
          for (int y : {4, 13, 22}) p.drawRect(QRectF(x, y, 6, 6));
      } else {
        for (int y : {5, 13, 21}) {
          p.drawRect(QRectF(4, y, 5, 5));
          p.setBrush(kGrey);
          p.drawRect(QRectF(12, y + 1, image == TMailImage::miList ? 16 : 8, 3));
          if (image == TMailImage::miDetails) p.drawRect(QRectF(22, y + 1, 6, 3));
          p.setBrush(kBlue);
        }
      }
      break;
    }
    case TMailImage::miPostOffice:
      p.setPen(QPen(kInk, 1.2));
      p.setBrush(QColor(200, 60, 50));
      p.drawPolygon(QPolygonF({{4, 14}, {16, 4}, {28, 14}}));
      p.setBrush(QColor(230, 225, 210));
      p.drawRect(QRectF(7, 14, 18, 14));
      p.setBrush(kBlue);
      p.drawRect(QRectF(13, 19, 6, 9));
      break;
    case TMailImage::miAttachment:
      p.setPen(QPen(kGrey.darker(130), 2.2, Qt::SolidLine, Qt::RoundCap));
      p.setBrush(Qt::NoBrush);
      {
        QPainterPath clip;
        clip.moveTo(20, 10);
        clip.lineTo(20, 22);
        clip.arcTo(QRectF(12, 18, 8, 8), 0, -180);
        clip.lineTo(12, 8);
        clip.arcTo(QRectF(12, 4, 12, 8), 180, -180);
        clip.lineTo(24, 23);
        p.drawPath(clip);
      }
      break;
  }
}
}  // namespace

QPixmap MailPixmap(TMailImage image, int size) {
  QPixmap pm(size, size);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 32.0, size / 32.0);
  Draw(p, image);
  return pm;
}

QIcon MailImage(TMailImage image) {
  static std::map<int, QIcon> cache;
  auto it = cache.find(static_cast<int>(image));
  if (it != cache.end()) return it->second;
  QIcon icon;
  for (int size : {16, 20, 24, 32, 48, 64}) icon.addPixmap(MailPixmap(image, size));
  cache.emplace(static_cast<int>(image), icon);
  return icon;
}

QIcon TreeImage(int index) {
  static const TMailImage map[] = {TMailImage::miFolder,   TMailImage::miFolderOpen, TMailImage::miBBS,
                                   TMailImage::miBBSSelected, TMailImage::miFolder,  TMailImage::miNewFiles,
                                   TMailImage::miSentBox,  TMailImage::miSaveBox,    TMailImage::miOutBox,
                                   TMailImage::miInBox,    TMailImage::miDownloads,  TMailImage::miDownloadsOpen};
  if (index < 0 || index >= 12) return {};
  return MailImage(map[index]);
}

QIcon ListImage(int index) {
  switch (index) {
    case 0: return MailImage(TMailImage::miFolder);
    case 2: return MailImage(TMailImage::miNewMessage);
    case 3: return MailImage(TMailImage::miReadMessage);
    case 5: return MailImage(TMailImage::miNewFiles);
    case 6: return MailImage(TMailImage::miSentBox);
    case 7: return MailImage(TMailImage::miSaveBox);
    case 8: return MailImage(TMailImage::miOutBox);
    case 9: return MailImage(TMailImage::miInBox);
    case 10: return MailImage(TMailImage::miDownloads);
    default: return {};
  }
}

}  // namespace korrin
