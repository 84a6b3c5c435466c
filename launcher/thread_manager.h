#pragma once

// The interpreter threads of the launcher, by task name, in the order they
// were started. "KILL: " finds a run here and asks it to stop; the
// housekeeping timer frees the runs that are over. Used on the main thread
// only.

#include <memory>
#include <string>
#include <vector>

#include "launcher/task_interpreter.h"

namespace rv {

class Threadmanager {
 public:
  Threadmanager() = default;
  // Waits for every run still going.
  ~Threadmanager();
  Threadmanager(const Threadmanager&) = delete;
  Threadmanager& operator=(const Threadmanager&) = delete;

  void AddThread(std::unique_ptr<RVTaskInterpreter> thread);
  // An entry without a thread, for a task whose late-run question is open.
  void AddPlaceholder(const std::string& task_name);
  // Drops the first placeholder of that name; false when there is none.
  bool RemovePlaceholder(const std::string& task_name);
  // First entry whose name equals `task_name` without regard to case, or -1.
  int FindThread(const std::string& task_name) const;
  // Asks that entry's run to stop before its next step; nothing for a
  // placeholder.
  void TellThreadToTerminate(int index);
  // Frees every run that is over; true when at least one was freed. A run
  // that was only asked to stop is freed once its last step has ended, so the
  // main thread never waits here for a step to finish.
  bool ReapFinishedThreads();

  int Count() const { return static_cast<int>(entries_.size()); }
  const std::string& NameAt(int index) const { return entries_[static_cast<size_t>(index)].name; }
  RVTaskInterpreter* ThreadAt(int index) const {
    return entries_[static_cast<size_t>(index)].thread.get();
  }

 private:
  struct Entry {
    std::string name;
    std::unique_ptr<RVTaskInterpreter> thread;
  };
  std::vector<Entry> entries_;
};

}  // namespace rv
