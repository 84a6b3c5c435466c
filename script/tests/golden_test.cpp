// Runs every golden script below this folder (one folder per feature). A
// script states what it must do in comments:
//   ' expect: TEXT                  the next line of output is TEXT
//   ' expect error: line N: MESSAGE  the run ends with this error
// Output lines and the error must match exactly and completely.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "script/engine.h"

namespace rv::script {
namespace {

namespace fs = std::filesystem;

struct Golden {
  std::vector<std::string> output;
  std::string error;  // "line N: message", empty when none is expected
};

Golden ReadExpectations(const std::string& text) {
  Golden g;
  std::istringstream in(text);
  std::string line;
  const std::string out_mark = "' expect: ";
  const std::string err_mark = "' expect error: ";
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    size_t at = line.find(err_mark);
    if (at != std::string::npos) {
      g.error = line.substr(at + err_mark.size());
      continue;
    }
    at = line.find(out_mark);
    if (at != std::string::npos)
      g.output.push_back(line.substr(at + out_mark.size()));
    else if (line.size() >= 9 && line.compare(line.size() - 9, 9, "' expect:") == 0)
      g.output.push_back("");
  }
  return g;
}

std::vector<std::string> GoldenFiles() {
  std::vector<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(RV_SCRIPT_GOLDEN_DIR)) {
    if (entry.is_regular_file() && entry.path().extension() == ".bas") {
      files.push_back(fs::relative(entry.path(), RV_SCRIPT_GOLDEN_DIR).string());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

class GoldenScript : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenScript, RunsAsItsCommentsSay) {
  fs::path path = fs::path(RV_SCRIPT_GOLDEN_DIR) / GetParam();
  std::ifstream in(path, std::ios::binary);
  ASSERT_TRUE(in) << path;
  std::ostringstream text;
  text << in.rdbuf();
  Golden expected = ReadExpectations(text.str());
  ASSERT_FALSE(expected.output.empty() && expected.error.empty())
      << GetParam() << " states no expectation";

  ScriptEngine engine;
  std::vector<std::string> output;
  std::string error;
  engine.OnPrint = [&](const std::string& line) { output.push_back(line); };
  engine.OnError = [&](const ScriptErrorInfo& e) {
    error = "line " + std::to_string(e.line) + ": " + e.message;
  };
  Result<void> result = engine.RunText(text.str(), GetParam());

  EXPECT_EQ(result.ok(), expected.error.empty()) << (result ? "" : result.error());
  EXPECT_EQ(error, expected.error);
  EXPECT_EQ(output, expected.output);
  EXPECT_FALSE(engine.Run());
}

std::string TestName(const ::testing::TestParamInfo<std::string>& info) {
  std::string name = info.param;
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return name.substr(0, name.size() - 4);
}

INSTANTIATE_TEST_SUITE_P(Scripts, GoldenScript, ::testing::ValuesIn(GoldenFiles()), TestName);

}  // namespace
}  // namespace rv::script
