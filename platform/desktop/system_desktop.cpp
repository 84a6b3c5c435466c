#include "platform/desktop/system_desktop.h"

#include <cstdlib>

#include "platform/desktop/desktop_headless.h"
#include "platform/desktop/desktop_x11.h"

namespace rv {

std::unique_ptr<Desktop> MakeDesktop(std::string* why_headless) {
  const char* display = std::getenv("DISPLAY");
  std::string reason;
  if (display == nullptr || *display == '\0') {
    reason = std::getenv("WAYLAND_DISPLAY") != nullptr
                 ? "this Wayland session has no X display ($DISPLAY is not set)"
                 : "there is no display ($DISPLAY is not set)";
  } else if (Result<std::unique_ptr<X11Desktop>> x11 = X11Desktop::Open(); x11) {
    return std::move(*x11);
  } else {
    reason = x11.error();
  }
  if (why_headless != nullptr) *why_headless = reason;
  return std::make_unique<HeadlessDesktop>();
}

namespace {
struct ProcessDesktop {
  std::string reason;
  std::unique_ptr<Desktop> desktop = MakeDesktop(&reason);
};
ProcessDesktop& Instance() {
  // A true process service: one display connection serves every thread.
  static ProcessDesktop instance;
  return instance;
}
}  // namespace

Desktop& SystemDesktop() {
  return *Instance().desktop;
}

const std::string& DesktopUnavailableReason() {
  return Instance().reason;
}

}  // namespace rv
