// Entry point of every GoogleTest program: sockets started once for the whole run.
#include <gtest/gtest.h>

#include "platform/net.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (!vantor::net::Startup()) return 2;
  const int result = RUN_ALL_TESTS();
  vantor::net::Cleanup();
  return result;
}
