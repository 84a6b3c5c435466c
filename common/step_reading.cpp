#include "common/step_reading.h"

#include "common/step_keywords.h"
#include "common/step_line.h"

namespace rv {
namespace {

// The value texts the handler of `row` takes from `params`, one per entry of
// `params_read`, or the scanner's error.
Result<std::vector<std::string>> ReadValues(const StepKeyword& row, const std::string& params,
                                            std::span<const StepParam>& params_read) {
  params_read = row.params;
  switch (row.form) {
    case StepForm::kList:
      return ReadParamList(params, row.params.size());
    case StepForm::kWholeText:
      return std::vector<std::string>{params};
    case StepForm::kQuotedWholeText:
      return std::vector<std::string>{QuotedWholeText(params)};
    case StepForm::kListThenRest: {
      ListAndRest read = ReadListThenRest(params, row.params.size() - 1);
      read.values.push_back(std::move(read.rest));
      return std::move(read.values);
    }
    case StepForm::kSoundScan: {
      Result<SoundFields> sound = ScanSound(params);
      if (!sound) return MakeError(sound.error());
      return std::vector<std::string>{sound->file, sound->mode};
    }
    case StepForm::kInternetScan: {
      Result<InternetFields> internet = ScanInternet(params);
      if (!internet) return MakeError(internet.error());
      return std::vector<std::string>{internet->connection, internet->flag};
    }
    case StepForm::kWaitScan: {
      Result<WaitFields> wait = ScanWait(params);
      if (!wait) return MakeError(wait.error());
      return std::vector<std::string>{wait->title,    wait->timeout, wait->unit,
                                      wait->interval, wait->outcome, wait->task};
    }
    case StepForm::kOsCommand: {
      if (!IsLoginForm(params)) {
        params_read = row.params.first(1);
        return std::vector<std::string>{params};
      }
      params_read = row.params.subspan(1);
      Result<LoginFields> login = ScanLogin(params);
      if (!login) return MakeError(login.error());
      return std::vector<std::string>{login->user, login->password, login->domain};
    }
    case StepForm::kNotRead:
      return std::vector<std::string>{};
  }
  return std::vector<std::string>{};
}

}  // namespace

StepReading ReadStepLine(std::string_view line) {
  StepReading reading;
  if (IsCommentLine(line)) {
    reading.comment = true;
    return reading;
  }
  StepLine split = SplitStepLine(line);
  reading.keyword = split.keyword;
  const StepKeyword* row = FindStepKeyword(split.keyword);
  if (row == nullptr) return reading;
  reading.known = true;

  std::span<const StepParam> params_read;
  Result<std::vector<std::string>> texts = ReadValues(*row, split.params, params_read);
  if (!texts) {
    reading.error = texts.error();
    return reading;
  }
  for (std::size_t i = 0; i < params_read.size(); ++i) {
    const StepParam& param = params_read[i];
    std::string& text = (*texts)[i];
    bool converted = param.kind == ParamKind::kNumber ||
                     (param.kind == ParamKind::kOptionalNumber && !text.empty());
    if (converted && reading.error.empty()) {
      if (Result<int> number = ParseInteger(text); !number) {
        reading.error = std::string(param.name) + ": " + number.error();
      }
    }
    reading.values.push_back({std::string(param.name), std::move(text)});
  }
  return reading;
}

std::string FormatStepReading(const StepReading& reading) {
  if (reading.comment) return "comment\n";
  std::string out = "keyword: " + reading.keyword;
  if (!reading.known) return out + " (unknown)\n";
  out += '\n';
  for (std::size_t i = 0; i < reading.values.size(); ++i) {
    out += "param " + std::to_string(i + 1) + ": " + reading.values[i].text + '\n';
  }
  if (!reading.error.empty()) out += "error: " + reading.error + '\n';
  return out;
}

}  // namespace rv
