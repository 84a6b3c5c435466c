#pragma once

// The message box of a session without a display: nobody could answer, so
// the text goes to the log at level 20 and the default button is taken at
// once.

#include <functional>
#include <string>
#include <utility>

#include "platform/message_box.h"

namespace rv {

class HeadlessMessageBox final : public MessageBox {
 public:
  // Receives the line to log and its level.
  using LogSink = std::function<void(const std::string& line, int level)>;
  static constexpr int kLogLevel = 20;

  explicit HeadlessMessageBox(LogSink log) : log_(std::move(log)) {}

  MessageButton Ask(const MessageRequest& request) override {
    const MessageButton answer = request.DefaultButton();
    if (log_) {
      log_("[" + request.caption + "] " + request.text + " (no display: answered " +
               MessageButtonName(answer) + ")",
           kLogLevel);
    }
    return answer;
  }

 private:
  LogSink log_;
};

}  // namespace rv
