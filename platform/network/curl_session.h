#pragma once

// One libcurl easy handle and its live connection, shared by the FTP, SMTP
// and POP3 clients: the handle keeps its connection open between actions,
// so an FTP client stays logged in from one action to the next. Protocol
// lines in both directions go to the owner's trace handler; failures become
// NetworkError.

#include <curl/curl.h>

#include <string>

#include "platform/network/network_timeouts.h"
#include "platform/network/protocol_trace.h"

namespace rv {

class CurlSession {
 public:
  // `trace` is the owner's handler; it must outlive the session.
  CurlSession(const NetworkTimeouts& timeouts, const ProtocolTraceHandler& trace);
  ~CurlSession();
  CurlSession(const CurlSession&) = delete;
  CurlSession& operator=(const CurlSession&) = delete;

  // The handle, with the session's own options set, for the action's own.
  CURL* Handle();
  // Runs the transfer set up on Handle(). Throws NetworkError whose text is
  // `what` followed by the reason.
  void Perform(const std::string& what);
  // Closes the connection (the server sees QUIT where the protocol has one).
  void Close();
  bool IsOpen() const { return handle_ != nullptr; }

  // libcurl's escaping of one path segment (a "/" is escaped too).
  static std::string Escape(const std::string& segment);

 private:
  static int OnDebug(CURL* handle, curl_infotype type, char* data, size_t size, void* self);

  NetworkTimeouts timeouts_;
  const ProtocolTraceHandler& trace_;
  ProtocolTrace masker_;
  CURL* handle_ = nullptr;
  char error_buffer_[CURL_ERROR_SIZE] = {};
};

// Throws a NetworkError for `code` with `what` and the library's reason.
[[noreturn]] void ThrowCurlError(CURLcode code, const std::string& what, const char* detail);

}  // namespace rv
