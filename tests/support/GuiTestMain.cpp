#include <gtest/gtest.h>

#include <QApplication>

// Widget tests run on Qt's offscreen platform unless the environment names another one, also when
// the build lists the tests (that run does not get the test environment).
int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
