#pragma once

// The ordered tasks of one task file. Records are shared: Clear() and a
// reload drop the list's references, but a record handed to a running
// interpreter stays valid for as long as that thread holds it.
//
// Every change follows one sequence: LockFile (which re-reads the file),
// IndexOfName, change the record, SaveToFile, set the other program's change
// flag, UnlockFile.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/clock.h"
#include "common/task.h"
#include "platform/result.h"

namespace rv {

class Registry;

// What a program does when the task file cannot be opened or created: the
// launcher tells the user, starts the task manager and ends. The core only
// reports the path.
class TaskFileHost {
 public:
  virtual ~TaskFileHost() = default;
  virtual void CannotOpenTaskFile(const std::string& path) = 0;
};

class RVTaskList {
 public:
  // `store` holds the task-file lock; without one, LockFile always fails.
  explicit RVTaskList(std::string file_name = {}, Registry* store = nullptr,
                      const Clock& clock = SystemClock::Instance());
  RVTaskList(const RVTaskList&) = delete;
  RVTaskList& operator=(const RVTaskList&) = delete;

  std::string FileName;

  int32_t Count() const { return static_cast<int32_t>(tasks_.size()); }
  std::shared_ptr<RVTask> Head() const;
  std::shared_ptr<RVTask> Tail() const;

  // A new default record appended at the end, owned by this list.
  std::shared_ptr<RVTask> Add();
  // The record at `index` (0..Count()-1; the caller ensures it).
  std::shared_ptr<RVTask> Item(int32_t index) const;
  // First index whose TaskName equals `name` exactly, or -1.
  int32_t IndexOfName(const std::string& name) const;
  std::shared_ptr<RVTask> FindByName(const std::string& name) const;
  // Unlinks the record; false when it is not in this list.
  bool Remove(const RVTask* task);
  // Empties the list. Records stay alive for whoever still holds them.
  void Clear();
  // Every field of `source` into `target`, Owner excepted.
  static void CopyTask(const RVTask& source, RVTask& target) { CopyTaskFields(source, target); }

  // Writes every record to FileName, replacing the file atomically. Refused
  // when the list holds the remains of a failed load, which would otherwise
  // delete every task after the bad record.
  Result<void> SaveToFile() const;
  // Appends the records of FileName. A missing file is created empty; when
  // that fails, the host is told and the error returned. A record that does
  // not parse stops the load with an error naming the file and line; the
  // records before it stay, the half-read one does not.
  Result<void> LoadFromFile();
  static bool IsValidTaskFile(const std::string& path);

  // Takes the task-file lock and re-reads the file into the list. Returns
  // `mode` on success and -1 when the lock stays busy (about 0.9 s) or the
  // file does not load; then the list is unchanged, the lock is left free and
  // LastError() says why.
  int32_t LockFile(int32_t mode);
  void UnlockFile();
  const std::string& LastError() const { return last_error_; }

  // True after a load that stopped at a bad record, until Clear().
  bool LoadFailed() const { return load_failed_; }

  void SetHost(TaskFileHost* host) { host_ = host; }
  Registry* Store() const { return store_; }
  const Clock& clock() const { return *clock_; }

 private:
  std::vector<std::shared_ptr<RVTask>> tasks_;
  Registry* store_;
  const Clock* clock_;
  TaskFileHost* host_ = nullptr;
  bool load_failed_ = false;
  std::string last_error_;
};

}  // namespace rv
