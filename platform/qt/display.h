#pragma once

// Whether a person can see this program's windows: false on Qt's offscreen
// and minimal platforms, which the programs use when there is no display.

namespace rv {

bool HasDisplay();

}  // namespace rv
