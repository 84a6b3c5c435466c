#include <strings.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>

#include "platform/registry.h"
#include "tools/runvanectl/command.h"

namespace rv::ctl {
namespace {

struct Start {
  Hive hive;
  std::string path;
  std::string prefix;  // printed before every key of this hive
};

Start ParseKey(const std::string& key) {
  static constexpr struct {
    const char* name;
    Hive hive;
  } kHives[] = {{"HKEY_CURRENT_USER", Hive::CurrentUser},
                {"HKCU", Hive::CurrentUser},
                {"HKEY_CLASSES_ROOT", Hive::ClassesRoot},
                {"HKCR", Hive::ClassesRoot}};
  for (const auto& entry : kHives) {
    const std::string name = entry.name;
    if (key.size() >= name.size() && strncasecmp(key.c_str(), name.c_str(), name.size()) == 0 &&
        (key.size() == name.size() || key[name.size()] == '\\')) {
      std::string rest = key.size() > name.size() ? key.substr(name.size() + 1) : "";
      return {entry.hive, rest, entry.hive == Hive::ClassesRoot ? "HKEY_CLASSES_ROOT" : ""};
    }
  }
  return {Hive::CurrentUser, key, ""};
}

std::string Join(const std::string& a, const std::string& b) {
  if (a.empty()) return b;
  if (b.empty()) return a;
  return a + "\\" + b;
}

bool Walk(Registry& store, Hive hive, const std::string& path, const std::string& prefix,
          Streams io) {
  Result<std::vector<RegistryValue>> values = store.Values(hive, path);
  if (!values) {
    io.err << "runvanectl: " << values.error() << "\n";
    return false;
  }
  const std::string shown = Join(prefix, path);
  for (const RegistryValue& value : *values) {
    io.out << Join(shown, value.name) << (value.name.empty() ? "\\" : "") << " = ";
    if (value.type == ValueType::Integer) {
      io.out << "integer:" << value.integer << "\n";
    } else {
      io.out << "string:" << value.text << "\n";
    }
  }
  Result<std::vector<std::string>> subkeys = store.SubkeyNames(hive, path);
  if (!subkeys) {
    io.err << "runvanectl: " << subkeys.error() << "\n";
    return false;
  }
  // A key without values still shows, so the tree is complete.
  if (values->empty() && subkeys->empty() && !shown.empty()) io.out << shown << "\\\n";
  for (const std::string& subkey : *subkeys) {
    if (!Walk(store, hive, Join(path, subkey), prefix, io)) return false;
  }
  return true;
}

// The path as the store spells it, whatever letter case the user typed.
std::string StoredSpelling(Registry& store, Hive hive, const std::string& path) {
  std::string stored;
  size_t start = 0;
  while (start < path.size()) {
    size_t slash = path.find('\\', start);
    if (slash == std::string::npos) slash = path.size();
    const std::string name = path.substr(start, slash - start);
    start = slash + 1;
    if (name.empty()) continue;
    std::string match = name;
    if (auto subkeys = store.SubkeyNames(hive, stored); subkeys) {
      for (const std::string& subkey : *subkeys) {
        if (strcasecmp(subkey.c_str(), name.c_str()) == 0) match = subkey;
      }
    }
    stored = Join(stored, match);
  }
  return stored;
}

}  // namespace

// KEY\NAME=integer:N or KEY\NAME=string:TEXT
int SetValue(Registry& store, const std::string& assignment, Streams io) {
  const size_t equals = assignment.find('=');
  const size_t slash = assignment.rfind('\\', equals);
  if (equals == std::string::npos || slash == std::string::npos) {
    io.err << "runvanectl: expected KEY\\NAME=integer:N or KEY\\NAME=string:TEXT, found \""
           << assignment << "\"\n";
    return 2;
  }
  const Start key = ParseKey(assignment.substr(0, slash));
  const std::string name = assignment.substr(slash + 1, equals - slash - 1);
  const std::string data = assignment.substr(equals + 1);
  Result<void> written;
  if (data.rfind("integer:", 0) == 0) {
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(data.c_str() + 8, &end, 10);
    if (data.size() == 8 || *end != '\0' || errno != 0 || value < INT32_MIN || value > INT32_MAX) {
      io.err << "runvanectl: expected a 32-bit whole number after \"integer:\", found \""
             << data.substr(8) << "\"\n";
      return 2;
    }
    written = store.WriteInteger(key.hive, key.path, name, static_cast<int32_t>(value));
  } else if (data.rfind("string:", 0) == 0) {
    written = store.WriteString(key.hive, key.path, name, data.substr(7));
  } else {
    io.err << "runvanectl: the value must start with \"integer:\" or \"string:\", found \"" << data
           << "\"\n";
    return 2;
  }
  if (!written) {
    io.err << "runvanectl: " << written.error() << "\n";
    return 1;
  }
  return 0;
}

int RegistryCommand(const Arguments& args, Streams io) {
  const bool set = !args.empty() && args[0] == "--set";
  if ((set && args.size() != 2) || (!set && args.size() > 1)) {
    io.err << "usage: runvanectl registry [KEY]\n       runvanectl registry --set "
              "KEY\\NAME=integer:N|string:TEXT\n";
    return 2;
  }
  Result<std::unique_ptr<Registry>> store = Registry::OpenDefault();
  if (!store) {
    io.err << "runvanectl: " << store.error() << "\n";
    return 1;
  }
  if (set) return SetValue(**store, args[1], io);
  const Start start = ParseKey(args.empty() ? std::string() : args[0]);
  if (!start.path.empty() && !(*store)->KeyExists(start.hive, start.path)) {
    io.err << "runvanectl: no key " << args[0] << " in the store\n";
    return 1;
  }
  return Walk(**store, start.hive, StoredSpelling(**store, start.hive, start.path), start.prefix,
              io)
             ? 0
             : 1;
}

}  // namespace rv::ctl
