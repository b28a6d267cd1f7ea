// PulseAudio driver internals: the server connection (pulse_output.cpp) and one playback
// stream per playing channel (pulse_stream.cpp). All PulseAudio calls are made with the
// threaded main loop's lock held.
#pragma once

#include <pulse/pulseaudio.h>

#include "output.h"

namespace lirra::engine::pulse {

std::unique_ptr<OutputStream> CreateStream(pa_threaded_mainloop* loop, pa_context* context,
                                           int rate, PullFunction pull,
                                           FinishedFunction finished);

// Waits, with the main loop locked, until `ready` is true or `failed` is; the callbacks that
// change the state signal the main loop. False on failure or when `timeoutMs` passes.
template <typename Ready, typename Failed>
bool WaitFor(pa_threaded_mainloop* loop, int timeoutMs, Ready ready, Failed failed);

}  // namespace lirra::engine::pulse

#include "pulse_wait.inl"
