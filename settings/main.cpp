// settings, the task manager.
//
// Options for measuring and for the documentation's pictures:
//   --startup-time          print the milliseconds from start to the shown
//                           main window, then end
//   --screenshot FILE.png   save a picture of the main window, then end

#include <QScreen>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "platform/dde_client.h"
#include "platform/named_mutex.h"
#include "platform/paths.h"
#include "platform/qt/qt_dispatcher.h"
#include "platform/qt/qt_message_box.h"
#include "platform/qt/qt_timer.h"
#include "platform/registry.h"
#include "settings/keyboard_layout.h"
#include "settings/qt_services.h"
#include "settings/settings_application.h"
#include "settings/settings_form.h"

int main(int argc, char** argv) {
  const auto started = std::chrono::steady_clock::now();
  bool report_startup = false;
  const char* screenshot = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--startup-time") == 0) report_startup = true;
    if (std::strcmp(argv[i], "--screenshot") == 0 && i + 1 < argc) screenshot = argv[++i];
  }

  // One task manager per session; a second one ends without a word.
  rv::Result<rv::NamedMutex> instance = rv::NamedMutex::Acquire("RunvaneSettingsMutex");
  if (!instance) return 0;

  rv::SettingsApplication app(argc, argv);
  rv::Result<std::unique_ptr<rv::Registry>> store = rv::Registry::OpenDefault();
  if (!store) {
    std::cerr << "settings: " << store.error() << "\n";
    return 1;
  }

  try {
    rv::dde::SocketClient dde;
    rv::QtMessageBox messages([](const std::string& line, int) { std::cerr << line << "\n"; });
    rv::QtFileDialogs dialogs;
    rv::QtProgramStarter starter;
    rv::UsKeyboardLayout layout;
    rv::QtTimer scan_timer;
    rv::QtDispatcher dispatcher;

    rv::SettingsServices services;
    services.store = store->get();
    services.dde = &dde;
    services.messages = &messages;
    services.dialogs = &dialogs;
    services.starter = &starter;
    services.layout = &layout;
    services.scan_timer = &scan_timer;
    services.dispatcher = &dispatcher;
    services.program_directory = rv::paths::ExecutableDirectory();
    services.help_directory = rv::paths::ExecutableDirectory() + "help/";

    rv::TfrmSettings form(std::move(services));
    QObject::connect(&form, &rv::TfrmSettings::shutdownRequested, &app, &QApplication::quit,
                     Qt::QueuedConnection);
    if (!form.FormCreate()) return 0;
    form.show();

    if (report_startup || screenshot != nullptr) {
      QTimer::singleShot(0, &form, [&] {
        if (report_startup) {
          const auto shown = std::chrono::steady_clock::now();
          std::printf("%.1f\n", std::chrono::duration<double, std::milli>(shown - started).count());
          std::fflush(stdout);
        }
        if (screenshot != nullptr) form.grab().save(QString::fromLocal8Bit(screenshot));
        form.close();
      });
    }
    const int status = app.exec();
    dispatcher.Close();
    return status;
  } catch (...) {
    rv::SettingsApplication::ReportException(std::current_exception());
    return 1;
  }
}
