#pragma once

// The task manager's pictures, drawn here at run time in one flat style:
// the row pictures of the task list (by their image index) and the tool-bar
// and window icons.

#include <QIcon>
#include <QPixmap>

namespace rv::icons {

enum class Tool { New, Run, Stop, Properties, Delete, Pause, Resume, ViewLog, Application };

// Index 2 scheduled, 3 hotkey, 4 both, 9 neither (any other: neither).
QPixmap RowImage(int index);
QIcon ToolIcon(Tool tool);

}  // namespace rv::icons
