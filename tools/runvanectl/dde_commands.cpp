#include <optional>

#include "common/step_reading.h"
#include "platform/dde_client.h"
#include "tools/runvanectl/command.h"

namespace rv::ctl {
namespace {

struct SendOptions {
  std::string service = "Runvane";
  std::string topic = "System";
  dde::Wait wait = dde::Wait::Yes;
  std::string start;
  std::vector<std::string> words;
};

// Options may come before the words; "--" ends them.
std::optional<SendOptions> ParseSendOptions(const Arguments& args, Streams io) {
  SendOptions options;
  bool options_done = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto value = [&](std::string& into) {
      if (i + 1 >= args.size()) {
        io.err << "runvanectl: " << arg << " needs a value\n";
        return false;
      }
      into = args[++i];
      return true;
    };
    if (options_done || arg.rfind("--", 0) != 0) {
      options.words.push_back(arg);
    } else if (arg == "--") {
      options_done = true;
    } else if (arg == "--service") {
      if (!value(options.service)) return std::nullopt;
    } else if (arg == "--topic") {
      if (!value(options.topic)) return std::nullopt;
    } else if (arg == "--start") {
      if (!value(options.start)) return std::nullopt;
    } else if (arg == "--no-wait") {
      options.wait = dde::Wait::No;
    } else {
      io.err << "runvanectl: unknown option " << arg << "\n";
      return std::nullopt;
    }
  }
  return options;
}

int Deliver(const SendOptions& options, const std::string& text, Streams io) {
  dde::SocketClient client;
  Result<void> sent = client.Execute(
      dde::Command{options.service, options.topic, text, options.wait, options.start});
  if (!sent) {
    io.err << "runvanectl: " << sent.error() << "\n";
    return 1;
  }
  return 0;
}

}  // namespace

int SendCommand(const Arguments& args, Streams io) {
  std::optional<SendOptions> options = ParseSendOptions(args, io);
  if (!options) return 2;
  if (options->words.size() != 1) {
    io.err << "usage: runvanectl send [--service S] [--topic T] [--no-wait] [--start PROGRAM] "
              "TEXT\n";
    return 2;
  }
  return Deliver(*options, options->words[0], io);
}

int LauncherShorthand(const std::string& command, const Arguments& args, Streams io) {
  std::optional<SendOptions> options = ParseSendOptions(args, io);
  if (!options) return 2;
  const std::vector<std::string>& words = options->words;
  auto usage = [&](const char* form) {
    io.err << "usage: runvanectl " << form << "\n";
    return 2;
  };
  std::string text;
  if (command == "launch" || command == "kill") {
    if (words.size() != 1) return usage(command == "launch" ? "launch NAME" : "kill NAME");
    text = (command == "launch" ? "LAUNCH: " : "KILL: ") + words[0];
  } else if (command == "play") {
    if (words.empty()) return usage("play STEP...");
    text = "PLAYSTEPS: ";
    for (size_t i = 0; i < words.size(); ++i)
      text += (i ? "\r\n" : "") + words[i];
  } else {
    if (!words.empty()) return usage(command.c_str());
    if (command == "update") text = "UPDATE";
    if (command == "start-processing") text = "STARTPROCESSING";
    if (command == "stop-processing") text = "STOPPROCESSING";
    if (command == "quit") text = "KILLRUNVANE";
  }
  return Deliver(*options, text, io);
}

int StepCommand(const Arguments& args, Streams io) {
  if (args.size() != 1) {
    io.err << "usage: runvanectl step 'LINE'\n";
    return 2;
  }
  const StepReading reading = ReadStepLine(args[0]);
  io.out << FormatStepReading(reading);
  return reading.error.empty() ? 0 : 1;
}

}  // namespace rv::ctl
