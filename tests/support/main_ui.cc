#include <QApplication>

#include <cstdlib>

#include <gtest/gtest.h>

#include "support/test_env.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  QApplication::setApplicationName("Korrin");
  korrin::test::InstallTestWorld();
  return RUN_ALL_TESTS();
}
