#include "launcher/step_services.h"

#include "launcher/step_handlers.h"
#include "platform/freedesktop_trash.h"
#include "platform/linux_file_operations.h"
#include "platform/linux_shell.h"

namespace rv {

StepServices LinuxStepServices() {
  // Process services without state: one instance each serves every run.
  static LinuxShell shell;
  static LinuxFileOperations files;
  static FreedesktopTrash trash;
  return {shell, files, trash};
}

StepHandlers MakeStepHandlers() {
  return MakeStepHandlers(LinuxStepServices());
}

}  // namespace rv
