#include "platform/path_limits.h"

#include <climits>

namespace rv {

static_assert(PATH_MAX == kMaxPathBytes + 1 && NAME_MAX == kMaxNameBytes);

std::string QuotePath(std::string_view path) {
  constexpr std::size_t kShown = 80;
  if (path.size() <= kShown) return "\"" + std::string(path) + "\"";
  return "\"" + std::string(path.substr(0, kShown)) + "...\" (" + std::to_string(path.size()) +
         " bytes)";
}

Result<void> CheckPathLength(std::string_view path) {
  if (path.size() > kMaxPathBytes) {
    return MakeError("the path " + QuotePath(path) + " is longer than the " +
                     std::to_string(kMaxPathBytes) + " bytes the system allows");
  }
  std::size_t start = 0;
  while (start < path.size()) {
    std::size_t slash = path.find('/', start);
    if (slash == std::string_view::npos) slash = path.size();
    if (slash - start > kMaxNameBytes) {
      return MakeError("the name " + QuotePath(path.substr(start, slash - start)) + " in " +
                       QuotePath(path) + " is longer than the " + std::to_string(kMaxNameBytes) +
                       " bytes the system allows for one name");
    }
    start = slash + 1;
  }
  return {};
}

}  // namespace rv
