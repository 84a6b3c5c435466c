#include "launcher/step_services.h"

#include "launcher/step_handlers.h"
#include "platform/freedesktop_trash.h"
#include "platform/linux_file_operations.h"
#include "platform/linux_shell.h"
#include "platform/network/network_clients.h"
#include "platform/network/nmcli_dial_up.h"

namespace rv {

StepServices LinuxStepServices() {
  // Process services without state: one instance each serves every run.
  static LinuxShell shell;
  static LinuxFileOperations files;
  static FreedesktopTrash trash;
  static const NetworkClients network;
  static NmcliDialUp dial_up;
  return {shell, files, trash, &network, &dial_up};
}

StepHandlers MakeStepHandlers() {
  return MakeStepHandlers(LinuxStepServices());
}

}  // namespace rv
