#pragma once

// File dialogs for tests: answers from a script, then cancel.

#include <deque>
#include <vector>

#include "settings/file_dialogs.h"

namespace rv {

class FakeFileDialogs final : public FileDialogs {
 public:
  void Script(std::vector<std::optional<std::string>> answers) {
    answers_.assign(answers.begin(), answers.end());
  }
  std::optional<std::string> Open(const FileDialogRequest& request) override {
    return Answer(request);
  }
  std::optional<std::string> Save(const FileDialogRequest& request) override {
    return Answer(request);
  }
  std::vector<FileDialogRequest> asked;

 private:
  std::optional<std::string> Answer(const FileDialogRequest& request) {
    asked.push_back(request);
    if (answers_.empty()) return std::nullopt;
    std::optional<std::string> answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  std::deque<std::optional<std::string>> answers_;
};

}  // namespace rv
