#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "explorer/qt/about_box.h"
#include "explorer/qt/splash_form.h"
#include "platform/qt/qt_prompts.h"
#include "support/qt_modal.h"

using namespace korrin;
using test::Find;

TEST(SplashForm, ShowsTheVersionAndGoesOnTheEleventhTick) {
  QPointer<TSplashForm> splash = new TSplashForm;
  EXPECT_EQ(splash->size(), QSize(532, 349));
  EXPECT_TRUE(splash->windowFlags() & Qt::FramelessWindowHint);
  EXPECT_TRUE(splash->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_EQ(Find<QLabel>(splash, "VersionLabel")->text(), "Version  1 . 3");
  EXPECT_EQ(Find<QLabel>(splash, "Image1")->pixmap().size(), QSize(532, 349));
  EXPECT_FALSE(splash->TimerEnabled());
  splash->show();
  test::GrabToPng(splash, "splash");

  for (int i = 1; i <= 10; ++i) splash->Timer1Timer();
  EXPECT_EQ(splash->TickCount(), 10);
  EXPECT_TRUE(splash->isVisible());
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  ASSERT_FALSE(splash.isNull());
  splash->Timer1Timer();
  EXPECT_FALSE(splash->isVisible());
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(splash.isNull());

  // Driven by its own timer once started: gone after about eleven 50 ms ticks.
  QPointer<TSplashForm> timed = new TSplashForm;
  timed->show();
  QElapsedTimer clock;
  clock.start();
  QTest::qWait(100);
  EXPECT_FALSE(timed.isNull());  // nothing happens before the timer is enabled
  clock.restart();
  timed->StartTimer();
  EXPECT_TRUE(timed->TimerEnabled());
  EXPECT_TRUE(QTest::qWaitFor([&] { return timed.isNull(); }, 5000));
  EXPECT_GE(clock.elapsed(), 500);
}

TEST(SplashForm, CanLeaveTheTopOfTheWindowOrder) {
  TSplashForm splash;
  splash.show();
  splash.ReleaseStayOnTop();
  EXPECT_FALSE(splash.windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_TRUE(splash.isVisible());
  EXPECT_TRUE(splash.windowFlags() & Qt::FramelessWindowHint);
}

TEST(AboutBox, ShowsNameVersionAndMakerAndClosesWithOk) {
  TAboutBox box;
  EXPECT_EQ(Find<QLabel>(&box, "ProductName")->text(), "Korrin Packet Explorer");
  EXPECT_EQ(Find<QLabel>(&box, "Version")->text(), "Version 1 . 3");
  EXPECT_TRUE(Find<QLabel>(&box, "Copyright")->text().contains("Halvane Software Development"));
  EXPECT_FALSE(Find<QLabel>(&box, "Comments")->text().isEmpty());
  box.SetProductName("Korrin Mail Finder");
  EXPECT_EQ(box.ProductNameText(), "Korrin Mail Finder");
  box.show();
  test::GrabToPng(&box, "about-box");
  box.hide();

  bool answered = false;
  test::AnswerNextModal([&](QWidget* modal) {
    EXPECT_EQ(Find<QLabel>(modal, "ProductName")->text(), "Korrin New File Viewer");
    answered = test::ClickButton(modal, "OKButton");
  });
  TAboutBox::Execute(nullptr, "Korrin New File Viewer");
  EXPECT_TRUE(answered);
}

TEST(SplashForm, NoBoxOpensUnderneathIt) {
  TQtPrompts prompts;
  QPointer<TSplashForm> splash = new TSplashForm;
  TSplashForm::KeepDialogsAbove(prompts, splash);
  splash->show();
  bool splashShown = true;
  test::AnswerNextModal([&](QWidget* w) {
    splashShown = splash && splash->isVisible();
    test::ClickButton(w, "OK");
  });
  prompts.Information("Korrin will now prepare your system for first time run.");
  EXPECT_FALSE(splashShown);
  delete splash.data();
}
