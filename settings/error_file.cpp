#include "settings/error_file.h"

#include "platform/error_file.h"

namespace rv {

std::string SettingsExceptionText(std::exception_ptr error) {
  std::string text = ExceptionText(error, "settings");
  if (text.size() > kErrorTextLimit) text.resize(kErrorTextLimit);
  return text;
}

bool IsIgnoredException(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const EConvertError& convert) {
    return convert.sender() == ErrorSender::TabSheet || convert.sender() == ErrorSender::Panel;
  } catch (...) {
    return false;
  }
}

ErrorHandling HandleException(std::exception_ptr error, const std::string& path) {
  if (IsIgnoredException(error)) return ErrorHandling::Ignored;
  return AppendToErrorFile(path, SettingsExceptionText(error)) ? ErrorHandling::Written
                                                               : ErrorHandling::NotWritten;
}

}  // namespace rv
