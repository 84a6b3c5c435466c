#pragma once

// The launcher's icon ("MAINICON"), drawn at start-up so no image file has
// to ship with the program.

#include <QIcon>

namespace rv {

QIcon MakeMainIcon();

}  // namespace rv
