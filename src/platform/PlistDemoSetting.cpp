#include "platform/PlistDemoSetting.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>
#include <utility>

namespace vv {
namespace {

// Moves the reader to the next start element among the current element's children; false at
// the element's end or at an error.
bool nextChild(QXmlStreamReader& reader) { return reader.readNextStartElement(); }

bool readTopLevelDict(QXmlStreamReader& reader, QStringView key) {
  bool found = false;
  bool expectValue = false;
  bool valueIsTrue = false;
  while (nextChild(reader)) {
    if (!expectValue && reader.name() == QLatin1String("key")) {
      expectValue = reader.readElementText() == key;
      continue;
    }
    if (expectValue && !found) {
      found = true;
      valueIsTrue = reader.name() == QLatin1String("true");
    }
    expectValue = false;
    reader.skipCurrentElement();
  }
  return valueIsTrue;
}

}  // namespace

bool plistBooleanIsTrue(const QByteArray& document, QStringView key) {
  QXmlStreamReader reader(document);
  bool result = false;
  if (nextChild(reader) && reader.name() == QLatin1String("plist")) {
    if (nextChild(reader) && reader.name() == QLatin1String("dict")) {
      result = readTopLevelDict(reader, key);
    }
  }
  // Read to the end so that a document broken after the key still counts as malformed.
  while (!reader.atEnd()) {
    reader.readNext();
  }
  return result && !reader.hasError();
}

QString locateInfoPlist(const QString& executableDir) {
  const QDir dir(executableDir);
  for (const QString& candidate :
       {dir.filePath(QStringLiteral("Info.plist")),
        dir.filePath(QStringLiteral("../share/vizovi-vevo/Info.plist"))}) {
    if (QFileInfo(candidate).isFile()) {
      return QDir::cleanPath(candidate);
    }
  }
  return QString();
}

PlistDemoSetting::PlistDemoSetting(QString path) : path_(std::move(path)) {}

bool PlistDemoSetting::isOn() const {
  if (path_.isEmpty()) {
    return false;
  }
  QFile file(path_);
  if (!file.open(QIODevice::ReadOnly)) {
    return false;
  }
  return plistBooleanIsTrue(file.readAll(), QString::fromLatin1(kDemoSettingKey));
}

}  // namespace vv
