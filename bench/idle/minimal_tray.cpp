// The floor of the launcher's idle cost: a minimal Qt program with a tray
// icon (when a tray exists) and one timer that fires every second.

#include <QApplication>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QTimer>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::darkCyan);
  QSystemTrayIcon tray{QIcon(pixmap)};
  if (QSystemTrayIcon::isSystemTrayAvailable()) tray.show();
  int ticks = 0;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
  timer.start(1000);
  return QApplication::exec();
}
