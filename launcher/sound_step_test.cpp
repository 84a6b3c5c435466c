// SOUND against a real PulseAudio server with a null sink, started by the
// test in a runtime folder of its own; the null sink plays in real time.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sndfile.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <thread>
#include <vector>

#include "common/task_list.h"
#include "launcher/testing_host.h"
#include "platform/linux_shell.h"
#include "platform/pulse_sound.h"

extern char** environ;

namespace rv {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using testing::MakeTempDir;
using testing::ScopedEnv;
using testing::TestingHost;
using testing::WriteFile;
using SteadyClock = std::chrono::steady_clock;

// A tone of `seconds` as a 16-bit mono WAV file.
std::string MakeWav(const std::string& path, double seconds) {
  SF_INFO info{};
  info.samplerate = 8000;
  info.channels = 1;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  EXPECT_NE(file, nullptr) << sf_strerror(nullptr);
  std::vector<short> samples(static_cast<std::size_t>(seconds * info.samplerate));
  for (std::size_t i = 0; i < samples.size(); ++i)
    samples[i] = (i / 10) % 2 ? 8000 : -8000;
  sf_writef_short(file, samples.data(), static_cast<sf_count_t>(samples.size()));
  sf_close(file);
  return path;
}

class SoundStep : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string pulseaudio = FindInPath("pulseaudio");
    if (pulseaudio.empty())
      GTEST_SKIP() << "pulseaudio is not installed (Debian package pulseaudio)";
    dir_ = MakeTempDir("pa");
    const std::string socket = dir_ + "native";
    std::vector<std::string> args = {
        pulseaudio,
        "-n",
        "--daemonize=no",
        "--exit-idle-time=-1",
        "--log-target=stderr",
        "--log-level=error",
        "-L",
        "module-null-sink",
        "-L",
        "module-native-protocol-unix auth-anonymous=1 socket=" + socket};
    runtime_ = std::make_unique<ScopedEnv>("XDG_RUNTIME_DIR", dir_.c_str());
    home_ = std::make_unique<ScopedEnv>("HOME", dir_.c_str());
    server_ = std::make_unique<ScopedEnv>("PULSE_SERVER", ("unix:" + socket).c_str());
    std::vector<char*> argv;
    for (std::string& arg : args)
      argv.push_back(arg.data());
    argv.push_back(nullptr);
    ASSERT_EQ(posix_spawn(&pid_, pulseaudio.c_str(), nullptr, nullptr, argv.data(), environ), 0);
    // Ready once the socket is there and a stream can be opened.
    const SteadyClock::time_point end = SteadyClock::now() + std::chrono::seconds(10);
    struct stat status {};
    while (::stat(socket.c_str(), &status) != 0 && SteadyClock::now() < end)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_EQ(::stat(socket.c_str(), &status), 0) << "pulseaudio did not start";
    services_.sound = &sound_;
    host_.handlers_ = MakeStepHandlers(services_);
  }

  void TearDown() override {
    sound_.Stop();
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      ::waitpid(pid_, nullptr, 0);
    }
  }

  int Run(std::vector<std::string> steps) {
    auto task = list_.Add();
    task->TaskName = "T";
    task->Steps = std::move(steps);
    task->StepCount = static_cast<int32_t>(task->Steps.size());
    return host_.Run(task);
  }

  std::string dir_;
  pid_t pid_ = 0;
  std::unique_ptr<ScopedEnv> runtime_, home_, server_;
  PulseSound sound_;
  TestingHost host_;
  StepServices services_{host_.shell_, host_.files_, host_.trash_};
  RVTaskList list_;
};

TEST_F(SoundStep, SynchronousWaitsForTheSoundAsynchronousReturnsAtOnceAndStopStops) {
  const std::string short_sound = MakeWav(dir_ + "short.wav", 0.6);
  const std::string long_sound = MakeWav(dir_ + "long.wav", 5);

  SteadyClock::time_point start = SteadyClock::now();
  EXPECT_EQ(Run({"SOUND: \"" + short_sound + "\",1"}), StepStatus::Okay);
  EXPECT_GE(SteadyClock::now() - start, std::chrono::milliseconds(550));
  EXPECT_FALSE(sound_.Playing());

  start = SteadyClock::now();
  EXPECT_EQ(Run({"SOUND: \"" + long_sound + "\",0"}), StepStatus::Okay);
  EXPECT_LT(SteadyClock::now() - start, std::chrono::seconds(3));
  EXPECT_TRUE(sound_.Playing());

  EXPECT_EQ(Run({"SOUND: \"\",2"}), StepStatus::Okay);
  EXPECT_FALSE(sound_.Playing());
  EXPECT_LT(SteadyClock::now() - start, std::chrono::seconds(4));
}

TEST_F(SoundStep, AMissingOrUndecodableFileAndAnUnknownModeFail) {
  const std::string good = MakeWav(dir_ + "good.wav", 0.1);
  const std::string bad = dir_ + "bad.wav";
  WriteFile(bad, "RIFF but not a sound at all");
  struct Case {
    std::string line;
    std::string logged;
  };
  for (const Case& c : {Case{"SOUND: \"" + dir_ + "missing.wav\",1", "missing.wav"},
                        Case{"SOUND: \"" + bad + "\",0", "bad.wav"},
                        Case{"SOUND: \"" + good + "\",3", "the mode must be 0, 1 or 2"},
                        Case{"SOUND: \"" + good + "\"", "the mode must be 0, 1 or 2"}}) {
    EXPECT_EQ(Run({c.line}), StepStatus::Failed) << c.line;
    EXPECT_THAT(host_.LogLines(), Contains(HasSubstr(c.logged))) << c.line;
  }
  EXPECT_FALSE(sound_.Playing());
}

TEST_F(SoundStep, FailsWhenNoSoundServerAnswers) {
  const std::string good = MakeWav(dir_ + "good.wav", 0.1);
  ScopedEnv nowhere("PULSE_SERVER", ("unix:" + dir_ + "nobody-listens").c_str());
  EXPECT_EQ(Run({"SOUND: \"" + good + "\",1"}), StepStatus::Failed);
  EXPECT_THAT(host_.LogLines(), Contains(HasSubstr("no sound server")));
}

}  // namespace
}  // namespace rv
