#include "platform/qt/display.h"

#include <QGuiApplication>
#include <QString>

namespace rv {

bool HasDisplay() {
  if (QGuiApplication::instance() == nullptr) return false;
  const QString platform = QGuiApplication::platformName();
  return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

}  // namespace rv
