// What the library does to the decoded sound on its way to the sink, in place and in the
// sound's own format (any channel count, integer or float): the balance attenuates the
// channels of one side, and the dual channel choice puts one channel of an MPEG audio
// stream coded as two mono channels ("dual channel") on both. Ordinary stereo, surround and
// float sound reach the sink as they were decoded.
#pragma once

#include <gst/audio/audio.h>
#include <gst/gst.h>

#include <memory>
#include <mutex>

namespace orvana {

class AudioShaper {
 public:
  // Shapes what leaves `element` (a stage that passes the sound unchanged, such as
  // identity) from now on.
  static std::shared_ptr<AudioShaper> Attach(GstElement* element);

  // -1 .. 1: a negative value attenuates the right side to 1 + value, a positive one the left
  // side to 1 - value; 0 leaves both.
  void SetPanorama(double panorama);
  // 0 both channels as they are, 1 the left on both, 2 the right on both; only for a
  // dual channel stream.
  void SetDualChoice(int choice);

  // A buffer of the stream, shaped in place (the balance in every sample format).
  void Shape(GstBuffer* buffer);
  // The stream's format, as its caps announce it.
  void SetFormat(const GstCaps* caps);

 private:
  static GstPadProbeReturn OnData(GstPad* pad, GstPadProbeInfo* info, gpointer self);
  bool Idle();

  std::mutex mutex_;  // set from the host's thread, used on the streaming thread
  GstAudioInfo info_{};
  bool known_ = false;  // info_ holds the stream's format
  bool dual_ = false;   // the stream says it is coded as dual channel
  int choice_ = 0;
  double panorama_ = 0;
};

}  // namespace orvana
