#pragma once

#include <QObject>
#include <functional>

class QScreen;

namespace vv {

// Runs the callback whenever the configuration of the screens changes while it exists: a screen
// added or removed, another primary screen, or a screen's geometry changed.
class ScreenChangeObserver : public QObject {
  Q_OBJECT

 public:
  // Needs a running QGuiApplication.
  ScreenChangeObserver(std::function<void()> onChange, QObject* parent = nullptr);

 private:
  void watchGeometry(QScreen* screen);
  void changed();

  std::function<void()> onChange_;
};

}  // namespace vv
