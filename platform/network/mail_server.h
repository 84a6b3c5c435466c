#pragma once

// The URL of a mail server as a mail step names it: a host name ("mail.example.org"),
// a host and port ("mail.example.org:2525"), or a URL with its protocol
// ("smtps://mail.example.org", "pop3s://mail.example.org:995").

#include <string>

namespace rv {

// `scheme` is the plain protocol ("smtp", "pop3"); a server text with its
// own scheme keeps that one. Throws NetworkError for an empty server.
std::string MailServerUrl(const std::string& server, const std::string& scheme);

}  // namespace rv
