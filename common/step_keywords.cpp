#include "common/step_keywords.h"

namespace rv {
namespace {

using enum ParamKind;

constexpr StepParam kStart[] = {
    {"program", kText}, {"parameters", kText}, {"window state", kNumber}, {"directory", kText}};
constexpr StepParam kDocument[] = {{"document", kText}};
constexpr StepParam kSourceDest[] = {{"source", kText}, {"destination", kText}};
constexpr StepParam kRename[] = {{"old name", kText}, {"new name", kText}};
constexpr StepParam kFile[] = {{"file", kText}};
constexpr StepParam kDirectory[] = {{"directory", kText}};
constexpr StepParam kWindowTitle[] = {{"window title", kText}};
constexpr StepParam kSend[] = {{"pause first", kNumber}, {"pause", kNumber}, {"keys", kText}};
constexpr StepParam kPause[] = {{"pause", kText}};
constexpr StepParam kWait[] = {{"window title", kText}, {"timeout", kNumber}, {"unit", kText},
                               {"interval", kNumber},   {"outcome", kNumber}, {"task", kText}};
constexpr StepParam kEndLoop[] = {{"count", kNumber}};
constexpr StepParam kFtpLogin[] = {{"host", kText},     {"user", kText},
                                   {"password", kText}, {"port", kOptionalNumber},
                                   {"log file", kText}, {"log overwrite", kNumber}};
constexpr StepParam kRemoteDirectory[] = {{"remote directory", kText}};
constexpr StepParam kFtpUpload[] = {
    {"local file", kText}, {"remote file", kText}, {"transfer type", kNumber}};
constexpr StepParam kFtpDownload[] = {
    {"remote file", kText}, {"local file", kText}, {"transfer type", kNumber}};
constexpr StepParam kRemoteFile[] = {{"remote file", kText}};
constexpr StepParam kFtpRename[] = {{"old remote name", kText}, {"new remote name", kText}};
constexpr StepParam kFtpQuick[] = {
    {"host", kText},       {"user", kText},        {"password", kText}, {"port", kOptionalNumber},
    {"local file", kText}, {"remote file", kText}, {"log file", kText}, {"log overwrite", kNumber}};
constexpr StepParam kSmtp[] = {{"mail server", kText},    {"sender", kText},  {"recipient", kText},
                               {"copy recipient", kText}, {"subject", kText}, {"body file", kText}};
constexpr StepParam kPop[] = {{"mail server", kText},
                              {"user", kText},
                              {"password", kText},
                              {"mail waiting", kNumber},
                              {"no mail waiting", kNumber}};
constexpr StepParam kInternet[] = {{"connection", kText}, {"flag", kText}};
constexpr StepParam kScript[] = {{"script", kText}};
constexpr StepParam kMessage[] = {{"text", kText}, {"bring to front", kText}};
constexpr StepParam kReminder[] = {{"text", kText}, {"snooze minutes", kText}};
constexpr StepParam kSound[] = {{"sound file", kText}, {"mode", kNumber}};
constexpr StepParam kDde[] = {{"service", kText}, {"topic", kText}, {"command", kText}};
constexpr StepParam kRecord[] = {{"recording file", kText}};
constexpr StepParam kOs[] = {
    {"command", kText}, {"user", kText}, {"password", kText}, {"domain", kText}};

using enum StepForm;

constexpr std::array<StepKeyword, kStepKeywordCount> kKeywords{{
    {"START", kList, kStart},
    {"OPEN", kQuotedWholeText, kDocument},
    {"PRINT", kQuotedWholeText, kDocument},
    {"COPY", kList, kSourceDest},
    {"MOVE", kList, kSourceDest},
    {"RENAME", kList, kRename},
    {"DELETE", kList, kFile},
    {"MAKEDIR", kList, kDirectory},
    {"REMDIR", kList, kDirectory},
    {"CD", kList, kDirectory},
    {"FOCUS", kWholeText, kWindowTitle},
    {"SEND", kListThenRest, kSend},
    {"PAUSE", kWholeText, kPause},
    {"WAIT", kWaitScan, kWait},
    {"BEGINLOOP", kNotRead, {}},
    {"ENDLOOP", kList, kEndLoop},
    {"FTPLOGIN", kList, kFtpLogin},
    {"FTPLOGOUT", kNotRead, {}},
    {"FTPCD", kList, kRemoteDirectory},
    {"FTPUPLOADEX", kList, kFtpUpload},
    {"FTPDNLOADEX", kList, kFtpDownload},
    {"FTPDELETE", kList, kRemoteFile},
    {"FTPRENAME", kList, kFtpRename},
    {"FTPMAKEDIR", kList, kRemoteDirectory},
    {"FTPREMDIR", kList, kRemoteDirectory},
    {"FTPUPLOAD", kList, kFtpQuick},
    {"FTPDOWNLOAD", kList, kFtpQuick},
    {"SMTP", kList, kSmtp},
    {"POP", kList, kPop},
    {"INTERNET", kInternetScan, kInternet},
    {"SCRIPT", kWholeText, kScript},
    {"MESSAGE", kList, kMessage},
    {"REMINDER", kList, kReminder},
    {"SOUND", kSoundScan, kSound},
    {"DDE", kList, kDde},
    {"RECORD", kList, kRecord},
    {"OS", kOsCommand, kOs},
}};

}  // namespace

std::span<const StepKeyword, kStepKeywordCount> StepKeywords() {
  return kKeywords;
}

std::optional<std::size_t> StepKeywordIndex(std::string_view keyword) {
  for (std::size_t i = 0; i < kKeywords.size(); ++i) {
    if (kKeywords[i].keyword == keyword) return i;
  }
  return std::nullopt;
}

const StepKeyword* FindStepKeyword(std::string_view keyword) {
  std::optional<std::size_t> index = StepKeywordIndex(keyword);
  return index ? &kKeywords[*index] : nullptr;
}

}  // namespace rv
