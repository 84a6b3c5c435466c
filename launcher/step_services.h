#pragma once

// The platform services the step handlers work through. The launcher's host
// owns them; tests hand in fakes. The handlers keep references, so the
// services must outlive every handler table made from them.

#include "platform/file_operations.h"
#include "platform/shell.h"
#include "platform/trash.h"

namespace rv {

class Desktop;
class DialUp;
class NetworkClients;
class LogonCheck;
class MessageBox;
class ReminderDialog;
class Session;
class Sound;
namespace dde {
class Client;
}

class ScriptObjects;
struct StepServices {
  Shell& shell;
  FileOperations& files;
  Trash& trash;
  // Without them the network and dial-up steps fail, saying why.
  const NetworkClients* network = nullptr;
  DialUp* dial_up = nullptr;
  // The user's desktop. Without the dialogs MESSAGE and REMINDER log and go
  // on as without a display; without the others their steps fail, saying why.
  MessageBox* message_box = nullptr;
  ReminderDialog* reminder = nullptr;
  Sound* sound = nullptr;
  dde::Client* dde = nullptr;
  Session* session = nullptr;
  LogonCheck* logon = nullptr;
  // The desktop of FOCUS, SEND and WAIT; without it they find no window and
  // type nowhere.
  Desktop* desktop = nullptr;
  // Where SCRIPT steps get their automation objects; without it, from the
  // classes built into this program.
  ScriptObjects* script_objects = nullptr;
};

// The real services of this system, for as long as the process runs. They
// hold no state, so every thread may share them.
StepServices LinuxStepServices();

}  // namespace rv
