#include <gtest/gtest.h>

#include "support/test_env.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  korrin::test::InstallTestWorld();
  return RUN_ALL_TESTS();
}
