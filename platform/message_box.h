#pragma once

// Questions and messages for the user: a text, a caption, an icon, the
// buttons offered and the one taken on Enter. Ask returns the button chosen.
// Call on the main thread; a step that needs one from its own thread goes
// through the dispatcher's runAndWait.
//
// A question nobody can see must not block forever: without a display, the
// implementations log the text and take the default button (the first one
// offered when none is named), see HeadlessMessageBox.

#include <optional>
#include <string>
#include <vector>

namespace rv {

enum class MessageIcon { None, Information, Warning, Error, Question };

enum class MessageButton { Ok, Cancel, Yes, No, Abort, Retry, Ignore };

struct MessageRequest {
  std::string text;
  std::string caption;
  MessageIcon icon = MessageIcon::None;
  // Empty means a single OK button.
  std::vector<MessageButton> buttons;
  std::optional<MessageButton> default_button;
  // Kept above every other window.
  bool topmost = false;

  // The buttons really offered: OK alone when none were named.
  std::vector<MessageButton> OfferedButtons() const {
    return buttons.empty() ? std::vector<MessageButton>{MessageButton::Ok} : buttons;
  }
  // The button Enter takes: the named default if it is offered, else the
  // first button.
  MessageButton DefaultButton() const {
    const std::vector<MessageButton> offered = OfferedButtons();
    if (default_button) {
      for (MessageButton button : offered) {
        if (button == *default_button) return button;
      }
    }
    return offered.front();
  }
};

inline const char* MessageButtonName(MessageButton button) {
  switch (button) {
    case MessageButton::Ok:
      return "OK";
    case MessageButton::Cancel:
      return "Cancel";
    case MessageButton::Yes:
      return "Yes";
    case MessageButton::No:
      return "No";
    case MessageButton::Abort:
      return "Abort";
    case MessageButton::Retry:
      return "Retry";
    case MessageButton::Ignore:
      return "Ignore";
  }
  return "?";
}

class MessageBox {
 public:
  virtual ~MessageBox() = default;

  virtual MessageButton Ask(const MessageRequest& request) = 0;

  // A message with an OK button only.
  void Show(const std::string& text, const std::string& caption, MessageIcon icon) {
    (void)Ask(MessageRequest{text, caption, icon, {}, {}, false});
  }
};

}  // namespace rv
