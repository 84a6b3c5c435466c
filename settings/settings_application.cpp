#include "settings/settings_application.h"

#include <QMessageBox>

#include "platform/paths.h"
#include "settings/error_file.h"

namespace rv {

SettingsApplication::SettingsApplication(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName("Runvane4 Settings");
  setApplicationDisplayName("Runvane4 Settings");
}

bool SettingsApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    ReportException(std::current_exception());
    return false;
  }
}

std::string SettingsApplication::ErrorFilePath() {
  return paths::DataDirectory() + "rverr.rve";
}

void SettingsApplication::ReportException(std::exception_ptr error) {
  if (HandleException(error, ErrorFilePath()) == ErrorHandling::NotWritten) {
    QMessageBox::critical(nullptr, "Runvane4 Settings",
                          QString::fromStdString(SettingsExceptionText(error)));
  }
}

}  // namespace rv
