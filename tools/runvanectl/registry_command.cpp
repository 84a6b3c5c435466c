#include <strings.h>

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

int RegistryCommand(const Arguments& args, Streams io) {
  if (args.size() > 1) {
    io.err << "usage: runvanectl registry [KEY]\n";
    return 2;
  }
  Result<std::unique_ptr<Registry>> store = Registry::OpenDefault();
  if (!store) {
    io.err << "runvanectl: " << store.error() << "\n";
    return 1;
  }
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
