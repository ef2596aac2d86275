#include "platform/PlistDemoSetting.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace vv {
namespace {

QByteArray plist(const char* dictBody) {
  return QByteArray(
             "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
             "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
             "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
             "<plist version=\"1.0\"><dict>") +
         dictBody + "</dict></plist>\n";
}

bool demo(const QByteArray& document) {
  return plistBooleanIsTrue(document, QString::fromLatin1(kDemoSettingKey));
}

TEST(PlistDemoSetting, OnlyABooleanTrueTurnsDemoOn) {
  EXPECT_TRUE(demo(plist("<key>HalvaneVizoviVevoDemo</key><true/>")));
  EXPECT_TRUE(
      demo(plist("<key>Other</key><dict><key>HalvaneVizoviVevoDemo</key><false/></dict>"
                 "<key>HalvaneVizoviVevoDemo</key>\n  <true/>")));
  EXPECT_FALSE(demo(plist("<key>HalvaneVizoviVevoDemo</key><false/>")));
  EXPECT_FALSE(demo(plist("<key>HalvaneVizoviVevoDemo</key><string>true</string>")));
  EXPECT_FALSE(demo(plist("<key>HalvaneVizoviVevoDemo</key><integer>1</integer>")));
  EXPECT_FALSE(demo(plist("<key>halvanevizovivevodemo</key><true/>")));
  EXPECT_FALSE(demo(plist("<key>Other</key><true/>")));
}

TEST(PlistDemoSetting, AKeyInsideANestedDictionaryDoesNotCount) {
  EXPECT_FALSE(
      demo(plist("<key>Nested</key><dict><key>HalvaneVizoviVevoDemo</key><true/></dict>")));
  EXPECT_FALSE(
      demo(plist("<key>List</key><array><string>HalvaneVizoviVevoDemo</string><true/>"
                 "</array>")));
}

TEST(PlistDemoSetting, MalformedDocumentsLeaveDemoOff) {
  EXPECT_FALSE(demo("<plist><dict><key>HalvaneVizoviVevoDemo</key><true/></dict>"));
  EXPECT_FALSE(demo("<plist><dict><key>HalvaneVizoviVevoDemo</key><true/></dict></plist><x>"));
  EXPECT_FALSE(demo("not xml at all"));
  EXPECT_FALSE(demo(""));
  EXPECT_FALSE(demo(QByteArray("\0\xff\xfe<", 4)));
  EXPECT_FALSE(demo("<dict><key>HalvaneVizoviVevoDemo</key><true/></dict>"));
}

TEST(PlistDemoSetting, ReadsTheFileAndToleratesItsAbsence) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = dir.filePath("Info.plist");
  EXPECT_FALSE(PlistDemoSetting(path).isOn());
  EXPECT_FALSE(PlistDemoSetting(QString()).isOn());
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(plist("<key>HalvaneVizoviVevoDemo</key><true/>"));
  file.close();
  EXPECT_TRUE(PlistDemoSetting(path).isOn());
}

TEST(PlistDemoSetting, IsFoundBesideTheProgramOrUnderShare) {
  QTemporaryDir dir;
  ASSERT_TRUE(QDir(dir.path()).mkpath("bin"));
  ASSERT_TRUE(QDir(dir.path()).mkpath("share/vizovi-vevo"));
  const QString bin = dir.filePath("bin");
  EXPECT_TRUE(locateInfoPlist(bin).isEmpty());

  QFile installed(dir.filePath("share/vizovi-vevo/Info.plist"));
  ASSERT_TRUE(installed.open(QIODevice::WriteOnly));
  installed.close();
  EXPECT_EQ(locateInfoPlist(bin), dir.filePath("share/vizovi-vevo/Info.plist"));

  QFile beside(dir.filePath("bin/Info.plist"));
  ASSERT_TRUE(beside.open(QIODevice::WriteOnly));
  beside.close();
  EXPECT_EQ(locateInfoPlist(bin), dir.filePath("bin/Info.plist"));
}

TEST(PlistDemoSetting, TheShippedListLeavesDemoOff) {
  QFile shipped(QStringLiteral(VV_SOURCE_DIR "/data/Info.plist"));
  ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
  const QByteArray document = shipped.readAll();
  EXPECT_FALSE(demo(document));
  EXPECT_TRUE(document.contains("<key>HalvaneVizoviVevoDemo</key>"));
}

}  // namespace
}  // namespace vv
