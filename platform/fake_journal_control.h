#pragma once

// A journal control that records nothing and replays nothing, but remembers
// every call, for tests and for sessions without a desktop.

#include <memory>
#include <string>
#include <vector>

#include "platform/journal_control.h"

namespace rv {

class FakeJournalControl final : public JournalControl {
 public:
  void SetRecordFileName(const std::string& file) override { record_file_ = file; }
  std::string RecordFileName() const override { return record_file_; }
  void StartRecord() override { calls.push_back("StartRecord " + record_file_); }
  void StopRecord() override { calls.push_back("StopRecord " + record_file_); }
  void SetPlayBackFileName(const std::string& file) override { playback_file_ = file; }
  std::string PlayBackFileName() const override { return playback_file_; }
  void PlayBack() override { calls.push_back("PlayBack " + playback_file_); }

  std::vector<std::string> calls;

 private:
  std::string record_file_;
  std::string playback_file_;
};

class FakeJournalControlFactory final : public JournalControlFactory {
 public:
  std::unique_ptr<JournalControl> Create() override {
    ++created;
    return std::make_unique<FakeJournalControl>();
  }
  int created = 0;
};

}  // namespace rv
