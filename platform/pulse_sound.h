#pragma once

// Sound on PulseAudio's simple API (which PipeWire also serves), files
// decoded with libsndfile. The server is the one PULSE_SERVER names, else
// the session's. Playing happens in a player thread of the object's own;
// destroying the object stops the sound and joins the thread.

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/sound.h"

namespace rv {

class PulseSound final : public Sound {
 public:
  PulseSound() = default;
  ~PulseSound() override;
  PulseSound(const PulseSound&) = delete;
  PulseSound& operator=(const PulseSound&) = delete;

  Result<void> PlayAsync(const std::string& file) override;
  Result<void> PlaySync(const std::string& file) override;
  void Stop() override;
  // Whether a sound is playing right now.
  bool Playing();

 private:
  struct Playback;

  // Decodes the file and connects to the server; the sound is not started.
  static Result<std::shared_ptr<Playback>> Prepare(const std::string& file);
  Result<std::shared_ptr<Playback>> Start(const std::string& file);

  std::mutex mutex_;
  std::shared_ptr<Playback> current_;
  std::thread player_;
};

}  // namespace rv
