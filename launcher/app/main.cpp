// runvane, the launcher: a background program that runs the user's tasks.
// One instance per user; without a display it runs on Qt's offscreen
// platform, without a tray icon.

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <QSystemTrayIcon>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "launcher/app/event_log_form.h"
#include "launcher/app/launcher_application.h"
#include "launcher/app/main_form.h"
#include "launcher/app/qt_reminder_dialog.h"
#include "launcher/app/timer_trigger_link.h"
#include "launcher/app/win_trigger_link.h"
#include "launcher/app/window_trigger_link.h"
#include "platform/dde_client.h"
#include "platform/desktop/system_desktop.h"
#include "platform/error_file.h"
#include "platform/fake_journal_control.h"
#include "platform/named_mutex.h"
#include "platform/paths.h"
#include "platform/qt/qt_dispatcher.h"
#include "platform/qt/qt_message_box.h"
#include "platform/qt/qt_timer.h"
#include "platform/registry.h"

namespace {

// The write end of the pipe through which a termination signal reaches the
// event loop; a signal handler can touch nothing else.
int signal_pipe_write = -1;

void OnTerminationSignal(int) {
  const char byte = 1;
  [[maybe_unused]] ssize_t written = ::write(signal_pipe_write, &byte, 1);
}

bool HaveDisplay() {
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x11 != nullptr && *x11 != '\0') || (wayland != nullptr && *wayland != '\0');
}

}  // namespace

int main(int argc, char** argv) {
  rv::Result<rv::NamedMutex> mutex = rv::NamedMutex::Acquire("RunvaneMutex");
  // A second launcher never starts and says nothing.
  if (!mutex) return 0;

  // From here on a termination signal ends the launcher through its event
  // loop, also one that arrives while it is still starting.
  int signal_pipe[2];
  if (::pipe2(signal_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
    std::perror("runvane: pipe");
    return 1;
  }
  signal_pipe_write = signal_pipe[1];
  struct sigaction action {};
  action.sa_handler = OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  ::sigaction(SIGTERM, &action, nullptr);
  ::sigaction(SIGINT, &action, nullptr);

  const bool display = HaveDisplay();
  if (!display) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);

  rv::LauncherApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromLatin1(rv::TfrmMain::kCaption));
  // The event log window's closing must not end the launcher.
  QApplication::setQuitOnLastWindowClosed(false);
  const std::string error_file = rv::paths::DataDirectory() + "rverrors.log";
  app.SetExceptionHandler([error_file](const std::string& text) {
    if (!rv::AppendToErrorFile(error_file, text))
      std::fprintf(stderr, "runvane: %s\n", text.c_str());
  });

  rv::Result<std::unique_ptr<rv::Registry>> store = rv::Registry::OpenDefault();
  if (!store) {
    std::fprintf(stderr, "runvane: cannot open the settings store: %s\n", store.error().c_str());
    return 1;
  }

  rv::QtDispatcher dispatcher;
  rv::dde::SocketClient dde_client;
  rv::QtTimer check_reg;
  rv::FakeJournalControlFactory journals;
  rv::TfrmMain* form_for_log = nullptr;
  rv::QtMessageBox message_box([&form_for_log](const std::string& line, int level) {
    std::fprintf(stderr, "runvane: %s\n", line.c_str());
    if (form_for_log != nullptr) form_for_log->Logger()->LogEvent(line, level);
  });

  rv::QtReminderDialog reminder_dialog([&form_for_log](const std::string& line, int level) {
    std::fprintf(stderr, "runvane: %s\n", line.c_str());
    if (form_for_log != nullptr) form_for_log->Logger()->LogEvent(line, level);
  });
  // MESSAGE and REMINDER show their dialogs through the launcher's own.
  rv::StepServices steps = rv::LinuxStepServices();
  steps.message_box = &message_box;
  steps.reminder = &reminder_dialog;

  rv::TfrmMain form(rv::LauncherServices{
      **store,
      dispatcher,
      dde_client,
      message_box,
      check_reg,
      journals,
      rv::SystemClock::Instance(),
      [](const std::string& program) { return rv::dde::StartDetached(program); },
      [](int status) { QCoreApplication::exit(status); },
      display && QSystemTrayIcon::isSystemTrayAvailable(),
      &steps,
  });
  form_for_log = &form;
  rv::TimerTriggerLink timer_trigger(form, message_box, std::make_unique<rv::QtTimer>(),
                                     rv::SystemClock::Instance());
  form.AddTrigger(&timer_trigger);
  rv::WindowTriggerLink window_trigger(form, rv::SystemDesktop(), std::make_unique<rv::QtTimer>());
  form.AddTrigger(&window_trigger);
  rv::WinTriggerLink win_trigger(form, rv::SystemDesktop(), dispatcher);
  form.AddTrigger(&win_trigger);
  try {
    form.FormCreate();
  } catch (...) {
    const std::string text = rv::ExceptionText(std::current_exception());
    std::fprintf(stderr, "runvane: %s\n", text.c_str());
    (void)rv::AppendToErrorFile(error_file, text);
    return 1;
  }
  if (form.Terminated()) return 0;
  for (const std::string& source : win_trigger.UnavailableSources()) {
    form.Logger()->LogEvent("System events not watched in this session: " + source, 20);
  }
  if (!rv::DesktopUnavailableReason().empty()) {
    form.Logger()->LogEvent("Desktop steps and hotkeys are unavailable in this session: " +
                                rv::DesktopUnavailableReason(),
                            20);
  }

  rv::TfrmEventLog event_log(form.Preferences());
  form.SetEventLog(&event_log);

  QSocketNotifier signal_notifier(signal_pipe[0], QSocketNotifier::Read);
  QObject::connect(&signal_notifier, &QSocketNotifier::activated, [&] {
    char bytes[16];
    while (::read(signal_pipe[0], bytes, sizeof bytes) > 0) {
    }
    form.SignalShutdown();
  });

  const int status = QApplication::exec();
  form.SetEventLog(nullptr);
  form.FormClose();
  // Runs still going past the grace period must not wait on a loop that no
  // longer runs.
  dispatcher.Close();
  return status;
}
