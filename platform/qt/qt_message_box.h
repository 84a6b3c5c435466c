#pragma once

// Message boxes as QMessageBox dialogs with the given text, caption, icon,
// buttons and default button. Without a display it answers as
// HeadlessMessageBox does: the text goes to the log, the default button is
// taken, nothing waits.

#include "platform/headless_message_box.h"
#include "platform/message_box.h"

namespace rv {

class QtMessageBox final : public MessageBox {
 public:
  explicit QtMessageBox(HeadlessMessageBox::LogSink log) : headless_(std::move(log)) {}

  MessageButton Ask(const MessageRequest& request) override;

 private:
  HeadlessMessageBox headless_;
};

}  // namespace rv
