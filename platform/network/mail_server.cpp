#include "platform/network/mail_server.h"

#include <curl/curl.h>

#include "platform/network/network_error.h"

namespace rv {

std::string MailServerUrl(const std::string& server, const std::string& scheme) {
  std::string host = server;
  while (!host.empty() && (host.back() == '/' || host.back() == ' '))
    host.pop_back();
  while (!host.empty() && host.front() == ' ')
    host.erase(0, 1);
  if (host.empty()) throw NetworkError(CURLE_URL_MALFORMAT, "no mail server given");
  if (host.find("://") != std::string::npos) return host + "/";
  return scheme + "://" + host + "/";
}

}  // namespace rv
