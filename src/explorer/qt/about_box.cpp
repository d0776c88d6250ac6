#include "explorer/qt/about_box.h"

#include <QDialogButtonBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "explorer/qt/splash_form.h"
#include "explorer/settings.h"

namespace korrin {

namespace {

QPixmap AboutPicture(int side) {
  QPixmap pm(side, side);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  QRectF tile(1, 1, side - 2, side - 2);
  QLinearGradient sky(tile.topLeft(), tile.bottomLeft());
  sky.setColorAt(0, QColor(20, 36, 70));
  sky.setColorAt(1, QColor(4, 8, 18));
  p.setPen(QPen(QColor(232, 184, 80), 1.5));
  p.setBrush(sky);
  p.drawRoundedRect(tile, side / 8.0, side / 8.0);
  PaintKorrinEmblem(p, tile.adjusted(side * 0.1, side * 0.14, -side * 0.1, -side * 0.1));
  return pm;
}

}  // namespace

TAboutBox::TAboutBox(QWidget* parent, const QString& productName) : QDialog(parent) {
  setObjectName("AboutBox");
  setWindowTitle("About");
  setModal(true);
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

  auto* outer = new QVBoxLayout(this);
  auto* panel = new QFrame(this);
  panel->setObjectName("Panel1");
  panel->setFrameShape(QFrame::StyledPanel);
  panel->setFrameShadow(QFrame::Sunken);
  auto* row = new QHBoxLayout(panel);
  row->setSpacing(14);

  ProgramIcon = new QLabel(panel);
  ProgramIcon->setObjectName("ProgramIcon");
  ProgramIcon->setPixmap(AboutPicture(72));
  ProgramIcon->setAlignment(Qt::AlignTop);
  row->addWidget(ProgramIcon, 0, Qt::AlignTop);

  auto* texts = new QVBoxLayout;
  texts->setSpacing(4);
  ProductName = new QLabel(productName, panel);
  ProductName->setObjectName("ProductName");
  QFont big = ProductName->font();
  big.setBold(true);
  big.setPointSizeF(big.pointSizeF() * 1.35);
  ProductName->setFont(big);
  Version = new QLabel(QStringLiteral("Version ") + QString::fromUtf8(kVersionText), panel);
  Version->setObjectName("Version");
  Comments = new QLabel(
      "An offline mail reader for bulletin board systems. Korrin opens the QWK mail packets your BBS "
      "sends, lets you read and answer them at leisure, and packs your answers into a reply packet for "
      "your next call.",
      panel);
  Comments->setObjectName("Comments");
  Comments->setWordWrap(true);
  Comments->setMinimumWidth(300);
  Copyright = new QLabel(QStringLiteral("Copyright \u00A9 Halvane Software Development"), panel);
  Copyright->setObjectName("Copyright");
  texts->addWidget(ProductName);
  texts->addWidget(Version);
  texts->addSpacing(8);
  texts->addWidget(Comments);
  texts->addSpacing(8);
  texts->addWidget(Copyright);
  texts->addStretch(1);
  row->addLayout(texts, 1);
  outer->addWidget(panel);

  auto* buttons = new QDialogButtonBox(this);
  OKButton = buttons->addButton("OK", QDialogButtonBox::AcceptRole);
  OKButton->setObjectName("OKButton");
  OKButton->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  outer->addWidget(buttons);
  setFixedSize(sizeHint());
}

QString TAboutBox::ProductNameText() const { return ProductName->text(); }

void TAboutBox::SetProductName(const QString& name) { ProductName->setText(name); }

QString TAboutBox::VersionText() const { return Version->text(); }

void TAboutBox::Execute(QWidget* parent, const QString& productName) {
  TAboutBox box(parent, productName);
  box.exec();
}

}  // namespace korrin
