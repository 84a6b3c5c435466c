#pragma once

// Where Runvane keeps its files. RUNVANE_HOME, when set, puts everything
// under one folder (tests set it to a fresh folder each); otherwise the
// freedesktop directories are used.

#include <string>

namespace rv::paths {

// The data directory, with a trailing slash, created on first use: the task
// file, the log, the legacy script and the mail body files live here.
std::string DataDirectory();

// The per-user store database file (its folder is created on first use).
std::string RegistryDatabase();

// The runtime directory, mode 0700, with a trailing slash: mutex files and
// DDE sockets.
std::string RuntimeDirectory();

// The directory of the running program, with a trailing slash; sibling
// programs are started from here.
std::string ExecutableDirectory();

// mkdir -p with the given mode for directories it creates. True when the
// directory exists afterwards.
bool MakeDirectories(const std::string& path, unsigned mode = 0755);

}  // namespace rv::paths
