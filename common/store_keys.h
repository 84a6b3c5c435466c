#pragma once

// Where both programs keep their shared state in the per-user store.

namespace rv::store_keys {

inline constexpr const char* kRunvane = "Software\\Brindlo\\Runvane";
inline constexpr const char* kIpc = "Software\\Brindlo\\Runvane\\IPC";
inline constexpr const char* kRunning = "Software\\Brindlo\\Runvane\\Running";
inline constexpr const char* kFileLocked = "FileLocked";

}  // namespace rv::store_keys
