#include "platform/registry.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <mutex>
#include <string_view>
#include <thread>
#include <utility>

#include "platform/paths.h"

namespace rv {
namespace {

// How long a call waits for another program's write lock before it fails.
// Settings writes are tiny, so anything near this means a stuck writer.
constexpr int kBusyTimeoutMs = 10'000;

constexpr int kSchemaVersion = 1;

// The two hive roots are fixed rows, so every key, the roots included, has an
// id that values can hang off.
constexpr sqlite3_int64 HiveRoot(Hive hive) {
  return hive == Hive::CurrentUser ? 1 : 2;
}

// Stored type codes; part of the file format.
constexpr int kTypeInteger = 1;
constexpr int kTypeString = 2;

// Names compare with SQLite's NOCASE, which folds ASCII letters only: "Übung"
// and "übung" are two names. The built-in collation keeps the file readable
// by the sqlite3 shell, which a custom collation would not.
constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS registry_keys(
  id INTEGER PRIMARY KEY,
  parent INTEGER REFERENCES registry_keys(id),
  name TEXT NOT NULL COLLATE NOCASE,
  UNIQUE(parent, name)
);
CREATE TABLE IF NOT EXISTS registry_values(
  key INTEGER NOT NULL REFERENCES registry_keys(id),
  name TEXT NOT NULL COLLATE NOCASE,
  type INTEGER NOT NULL,
  data,
  PRIMARY KEY(key, name)
) WITHOUT ROWID;
INSERT OR IGNORE INTO registry_keys(id, parent, name) VALUES
  (1, NULL, 'HKEY_CURRENT_USER'), (2, NULL, 'HKEY_CLASSES_ROOT');
)sql";

std::string Describe(Hive hive, std::string_view path) {
  if (hive == Hive::CurrentUser) {
    return path.empty() ? std::string("the current-user root") : std::string(path);
  }
  return "HKEY_CLASSES_ROOT" + (path.empty() ? std::string() : "\\" + std::string(path));
}

bool IsBusy(int code) {
  int primary = code & 0xff;
  return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

// A key path split at backslashes. One leading backslash is allowed (an
// absolute path, as the programs sometimes write it) and so is one trailing
// one; an empty name anywhere else is a mistake in the caller's path.
struct KeyPath {
  std::string_view text;  // without the outer backslashes
  std::vector<std::string_view> names;
};

std::string ValueError(Hive hive, const KeyPath& key, std::string_view name, const char* what) {
  return "registry: value \"" + std::string(name) + "\" under " + Describe(hive, key.text) + " " +
         what;
}

Result<KeyPath> ParsePath(std::string_view path) {
  KeyPath parsed;
  std::string_view rest = path;
  auto empty_name = [&] {
    return MakeError("registry: key path \"" + std::string(path) + "\" contains an empty key name");
  };
  if (!rest.empty() && rest.front() == '\\') rest.remove_prefix(1);
  if (!rest.empty() && rest.back() == '\\') {
    rest.remove_suffix(1);
    if (rest.empty()) return empty_name();
  }
  parsed.text = rest;
  while (!rest.empty()) {
    size_t slash = rest.find('\\');
    std::string_view name = rest.substr(0, slash);
    if (name.empty()) return empty_name();
    parsed.names.push_back(name);
    if (slash == std::string_view::npos) break;
    rest.remove_prefix(slash + 1);
    if (rest.empty()) return empty_name();
  }
  return parsed;
}

struct StatementDeleter {
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

struct DatabaseDeleter {
  void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using Database = std::unique_ptr<sqlite3, DatabaseDeleter>;

// One use of a prepared statement: binds, and resets it on scope exit so it
// holds no read lock and no stale bindings afterwards.
class Use {
 public:
  explicit Use(const Statement& statement) : statement_(statement.get()) {}
  ~Use() {
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
  }
  Use(const Use&) = delete;
  Use& operator=(const Use&) = delete;

  Use& Bind(int index, sqlite3_int64 value) {
    Keep(sqlite3_bind_int64(statement_, index, value));
    return *this;
  }
  Use& Bind(int index, std::string_view text) {
    // The text outlives the step: every caller's view points at its own
    // arguments. A null pointer would bind NULL, not the empty text.
    if (text.size() > static_cast<size_t>(INT_MAX)) {
      Keep(SQLITE_TOOBIG);
      return *this;
    }
    Keep(sqlite3_bind_text(statement_, index, text.data() ? text.data() : "",
                           static_cast<int>(text.size()), SQLITE_STATIC));
    return *this;
  }
  // A failed bind (a text over SQLite's size limit) fails the step instead
  // of storing NULL.
  int Step() { return bind_error_ != SQLITE_OK ? bind_error_ : sqlite3_step(statement_); }
  sqlite3_stmt* get() const { return statement_; }

 private:
  void Keep(int rc) {
    if (rc != SQLITE_OK && bind_error_ == SQLITE_OK) bind_error_ = rc;
  }

  sqlite3_stmt* statement_;
  int bind_error_ = SQLITE_OK;
};

std::string ColumnText(sqlite3_stmt* statement, int column) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
  if (text == nullptr) return std::string();
  return std::string(text, static_cast<size_t>(sqlite3_column_bytes(statement, column)));
}

}  // namespace

class Registry::Impl {
 public:
  Impl(std::string path, Database db) : path_(std::move(path)), db_(std::move(db)) {}

  Result<void> Prepare();
  Result<void> CreateSchema();

  // Runs one operation atomically. Outside a caller's transaction a write
  // takes the write lock with BEGIN IMMEDIATE and a read runs in one
  // snapshot; on a busy database the whole operation is tried again until
  // the busy timeout has passed. Inside a caller's transaction a write runs
  // in a savepoint, so a failed operation leaves no half of itself behind.
  enum class Access { Read, Write };
  template <typename T, typename Body>
  Result<T> Atomic(Access access, Body&& body);

  Result<void> RunTransaction(const std::function<Result<void>()>& work);

  // Key lookups; id 0 means missing (ids start at 1).
  Result<sqlite3_int64> FindKey(Hive hive, const KeyPath& path);
  Result<sqlite3_int64> RequireKey(Hive hive, const KeyPath& path);
  Result<sqlite3_int64> MakeKey(Hive hive, const KeyPath& path);

  Result<std::pair<int, sqlite3_int64>> FindValue(sqlite3_int64 key, std::string_view name);
  Result<void> WriteValue(Hive hive, std::string_view key, std::string_view name, int type,
                          int32_t integer, std::string_view text);

  Error SqlError(const std::string& what);
  Result<void> Exec(const Statement& statement, const char* what);

  std::recursive_mutex mutex;
  int depth = 0;  // nesting of caller transactions

  Statement find_key, insert_key, find_value, upsert_integer, upsert_text, delete_value;
  Statement delete_tree_values, delete_tree_keys, list_values, list_subkeys;
  Statement begin_read, begin_write, commit, rollback, savepoint, release, rollback_to;

 private:
  Result<Statement> Compile(const char* sql);
  Result<void> Begin(Access access, std::chrono::steady_clock::time_point deadline);
  void Rollback();

  std::string path_;
  Database db_;
  int last_code_ = SQLITE_OK;
};

Error Registry::Impl::SqlError(const std::string& what) {
  last_code_ = sqlite3_extended_errcode(db_.get());
  std::string message = "registry: " + what + ": " + sqlite3_errmsg(db_.get());
  if (IsBusy(last_code_)) {
    message += " (another program is using the store " + path_ + ")";
  } else {
    message += " (" + path_ + ")";
  }
  return MakeError(std::move(message));
}

Result<Statement> Registry::Impl::Compile(const char* sql) {
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v3(db_.get(), sql, -1, SQLITE_PREPARE_PERSISTENT, &raw, nullptr) !=
      SQLITE_OK) {
    return SqlError(std::string("cannot prepare \"") + sql + "\"");
  }
  return Statement(raw);
}

Result<void> Registry::Impl::Exec(const Statement& statement, const char* what) {
  Use use(statement);
  int rc = use.Step();
  if (rc != SQLITE_DONE && rc != SQLITE_ROW) return SqlError(what);
  return {};
}

Result<void> Registry::Impl::Prepare() {
  struct Entry {
    Statement* target;
    const char* sql;
  };
  const Entry entries[] = {
      {&find_key, "SELECT id FROM registry_keys WHERE parent = ?1 AND name = ?2"},
      {&insert_key, "INSERT INTO registry_keys(parent, name) VALUES(?1, ?2)"},
      {&find_value, "SELECT type, data FROM registry_values WHERE key = ?1 AND name = ?2"},
      // Replacing a value keeps the letter case of its first writing.
      {&upsert_integer,
       "INSERT INTO registry_values(key, name, type, data) VALUES(?1, ?2, 1, ?3) "
       "ON CONFLICT(key, name) DO UPDATE SET type = 1, data = excluded.data"},
      {&upsert_text,
       "INSERT INTO registry_values(key, name, type, data) VALUES(?1, ?2, 2, ?3) "
       "ON CONFLICT(key, name) DO UPDATE SET type = 2, data = excluded.data"},
      {&delete_value, "DELETE FROM registry_values WHERE key = ?1 AND name = ?2"},
      // `tree` is the key ?1 and every key below it.
      {&delete_tree_values,
       "WITH RECURSIVE tree(id) AS (SELECT ?1 UNION ALL SELECT k.id FROM registry_keys k "
       "JOIN tree t ON k.parent = t.id) "
       "DELETE FROM registry_values WHERE key IN (SELECT id FROM tree)"},
      {&delete_tree_keys,
       "WITH RECURSIVE tree(id) AS (SELECT ?1 UNION ALL SELECT k.id FROM registry_keys k "
       "JOIN tree t ON k.parent = t.id) "
       "DELETE FROM registry_keys WHERE id IN (SELECT id FROM tree)"},
      {&list_values, "SELECT name, type, data FROM registry_values WHERE key = ?1 ORDER BY name"},
      {&list_subkeys, "SELECT name FROM registry_keys WHERE parent = ?1 ORDER BY name"},
      {&begin_read, "BEGIN"},
      {&begin_write, "BEGIN IMMEDIATE"},
      {&commit, "COMMIT"},
      {&rollback, "ROLLBACK"},
      {&savepoint, "SAVEPOINT registry_call"},
      {&release, "RELEASE registry_call"},
      {&rollback_to, "ROLLBACK TO registry_call"},
  };
  for (const Entry& entry : entries) {
    auto compiled = Compile(entry.sql);
    if (!compiled) return MakeError(compiled.error());
    *entry.target = std::move(compiled.value());
  }
  return {};
}

Result<void> Registry::Impl::CreateSchema() {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kBusyTimeoutMs);
  for (;;) {
    // Statements are not prepared yet (their tables may not exist), so this
    // runs as plain SQL text.
    last_code_ = SQLITE_OK;
    char* message = nullptr;
    int rc = sqlite3_exec(db_.get(), "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK) rc = sqlite3_exec(db_.get(), kSchema, nullptr, nullptr, &message);
    int version = 0;
    if (rc == SQLITE_OK) {
      sqlite3_stmt* raw = nullptr;
      rc = sqlite3_prepare_v2(db_.get(), "PRAGMA user_version", -1, &raw, nullptr);
      Statement statement(raw);
      if (rc == SQLITE_OK && sqlite3_step(raw) == SQLITE_ROW) {
        version = sqlite3_column_int(raw, 0);
      } else if (rc == SQLITE_OK) {
        rc = sqlite3_errcode(db_.get());
      }
    }
    if (rc == SQLITE_OK && version > kSchemaVersion) {
      sqlite3_exec(db_.get(), "ROLLBACK", nullptr, nullptr, nullptr);
      return MakeError("registry: the store " + path_ + " was written by a newer version (format " +
                       std::to_string(version) + ")");
    }
    if (rc == SQLITE_OK && version < kSchemaVersion) {
      std::string set = "PRAGMA user_version = " + std::to_string(kSchemaVersion);
      rc = sqlite3_exec(db_.get(), set.c_str(), nullptr, nullptr, nullptr);
    }
    if (rc == SQLITE_OK) rc = sqlite3_exec(db_.get(), "COMMIT", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK) return {};
    Error error = SqlError("cannot set up the store");
    sqlite3_free(message);
    if (!sqlite3_get_autocommit(db_.get())) {
      sqlite3_exec(db_.get(), "ROLLBACK", nullptr, nullptr, nullptr);
    }
    if (!IsBusy(rc) || std::chrono::steady_clock::now() >= deadline) return error;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

Result<void> Registry::Impl::Begin(Access access, std::chrono::steady_clock::time_point deadline) {
  const Statement& statement = access == Access::Write ? begin_write : begin_read;
  for (;;) {
    auto begun = Exec(statement, "cannot start a transaction");
    if (begun || !IsBusy(last_code_) || std::chrono::steady_clock::now() >= deadline) {
      return begun;
    }
    // The busy handler already waited where SQLite lets it; what comes back
    // busy at once (a snapshot or WAL recovery conflict) is worth a retry.
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

void Registry::Impl::Rollback() {
  if (sqlite3_get_autocommit(db_.get())) return;  // SQLite already rolled back
  Use use(rollback);
  use.Step();
}

template <typename T, typename Body>
Result<T> Registry::Impl::Atomic(Access access, Body&& body) {
  if (depth > 0) {
    // After SQLite aborted the caller's transaction (a full disk, an I/O
    // error), going on would commit each later call on its own.
    if (sqlite3_get_autocommit(db_.get())) {
      return MakeError("registry: the transaction was rolled back after an earlier error (" +
                       path_ + ")");
    }
    if (access == Access::Read) return body();
    if (auto saved = Exec(savepoint, "cannot start a savepoint"); !saved) {
      return MakeError(saved.error());
    }
    // Rolls the savepoint back unless the body finished; an exception from
    // the body also lands here.
    struct Guard {
      Impl& impl;
      bool keep = false;
      ~Guard() {
        if (!keep && !sqlite3_get_autocommit(impl.db_.get())) {
          Use(impl.rollback_to).Step();
        }
        if (!sqlite3_get_autocommit(impl.db_.get())) Use(impl.release).Step();
      }
    } guard{*this};
    Result<T> result = body();
    guard.keep = result.ok();
    return result;
  }

  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kBusyTimeoutMs);
  for (;;) {
    last_code_ = SQLITE_OK;
    if (auto begun = Begin(access, deadline); !begun) return MakeError(begun.error());
    struct Guard {
      Impl& impl;
      ~Guard() { impl.Rollback(); }
    } guard{*this};
    Result<T> result = body();
    if (result.ok()) {
      if (auto committed = Exec(commit, "cannot commit"); !committed) {
        result = MakeError(committed.error());
      }
    }
    if (result.ok() || !IsBusy(last_code_) || std::chrono::steady_clock::now() >= deadline) {
      return result;
    }
  }
}

Result<void> Registry::Impl::RunTransaction(const std::function<Result<void>()>& work) {
  if (depth > 0) {
    // Joins the caller's transaction; a savepoint lets this part fail alone.
    return Atomic<void>(Access::Write, [&]() -> Result<void> {
      ++depth;
      struct Depth {
        int& depth;
        ~Depth() { --depth; }
      } restore{depth};
      return work();
    });
  }
  // `work` is the caller's and may have effects outside the store, so it is
  // never run twice: only taking the lock is retried.
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kBusyTimeoutMs);
  if (auto begun = Begin(Access::Write, deadline); !begun) return begun;
  struct Guard {
    Impl& impl;
    ~Guard() {
      impl.Rollback();
      impl.depth = 0;
    }
  } guard{*this};
  depth = 1;
  Result<void> result = work();
  if (result.ok()) result = Exec(commit, "cannot commit");
  return result;
}

Result<sqlite3_int64> Registry::Impl::FindKey(Hive hive, const KeyPath& path) {
  sqlite3_int64 id = HiveRoot(hive);
  for (std::string_view name : path.names) {
    Use use(find_key);
    use.Bind(1, id).Bind(2, name);
    int rc = use.Step();
    if (rc == SQLITE_DONE) return sqlite3_int64{0};
    if (rc != SQLITE_ROW) return SqlError("cannot read key " + Describe(hive, path.text));
    id = sqlite3_column_int64(use.get(), 0);
  }
  return id;
}

Result<sqlite3_int64> Registry::Impl::RequireKey(Hive hive, const KeyPath& path) {
  auto id = FindKey(hive, path);
  if (id && *id == 0) {
    return MakeError("registry: key " + Describe(hive, path.text) + " does not exist");
  }
  return id;
}

Result<sqlite3_int64> Registry::Impl::MakeKey(Hive hive, const KeyPath& path) {
  sqlite3_int64 id = HiveRoot(hive);
  for (std::string_view name : path.names) {
    sqlite3_int64 child = 0;
    {
      Use use(find_key);
      use.Bind(1, id).Bind(2, name);
      int rc = use.Step();
      if (rc == SQLITE_ROW) {
        child = sqlite3_column_int64(use.get(), 0);
      } else if (rc != SQLITE_DONE) {
        return SqlError("cannot read key " + Describe(hive, path.text));
      }
    }
    if (child == 0) {
      Use use(insert_key);
      use.Bind(1, id).Bind(2, name);
      if (use.Step() != SQLITE_DONE) {
        return SqlError("cannot create key " + Describe(hive, path.text));
      }
      child = sqlite3_last_insert_rowid(db_.get());
    }
    id = child;
  }
  return id;
}

// The value's type code (0: missing) and its number when it is an integer;
// ReadString steps the statement itself to take the text.
Result<std::pair<int, sqlite3_int64>> Registry::Impl::FindValue(sqlite3_int64 key,
                                                                std::string_view name) {
  Use use(find_value);
  use.Bind(1, key).Bind(2, name);
  int rc = use.Step();
  if (rc == SQLITE_DONE) return std::pair<int, sqlite3_int64>{0, 0};
  if (rc != SQLITE_ROW) return SqlError("cannot read value \"" + std::string(name) + "\"");
  return std::pair<int, sqlite3_int64>{sqlite3_column_int(use.get(), 0),
                                       sqlite3_column_int64(use.get(), 1)};
}

Result<void> Registry::Impl::WriteValue(Hive hive, std::string_view key, std::string_view name,
                                        int type, int32_t integer, std::string_view text) {
  auto path = ParsePath(key);
  if (!path) return MakeError(path.error());
  return Atomic<void>(Access::Write, [&]() -> Result<void> {
    auto id = MakeKey(hive, *path);
    if (!id) return MakeError(id.error());
    Use use(type == kTypeInteger ? upsert_integer : upsert_text);
    use.Bind(1, *id).Bind(2, name);
    if (type == kTypeInteger) {
      use.Bind(3, sqlite3_int64{integer});
    } else {
      use.Bind(3, text);
    }
    if (use.Step() != SQLITE_DONE) {
      return SqlError("cannot write value \"" + std::string(name) + "\" under " +
                      Describe(hive, path->text));
    }
    return {};
  });
}

Result<std::unique_ptr<Registry>> Registry::Open(const std::string& database_path) {
  // The store holds the user's settings: create it private, and tighten a
  // file that someone made readable to others. SQLite gives its -wal and
  // -shm files the mode of the database file.
  int fd = ::open(database_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) {
    return MakeError("registry: cannot open the store " + database_path + ": " +
                     std::strerror(errno));
  }
  struct stat info {};
  if (::fstat(fd, &info) == 0 && (info.st_mode & 077) != 0) ::fchmod(fd, 0600);
  ::close(fd);

  sqlite3* raw = nullptr;
  int rc =
      sqlite3_open_v2(database_path.c_str(), &raw,
                      SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
  Database db(raw);
  if (rc != SQLITE_OK) {
    return MakeError("registry: cannot open the store " + database_path + ": " +
                     (raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc)));
  }
  sqlite3_extended_result_codes(raw, 1);
  sqlite3_busy_timeout(raw, kBusyTimeoutMs);

  // WAL lets readers go on while one program writes. NORMAL sync is safe
  // with WAL: a power cut may lose the last writes, never the file.
  // Switching a new file to WAL needs a moment alone with it; programs that
  // start together may meet here.
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kBusyTimeoutMs);
  char* message = nullptr;
  for (;;) {
    rc = sqlite3_exec(raw, "PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL", nullptr,
                      nullptr, &message);
    if (!IsBusy(rc) || std::chrono::steady_clock::now() >= deadline) break;
    sqlite3_free(message);
    message = nullptr;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (rc != SQLITE_OK) {
    std::string text = message ? message : sqlite3_errmsg(raw);
    sqlite3_free(message);
    return MakeError("registry: cannot open the store " + database_path + ": " + text);
  }

  auto impl = std::make_unique<Impl>(database_path, std::move(db));
  if (auto made = impl->CreateSchema(); !made) return MakeError(made.error());
  if (auto prepared = impl->Prepare(); !prepared) return MakeError(prepared.error());
  return std::unique_ptr<Registry>(new Registry(std::move(impl)));
}

Result<std::unique_ptr<Registry>> Registry::OpenDefault() {
  return Open(paths::RegistryDatabase());
}

Registry::Registry(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Registry::~Registry() = default;

Result<void> Registry::OpenKey(Hive hive, const std::string& path, CreateKey create) {
  std::lock_guard lock(impl_->mutex);
  auto parsed = ParsePath(path);
  if (!parsed) return MakeError(parsed.error());
  if (create == CreateKey::Yes) {
    return impl_->Atomic<void>(Impl::Access::Write, [&]() -> Result<void> {
      auto id = impl_->MakeKey(hive, *parsed);
      if (!id) return MakeError(id.error());
      return {};
    });
  }
  return impl_->Atomic<void>(Impl::Access::Read, [&]() -> Result<void> {
    auto id = impl_->RequireKey(hive, *parsed);
    if (!id) return MakeError(id.error());
    return {};
  });
}

bool Registry::KeyExists(Hive hive, const std::string& path) {
  return OpenKey(hive, path, CreateKey::No).ok();
}

bool Registry::ValueExists(Hive hive, const std::string& key, const std::string& name) {
  std::lock_guard lock(impl_->mutex);
  auto parsed = ParsePath(key);
  if (!parsed) return false;
  auto found = impl_->Atomic<bool>(Impl::Access::Read, [&]() -> Result<bool> {
    auto id = impl_->FindKey(hive, *parsed);
    if (!id) return MakeError(id.error());
    if (*id == 0) return false;
    auto value = impl_->FindValue(*id, name);
    if (!value) return MakeError(value.error());
    return value->first != 0;
  });
  return found.ok() && *found;
}

Result<int32_t> Registry::ReadInteger(Hive hive, const std::string& key, const std::string& name) {
  std::lock_guard lock(impl_->mutex);
  auto parsed = ParsePath(key);
  if (!parsed) return MakeError(parsed.error());
  return impl_->Atomic<int32_t>(Impl::Access::Read, [&]() -> Result<int32_t> {
    auto id = impl_->RequireKey(hive, *parsed);
    if (!id) return MakeError(id.error());
    auto value = impl_->FindValue(*id, name);
    if (!value) return MakeError(value.error());
    if (value->first == 0) return MakeError(ValueError(hive, *parsed, name, "does not exist"));
    if (value->first != kTypeInteger) {
      return MakeError(ValueError(hive, *parsed, name, "is a string, not an integer"));
    }
    return static_cast<int32_t>(value->second);
  });
}

Result<std::string> Registry::ReadString(Hive hive, const std::string& key,
                                         const std::string& name) {
  std::lock_guard lock(impl_->mutex);
  auto parsed = ParsePath(key);
  if (!parsed) return MakeError(parsed.error());
  return impl_->Atomic<std::string>(Impl::Access::Read, [&]() -> Result<std::string> {
    auto id = impl_->RequireKey(hive, *parsed);
    if (!id) return MakeError(id.error());
    Use use(impl_->find_value);
    use.Bind(1, *id).Bind(2, name);
    int rc = use.Step();
    if (rc == SQLITE_DONE) return MakeError(ValueError(hive, *parsed, name, "does not exist"));
    if (rc != SQLITE_ROW) return impl_->SqlError("cannot read value \"" + name + "\"");
    if (sqlite3_column_int(use.get(), 0) != kTypeString) {
      return MakeError(ValueError(hive, *parsed, name, "is an integer, not a string"));
    }
    return ColumnText(use.get(), 1);
  });
}

Result<void> Registry::WriteInteger(Hive hive, const std::string& key, const std::string& name,
                                    int32_t value) {
  std::lock_guard lock(impl_->mutex);
  return impl_->WriteValue(hive, key, name, kTypeInteger, value, {});
}

Result<void> Registry::WriteString(Hive hive, const std::string& key, const std::string& name,
                                   const std::string& value) {
  std::lock_guard lock(impl_->mutex);
  return impl_->WriteValue(hive, key, name, kTypeString, 0, value);
}

Result<void> Registry::DeleteValue(Hive hive, const std::string& key, const std::string& name) {
  std::lock_guard lock(impl_->mutex);
  auto parsed = ParsePath(key);
  if (!parsed) return MakeError(parsed.error());
  return impl_->Atomic<void>(Impl::Access::Write, [&]() -> Result<void> {
    auto id = impl_->RequireKey(hive, *parsed);
    if (!id) return MakeError(id.error());
    Use use(impl_->delete_value);
    use.Bind(1, *id).Bind(2, name);
    if (use.Step() != SQLITE_DONE) {
      return impl_->SqlError("cannot delete value \"" + name + "\" under " +
                             Describe(hive, parsed->text));
    }
    if (sqlite3_changes(sqlite3_db_handle(use.get())) == 0) {
      return MakeError(ValueError(hive, *parsed, name, "does not exist"));
    }
    return {};
  });
}

Result<void> Registry::DeleteKey(Hive hive, const std::string& path) {
  std::lock_guard lock(impl_->mutex);
  auto parsed = ParsePath(path);
  if (!parsed) return MakeError(parsed.error());
  if (parsed->names.empty()) {
    return MakeError("registry: " + Describe(hive, "") + " cannot be deleted");
  }
  return impl_->Atomic<void>(Impl::Access::Write, [&]() -> Result<void> {
    auto id = impl_->RequireKey(hive, *parsed);
    if (!id) return MakeError(id.error());
    for (const Statement* statement : {&impl_->delete_tree_values, &impl_->delete_tree_keys}) {
      Use use(*statement);
      use.Bind(1, *id);
      if (use.Step() != SQLITE_DONE) {
        return impl_->SqlError("cannot delete key " + Describe(hive, parsed->text));
      }
    }
    return {};
  });
}

Result<std::vector<std::string>> Registry::ValueNames(Hive hive, const std::string& key) {
  auto values = Values(hive, key);
  if (!values) return MakeError(values.error());
  std::vector<std::string> names;
  names.reserve(values->size());
  for (RegistryValue& value : *values)
    names.push_back(std::move(value.name));
  return names;
}

Result<std::vector<std::string>> Registry::SubkeyNames(Hive hive, const std::string& key) {
  std::lock_guard lock(impl_->mutex);
  auto parsed = ParsePath(key);
  if (!parsed) return MakeError(parsed.error());
  using Names = std::vector<std::string>;
  return impl_->Atomic<Names>(Impl::Access::Read, [&]() -> Result<Names> {
    auto id = impl_->RequireKey(hive, *parsed);
    if (!id) return MakeError(id.error());
    Names names;
    Use use(impl_->list_subkeys);
    use.Bind(1, *id);
    int rc;
    while ((rc = use.Step()) == SQLITE_ROW)
      names.push_back(ColumnText(use.get(), 0));
    if (rc != SQLITE_DONE) {
      return impl_->SqlError("cannot list the subkeys of " + Describe(hive, parsed->text));
    }
    return names;
  });
}

Result<std::vector<RegistryValue>> Registry::Values(Hive hive, const std::string& key) {
  std::lock_guard lock(impl_->mutex);
  auto parsed = ParsePath(key);
  if (!parsed) return MakeError(parsed.error());
  using List = std::vector<RegistryValue>;
  return impl_->Atomic<List>(Impl::Access::Read, [&]() -> Result<List> {
    auto id = impl_->RequireKey(hive, *parsed);
    if (!id) return MakeError(id.error());
    List values;
    Use use(impl_->list_values);
    use.Bind(1, *id);
    int rc;
    while ((rc = use.Step()) == SQLITE_ROW) {
      RegistryValue value;
      value.name = ColumnText(use.get(), 0);
      if (sqlite3_column_int(use.get(), 1) == kTypeInteger) {
        value.type = ValueType::Integer;
        value.integer = static_cast<int32_t>(sqlite3_column_int64(use.get(), 2));
      } else {
        value.type = ValueType::String;
        value.text = ColumnText(use.get(), 2);
      }
      values.push_back(std::move(value));
    }
    if (rc != SQLITE_DONE) {
      return impl_->SqlError("cannot list the values of " + Describe(hive, parsed->text));
    }
    return values;
  });
}

Result<void> Registry::Transaction(const std::function<Result<void>()>& work) {
  std::lock_guard lock(impl_->mutex);
  return impl_->RunTransaction(work);
}

}  // namespace rv
