#pragma once

// The one QApplication of a test process, on Qt's offscreen platform (the
// test main has removed DISPLAY already).

#include <QApplication>
#include <QByteArray>

namespace rv::testing {

inline QApplication& TestApplication() {
  static int argc = 1;
  static char name[] = "runvane-test";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return new QApplication(argc, argv);
  }();
  return *app;
}

}  // namespace rv::testing
