#pragma once

// The per-user settings store: a tree of keys with case-insensitive names,
// each holding typed values (32-bit integer or string) with case-insensitive
// names. It lives in one SQLite database (WAL mode, busy timeout), so every
// operation is atomic across processes; compound read-then-write work runs in
// Transaction(), which holds the database's write lock throughout.
//
// Key paths are written with backslashes below a hive, as the programs spell
// them: OpenKey(Hive::CurrentUser, "Software\\Brindlo\\Runvane\\IPC", ...).
// One leading and one trailing backslash are ignored; an empty key name
// inside a path is an error; "" is the hive's root. A key name may hold any
// character but the backslash. The empty value name is the key's default
// value. Names compare without regard to the case of ASCII letters only
// (other letters must match exactly).
// Reading a value as the wrong type fails, as does reading a missing one.
//
// One Registry object may be used from several threads; calls are serialized.
// It must not be used across fork(): a child process opens its own.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/result.h"

namespace rv {

enum class Hive { CurrentUser, ClassesRoot };

enum class ValueType { Integer, String };

struct RegistryValue {
  std::string name;
  ValueType type = ValueType::Integer;
  int32_t integer = 0;
  std::string text;
};

enum class CreateKey { No, Yes };

class Registry {
 public:
  // Opens (creating if needed) the store at `database_path`.
  static Result<std::unique_ptr<Registry>> Open(const std::string& database_path);
  // The store of this user (paths::RegistryDatabase()).
  static Result<std::unique_ptr<Registry>> OpenDefault();

  ~Registry();
  Registry(const Registry&) = delete;
  Registry& operator=(const Registry&) = delete;

  // Succeeds when the key exists afterwards. With CreateKey::Yes, missing keys
  // along the path are created.
  Result<void> OpenKey(Hive hive, const std::string& path, CreateKey create);
  bool KeyExists(Hive hive, const std::string& path);

  bool ValueExists(Hive hive, const std::string& key, const std::string& name);
  Result<int32_t> ReadInteger(Hive hive, const std::string& key, const std::string& name);
  Result<std::string> ReadString(Hive hive, const std::string& key, const std::string& name);
  // Writing creates the key path when missing and replaces a value of the same
  // name whatever its old type.
  Result<void> WriteInteger(Hive hive, const std::string& key, const std::string& name,
                            int32_t value);
  Result<void> WriteString(Hive hive, const std::string& key, const std::string& name,
                           const std::string& value);
  // Deleting a missing value or key fails.
  Result<void> DeleteValue(Hive hive, const std::string& key, const std::string& name);
  // Deletes the key with all its subkeys and values. A hive's root cannot be
  // deleted.
  Result<void> DeleteKey(Hive hive, const std::string& path);

  // Names in the letter case they were created with, sorted without regard
  // to case.
  Result<std::vector<std::string>> ValueNames(Hive hive, const std::string& key);
  Result<std::vector<std::string>> SubkeyNames(Hive hive, const std::string& key);
  Result<std::vector<RegistryValue>> Values(Hive hive, const std::string& key);

  // Runs `work` inside one BEGIN IMMEDIATE transaction: no other process can
  // write between its reads and its writes. Registry calls made by `work` on
  // this object join the transaction. When `work` returns an error, or
  // throws, everything it wrote is rolled back (an exception then goes on to
  // the caller). A Transaction inside `work` joins the outer one; when the
  // inner work fails only its own writes are undone. Other threads' calls
  // wait until `work` returns, so `work` must not wait for a thread that uses
  // this object.
  Result<void> Transaction(const std::function<Result<void>()>& work);

 private:
  class Impl;
  explicit Registry(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace rv
