// The recording part of libbass.so's exported interface.
#include "engine_state.h"

namespace lirra::engine {
namespace {

// What a recording channel tells about itself; it decodes nothing.
class CaptureInfo final : public Decoder {
 public:
  CaptureInfo(int rate, int channels) {
    info_.rate = rate;
    info_.channels = channels;
    info_.bits = 32;
    info_.ctype = BASS_CTYPE_RECORD;
  }
  const SourceInfo& info() const override { return info_; }
  size_t read(float*, size_t) override { return 0; }
  bool seek(int64_t) override { return false; }

 private:
  SourceInfo info_;
};

void FreeRecordingChannels() {
  EngineState& s = State();
  OutputLock lock(s.output.get());
  std::lock_guard<std::mutex> guard(s.table);
  std::erase_if(s.channels, [](const auto& e) { return e.second->kind() == ChannelKind::Record; });
}

}  // namespace
}  // namespace lirra::engine

using namespace lirra::engine;

extern "C" {

BOOL BASS_RecordInit(int device) {
  EngineState& s = State();
  std::lock_guard<std::mutex> guard(s.recording);
  if (s.recorder) return Fail(BASS_ERROR_ALREADY, FALSE);
  if (device != 0 && device != -1) return Fail(BASS_ERROR_DEVICE, FALSE);
  int error = BASS_OK;
  s.recorder = OpenPulseRecorder(3000, &error);
  return s.recorder ? Ok(TRUE) : Fail(error, FALSE);
}

BOOL BASS_RecordFree(void) {
  EngineState& s = State();
  std::lock_guard<std::mutex> guard(s.recording);
  if (!s.recorder) return Fail(BASS_ERROR_INIT, FALSE);
  FreeRecordingChannels();  // their capture streams use the recorder's connection
  s.recorder.reset();
  return Ok(TRUE);
}

const char* BASS_RecordGetInputName(int input) {
  EngineState& s = State();
  std::lock_guard<std::mutex> guard(s.recording);
  if (!s.recorder) return Fail<const char*>(BASS_ERROR_INIT, nullptr);
  const auto& inputs = s.recorder->inputs();
  if (input < 0 || input >= static_cast<int>(inputs.size()))
    return Fail<const char*>(BASS_ERROR_ILLPARAM, nullptr);
  return Ok(inputs[input].name.c_str());
}

BOOL BASS_RecordSetInput(int input, DWORD flags, float volume) {
  EngineState& s = State();
  std::lock_guard<std::mutex> guard(s.recording);
  if (!s.recorder) return Fail(BASS_ERROR_INIT, FALSE);
  if (input < 0 || input >= static_cast<int>(s.recorder->inputs().size()))
    return Fail(BASS_ERROR_ILLPARAM, FALSE);
  // One input records at a time: switching one on selects it; switching the selected one
  // off leaves it selected, as there is no "none".
  if ((flags & BASS_INPUT_ON) && !s.recorder->select(input)) return Fail(BASS_ERROR_ILLPARAM, FALSE);
  if (volume >= 0 && !s.recorder->setVolume(input, volume)) return Fail(BASS_ERROR_UNKNOWN, FALSE);
  return Ok(TRUE);
}

DWORD BASS_RecordGetInput(int input, float* volume) {
  EngineState& s = State();
  std::lock_guard<std::mutex> guard(s.recording);
  if (!s.recorder) return Fail(BASS_ERROR_INIT, kBadDword);
  const auto& inputs = s.recorder->inputs();
  if (input < 0 || input >= static_cast<int>(inputs.size())) return Fail(BASS_ERROR_ILLPARAM, kBadDword);
  if (volume) *volume = inputs[input].volume;
  const DWORD off = input == s.recorder->selected() ? 0 : BASS_INPUT_OFF;
  return Ok(inputs[input].type | off);
}

HRECORD BASS_RecordStart(DWORD freq, DWORD chans, DWORD flags, RECORDPROC* proc, void* /*user*/) {
  constexpr DWORD kStartPaused = 0x8000;  // BASS_RECORD_PAUSE
  EngineState& s = State();
  std::lock_guard<std::mutex> guard(s.recording);
  if (!s.recorder) return Fail(BASS_ERROR_INIT, HRECORD{0});
  if (proc) return Fail(BASS_ERROR_NOTAVAIL, HRECORD{0});  // data is read with GetData only
  const int rate = freq ? static_cast<int>(freq) : 44100;
  const int channels = chans ? static_cast<int>(chans) : 2;
  if (channels > 8 || rate < 1000 || rate > 192000) return Fail(BASS_ERROR_FORMAT, HRECORD{0});
  int error = BASS_OK;
  std::unique_ptr<CaptureStream> capture = s.recorder->start(rate, channels, &error);
  if (!capture) return Fail(error, HRECORD{0});
  if (flags & kStartPaused) capture->pause();
  const HRECORD handle = NewHandle();
  auto channel = std::make_shared<Channel>(handle, ChannelKind::Record, flags, "",
                                           std::make_unique<CaptureInfo>(rate, channels), rate);
  channel->attachCapture(std::move(capture));
  Insert(std::move(channel));
  return Ok(handle);
}

}  // extern "C"
