#include "launcher/app/launcher_application.h"

#include <cstdio>
#include <exception>

#include "platform/error_file.h"

namespace rv {

bool LauncherApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    const std::string text = ExceptionText(std::current_exception());
    if (handler_) {
      handler_(text);
    } else {
      std::fprintf(stderr, "runvane: %s\n", text.c_str());
    }
  }
  return false;
}

}  // namespace rv
