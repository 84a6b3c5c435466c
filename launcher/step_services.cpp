#include "launcher/step_services.h"

#include "launcher/step_handlers.h"
#include "platform/desktop/system_desktop.h"
#include "platform/freedesktop_trash.h"
#include "platform/linux_file_operations.h"
#include "platform/linux_shell.h"
#include "platform/network/network_clients.h"
#include "platform/network/nmcli_dial_up.h"

namespace rv {

StepServices LinuxStepServices() {
  // Process services without state: one instance each serves every run.
  // START asks the desktop to show a started program's first window as told.
  static LinuxShell shell{
      [](int pid, WindowState state) { SystemDesktop().ApplyWindowState(pid, state); }};
  static LinuxFileOperations files;
  static FreedesktopTrash trash;
  static const NetworkClients network;
  static NmcliDialUp dial_up;
  StepServices services{shell, files, trash, &network, &dial_up};
  services.desktop = &SystemDesktop();
  return services;
}

StepHandlers MakeStepHandlers() {
  return MakeStepHandlers(LinuxStepServices());
}

}  // namespace rv
