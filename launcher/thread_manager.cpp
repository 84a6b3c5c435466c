#include "launcher/thread_manager.h"

#include <strings.h>

namespace rv {

Threadmanager::~Threadmanager() {
  for (Entry& entry : entries_) {
    if (entry.thread) entry.thread->Terminate();
  }
  // Each run's destructor waits for its thread.
  entries_.clear();
}

void Threadmanager::AddThread(std::unique_ptr<RVTaskInterpreter> thread) {
  std::string name = thread->TaskName();
  entries_.push_back(Entry{std::move(name), std::move(thread)});
}

void Threadmanager::AddPlaceholder(const std::string& task_name) {
  entries_.push_back(Entry{task_name, nullptr});
}

bool Threadmanager::RemovePlaceholder(const std::string& task_name) {
  for (auto it = entries_.begin(); it != entries_.end(); ++it) {
    if (!it->thread && strcasecmp(it->name.c_str(), task_name.c_str()) == 0) {
      entries_.erase(it);
      return true;
    }
  }
  return false;
}

int Threadmanager::FindThread(const std::string& task_name) const {
  for (size_t i = 0; i < entries_.size(); ++i) {
    if (strcasecmp(entries_[i].name.c_str(), task_name.c_str()) == 0) return static_cast<int>(i);
  }
  return -1;
}

void Threadmanager::TellThreadToTerminate(int index) {
  if (index < 0 || index >= Count()) return;
  if (RVTaskInterpreter* thread = entries_[static_cast<size_t>(index)].thread.get()) {
    thread->Terminate();
  }
}

bool Threadmanager::ReapFinishedThreads() {
  bool freed = false;
  for (auto it = entries_.begin(); it != entries_.end();) {
    if (it->thread && it->thread->Finished()) {
      it = entries_.erase(it);
      freed = true;
    } else {
      ++it;
    }
  }
  return freed;
}

}  // namespace rv
