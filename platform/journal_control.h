#pragma once

// Recording the desktop's keyboard and mouse input into a file and playing
// such a file back. Every call is made on the program's main thread; the
// recording and the replay themselves run on their own.

#include <memory>
#include <string>

namespace rv {

class JournalControl {
 public:
  virtual ~JournalControl() = default;

  virtual void SetRecordFileName(const std::string& file) = 0;
  virtual std::string RecordFileName() const = 0;
  // Returns at once; input is recorded until StopRecord.
  virtual void StartRecord() = 0;
  // Ends the recording and leaves a complete file under RecordFileName.
  virtual void StopRecord() = 0;

  virtual void SetPlayBackFileName(const std::string& file) = 0;
  virtual std::string PlayBackFileName() const = 0;
  // Starts replaying and returns without waiting for the replay to end.
  virtual void PlayBack() = 0;
};

class JournalControlFactory {
 public:
  virtual ~JournalControlFactory() = default;
  virtual std::unique_ptr<JournalControl> Create() = 0;
};

}  // namespace rv
