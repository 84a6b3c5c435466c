#pragma once

// The task manager's application object: every exception that escapes an
// event handler ends here, and goes to "rverr.rve" in the data directory
// instead of to the user (conversion errors of dialog pages are dropped).
// Only when that file cannot be written is the exception shown.

#include <QApplication>
#include <exception>
#include <string>

namespace rv {

class SettingsApplication final : public QApplication {
 public:
  SettingsApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;

  static std::string ErrorFilePath();
  static void ReportException(std::exception_ptr error);
};

}  // namespace rv
