#include <gtest/gtest.h>

#include <QGuiApplication>

// The synthetic image needs the application's font database. Test discovery runs this without
// the test environment, so the display-less platform is the default here too.
int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QGuiApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
