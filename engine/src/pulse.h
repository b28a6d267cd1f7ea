// PulseAudio driver internals: the server connection (pulse_connection.cpp), the output
// (pulse_output.cpp) and one playback stream per playing channel (pulse_stream.cpp). All
// PulseAudio calls are made with the threaded main loop's lock held.
#pragma once

#include <pulse/pulseaudio.h>

#include <set>

#include "output.h"

namespace lirra::engine::pulse {

// A playback stream that outlives the server it plays on.
class ServerStream : public OutputStream {
 public:
  // The server went away: the stream's server side is gone; what was heard is kept.
  // The lost callback is not called here (the output calls every stream's after all of
  // them were lost).
  virtual void lose() = 0;
  virtual void notifyLost() = 0;
  // A server is there (again): the stream connects to it, without waiting, and plays on
  // as it was asked to meanwhile.
  virtual void reconnect(pa_context* context) = 0;
};

// The output's streams; each one enters itself and leaves when it goes.
using StreamSet = std::set<ServerStream*>;

// `context` null: the server is away, and the stream waits for reconnect().
std::unique_ptr<ServerStream> CreateStream(pa_threaded_mainloop* loop, pa_context* context,
                                           int rate, StreamCallbacks callbacks, StreamSet* set);

// Waits, with the main loop locked, until `ready` is true or `failed` is; the callbacks that
// change the state signal the main loop. False on failure or when `timeoutMs` passes.
template <typename Ready, typename Failed>
bool WaitFor(pa_threaded_mainloop* loop, int timeoutMs, Ready ready, Failed failed);

}  // namespace lirra::engine::pulse

#include "pulse_wait.inl"
