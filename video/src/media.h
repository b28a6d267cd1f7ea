// TDShowMedia: the library's one media object. It owns the pipeline ("graph") built for
// the open medium, the settings that outlive one medium (volume, balance, rate, graph
// mode) and the host's event callback, and delivers the pipeline's bus messages as graph
// events on the host's thread.
#pragma once

#include <gst/gst.h>
#include <gst/video/video.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "messages.h"
#include "orvana.h"
#include "windowless_renderer.h"

namespace orvana {

// Told of every graph event and of the state steps (0 run, 1 pause, 2 stop, 3 before and
// 4 after rendering a file, 5 and 6 around a DVD volume).
class MediaEvents {
 public:
  virtual ~MediaEvents() = default;
  virtual void OnGraphEvent(int32_t code, int32_t param1, int32_t param2) = 0;
  virtual void OnStateChange(int32_t step, int32_t flag) = 0;
};

class TDShowMedia {
 public:
  TDShowMedia(uintptr_t parentWindow, MessageTable& messages);
  ~TDShowMedia();
  TDShowMedia(const TDShowMedia&) = delete;
  TDShowMedia& operator=(const TDShowMedia&) = delete;

  // Loading (Orvana_MediaLoad) and closing (state command 4).
  int32_t Load(bool playAtOnce, uintptr_t window, const char* file, bool renderLog,
               OrvanaMediaEventCallback callback);
  bool Close();
  int32_t SetConfig(int32_t key, int32_t value);
  int32_t GraphMode() const { return FGraphMode; }

  // Playback control.
  bool StateCommand(int32_t command);
  void SetVolume(int32_t volume);
  int32_t Volume() const { return FVolume; }
  void SetBalance(int32_t balance);
  int32_t Balance() const { return FBalance; }
  void SetRate(double rate);
  int32_t IsActive();
  int32_t Seconds(int32_t kind);
  bool TimeText(int32_t kind, std::string* text);
  void SetPosition(double seconds);
  bool Mute();
  void SeekRelative(int32_t seconds);
  void StepOneFrame();
  bool SetStartStop(int32_t start, int32_t stop);
  int32_t SetMpegAudioChannel(int32_t mode);

  // The video window.
  void FitVideo();
  bool GetVideoInfo(OrvanaVideoInfo* info);
  int32_t SetVideoWindow(uintptr_t window, int32_t code);
  void SetDigitalZoom(int32_t percent);
  int32_t StartFullScreen();
  void Repaint();
  void SetVideoEffects(int32_t value, int32_t effect);
  bool CaptureBitmap(const std::string& file);
  OrvanaBitmap* BitmapHandle();

  void AddListener(MediaEvents* listener) { FListeners.push_back(listener); }
  bool GraphBuilt() const { return FGraphBuilt; }

  // Read by the tests through the exports only; kept public for the diagnostics.
  int32_t FZoom = 0;
  int32_t FVideoWidth = 4290;
  int32_t FVideoHeight = 2640;
  bool FHasVideo = false;

 private:
  void BuildGraph();
  void TeardownGraph();
  int32_t CheckResult(int32_t hr);
  void NotifyStep(int32_t step, int32_t flag);
  void ReapplySettings();
  void ReadVideoInfo();
  void Attach();
  int32_t Render(const char* file);
  int32_t RenderByHand(const char* file);
  void LinkDecodedPad(GstPad* pad);
  bool Windowless() const { return FGraphMode == 1 || FGraphMode == 2; }
  static gboolean OnBusMessage(GstBus* bus, GstMessage* message, gpointer self);
  void DispatchEvent(int32_t code, int32_t param1, int32_t param2);
  bool QueryTime(bool duration, gint64* ns);
  bool Seek(double rate, gint64 start, GstSeekType startType, gint64 stop, GstSeekType stopType,
            GstSeekFlags flags);
  GstSample* CurrentFrame();

  MessageTable& messages_;
  bool FLogVolume = true;
  uintptr_t FParentWnd = 0;
  bool FGraphBuilt = false;
  int32_t FVolume = 10000;
  int32_t FBalance = 0;
  double FRate = 1.0;
  uintptr_t FOwnerWnd = 0;
  bool FGrabberReady = false;
  int32_t FGraphMode = 0;
  OrvanaMediaEventCallback FEventCallback = nullptr;
  int32_t FCaptureCount = 0;
  bool FRotWanted = true;
  std::vector<MediaEvents*> FListeners;

  // The graph: the pipeline, its overlay sink and its audio balance stage.
  GstElement* FGraph = nullptr;
  GstElement* FVideoSink = nullptr;
  GstElement* FPanorama = nullptr;
  GstElement* FCrop = nullptr;
  GstElement* FChannelMix = nullptr;  // the dual channel choice for MPEG audio
  GstElement* FVolumeStage = nullptr;  // what has the "volume": playbin, or mode 2's volume
  GstElement* FSource = nullptr;       // mode 2: the source decoding the file
  std::unique_ptr<WindowlessRenderer> FRendererWindowless;  // modes 1 and 2
  int linkedPads_ = 0;                 // mode 2: outputs of the source rendered
  uintptr_t FVideoWindow = 0;  // the renderer's window (a native child of the owner)
  guint busWatch_ = 0;
  bool stopped_ = true;       // the last state command was stop (or nothing ran yet)
  int32_t appliedVolume_ = 0; // what the audio currently gets, in 1/100 dB
};

// GStreamer comes up on first need, not at Orvana_Init: a host that never plays video
// pays nothing for it.
bool EnsureGstreamer();

}  // namespace orvana
