#include "script/scanner.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <unordered_map>

#include "script/dates.h"
#include "script/values.h"

namespace rv::script {

namespace {

const std::unordered_map<std::string, Kw>& Keywords() {
  static const std::unordered_map<std::string, Kw> table = {
#define RV_KW_ENTRY(name, text) {text, Kw::name},
      RV_SCRIPT_KEYWORDS(RV_KW_ENTRY)
#undef RV_KW_ENTRY
  };
  return table;
}

bool IsWordStart(char c) {
  return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}
bool IsWordChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

class Scanner {
 public:
  Scanner(std::string_view text, const std::string& file) : s_(text), file_(file) {}

  Result<std::vector<Token>> Run() {
    while (true) {
      bool space = SkipBlanks();
      if (!error_.empty()) return MakeError(error_);
      if (pos_ >= s_.size()) break;
      char c = s_[pos_];
      Token t;
      t.line = line_;
      t.space_before = space;
      if (c == '\n' || c == '\r') {
        if (c == '\r' && pos_ + 1 < s_.size() && s_[pos_ + 1] == '\n') ++pos_;
        ++pos_;
        t.kind = Tok::Newline;
        Push(std::move(t));
        ++line_;
        continue;
      }
      if (c == '\'') {
        SkipComment();
        continue;
      }
      if (c == '"') {
        if (!String(t)) return MakeError(error_);
      } else if (std::isdigit(static_cast<unsigned char>(c)) ||
                 (c == '.' && pos_ + 1 < s_.size() &&
                  std::isdigit(static_cast<unsigned char>(s_[pos_ + 1])) && !AfterOperand())) {
        if (!Number(t)) return MakeError(error_);
      } else if (c == '&' && pos_ + 1 < s_.size() &&
                 (s_[pos_ + 1] == 'h' || s_[pos_ + 1] == 'H' || s_[pos_ + 1] == 'o' ||
                  s_[pos_ + 1] == 'O') &&
                 pos_ + 2 < s_.size() && std::isxdigit(static_cast<unsigned char>(s_[pos_ + 2]))) {
        if (!Radix(t)) return MakeError(error_);
      } else if (c == '#' && DateLiteral(t)) {
        // done
      } else if (IsWordStart(c)) {
        size_t start = pos_;
        while (pos_ < s_.size() && IsWordChar(s_[pos_]))
          ++pos_;
        t.kind = Tok::Word;
        t.text = std::string(s_.substr(start, pos_ - start));
        for (char ch : t.text)
          t.lower += static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        if (pos_ < s_.size() && (s_[pos_] == '$' || s_[pos_] == '%')) t.suffix = s_[pos_++];
        if (t.lower == "rem" && !t.suffix) {
          SkipComment();
          continue;
        }
        auto kw = Keywords().find(t.lower);
        if (kw != Keywords().end() && !t.suffix) t.kw = kw->second;
      } else if (c == ':') {
        ++pos_;
        if (pos_ < s_.size() && s_[pos_] == '=') {
          ++pos_;
          t.kind = Tok::Op;
          t.text = ":=";
        } else {
          t.kind = Tok::Colon;
        }
      } else {
        t.kind = Tok::Op;
        static const char* const kTwo[] = {"<>", "<=", ">=", "=<", "=>"};
        for (const char* two : kTwo) {
          if (s_.substr(pos_, 2) == two) {
            t.text = two;
            if (t.text == "=<") t.text = "<=";
            if (t.text == "=>") t.text = ">=";
            pos_ += 2;
            break;
          }
        }
        if (t.text.empty()) {
          if (std::string_view("+-*/\\^&=<>(),.;#!").find(c) == std::string_view::npos) {
            return MakeError(file_ + ":" + std::to_string(line_) + ": unexpected character '" +
                             std::string(1, c) + "'");
          }
          t.text = std::string(1, c);
          ++pos_;
        }
      }
      Push(std::move(t));
    }
    Token end;
    end.kind = Tok::Newline;
    end.line = line_;
    Push(end);
    end.kind = Tok::End;
    Push(std::move(end));
    return std::move(tokens_);
  }

 private:
  void Push(Token t) { tokens_.push_back(std::move(t)); }

  bool AfterOperand() const {
    if (tokens_.empty()) return false;
    const Token& last = tokens_.back();
    return last.kind == Tok::Word || last.kind == Tok::Number || last.kind == Tok::String ||
           (last.kind == Tok::Op && last.text == ")");
  }

  // Skips blanks and line continuations; true when anything was skipped.
  bool SkipBlanks() {
    bool skipped = false;
    while (pos_ < s_.size()) {
      char c = s_[pos_];
      if (c == ' ' || c == '\t') {
        ++pos_;
        skipped = true;
        continue;
      }
      if (c == '_' && skipped && ContinuationAhead()) {
        ++pos_;
        while (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\t'))
          ++pos_;
        if (pos_ < s_.size() && s_[pos_] == '\r') ++pos_;
        if (pos_ < s_.size() && s_[pos_] == '\n') ++pos_;
        ++line_;
        continue;
      }
      break;
    }
    return skipped;
  }

  bool ContinuationAhead() const {
    size_t p = pos_ + 1;
    while (p < s_.size() && (s_[p] == ' ' || s_[p] == '\t'))
      ++p;
    return p >= s_.size() || s_[p] == '\n' || s_[p] == '\r';
  }

  void SkipComment() {
    while (pos_ < s_.size() && s_[pos_] != '\n' && s_[pos_] != '\r') {
      // A comment ending in " _" continues on the next line.
      if (s_[pos_] == '_' && pos_ > 0 && (s_[pos_ - 1] == ' ' || s_[pos_ - 1] == '\t') &&
          ContinuationAhead()) {
        ++pos_;
        while (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\t'))
          ++pos_;
        if (pos_ < s_.size() && s_[pos_] == '\r') ++pos_;
        if (pos_ < s_.size() && s_[pos_] == '\n') ++pos_;
        ++line_;
        continue;
      }
      ++pos_;
    }
  }

  bool String(Token& t) {
    ++pos_;
    std::string value;
    while (true) {
      if (pos_ >= s_.size() || s_[pos_] == '\n' || s_[pos_] == '\r') {
        error_ = file_ + ":" + std::to_string(line_) + ": string literal without closing quote";
        return false;
      }
      if (s_[pos_] == '"') {
        if (pos_ + 1 < s_.size() && s_[pos_ + 1] == '"') {
          value += '"';
          pos_ += 2;
          continue;
        }
        ++pos_;
        break;
      }
      value += s_[pos_++];
    }
    t.kind = Tok::String;
    t.value = Variant::Str(std::move(value));
    return true;
  }

  bool Number(Token& t) {
    size_t start = pos_;
    bool real = false;
    while (pos_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[pos_])))
      ++pos_;
    if (pos_ < s_.size() && s_[pos_] == '.') {
      real = true;
      ++pos_;
      while (pos_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[pos_])))
        ++pos_;
    }
    if (pos_ < s_.size() && (s_[pos_] == 'e' || s_[pos_] == 'E')) {
      size_t p = pos_ + 1;
      if (p < s_.size() && (s_[p] == '+' || s_[p] == '-')) ++p;
      if (p < s_.size() && std::isdigit(static_cast<unsigned char>(s_[p]))) {
        real = true;
        pos_ = p;
        while (pos_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[pos_])))
          ++pos_;
      }
    }
    std::string digits(s_.substr(start, pos_ - start));
    double value = DecimalValue(digits);
    char suffix = 0;
    if (pos_ < s_.size() && std::string_view("%&!#@").find(s_[pos_]) != std::string_view::npos &&
        (pos_ + 1 >= s_.size() || !IsWordChar(s_[pos_ + 1]))) {
      suffix = s_[pos_++];
    }
    t.kind = Tok::Number;
    if (suffix == '!') {
      t.value = Variant::Single(value);
    } else if (suffix == '#' || suffix == '@' || real) {
      t.value = Variant::Double(value);
    } else if (suffix == '%') {
      if (value > 32767) return Fail("number too large for an Integer: " + digits);
      t.value = Variant::Integer(static_cast<int16_t>(value));
    } else if (suffix == '&') {
      if (value > 2147483647.0) return Fail("number too large for a Long: " + digits);
      t.value = Variant::Long(static_cast<int32_t>(value));
    } else if (value <= 2147483647.0) {
      t.value = Variant::FittingInt(static_cast<int64_t>(value));
    } else {
      t.value = Variant::Double(value);
    }
    return true;
  }

  bool Radix(Token& t) {
    bool hex = s_[pos_ + 1] == 'h' || s_[pos_ + 1] == 'H';
    pos_ += 2;
    size_t start = pos_;
    while (pos_ < s_.size() && (hex ? std::isxdigit(static_cast<unsigned char>(s_[pos_]))
                                    : (s_[pos_] >= '0' && s_[pos_] <= '7'))) {
      ++pos_;
    }
    std::string digits(s_.substr(start, pos_ - start));
    uint64_t value = std::strtoull(digits.c_str(), nullptr, hex ? 16 : 8);
    bool long_suffix = pos_ < s_.size() && s_[pos_] == '&';
    if (long_suffix) ++pos_;
    t.kind = Tok::Number;
    // Up to 16 bits make an Integer and up to 32 a Long, so &HFFFF is -1.
    if (!long_suffix && value <= 0xFFFF) {
      t.value = Variant::Integer(static_cast<int16_t>(static_cast<uint16_t>(value)));
    } else if (value <= 0xFFFFFFFFull) {
      t.value = Variant::Long(static_cast<int32_t>(static_cast<uint32_t>(value)));
    } else {
      return Fail("number too large: &" + std::string(hex ? "H" : "O") + digits);
    }
    return true;
  }

  // "#12/31/2026#" or "#10:30 PM#"; anything else leaves '#' an operator.
  bool DateLiteral(Token& t) {
    size_t end = pos_ + 1;
    while (end < s_.size() && s_[end] != '#' && s_[end] != '\n' && s_[end] != '\r' &&
           s_[end] != '"' && s_[end] != ',')
      ++end;
    if (end >= s_.size() || s_[end] != '#' || end == pos_ + 1) return false;
    std::string_view body = s_.substr(pos_ + 1, end - pos_ - 1);
    if (!std::isdigit(static_cast<unsigned char>(body[0])) &&
        !std::isalpha(static_cast<unsigned char>(body[0])))
      return false;
    std::optional<double> date = ParseDate(body);
    if (!date) return false;
    t.kind = Tok::Date;
    t.value = Variant::Date(*date);
    pos_ = end + 1;
    return true;
  }

  bool Fail(const std::string& message) {
    error_ = file_ + ":" + std::to_string(line_) + ": " + message;
    return false;
  }

  std::string_view s_;
  const std::string& file_;
  size_t pos_ = 0;
  int line_ = 1;
  std::string error_;
  std::vector<Token> tokens_;
};

}  // namespace

Result<std::vector<Token>> Scan(std::string_view text, const std::string& file) {
  return Scanner(text, file).Run();
}

}  // namespace rv::script
