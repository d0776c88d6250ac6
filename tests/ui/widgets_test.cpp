#include <QDir>
#include <QEnterEvent>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QHBoxLayout>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include "support/qt_modal.h"
#include "support/test_env.h"
#include "widgets/back_drop.h"
#include "widgets/browse_directory_dlg.h"
#include "widgets/explorer_button.h"
#include "widgets/label_3d.h"
#include "widgets/mail_images.h"
#include "widgets/picture.h"
#include "widgets/progress_gauge.h"

using namespace korrin;

namespace {
void Hover(QWidget* w, bool in) {
  if (in) {
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)));
    QCoreApplication::sendEvent(w, &enter);
  } else {
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(w, &leave);
  }
}
}  // namespace

TEST(ExplorerButton, HoverPressAndDisabledStates) {
  TExplorerButton open("Open", TMailImage::miOpen);
  TExplorerButton forward("Forward", TMailImage::miForward);
  EXPECT_EQ(open.Caption(), "Open");
  EXPECT_EQ(open.GlyphSize(), 32);
  EXPECT_GE(open.sizeHint().height(), 32 + open.fontMetrics().height());
  EXPECT_GE(forward.sizeHint().width(), open.sizeHint().width());
  open.SetGlyphSize(0);
  EXPECT_EQ(open.GlyphSize(), 8);
  open.SetGlyphSize(32);

  QSignalSpy clicks(&open, &QAbstractButton::clicked);
  Hover(&open, true);
  EXPECT_TRUE(open.IsHot());
  QTest::mouseClick(&open, Qt::LeftButton);
  EXPECT_EQ(clicks.count(), 1);
  open.setEnabled(false);  // disabling clears the hover look
  EXPECT_FALSE(open.IsHot());
  Hover(&open, true);
  EXPECT_FALSE(open.IsHot());
  QTest::mouseClick(&open, Qt::LeftButton);
  EXPECT_EQ(clicks.count(), 1);
  open.setEnabled(true);
  Hover(&open, true);
  EXPECT_TRUE(open.IsHot());
  Hover(&open, false);
  EXPECT_FALSE(open.IsHot());
  open.SetCaption("&Open");
  EXPECT_EQ(open.Caption(), "&Open");
}

TEST(ProgressGauge, ValueIsClampedAndFillsWholeBoxes) {
  TProgressGauge gauge;
  EXPECT_EQ(gauge.Boxes(), 39);
  EXPECT_EQ(gauge.FilledBoxes(), 0);
  QSignalSpy changes(&gauge, &TProgressGauge::ValueChanged);
  gauge.SetValue(50);
  EXPECT_EQ(gauge.FilledBoxes(), 19);
  gauge.SetValue(99);
  EXPECT_EQ(gauge.FilledBoxes(), 38);
  gauge.SetValue(250);
  EXPECT_EQ(gauge.Value(), 100);
  EXPECT_EQ(gauge.FilledBoxes(), 39);
  gauge.SetValue(100);  // no change, no signal
  gauge.SetValue(-7);
  EXPECT_EQ(gauge.Value(), 0);
  EXPECT_EQ(changes.count(), 4);
  gauge.SetBoxes(0);
  EXPECT_EQ(gauge.Boxes(), 1);
  gauge.SetValue(99);
  EXPECT_EQ(gauge.FilledBoxes(), 0);
  gauge.SetValue(100);
  EXPECT_EQ(gauge.FilledBoxes(), 1);
  gauge.resize(3, 3);  // too small to draw boxes: must not crash
  gauge.grab();
}

TEST(Widgets, RenderedForALook) {
  QWidget strip;
  auto* column = new QVBoxLayout(&strip);
  auto* row = new QHBoxLayout;
  const std::pair<const char*, TMailImage> buttons[] = {
      {"Close", TMailImage::miClose}, {"Open", TMailImage::miOpen},     {"View", TMailImage::miView},
      {"New", TMailImage::miNew},     {"Reply", TMailImage::miReply},   {"Forward", TMailImage::miForward},
      {"Delete", TMailImage::miDelete}, {"Search", TMailImage::miFind}};
  std::vector<TExplorerButton*> made;
  for (const auto& [caption, image] : buttons) {
    auto* b = new TExplorerButton(caption, image, &strip);
    row->addWidget(b);
    made.push_back(b);
  }
  row->addStretch();
  column->addLayout(row);
  made[0]->setEnabled(false);
  made[2]->setEnabled(false);
  for (int value : {0, 37, 100}) {
    auto* g = new TProgressGauge(&strip);
    g->SetValue(value);
    g->setFixedWidth(265);
    column->addWidget(g);
  }
  strip.show();
  Hover(made[1], true);
  made[4]->setDown(true);
  EXPECT_FALSE(test::GrabToPng(&strip, "widgets").isEmpty());
}

namespace {
bool Drawn(const QImage& image) {
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (qAlpha(image.pixel(x, y)) > 0) return true;
  return false;
}
}  // namespace

// Every picture has its own drawing in the resource; the desktop's theme
// comes first where it has the picture's name, and our own look stays ours.
TEST(MailImages, OwnDrawingsAndTheThemeFirst) {
  for (int i = 0; i <= static_cast<int>(TMailImage::miCancel); ++i) {
    auto image = static_cast<TMailImage>(i);
    for (int size : {16, 32}) {
      QImage own = OwnMailImage(image).pixmap(size, size).toImage();
      ASSERT_EQ(own.size(), QSize(size, size)) << i;
      EXPECT_TRUE(Drawn(own)) << i;
    }
  }
  EXPECT_TRUE(ListImage(-1).isNull());
  EXPECT_FALSE(TreeImage(11).isNull());

  // A theme with a red "edit-delete" and a red "computer".
  std::string root = test::NewTempDir("icons");
  test::WriteFile(root + "KorrinTest/index.theme",
                  "[Icon Theme]\nName=KorrinTest\nDirectories=16x16/actions\n\n"
                  "[16x16/actions]\nSize=16\nType=Fixed\n");
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(root + "KorrinTest/16x16/actions")));
  QImage red(16, 16, QImage::Format_ARGB32);
  red.fill(Qt::red);
  for (const char* name : {"edit-delete", "computer"})
    ASSERT_TRUE(red.save(QString::fromStdString(root + "KorrinTest/16x16/actions/") + name + ".png"));
  const QStringList paths = QIcon::themeSearchPaths();
  const QString theme = QIcon::themeName();
  QIcon::setThemeSearchPaths({QString::fromStdString(root)});
  QIcon::setThemeName("KorrinTest");
  auto pixel = [](TMailImage image) { return MailImage(image).pixmap(16, 16).toImage().pixel(8, 8); };
  EXPECT_EQ(pixel(TMailImage::miDelete), QColor(Qt::red).rgb());
  EXPECT_EQ(MailImage(TMailImage::miForward).pixmap(16, 16).toImage(),
            OwnMailImage(TMailImage::miForward).pixmap(16, 16).toImage());  // not in the theme
  EXPECT_NE(pixel(TMailImage::miBBS), QColor(Qt::red).rgb());               // always ours
  QIcon::setThemeName(theme);
  QIcon::setThemeSearchPaths(paths);
  EXPECT_NE(pixel(TMailImage::miDelete), QColor(Qt::red).rgb());
}

TEST(SetupWidgets, BackdropPicturesAndFolderPicker) {
  TBackDrop drop;
  drop.SetColors(QColor(0, 0, 255), QColor(0, 0, 0));
  EXPECT_EQ(drop.ColorAt(0), QColor(0, 0, 255));
  EXPECT_EQ(drop.ColorAt(1), QColor(0, 0, 0));
  EXPECT_EQ(drop.ColorAt(0.5), QColor(0, 0, 128));
  EXPECT_EQ(drop.ColorAt(-3), QColor(0, 0, 255));  // outside the area: the edge colours
  drop.resize(40, 300);
  QImage shot = drop.grab().toImage();
  EXPECT_GT(qBlue(shot.pixel(20, 2)), 240);
  EXPECT_LT(qBlue(shot.pixel(20, 297)), 15);

  // Drawings come at their own size, sharp on a doubled screen; files that
  // are no picture give nothing.
  const std::string dir = test::NewTempDir("pictures");
  test::WriteFile(dir + "logo.svg",
                  "<svg xmlns='http://www.w3.org/2000/svg' width='96' height='48'><rect width='96' height='48'/></svg>");
  test::WriteFile(dir + "bad.svg", "<svg");
  test::WriteFile(dir + "bad.png", "not a picture");
  QPixmap pix = LoadPicture(QString::fromStdString(dir + "logo.svg"), 2.0);
  EXPECT_EQ(pix.deviceIndependentSize().toSize(), QSize(96, 48));
  EXPECT_EQ(pix.size(), QSize(192, 96));
  EXPECT_TRUE(LoadPicture(QString::fromStdString(dir + "bad.svg")).isNull());
  EXPECT_TRUE(LoadPicture(QString::fromStdString(dir + "bad.png")).isNull());
  EXPECT_TRUE(LoadPicture(QString::fromStdString(dir + "missing.svg")).isNull());
  EXPECT_TRUE(LoadPicture(QString::fromStdString(dir)).isNull());

  // The picker starts at the nearest folder that exists and shows it below the tree.
  TBrowseDirectoryDlg picker;
  picker.SetDirectory(QString::fromStdString(dir + "not/there"));
  EXPECT_EQ(picker.Directory().toStdString() + "/", dir);
  EXPECT_EQ(test::Find<QLabel>(&picker, "StatusLabel")->text(), picker.Directory());

  TLabel3D label("Setup");
  label.SetShadowDepth(-2);
  EXPECT_EQ(label.ShadowDepth(), 0);
}
