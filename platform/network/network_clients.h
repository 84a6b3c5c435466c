#pragma once

// Makes the network clients the steps use, all with the same timeouts. The
// launcher makes one for the process; tests make theirs with short timeouts.

#include <memory>

#include "platform/network/ftp_client.h"
#include "platform/network/network_timeouts.h"
#include "platform/network/pop3_client.h"
#include "platform/network/smtp_client.h"

namespace rv {

class NetworkClients {
 public:
  explicit NetworkClients(NetworkTimeouts timeouts = {}) : timeouts_(timeouts) {}
  virtual ~NetworkClients() = default;

  virtual std::unique_ptr<FtpClient> NewFtpClient() const {
    return std::make_unique<FtpClient>(timeouts_);
  }
  virtual std::unique_ptr<SmtpClient> NewSmtpClient() const {
    return std::make_unique<SmtpClient>(timeouts_);
  }
  virtual std::unique_ptr<Pop3Client> NewPop3Client() const {
    return std::make_unique<Pop3Client>(timeouts_);
  }

 private:
  NetworkTimeouts timeouts_;
};

}  // namespace rv
