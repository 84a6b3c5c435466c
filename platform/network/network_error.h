#pragma once

// The one error the network clients raise: a failed action of an FTP, SMTP
// or POP3 client. Step handlers catch exactly this type.

#include <stdexcept>
#include <string>

namespace rv {

class NetworkError : public std::runtime_error {
 public:
  NetworkError(int code, const std::string& message) : std::runtime_error(message), code_(code) {}

  // The transfer library's error number (a CURLcode); the text says what failed.
  int Code() const { return code_; }

 private:
  int code_;
};

}  // namespace rv
