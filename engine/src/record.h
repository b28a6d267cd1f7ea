// Recording from the PulseAudio server: its sources are the recording inputs. The monitor
// of the default output comes first and is named as the card's stereo mix; one input at
// a time is selected, and recordings read from it.
//
// Threads: a Recorder and its capture streams may be used from any thread, one call at a
// time; their own main-loop thread fills the capture buffers.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace lirra::engine {

// What PulseAudio tells about a source, reduced to what decides its input type.
struct SourceFacts {
  bool monitor = false;
  std::string activePortType;  // "mic", "headset", "line", … or empty when it has no ports
  std::string formFactor;      // the "device.form_factor" property, or empty
};

// The BASS input type (top byte) of a source.
uint32_t InputTypeOf(const SourceFacts& facts);

struct RecordInput {
  std::string name;        // shown to the player
  std::string sourceName;  // PulseAudio's name
  uint32_t type = 0;       // BASS_INPUT_TYPE_*
  float volume = 1.0f;     // 0..1 of the source's volume
};

class CaptureStream {
 public:
  virtual ~CaptureStream() = default;
  virtual void pause() = 0;
  virtual void resume() = 0;
  virtual bool paused() const = 0;
  // The latest 1024 mono samples (oldest first, zeros before the recording began).
  virtual void latest(float* out1024) const = 0;
  virtual int64_t framesCaptured() const = 0;
  // The sound server went away: the recording waits, and goes on once it is back.
  virtual bool waitingForServer() const = 0;
};

class Recorder {
 public:
  virtual ~Recorder() = default;
  virtual const std::vector<RecordInput>& inputs() const = 0;
  virtual int selected() const = 0;  // index into inputs(), -1 when none
  virtual bool select(int index) = 0;
  virtual bool setVolume(int index, float volume) = 0;
  // Records the selected input; null with `*error` set on failure.
  virtual std::unique_ptr<CaptureStream> start(int rate, int channels, int* error) = 0;
};

std::unique_ptr<Recorder> OpenPulseRecorder(int timeoutMs, int* error);

}  // namespace lirra::engine
