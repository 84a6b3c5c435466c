#include "platform/network/smtp_client.h"

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <ctime>
#include <vector>

#include "platform/network/curl_session.h"
#include "platform/network/mail_server.h"
#include "platform/network/network_error.h"

namespace rv {
namespace {

struct SlistFree {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

std::string Trim(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// A header value on one line: a line break in it would start a header (or
// the body) of the sender's choosing.
std::string OneLine(const std::string& value) {
  std::string line;
  for (char c : value)
    line += (c == '\r' || c == '\n') ? ' ' : c;
  return line;
}

bool IsAscii(const std::string& text) {
  for (unsigned char c : text)
    if (c >= 0x80) return false;
  return true;
}

std::string Base64(const std::string& bytes) {
  static const char* kDigits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  std::size_t i = 0;
  for (; i + 2 < bytes.size(); i += 3) {
    const unsigned n = (static_cast<unsigned char>(bytes[i]) << 16) |
                       (static_cast<unsigned char>(bytes[i + 1]) << 8) |
                       static_cast<unsigned char>(bytes[i + 2]);
    out += {kDigits[n >> 18], kDigits[(n >> 12) & 63], kDigits[(n >> 6) & 63], kDigits[n & 63]};
  }
  if (i + 1 == bytes.size()) {
    const unsigned n = static_cast<unsigned char>(bytes[i]) << 16;
    out += {kDigits[n >> 18], kDigits[(n >> 12) & 63], '=', '='};
  } else if (i + 2 == bytes.size()) {
    const unsigned n = (static_cast<unsigned char>(bytes[i]) << 16) |
                       (static_cast<unsigned char>(bytes[i + 1]) << 8);
    out += {kDigits[n >> 18], kDigits[(n >> 12) & 63], kDigits[(n >> 6) & 63], '='};
  }
  return out;
}

// A subject outside ASCII goes as an encoded word, which every reader decodes.
std::string HeaderText(const std::string& value) {
  const std::string line = OneLine(value);
  return IsAscii(line) ? line : "=?UTF-8?B?" + Base64(line) + "?=";
}

// Every line end of the body as CR LF, whatever the file had.
std::string CrLfText(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      out += "\r\n";
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else if (text[i] == '\n') {
      out += "\r\n";
    } else {
      out += text[i];
    }
  }
  if (!out.empty() && !out.ends_with("\r\n")) out += "\r\n";
  return out;
}

std::string HostName() {
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') return "localhost";
  return name;
}

struct MessageSource {
  const std::string& text;
  std::size_t offset = 0;

  static size_t Read(char* buffer, size_t size, size_t count, void* self) {
    auto* source = static_cast<MessageSource*>(self);
    const std::size_t n = std::min(size * count, source->text.size() - source->offset);
    source->text.copy(buffer, n, source->offset);
    source->offset += n;
    return n;
  }
};

}  // namespace

std::vector<std::string> MailAddresses(const std::string& list) {
  std::vector<std::string> addresses;
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t end = list.find_first_of(",;", start);
    if (end == std::string::npos) end = list.size();
    std::string entry = Trim(list.substr(start, end - start));
    const std::size_t open = entry.rfind('<');
    const std::size_t close = entry.rfind('>');
    if (open != std::string::npos && close != std::string::npos && close > open)
      entry = Trim(entry.substr(open + 1, close - open - 1));
    if (!entry.empty()) addresses.push_back(entry);
    start = end + 1;
  }
  return addresses;
}

std::string MailDateNow() {
  static const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                  "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  const long offset_minutes = local.tm_gmtoff / 60;
  const long magnitude = offset_minutes < 0 ? -offset_minutes : offset_minutes;
  char text[64];
  std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d %c%02ld%02ld",
                kDays[local.tm_wday], local.tm_mday, kMonths[local.tm_mon], local.tm_year + 1900,
                local.tm_hour, local.tm_min, local.tm_sec, offset_minutes < 0 ? '-' : '+',
                magnitude / 60, magnitude % 60);
  return text;
}

SmtpClient::SmtpClient(NetworkTimeouts timeouts)
    : session_(std::make_unique<CurlSession>(timeouts, OnPITrail)) {}

SmtpClient::~SmtpClient() = default;

std::string SmtpClient::ComposeMessage(const std::string& date) const {
  static std::atomic<unsigned> counter{0};
  const std::string id = std::to_string(std::time(nullptr)) + "." + std::to_string(::getpid()) +
                         "." + std::to_string(counter.fetch_add(1)) + "@" + HostName();
  std::string message;
  message += "Date: " + date + "\r\n";
  message += "From: " + OneLine(From) + "\r\n";
  message += "To: " + OneLine(To) + "\r\n";
  if (!Trim(Cc).empty()) message += "Cc: " + OneLine(Cc) + "\r\n";
  message += "Subject: " + HeaderText(Subject) + "\r\n";
  message += "Message-ID: <" + id + ">\r\n";
  message += "MIME-Version: 1.0\r\n";
  message += "Content-Type: text/plain; charset=UTF-8\r\n";
  message += "Content-Transfer-Encoding: 8bit\r\n";
  message += "\r\n";
  message += CrLfText(MessageText);
  return message;
}

void SmtpClient::Action(SmtpAction action) {
  if (action != SmtpAction::Send)
    throw NetworkError(CURLE_BAD_FUNCTION_ARGUMENT,
                       "unknown mail action " + std::to_string(static_cast<int>(action)));
  const std::vector<std::string> senders = MailAddresses(From);
  if (senders.empty()) throw NetworkError(CURLE_SEND_ERROR, "The message has no sender.");
  std::vector<std::string> recipients = MailAddresses(To);
  if (recipients.empty()) throw NetworkError(CURLE_SEND_ERROR, "The message has no recipient.");
  for (const std::string& copy : MailAddresses(Cc))
    recipients.push_back(copy);

  std::unique_ptr<curl_slist, SlistFree> rcpt;
  for (const std::string& address : recipients) {
    curl_slist* grown = curl_slist_append(rcpt.get(), ("<" + address + ">").c_str());
    if (grown == nullptr) throw NetworkError(CURLE_OUT_OF_MEMORY, "out of memory");
    (void)rcpt.release();
    rcpt.reset(grown);
  }
  const std::string message = ComposeMessage(MailDateNow());
  MessageSource source{message};

  CURL* handle = session_->Handle();
  // The URL's path is the name the client greets the server with.
  const std::string url = MailServerUrl(MailServer, "smtp") + HostName();
  curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
  curl_easy_setopt(handle, CURLOPT_MAIL_FROM, ("<" + senders.front() + ">").c_str());
  curl_easy_setopt(handle, CURLOPT_MAIL_RCPT, rcpt.get());
  curl_easy_setopt(handle, CURLOPT_UPLOAD, 1L);
  curl_easy_setopt(handle, CURLOPT_READFUNCTION, &MessageSource::Read);
  curl_easy_setopt(handle, CURLOPT_READDATA, &source);
  curl_easy_setopt(handle, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(message.size()));
  try {
    session_->Perform("Sending mail through " + MailServer);
  } catch (...) {
    session_->Close();
    throw;
  }
  session_->Close();
}

}  // namespace rv
