#include "platform/pulse_sound.h"

#include <pulse/error.h>
#include <pulse/simple.h>
#include <sndfile.h>

#include <condition_variable>
#include <vector>

namespace rv {

struct PulseSound::Playback {
  ~Playback() {
    if (stream != nullptr) pa_simple_free(stream);
    if (file != nullptr) sf_close(file);
  }

  // Streams the file to the server; runs in the player thread.
  void Run() {
    // About 20 ms a write, so a stop request is seen quickly.
    const sf_count_t frames_per_chunk = std::max(1, rate / 50);
    std::vector<short> chunk(static_cast<std::size_t>(frames_per_chunk) * channels);
    int error = 0;
    bool failed = false;
    while (!stop.load()) {
      const sf_count_t frames = sf_readf_short(file, chunk.data(), frames_per_chunk);
      if (frames <= 0) break;
      if (pa_simple_write(stream, chunk.data(), static_cast<std::size_t>(frames) * channels * 2,
                          &error) < 0) {
        failed = true;
        break;
      }
    }
    if (stop.load() || failed)
      (void)pa_simple_flush(stream, &error);
    else
      (void)pa_simple_drain(stream, &error);
    std::lock_guard lock(mutex);
    done = true;
    changed.notify_all();
  }

  void WaitUntilDone() {
    std::unique_lock lock(mutex);
    changed.wait(lock, [this] { return done; });
  }

  SNDFILE* file = nullptr;
  pa_simple* stream = nullptr;
  int rate = 0;
  int channels = 0;
  std::atomic<bool> stop{false};
  std::mutex mutex;
  std::condition_variable changed;
  bool done = false;
};

PulseSound::~PulseSound() {
  Stop();
}

Result<std::shared_ptr<PulseSound::Playback>> PulseSound::Prepare(const std::string& file) {
  auto playback = std::make_shared<Playback>();
  SF_INFO info{};
  playback->file = sf_open(file.c_str(), SFM_READ, &info);
  if (playback->file == nullptr)
    return MakeError("cannot play \"" + file + "\": " + sf_strerror(nullptr));
  if (info.channels < 1 || info.channels > static_cast<int>(PA_CHANNELS_MAX) ||
      info.samplerate < 1 || info.samplerate > static_cast<int>(PA_RATE_MAX))
    return MakeError("cannot play \"" + file + "\": unsupported channel count or sample rate");
  playback->rate = info.samplerate;
  playback->channels = info.channels;

  pa_sample_spec spec{};
  spec.format = PA_SAMPLE_S16NE;
  spec.rate = static_cast<std::uint32_t>(info.samplerate);
  spec.channels = static_cast<std::uint8_t>(info.channels);
  // A short target buffer: a stopped sound goes quiet at once, and a
  // waiting caller returns close to the sound's real end.
  pa_buffer_attr attributes{};
  attributes.maxlength = static_cast<std::uint32_t>(-1);
  attributes.tlength = static_cast<std::uint32_t>(pa_usec_to_bytes(100000, &spec));
  attributes.prebuf = static_cast<std::uint32_t>(-1);
  attributes.minreq = static_cast<std::uint32_t>(-1);
  attributes.fragsize = static_cast<std::uint32_t>(-1);
  int error = 0;
  playback->stream = pa_simple_new(nullptr, "Runvane", PA_STREAM_PLAYBACK, nullptr, "sound", &spec,
                                   nullptr, &attributes, &error);
  if (playback->stream == nullptr)
    return MakeError("cannot play \"" + file + "\": no sound server (" + pa_strerror(error) + ")");
  return playback;
}

Result<std::shared_ptr<PulseSound::Playback>> PulseSound::Start(const std::string& file) {
  Stop();
  Result<std::shared_ptr<Playback>> playback = Prepare(file);
  if (!playback) return MakeError(playback.error());
  std::lock_guard lock(mutex_);
  // Another caller may have started a sound meanwhile: this one replaces it.
  if (current_ != nullptr) {
    current_->stop.store(true);
    player_.join();
  }
  current_ = *playback;
  player_ = std::thread([playback = *playback] { playback->Run(); });
  return *playback;
}

Result<void> PulseSound::PlayAsync(const std::string& file) {
  Result<std::shared_ptr<Playback>> playback = Start(file);
  if (!playback) return MakeError(playback.error());
  return {};
}

Result<void> PulseSound::PlaySync(const std::string& file) {
  Result<std::shared_ptr<Playback>> playback = Start(file);
  if (!playback) return MakeError(playback.error());
  (*playback)->WaitUntilDone();
  return {};
}

bool PulseSound::Playing() {
  std::lock_guard lock(mutex_);
  if (current_ == nullptr) return false;
  std::lock_guard done_lock(current_->mutex);
  return !current_->done;
}

void PulseSound::Stop() {
  std::lock_guard lock(mutex_);
  if (current_ == nullptr) return;
  current_->stop.store(true);
  player_.join();
  current_.reset();
}

}  // namespace rv
