#include "launcher/step_services.h"

#include "launcher/step_handlers.h"
#include "platform/dde_client.h"
#include "platform/desktop/system_desktop.h"
#include "platform/freedesktop_trash.h"
#include "platform/linux_file_operations.h"
#include "platform/linux_session.h"
#include "platform/linux_shell.h"
#include "platform/network/network_clients.h"
#include "platform/network/nmcli_dial_up.h"
#include "platform/pam_logon_check.h"
#include "platform/pulse_sound.h"

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
  // One player for the process: a mode-2 SOUND stops what any task started.
  static PulseSound sound;
  static dde::SocketClient dde;
  static LinuxSession session;
  static PamLogonCheck logon;
  StepServices services{shell, files, trash, &network, &dial_up};
  services.desktop = &SystemDesktop();
  services.sound = &sound;
  services.dde = &dde;
  services.session = &session;
  services.logon = &logon;
  return services;
}

StepHandlers MakeStepHandlers() {
  return MakeStepHandlers(LinuxStepServices());
}

}  // namespace rv
