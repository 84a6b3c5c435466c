#include "platform/network/nmcli_dial_up.h"

#include <algorithm>

#include "platform/network/program_output.h"

namespace rv {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

std::string Trimmed(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
    text.pop_back();
  return text;
}

}  // namespace

std::vector<std::string> SplitTerseLine(const std::string& line) {
  std::vector<std::string> fields(1);
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '\\' && i + 1 < line.size()) {
      fields.back() += line[++i];
    } else if (line[i] == ':') {
      fields.emplace_back();
    } else {
      fields.back() += line[i];
    }
  }
  return fields;
}

NmcliDialUp::NmcliDialUp(std::string program, std::chrono::seconds limit)
    : program_(std::move(program)), limit_(limit) {}

Result<std::string> NmcliDialUp::Run(std::vector<std::string> args) {
  args.insert(args.begin(), program_);
  Result<ProgramOutput> output = CaptureProgram(args, limit_);
  if (!output) {
    return MakeError(output.error() + " (dial-up connections need NetworkManager and its nmcli)");
  }
  if (output->exit_status != 0) {
    std::string reason = Trimmed(output->err);
    if (reason.empty()) reason = Trimmed(output->out);
    if (reason.empty()) reason = "exit status " + std::to_string(output->exit_status);
    return MakeError("nmcli: " + reason);
  }
  return output->out;
}

Result<std::vector<std::string>> NmcliDialUp::ListConnections() {
  Result<std::string> out = Run({"-t", "-f", "NAME", "connection", "show"});
  if (!out) return MakeError(out.error());
  std::vector<std::string> names;
  for (const std::string& line : Lines(*out))
    names.push_back(SplitTerseLine(line).front());
  return names;
}

Result<std::vector<ActiveConnection>> NmcliDialUp::ActiveConnections() {
  Result<std::string> out = Run({"-t", "-f", "NAME,UUID", "connection", "show", "--active"});
  if (!out) return MakeError(out.error());
  std::vector<ActiveConnection> active;
  for (const std::string& line : Lines(*out)) {
    std::vector<std::string> fields = SplitTerseLine(line);
    if (fields.size() < 2) continue;
    active.push_back({fields[0], fields[1]});
  }
  return active;
}

Result<void> NmcliDialUp::Connect(const std::string& name) {
  // Asked first, so an unknown name gets a plain answer, not nmcli's guess.
  Result<std::vector<std::string>> names = ListConnections();
  if (!names) return MakeError(names.error());
  if (std::find(names->begin(), names->end(), name) == names->end())
    return MakeError("NetworkManager has no connection named \"" + name + "\"");
  Result<std::string> out = Run({"connection", "up", "id", name});
  if (!out) return MakeError(out.error());
  return {};
}

Result<void> NmcliDialUp::Disconnect(const std::string& handle) {
  Result<std::string> out = Run({"connection", "down", "uuid", handle});
  if (!out) return MakeError(out.error());
  return {};
}

}  // namespace rv
