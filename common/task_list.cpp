#include "common/task_list.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <thread>

#include "common/atomic_file.h"
#include "common/store_keys.h"
#include "common/task_file_reader.h"
#include "common/task_file_writer.h"
#include "platform/registry.h"

namespace rv {

RVTaskList::RVTaskList(std::string file_name, Registry* store, const Clock& clock)
    : FileName(std::move(file_name)), store_(store), clock_(&clock) {}

std::shared_ptr<RVTask> RVTaskList::Head() const {
  return tasks_.empty() ? nullptr : tasks_.front();
}

std::shared_ptr<RVTask> RVTaskList::Tail() const {
  return tasks_.empty() ? nullptr : tasks_.back();
}

std::shared_ptr<RVTask> RVTaskList::Add() {
  auto task = std::make_shared<RVTask>(*clock_);
  task->Owner = this;
  tasks_.push_back(task);
  return task;
}

std::shared_ptr<RVTask> RVTaskList::Item(int32_t index) const {
  return tasks_[static_cast<size_t>(index)];
}

int32_t RVTaskList::IndexOfName(const std::string& name) const {
  for (size_t i = 0; i < tasks_.size(); ++i) {
    if (tasks_[i]->TaskName == name) return static_cast<int32_t>(i);
  }
  return -1;
}

std::shared_ptr<RVTask> RVTaskList::FindByName(const std::string& name) const {
  int32_t index = IndexOfName(name);
  return index < 0 ? nullptr : tasks_[static_cast<size_t>(index)];
}

bool RVTaskList::Remove(const RVTask* task) {
  for (auto it = tasks_.begin(); it != tasks_.end(); ++it) {
    if (it->get() == task) {
      (*it)->Owner = nullptr;
      tasks_.erase(it);
      return true;
    }
  }
  return false;
}

void RVTaskList::Clear() {
  tasks_.clear();
  load_failed_ = false;
}

Result<void> RVTaskList::SaveToFile() const {
  if (load_failed_) {
    return MakeError("not saving " + FileName +
                     ": the list holds only part of the file, whose load failed");
  }
  if (FileName.empty()) return MakeError("not saving: the task list has no file name");
  return WriteFileAtomically(FileName, SerializeTaskFile(*this), 0600);
}

Result<void> RVTaskList::LoadFromFile() {
  struct stat info {};
  if (!FileName.empty() && ::stat(FileName.c_str(), &info) != 0 && errno == ENOENT) {
    int fd = ::open(FileName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) ::close(fd);
    if (::stat(FileName.c_str(), &info) != 0) {
      if (host_) host_->CannotOpenTaskFile(FileName);
      load_failed_ = true;
      last_error_ = "cannot open the task file " + FileName + ": " + std::strerror(errno);
      return MakeError(last_error_);
    }
  }
  Result<std::string> bytes = ReadWholeFile(FileName);
  if (!bytes) {
    // An existing file that cannot be read is not an empty list: treating it
    // as one would let the next save wipe it.
    load_failed_ = true;
    last_error_ = FileName.empty() ? std::string("the task list has no file name") : bytes.error();
    return MakeError(last_error_);
  }
  Result<void> read = ReadTaskRecords(SplitTaskFileLines(*bytes), FileName, *this);
  if (!read) {
    load_failed_ = true;
    last_error_ = read.error();
  }
  return read;
}

bool RVTaskList::IsValidTaskFile(const std::string& path) {
  if (path.empty()) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  char magic[10];
  in.read(magic, sizeof magic);
  return in.gcount() == 10 && std::string_view(magic, 10) == kTaskFileMagic;
}

int32_t RVTaskList::LockFile(int32_t mode) {
  if (store_ == nullptr) {
    last_error_ = "the task-file lock needs the settings store";
    return -1;
  }
  enum class Outcome { Missing, Taken, Busy };
  constexpr int kAttempts = 9;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    Outcome outcome = Outcome::Busy;
    Result<void> step = store_->Transaction([&]() -> Result<void> {
      if (Result<void> key = store_->OpenKey(Hive::CurrentUser, store_keys::kIpc, CreateKey::Yes);
          !key) {
        return key;
      }
      if (!store_->ValueExists(Hive::CurrentUser, store_keys::kIpc, store_keys::kFileLocked)) {
        outcome = Outcome::Missing;
        return store_->WriteInteger(Hive::CurrentUser, store_keys::kIpc, store_keys::kFileLocked,
                                    0);
      }
      Result<int32_t> locked =
          store_->ReadInteger(Hive::CurrentUser, store_keys::kIpc, store_keys::kFileLocked);
      if (!locked) return Error{locked.error()};
      if (*locked != 0) {
        outcome = Outcome::Busy;
        return {};
      }
      outcome = Outcome::Taken;
      return store_->WriteInteger(Hive::CurrentUser, store_keys::kIpc, store_keys::kFileLocked, 1);
    });
    if (!step) {
      last_error_ = step.error();
      return -1;
    }
    if (outcome == Outcome::Missing) return mode;
    if (outcome == Outcome::Taken) {
      RVTaskList fresh(FileName, store_, *clock_);
      fresh.SetHost(host_);
      Result<void> loaded = fresh.LoadFromFile();
      if (!loaded) {
        last_error_ = loaded.error();
        UnlockFile();
        return -1;
      }
      tasks_ = std::move(fresh.tasks_);
      for (auto& task : tasks_)
        task->Owner = this;
      load_failed_ = false;
      return mode;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  last_error_ = "the task file is locked by another program";
  return -1;
}

void RVTaskList::UnlockFile() {
  if (store_ == nullptr) return;
  (void)store_->WriteInteger(Hive::CurrentUser, store_keys::kIpc, store_keys::kFileLocked, 0);
}

}  // namespace rv
