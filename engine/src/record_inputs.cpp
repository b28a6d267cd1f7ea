// The BASS input type of a PulseAudio source.
#include "bass.h"
#include "record.h"

namespace lirra::engine {

uint32_t InputTypeOf(const SourceFacts& f) {
  if (f.monitor) return BASS_INPUT_TYPE_ANALOG;  // what the card plays: the stereo mix
  const std::string& port = f.activePortType;
  if (port == "mic" || port == "headset" || port == "handset" || port == "webcam" ||
      f.formFactor == "microphone" || f.formFactor == "headset" || f.formFactor == "webcam")
    return BASS_INPUT_TYPE_MIC;
  if (port == "line") return BASS_INPUT_TYPE_LINE;
  if (port == "spdif" || port == "hdmi") return BASS_INPUT_TYPE_DIGITAL;
  return BASS_INPUT_TYPE_UNDEF;
}

}  // namespace lirra::engine
