#include "settings/error_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/testing/test_home.h"

namespace rv {
namespace {

std::exception_ptr Raised(auto exception) {
  try {
    throw exception;
  } catch (...) {
    return std::current_exception();
  }
}

TEST(ErrorFile, ConversionErrorsOfPagesAndPanelsAreDropped) {
  const std::string path = testing::MakeTempDir() + "rverr.rve";
  EXPECT_EQ(
      HandleException(Raised(EConvertError("'x' is not a valid integer value", ErrorSender::Panel)),
                      path),
      ErrorHandling::Ignored);
  EXPECT_EQ(
      HandleException(
          Raised(EConvertError("'' is not a valid integer value", ErrorSender::TabSheet)), path),
      ErrorHandling::Ignored);
  EXPECT_FALSE(std::filesystem::exists(path));

  // Any other exception, a conversion error of another sender included,
  // appends one entry each.
  EXPECT_EQ(HandleException(Raised(EConvertError("bad date", ErrorSender::Other)), path),
            ErrorHandling::Written);
  EXPECT_EQ(HandleException(Raised(std::runtime_error("list index out of bounds")), path),
            ErrorHandling::Written);
  EXPECT_EQ(testing::ReadFile(path),
            "Exception rv::EConvertError in module settings: bad date.\n"
            "Exception std::runtime_error in module settings: list index out of bounds.\n");
}

TEST(ErrorFile, LongTextsAreCutAndUnwritableFilesReported) {
  const std::string text =
      SettingsExceptionText(Raised(std::runtime_error(std::string(2000, 'x'))));
  EXPECT_EQ(text.size(), kErrorTextLimit);
  EXPECT_EQ(HandleException(Raised(std::runtime_error("boom")),
                            testing::MakeTempDir() + "missing/rverr.rve"),
            ErrorHandling::NotWritten);
}

}  // namespace
}  // namespace rv
