#include "platform/shell_words.h"

namespace rv {

Result<std::vector<std::string>> SplitShellWords(std::string_view text) {
  std::vector<std::string> words;
  std::string word;
  bool in_word = false;  // "" makes an empty word, so a word can be empty
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == ' ' || c == '\t' || c == '\n') {
      if (in_word) words.push_back(std::move(word));
      word.clear();
      in_word = false;
      ++i;
      continue;
    }
    in_word = true;
    if (c == '\\') {
      // A backslash at the very end has nothing to escape and stays.
      if (i + 1 < text.size()) {
        if (text[i + 1] != '\n') word += text[i + 1];
        i += 2;
      } else {
        word += c;
        ++i;
      }
    } else if (c == '\'') {
      const std::size_t close = text.find('\'', i + 1);
      if (close == std::string_view::npos) {
        return MakeError("the single quote at position " + std::to_string(i + 1) +
                         " of the parameters is never closed");
      }
      word.append(text.substr(i + 1, close - i - 1));
      i = close + 1;
    } else if (c == '"') {
      std::size_t j = i + 1;
      for (;; ++j) {
        if (j >= text.size()) {
          return MakeError("the double quote at position " + std::to_string(i + 1) +
                           " of the parameters is never closed");
        }
        if (text[j] == '"') break;
        if (text[j] == '\\' && j + 1 < text.size() &&
            std::string_view("\"\\$`\n").find(text[j + 1]) != std::string_view::npos) {
          if (text[j + 1] != '\n') word += text[j + 1];
          ++j;
        } else {
          word += text[j];
        }
      }
      i = j + 1;
    } else {
      word += c;
      ++i;
    }
  }
  if (in_word) words.push_back(std::move(word));
  return words;
}

}  // namespace rv
