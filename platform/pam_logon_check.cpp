#include "platform/pam_logon_check.h"

#include <security/pam_appl.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>

namespace rv {
namespace {

struct Credentials {
  const std::string* user;
  const std::string* password;
};

// Answers PAM's prompts: the password for a hidden prompt, the user name for
// a shown one; messages need no answer.
int Converse(int count, const pam_message** messages, pam_response** responses, void* data) {
  if (count <= 0 || count > PAM_MAX_NUM_MSG) return PAM_CONV_ERR;
  const auto* credentials = static_cast<const Credentials*>(data);
  auto* answers = static_cast<pam_response*>(std::calloc(count, sizeof(pam_response)));
  if (answers == nullptr) return PAM_BUF_ERR;
  for (int i = 0; i < count; ++i) {
    const char* text = nullptr;
    if (messages[i]->msg_style == PAM_PROMPT_ECHO_OFF) text = credentials->password->c_str();
    if (messages[i]->msg_style == PAM_PROMPT_ECHO_ON) text = credentials->user->c_str();
    if (text == nullptr) continue;
    answers[i].resp = strdup(text);
    if (answers[i].resp == nullptr) {
      for (int j = 0; j < i; ++j)
        std::free(answers[j].resp);
      std::free(answers);
      return PAM_BUF_ERR;
    }
  }
  // PAM frees the answers (and wipes what it keeps of them).
  *responses = answers;
  return PAM_SUCCESS;
}

}  // namespace

PamLogonCheck::PamLogonCheck(std::vector<std::string> services,
                             std::vector<std::string> config_directories)
    : services_(std::move(services)), config_directories_(std::move(config_directories)) {}

std::string PamLogonCheck::Service() const {
  for (const std::string& service : services_) {
    for (const std::string& directory : config_directories_) {
      struct stat status {};
      if (::stat((directory + "/" + service).c_str(), &status) == 0 && S_ISREG(status.st_mode))
        return service;
    }
  }
  return {};
}

Result<bool> PamLogonCheck::Check(const std::string& user, const std::string& password) {
  const std::string service = Service();
  if (service.empty()) return MakeError("no PAM service is configured for the log-in check");
  if (user.empty()) return false;
  Credentials credentials{&user, &password};
  const pam_conv conversation{&Converse, &credentials};
  pam_handle_t* handle = nullptr;
  int status = pam_start(service.c_str(), user.c_str(), &conversation, &handle);
  if (status != PAM_SUCCESS) {
    return MakeError("PAM service \"" + service +
                     "\" could not be started: " + pam_strerror(handle, status));
  }
  // A log-on needs good credentials and an account that may log on now.
  status = pam_authenticate(handle, PAM_SILENT | PAM_DISALLOW_NULL_AUTHTOK);
  if (status == PAM_SUCCESS) status = pam_acct_mgmt(handle, PAM_SILENT);
  pam_end(handle, status);
  return status == PAM_SUCCESS;
}

}  // namespace rv
