// The sink heard through the engine's recording of its monitor: whether the benchmarks'
// tone (1722.66 Hz, the centre of spectrum bin 40) is playing now.
#pragma once

#include "bass.h"

namespace lirra::bench {

// The monitor's recording channel, 0 when the sink cannot be recorded.
inline HRECORD StartSinkMonitor() {
  if (!BASS_RecordInit(0) || !BASS_RecordSetInput(0, BASS_INPUT_ON, -1.0f)) return 0;
  return BASS_RecordStart(44100, 1, 0, nullptr, nullptr);
}

inline bool ToneHeard(HRECORD monitor) {
  float bins[512];
  return BASS_ChannelGetData(monitor, bins, BASS_DATA_FFT1024) != 0xFFFFFFFFu && bins[40] > 0.05f;
}

}  // namespace lirra::bench
