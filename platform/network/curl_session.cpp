#include "platform/network/curl_session.h"

#include <mutex>

#include "platform/network/network_error.h"

namespace rv {
namespace {

void InitLibraryOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

}  // namespace

void ThrowCurlError(CURLcode code, const std::string& what, const char* detail) {
  std::string reason = (detail != nullptr && detail[0] != '\0') ? detail : curl_easy_strerror(code);
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r'))
    reason.pop_back();
  throw NetworkError(static_cast<int>(code), what + ": " + reason);
}

CurlSession::CurlSession(const NetworkTimeouts& timeouts, const ProtocolTraceHandler& trace)
    : timeouts_(timeouts), trace_(trace) {
  InitLibraryOnce();
}

CurlSession::~CurlSession() {
  Close();
}

CURL* CurlSession::Handle() {
  if (handle_ == nullptr) {
    handle_ = curl_easy_init();
    if (handle_ == nullptr) throw NetworkError(CURLE_FAILED_INIT, "cannot start a network session");
    masker_ = ProtocolTrace();
  }
  // Every action starts from the session's defaults; the connection itself
  // survives curl_easy_reset.
  curl_easy_reset(handle_);
  error_buffer_[0] = '\0';
  curl_easy_setopt(handle_, CURLOPT_ERRORBUFFER, error_buffer_);
  // Interpreter threads must not get signals from name lookups.
  curl_easy_setopt(handle_, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(handle_, CURLOPT_CONNECTTIMEOUT, timeouts_.connect_seconds);
  curl_easy_setopt(handle_, CURLOPT_SERVER_RESPONSE_TIMEOUT, timeouts_.response_seconds);
  curl_easy_setopt(handle_, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(handle_, CURLOPT_LOW_SPEED_TIME, timeouts_.response_seconds);
  curl_easy_setopt(handle_, CURLOPT_VERBOSE, 1L);
  curl_easy_setopt(handle_, CURLOPT_DEBUGFUNCTION, &CurlSession::OnDebug);
  curl_easy_setopt(handle_, CURLOPT_DEBUGDATA, this);
  return handle_;
}

void CurlSession::Perform(const std::string& what) {
  const CURLcode code = curl_easy_perform(handle_);
  if (code != CURLE_OK) ThrowCurlError(code, what, error_buffer_);
}

void CurlSession::Close() {
  if (handle_ == nullptr) return;
  curl_easy_cleanup(handle_);
  handle_ = nullptr;
}

std::string CurlSession::Escape(const std::string& segment) {
  char* escaped = curl_easy_escape(nullptr, segment.data(), static_cast<int>(segment.size()));
  if (escaped == nullptr) return segment;
  std::string result(escaped);
  curl_free(escaped);
  return result;
}

int CurlSession::OnDebug(CURL*, curl_infotype type, char* data, size_t size, void* self) {
  auto* session = static_cast<CurlSession*>(self);
  // Only the protocol's own lines: not libcurl's remarks, not file data.
  if (type == CURLINFO_HEADER_OUT || type == CURLINFO_HEADER_IN) {
    session->masker_.Feed(
        type == CURLINFO_HEADER_OUT ? TraceDirection::Sent : TraceDirection::Received,
        std::string_view(data, size), session->trace_);
  }
  return 0;
}

}  // namespace rv
