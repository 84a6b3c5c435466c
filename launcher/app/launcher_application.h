#pragma once

// The launcher's QApplication: every exception that reaches the event loop
// goes to the error file instead of ending the program.

#include <QApplication>
#include <functional>
#include <string>

namespace rv {

class LauncherApplication final : public QApplication {
 public:
  // Receives the text of each exception caught at the top.
  using ExceptionHandler = std::function<void(const std::string& text)>;

  LauncherApplication(int& argc, char** argv) : QApplication(argc, argv) {}
  void SetExceptionHandler(ExceptionHandler handler) { handler_ = std::move(handler); }

  bool notify(QObject* receiver, QEvent* event) override;

 private:
  ExceptionHandler handler_;
};

}  // namespace rv
