#pragma once

// A message box for tests: records every request and answers from a script
// of buttons, then with the default button once the script is used up.

#include <deque>
#include <vector>

#include "platform/message_box.h"

namespace rv {

class FakeMessageBox final : public MessageBox {
 public:
  void Script(std::vector<MessageButton> answers) {
    answers_.assign(answers.begin(), answers.end());
  }

  MessageButton Ask(const MessageRequest& request) override {
    asked.push_back(request);
    if (answers_.empty()) return request.DefaultButton();
    const MessageButton answer = answers_.front();
    answers_.pop_front();
    return answer;
  }

  std::vector<MessageRequest> asked;

 private:
  std::deque<MessageButton> answers_;
};

}  // namespace rv
