#include <gtest/gtest.h>

#include <QCoreApplication>

// The capture service delivers its completions through the event loop of the main thread.
int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
