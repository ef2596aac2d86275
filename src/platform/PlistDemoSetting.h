#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include "services/PlatformServices.h"

namespace vv {

inline constexpr char kDemoSettingKey[] = "HalvaneVizoviVevoDemo";

// True exactly when the property list's top-level dictionary holds `key` with the Boolean <true/>.
// Any other value type, a missing key and a document that is not well-formed all read as false.
bool plistBooleanIsTrue(const QByteArray& document, QStringView key);

// The information property list installed with the program: beside the executable in the build
// tree, under share/vizovi-vevo/ when installed. Empty when neither exists.
QString locateInfoPlist(const QString& executableDir);

// The demo setting, read from a property-list file when asked for.
class PlistDemoSetting : public DemoSetting {
 public:
  explicit PlistDemoSetting(QString path);
  bool isOn() const override;

 private:
  QString path_;
};

}  // namespace vv
