#pragma once

// Wildcards of the file steps: "*" matches any run of characters (none
// included) and "?" exactly one; every other character matches itself, case
// counting, so "[" and "\" are plain characters. "*.*" matches every name,
// also one without a dot, as users of such patterns expect.

#include <string_view>

namespace rv {

bool HasWildcards(std::string_view text);

bool MatchesWildcard(std::string_view pattern, std::string_view name);

}  // namespace rv
