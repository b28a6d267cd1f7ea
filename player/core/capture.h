// Recording what is heard for media the video library plays without a picture (MIDI and
// other audio-only media): their sound never passes through the engine, so the engine
// records it back from an input (a synthesizer input for MIDI, else one named like a wave,
// stereo or mix input; the output's monitor is listed as a stereo mix) and that recording
// stands in as the current channel for the spectrum. The microphone comes back at the end.
#pragma once

namespace lirra {

struct PlayerContext;

// Examines the recording inputs, off the UI thread: sets CaptureInputIndex and
// MicInputIndex, and TrackKind to 8 when a recording device is there; with `record`, also
// switches the capture input on and records into CurrentChannel.
void OpenCapture(PlayerContext& ctx, bool record);
// Switches the microphone on again and frees the recording device.
void EndCapture(PlayerContext& ctx);
// After a restore: the recording device and the capture input on again.
void ResumeCapture(PlayerContext& ctx);

}  // namespace lirra
