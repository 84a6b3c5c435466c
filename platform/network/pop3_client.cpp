#include "platform/network/pop3_client.h"

#include <algorithm>

#include "platform/network/curl_session.h"
#include "platform/network/mail_server.h"
#include "platform/network/network_error.h"

namespace rv {
namespace {

size_t Collect(char* data, size_t size, size_t count, void* text) {
  static_cast<std::string*>(text)->append(data, size * count);
  return size * count;
}

}  // namespace

Pop3Client::Pop3Client(NetworkTimeouts timeouts)
    : session_(std::make_unique<CurlSession>(timeouts, OnPITrail)) {}

Pop3Client::~Pop3Client() = default;

void Pop3Client::Action(Pop3Action action) {
  if (action == Pop3Action::Disconnect) {
    session_->Close();
    return;
  }
  if (action != Pop3Action::Connect)
    throw NetworkError(CURLE_BAD_FUNCTION_ARGUMENT,
                       "unknown mailbox action " + std::to_string(static_cast<int>(action)));
  CURL* handle = session_->Handle();
  std::string listing;
  curl_easy_setopt(handle, CURLOPT_URL, MailServerUrl(MailServer, "pop3").c_str());
  curl_easy_setopt(handle, CURLOPT_USERNAME, User.c_str());
  curl_easy_setopt(handle, CURLOPT_PASSWORD, Password.c_str());
  // A URL without a message number lists the mailbox: one line a message.
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &Collect);
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, &listing);
  session_->Perform("Checking the mailbox of " + User + " on " + MailServer);
  std::size_t count = 0;
  std::size_t start = 0;
  while (start < listing.size()) {
    std::size_t end = listing.find('\n', start);
    if (end == std::string::npos) end = listing.size();
    if (listing.find_first_not_of(" \r", start) < end) ++count;
    start = end + 1;
  }
  MessageCount = static_cast<std::uint16_t>(std::min<std::size_t>(count, 0xFFFF));
}

}  // namespace rv
