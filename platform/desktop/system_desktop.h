#pragma once

// The desktop of this session, for the whole process: X11 when $DISPLAY
// names a display that answers, else the headless desktop. Made on first
// use; `DesktopUnavailableReason` says why a session got the headless one.

#include <memory>
#include <string>

#include "platform/desktop/desktop.h"

namespace rv {

// A new desktop chosen by $DISPLAY; `why_headless` (may be null) is set to
// the reason when the headless one is returned.
std::unique_ptr<Desktop> MakeDesktop(std::string* why_headless = nullptr);

Desktop& SystemDesktop();
// Empty when SystemDesktop() reaches a display.
const std::string& DesktopUnavailableReason();

}  // namespace rv
