#include "platform/desktop/desktop.h"

namespace rv {

namespace {
char FoldCase(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
}  // namespace

bool SameWindowText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  return true;
}

std::optional<DesktopWindow> Desktop::FindWindow(std::string_view title,
                                                 std::string_view window_class) {
  for (DesktopWindow& window : TopLevelWindows()) {
    if (!title.empty() && !SameWindowText(window.title, title)) continue;
    if (!window_class.empty() && !SameWindowText(window.window_class, window_class)) continue;
    return std::move(window);
  }
  return std::nullopt;
}

}  // namespace rv
