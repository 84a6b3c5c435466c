#include "settings/recent_messages.h"

namespace rv {

void RecentMessages::AddMessage(const std::string& text) {
  if (lines_.size() > kDropAbove) lines_.pop_front();
  lines_.push_back(text);
}

std::string RecentMessages::Text() const {
  std::string text;
  for (const std::string& line : lines_)
    text += line + "\r\n";
  return text;
}

}  // namespace rv
