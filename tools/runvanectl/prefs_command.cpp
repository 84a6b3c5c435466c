#include "common/preferences.h"
#include "platform/registry.h"
#include "tools/runvanectl/command.h"

namespace rv::ctl {

int PrefsCommand(const Arguments& args, Streams io) {
  Result<std::unique_ptr<Registry>> store = Registry::OpenDefault();
  if (!store) {
    io.err << "runvanectl: " << store.error() << "\n";
    return 1;
  }
  RVPreferences prefs(store->get());
  if (args.empty()) {
    for (const std::string& name : PreferenceNames()) {
      io.out << name << " = " << PreferenceText(prefs, name).value_or("") << "\n";
    }
    return 0;
  }
  for (const std::string& assignment : args) {
    const size_t equals = assignment.find('=');
    if (equals == std::string::npos) {
      io.err << "runvanectl: expected NAME=VALUE, found \"" << assignment << "\"\n";
      return 2;
    }
    if (Result<void> set =
            SetPreferenceText(prefs, assignment.substr(0, equals), assignment.substr(equals + 1));
        !set) {
      io.err << "runvanectl: " << set.error() << "\n";
      return 2;
    }
  }
  if (!prefs.Save()) {
    io.err << "runvanectl: the preferences could not be saved\n";
    return 1;
  }
  // A running launcher picks the change up at its next housekeeping tick.
  prefs.SetChangeFlag(ChangeFlag::PrefsChanged, true);
  return 0;
}

}  // namespace rv::ctl
