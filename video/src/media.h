// TDShowMedia: the library's one media object. It owns the pipeline ("graph") built for
// the open medium, the settings that outlive one medium (volume, balance, rate, graph
// mode) and the host's event callback, and delivers the pipeline's bus messages as graph
// events on the host's thread.
#pragma once

#include <gst/gst.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dvd_place.h"
#include "graph_kind.h"
#include "messages.h"
#include "orvana.h"
#include "playback_math.h"
#include "utilities.h"

namespace orvana {

// The bus message a pause that had already completed sends itself (EC_PAUSED follows).
inline constexpr const char* kPausedMessage = "orvana-paused";

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
  void SeekRelative(int64_t seconds);  // any int32 either way, negated included
  void StepOneFrame();
  bool SetStartStop(int32_t start, int32_t stop);
  int32_t SetMpegAudioChannel(int32_t mode);

  // The video window: the graph kind's picture operations.
  void FitVideo();
  bool GetVideoInfo(OrvanaVideoInfo* info);
  int32_t SetVideoWindow(uintptr_t window, int32_t code);
  void SetDigitalZoom(int32_t percent);
  int32_t StartFullScreen();
  void Repaint();
  void SetVideoEffects(int32_t value, int32_t effect);
  bool CaptureBitmap(const std::string& file);
  OrvanaBitmap* BitmapHandle();

  // Opens video input device `index` in graph mode 4: mode 0 shows it, 1 shows and records
  // it with the sound input to the next numbered AVI file in the host's folder, any other
  // only stores the callback.
  bool OpenCaptureDevice(int32_t mode, uintptr_t window, int32_t index, OrvanaMediaEventCallback callback);
  // The video input devices, listed on first need: false outside the list.
  bool VideoDevice(int32_t index, DeviceEntry* entry);

  // DVD volumes (graph mode 3). A navigator command answers false, sending nothing, without
  // a DVD graph; after a command with `normalRate` that succeeded the disc plays forwards at
  // rate 1 and FRate is 1.
  bool DvdCommand(const std::function<bool(DvdNavigator&)>& command, bool normalRate);
  // Forwards above 0, backwards below (not beyond 16 either way): an HRESULT; FRate follows.
  int32_t DvdPlayAtRate(double rate);
  bool DvdModifyRate(double delta);
  bool DvdSetPresentationMode(int32_t mode);
  bool DvdSetCaptions(bool on);
  // The place on the disc into a bookmark file (written whole), and back from one.
  void DvdSaveBookmark(const std::string& file);
  void DvdRestoreBookmark(const std::string& file);

  void AddListener(MediaEvents* listener) { FListeners.push_back(listener); }
  bool GraphBuilt() const { return FGraphBuilt; }
  // The built graph (null when none) and the window its pages and boxes belong to.
  GstElement* Pipeline() const { return FGraphBuilt ? graph_.pipeline : nullptr; }
  uintptr_t Owner() const { return graph_.owner; }
  uintptr_t ParentWindow() const { return FParentWnd; }

 private:
  // A built graph: its bus delivers events from now on.
  void WatchGraph();
  // A rendered graph goes into the table of graphs (when wanted and not there yet).
  void ListGraph();
  void TeardownGraph();
  int32_t CheckResult(int32_t hr);
  void NotifyStep(int32_t step, int32_t flag);
  void ReapplySettings();
  // The device stopped last, opened as it was (a recording in the next numbered file).
  bool OpenCaptureDeviceAgain();
  void VideoSizeChanged(const GstStructure* size);
  static gboolean OnBusMessage(GstBus* bus, GstMessage* message, gpointer self);
  // A playing file graph whose time stands still although it has not ended plays on by
  // the system's clock (checked twice a second).
  static gboolean CheckTimeRuns(gpointer self);
  void PlayOnIfTimeStands();
  void DispatchEvent(int32_t code, int32_t param1, int32_t param2);
  // A disc's domain, title, chapter and time, told to the host as they change (checked four
  // times a second and at each of the navigator's own messages).
  static gboolean CheckDvdPlace(gpointer self);
  void TellDvdPlace();
  // The picture's frames a second (25 or 30; 0 before a picture has passed).
  int32_t PicturesPerSecond();
  bool QueryTime(bool duration, gint64* ns);
  // A seek keeps the stop position the host set last (Orvana_SetStartStopPosition).
  bool Seek(double rate, gint64 start, GstSeekFlags flags);

  MessageTable& messages_;
  uintptr_t FParentWnd = 0;
  bool FGraphBuilt = false;
  int32_t FVolume = 10000;
  int32_t FBalance = 0;
  double FRate = 1.0;
  int32_t FZoom = 0;
  int32_t FGraphMode = 0;
  OrvanaMediaEventCallback FEventCallback = nullptr;
  std::vector<MediaEvents*> FListeners;

  std::unique_ptr<SysDevEnum> FDevEnum;  // the video input devices, once listed
  int32_t FCaptureCount = 0;             // the number of the last recording's file
  struct OpenedDevice {
    int32_t mode = 0;
    uintptr_t window = 0;
    int32_t index = 0;
  } openedDevice_;                       // how the device running now was opened
  std::unique_ptr<GraphKind> kind_;  // the graph mode's kind; null for a mode none builds
  Graph graph_;                      // what the kind built
  guint busWatch_ = 0;
  bool stopped_ = true;       // the last state command was stop (or nothing ran yet)
  bool pausePending_ = false; // a pause was asked; EC_PAUSED goes out when it completes
  bool buffering_ = false;    // the graph said it is buffering (EC_BUFFERING_DATA 1 sent)
  bool ended_ = false;        // the graph reached its end and has not been sent elsewhere since
  guint timeWatch_ = 0;       // the check that time runs while playing
  guint dvdWatch_ = 0;        // the check of a disc's place
  DvdReport dvdReported_;     // the place the host was told last
  StandingClockWatch clockWatch_;  // whether the graph's clock stands still for good
  int32_t appliedVolume_ = 0; // what the audio currently gets, in 1/100 dB
  gint64 stopAt_ = -1;        // where playing stops, in ns; -1: the end
  bool FRotWanted = true;     // list each built graph for a graph viewer
  uint32_t FRotCookie = 0;    // its entry in the table of graphs; 0 when not listed
};

// GStreamer comes up on first need, not at Orvana_Init: a host that never plays video
// pays nothing for it.
bool EnsureGstreamer();

}  // namespace orvana
