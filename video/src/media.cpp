#include "media.h"

#include <QSaveFile>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "graph_registry.h"
#include "graph_support.h"
#include "host_window.h"
#include "playback_math.h"
#include "render_log.h"
#include "utilities.h"

namespace orvana {

namespace {

constexpr double kLongestSeconds = 1e9;  // about 31 years, far inside a clock time's range
constexpr GstClockTime kSeekSettle = 2 * GST_SECOND;

}  // namespace

bool EnsureGstreamer() {
  static const bool ready = gst_init_check(nullptr, nullptr, nullptr);
  return ready;
}

TDShowMedia::TDShowMedia(uintptr_t parentWindow, MessageTable& messages)
    : messages_(messages), FParentWnd(parentWindow), kind_(MakeGraphKind(0)) {}

TDShowMedia::~TDShowMedia() { Close(); }

int32_t TDShowMedia::CheckResult(int32_t hr) {
  if (hr < 0)
    ShowMessageBox(graph_.owner, messages_.ErrorCodeText(hr), messages_.text(Message::ErrorCaption), BoxIcon::Error);
  return hr;
}

void TDShowMedia::NotifyStep(int32_t step, int32_t flag) {
  for (MediaEvents* l : FListeners) l->OnStateChange(step, flag);
  if (step <= 2) FitVideo();
}

void TDShowMedia::WatchGraph() {
  GstBus* bus = gst_element_get_bus(graph_.pipeline);
  busWatch_ = gst_bus_add_watch(bus, &TDShowMedia::OnBusMessage, this);
  gst_object_unref(bus);
  // Files only: a disc stands still in its menus, a camera has no end to reach.
  if (FGraphMode <= 2) timeWatch_ = g_timeout_add(500, &TDShowMedia::CheckTimeRuns, this);
  if (kind_->PlaysDisc()) dvdWatch_ = g_timeout_add(250, &TDShowMedia::CheckDvdPlace, this);
  FGraphBuilt = true;
}

void TDShowMedia::ListGraph() {
  if (FRotWanted && !FRotCookie) FRotCookie = RegisterGraph(graph_.pipeline);
}

void TDShowMedia::TeardownGraph() {
  if (!FGraphBuilt) return;
  StateCommand(ORVANA_STOP);
  for (guint watch : {busWatch_, timeWatch_, dvdWatch_})
    if (watch) g_source_remove(watch);
  busWatch_ = timeWatch_ = dvdWatch_ = 0;
  RevokeGraph(FRotCookie);
  FRotCookie = 0;
  FGraphBuilt = false;
}

bool TDShowMedia::Close() {
  if (!FGraphBuilt) return false;
  TeardownGraph();
  gst_element_set_state(graph_.pipeline, GST_STATE_NULL);
  gst_object_unref(graph_.pipeline);
  kind_->Release();
  graph_ = Graph::For(graph_.owner);
  stopped_ = true;
  buffering_ = pausePending_ = ended_ = false;
  clockWatch_.Reset();
  stopAt_ = -1;
  dvdReported_ = {};
  return true;
}

int32_t TDShowMedia::SetConfig(int32_t key, int32_t value) {
  if (key != ORVANA_CONFIG_GRAPH_MODE) return 0;
  Close();
  // The mode is kept as given: a mode no kind builds (below 0, above 4) loads nothing.
  FGraphMode = value;
  kind_ = MakeGraphKind(FGraphMode);
  return 1;
}

int32_t TDShowMedia::Load(bool playAtOnce, uintptr_t window, const char* file, bool renderLog,
                          OrvanaMediaEventCallback callback) {
  // Devices are opened by Orvana_Capture_OpenVideoDevice only.
  if (!kind_ || FGraphMode == 4) return ORVANA_S_FALSE;
  graph_.owner = window;
  Close();
  if (!EnsureGstreamer()) return ORVANA_S_FALSE;
  if (const int32_t ready = kind_->Available(messages_, window); ready != ORVANA_S_OK) return ready;
  if (!kind_->Build(graph_)) {
    graph_ = Graph::For(window);
    return ORVANA_S_FALSE;
  }
  WatchGraph();

  // A DVD volume is told as steps 5 and 6 and plays at once.
  const bool volume = kind_->PlaysDisc();
  NotifyStep(volume ? 5 : 3, volume ? 1 : 0);
  if (renderLog) StartRenderLog();
  const int32_t rendered = kind_->Render(graph_, CutFileName(file));
  StopRenderLog();
  const int32_t hr = CheckResult(rendered);
  if (hr >= 0) {
    NotifyStep(volume ? 6 : 4, volume ? 1 : 0);
    ReapplySettings();
    kind_->Attach(graph_);
    ListGraph();
  }
  if (volume && hr < 0) {
    Close();
    return hr;
  }
  if (playAtOnce || volume) StateCommand(ORVANA_PLAY);
  FEventCallback = callback;
  return hr;
}

void TDShowMedia::ReapplySettings() {
  SetVolume(FVolume);
  SetBalance(FBalance);
  if (FRate != 1.0) SetRate(FRate);
}

bool TDShowMedia::StateCommand(int32_t command) {
  if (!FGraphBuilt) return false;
  switch (command & 0xFF) {
    case ORVANA_PLAY:
      if (stopped_ && kind_->OpensAgainAfterStop()) return OpenCaptureDeviceAgain();
      NotifyStep(0, 0);
      stopped_ = pausePending_ = false;
      return gst_element_set_state(graph_.pipeline, GST_STATE_PLAYING) != GST_STATE_CHANGE_FAILURE;
    case ORVANA_PAUSE: {
      if (stopped_ && kind_->OpensAgainAfterStop() && !OpenCaptureDeviceAgain()) return false;
      NotifyStep(1, 0);
      stopped_ = false;
      // The host hears EC_PAUSED when the pause has completed: at the pipeline's change to
      // paused, or at once (through the bus, on the host's thread) when it already is.
      GstState now = GST_STATE_VOID_PENDING, pending = GST_STATE_VOID_PENDING;
      gst_element_get_state(graph_.pipeline, &now, &pending, 0);
      const bool ok = gst_element_set_state(graph_.pipeline, GST_STATE_PAUSED) != GST_STATE_CHANGE_FAILURE;
      if (ok && now == GST_STATE_PAUSED && pending == GST_STATE_VOID_PENDING)
        gst_element_post_message(graph_.pipeline,
                                 gst_message_new_application(GST_OBJECT(graph_.pipeline),
                                                             gst_structure_new_empty(kPausedMessage)));
      else
        pausePending_ = ok;
      return ok;
    }
    case ORVANA_STOP: {
      // Stopped keeps the position and the last picture, like a stopped graph.
      kind_->Stopping(graph_);
      NotifyStep(2, 0);
      pausePending_ = false;
      // A disc that resets on stop starts again from its beginning when played next; a
      // device stopped is let go.
      const GstState halt = kind_->PlaysDisc() || kind_->OpensAgainAfterStop() ? GST_STATE_READY : GST_STATE_PAUSED;
      const bool ok = gst_element_set_state(graph_.pipeline, halt) != GST_STATE_CHANGE_FAILURE;
      stopped_ = true;
      if (halt == GST_STATE_READY) {
        FRate = 1.0;
      } else if (FRate != 1.0) {
        FRate = 1.0;
        gint64 now = 0;
        if (QueryTime(false, &now)) Seek(1.0, now, GST_SEEK_FLAG_FLUSH);
      }
      return ok;
    }
    case ORVANA_REWIND:
      Seek(FRate, 0, GST_SEEK_FLAG_FLUSH);
      return false;
    case ORVANA_CLOSE:
      return Close();
    default:
      return false;
  }
}

void TDShowMedia::SetVolume(int32_t volume) {
  if (!FGraphBuilt) return;
  FVolume = Clamp(volume, 0, 10000);
  appliedVolume_ = VolumeToCentibels(FVolume);
  if (graph_.volumeStage) g_object_set(graph_.volumeStage, "volume", CentibelsToGain(appliedVolume_), nullptr);
}

void TDShowMedia::SetBalance(int32_t balance) {
  if (!FGraphBuilt) return;
  FBalance = Clamp(balance, -10000, 10000);
  if (graph_.audio) graph_.audio->SetPanorama(BalanceToPanorama(BalanceToCentibels(FBalance)));
}

void TDShowMedia::SetRate(double rate) {
  if (!FGraphBuilt) return;
  if (kind_->Navigator()) {
    DvdPlayAtRate(rate);
    return;
  }
  // Files and cameras play forwards only: a rate that is not a number above 0 is refused
  // and the last one stays.
  if (!std::isfinite(rate) || rate <= 0) return;
  FRate = rate;
  if (FGraphMode > 2) return;
  // A seek still settling (a flushing seek prerolls again) is waited for, briefly: the new
  // rate starts where that seek went, not where the graph was before it. The stop stays.
  gst_element_get_state(graph_.pipeline, nullptr, nullptr, kSeekSettle);
  gint64 now = 0;
  if (!QueryTime(false, &now)) now = 0;
  Seek(rate, now, static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE));
}

int32_t TDShowMedia::IsActive() {
  if (!FGraphBuilt) return ORVANA_STATE_UNKNOWN;
  GstState state = GST_STATE_VOID_PENDING, pending = GST_STATE_VOID_PENDING;
  gst_element_get_state(graph_.pipeline, &state, &pending, GST_MSECOND);
  if (stopped_ && state != GST_STATE_PLAYING) return ORVANA_STATE_STOPPED;
  switch (state) {
    case GST_STATE_PLAYING: return ORVANA_STATE_RUNNING;
    case GST_STATE_PAUSED: return ORVANA_STATE_PAUSED;
    case GST_STATE_READY:
    case GST_STATE_NULL: return ORVANA_STATE_STOPPED;
    default: return ORVANA_STATE_UNKNOWN;
  }
}

bool TDShowMedia::QueryTime(bool duration, gint64* ns) {
  if (!FGraphBuilt) return false;
  return duration ? gst_element_query_duration(graph_.pipeline, GST_FORMAT_TIME, ns)
                  : gst_element_query_position(graph_.pipeline, GST_FORMAT_TIME, ns);
}

bool TDShowMedia::Seek(double rate, gint64 start, GstSeekFlags flags) {
  if (!FGraphBuilt || !kind_->Seekable()) return false;
  ended_ = false;
  // The host's stop position goes with every seek, so none relies on the demuxer keeping it;
  // a seek past it, or past the end, lands on it.
  start = std::max<gint64>(0, start);
  if (stopAt_ >= 0) start = std::min(start, stopAt_);
  gint64 length = 0;
  if (!QueryTime(true, &length)) length = 0;
  if (length > 0) start = std::min(start, length);
  // A disc is sought in the title it plays, at the navigator's speed (menus have no times).
  // The reader finds no entry point at a title's very end, so a seek there goes to its last
  // second.
  if (DvdNavigator* navigator = kind_->Navigator()) {
    if (length > GST_SECOND) start = std::min(start, length - GST_SECOND);
    return navigator->PlayAtTime(start / GST_MSECOND);
  }
  // A span of no length shows nothing and leaves no position: a seek onto the stop keeps the
  // one instant there, so its picture shows and playing ends at once.
  return gst_element_seek(graph_.pipeline, rate, GST_FORMAT_TIME, flags, GST_SEEK_TYPE_SET, start,
                          stopAt_ < 0 ? GST_SEEK_TYPE_NONE : GST_SEEK_TYPE_SET, std::max(stopAt_, start + 1));
}

int32_t TDShowMedia::Seconds(int32_t kind) {
  if (kind != 3 && kind != 4) return 0;
  gint64 ns = 0;
  if (!QueryTime(kind == 4, &ns) || ns < 0) return 0;
  return static_cast<int32_t>(ns / GST_SECOND);
}

bool TDShowMedia::TimeText(int32_t kind, std::string* text) {
  if (!FGraphBuilt || (kind != 1 && kind != 2)) return false;
  *text = orvana::TimeText(Seconds(kind == 1 ? 3 : 4));
  return true;
}

void TDShowMedia::SetPosition(double seconds) {
  // Not a number is no position; the rest is kept to what a clock time can hold.
  if (!FGraphBuilt || std::isnan(seconds)) return;
  seconds = std::clamp(seconds, 0.0, kLongestSeconds);
  Seek(FRate, static_cast<gint64>(seconds * GST_SECOND),
       static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE));
}

bool TDShowMedia::Mute() {
  if (!FGraphBuilt) return false;
  if (!graph_.volumeStage) return false;
  appliedVolume_ = appliedVolume_ == 0 ? -10000 : 0;
  g_object_set(graph_.volumeStage, "volume", CentibelsToGain(appliedVolume_), nullptr);
  return true;
}

void TDShowMedia::SeekRelative(int64_t seconds) {
  if (!FGraphBuilt || Seconds(4) == 0) return;
  // A seek before the start goes to the start.
  SetPosition(static_cast<double>(std::max<int64_t>(0, Seconds(3) + seconds)));
}

namespace {
// A sink that shows pictures: its input carries video, or (before caps are agreed) it
// says so in its class. A frame step means nothing to a sound sink.
bool IsPictureSink(GstElement* e) {
  if (GST_IS_BIN(e) || !GST_OBJECT_FLAG_IS_SET(e, GST_ELEMENT_FLAG_SINK)) return false;
  bool picture = false;
  if (GstPad* pad = gst_element_get_static_pad(e, "sink")) {
    if (GstCaps* caps = gst_pad_get_current_caps(pad)) {
      const GstStructure* s = gst_caps_get_size(caps) ? gst_caps_get_structure(caps, 0) : nullptr;
      picture = s && g_str_has_prefix(gst_structure_get_name(s), "video/");
      gst_caps_unref(caps);
      gst_object_unref(pad);
      return picture;
    }
    gst_object_unref(pad);
  }
  const gchar* klass = gst_element_get_metadata(e, GST_ELEMENT_METADATA_KLASS);
  return klass && strstr(klass, "Video");
}
}  // namespace

int32_t TDShowMedia::PicturesPerSecond() {
  int32_t rate = 0;
  for (GstElement* e : FilterList(graph_.pipeline)) {
    GstPad* pad = rate == 0 && IsPictureSink(e) ? gst_element_get_static_pad(e, "sink") : nullptr;
    GstCaps* caps = pad ? gst_pad_get_current_caps(pad) : nullptr;
    gint n = 0, d = 1;
    if (caps && gst_structure_get_fraction(gst_caps_get_structure(caps, 0), "framerate", &n, &d) && d > 0)
      rate = static_cast<int32_t>((n + d / 2) / d);
    if (caps) gst_caps_unref(caps);
    if (pad) gst_object_unref(pad);
    gst_object_unref(e);
  }
  return rate;
}

void TDShowMedia::StepOneFrame() {
  // The step goes to the picture sinks alone. Sent to the whole graph, the sound is stepped
  // by the frame's time as well, and a sound sink that has had no segment yet (a disc's
  // reader just jumped) fails on it; a frame step is about the picture.
  if (!FGraphBuilt) return;
  for (GstElement* e : FilterList(graph_.pipeline)) {
    if (IsPictureSink(e)) gst_element_send_event(e, gst_event_new_step(GST_FORMAT_BUFFERS, 1, 1.0, TRUE, FALSE));
    gst_object_unref(e);
  }
}

bool TDShowMedia::SetStartStop(int32_t start, int32_t stop) {
  // Limits that make no span are refused and the ones set before stay.
  // A disc has no limits: its navigator plays titles and chapters whole.
  if (!FGraphBuilt || start < 0 || stop < start || kind_->Navigator()) return false;
  const auto flags = static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_KEY_UNIT);
  const gint64 before = stopAt_;
  stopAt_ = static_cast<gint64>(stop) * GST_SECOND;
  if (Seek(FRate, static_cast<gint64>(start) * GST_SECOND, flags)) return true;
  stopAt_ = before;
  return false;
}

int32_t TDShowMedia::SetMpegAudioChannel(int32_t mode) {
  // An MPEG audio decoder in the graph is "met"; the choice itself (0 both channels as they
  // are, 1 the left on both, 2 the right) applies to a stream coded as dual channel only.
  bool met = false;
  for (GstElement* e : FilterList(graph_.pipeline)) {
    met = met || IsMpegAudioDecoder(e);
    gst_object_unref(e);
  }
  if (!met) return ORVANA_S_FALSE;
  if (graph_.audio && mode >= 0 && mode <= 2) graph_.audio->SetDualChoice(mode);
  return ORVANA_S_OK;
}

void TDShowMedia::FitVideo() {
  if (FGraphBuilt) kind_->Fit(graph_);
}

bool TDShowMedia::GetVideoInfo(OrvanaVideoInfo* info) {
  return FGraphBuilt && info && kind_->VideoInfo(graph_, info);
}

int32_t TDShowMedia::SetVideoWindow(uintptr_t window, int32_t code) {
  // The picture's size as it is now; without a picture no window is resized (to nothing).
  OrvanaVideoInfo info{0, 0, 0};
  if (!FGraphBuilt || !kind_->VideoInfo(graph_, &info) || !info.hasVideo) return ORVANA_TRUE;
  int32_t w = 0, h = 0;
  if (!ScaledVideoSize(code, info.width, info.height, &w, &h)) return ORVANA_TRUE;
  if (ResizeWindow(window, w, h) && window == graph_.owner) FitVideo();
  return ORVANA_TRUE;
}

void TDShowMedia::SetDigitalZoom(int32_t percent) {
  if (!FGraphBuilt || percent < 0 || percent > 99) return;
  kind_->SetZoom(graph_, percent);
  FZoom = percent;
}

int32_t TDShowMedia::StartFullScreen() {
  if (!FGraphBuilt) return ORVANA_FALSE;
  kind_->ToggleFullScreen(graph_);
  return ORVANA_TRUE;
}

void TDShowMedia::Repaint() {
  if (FGraphBuilt) kind_->Repaint();
}

void TDShowMedia::SetVideoEffects(int32_t value, int32_t effect) {
  if (kind_) kind_->SetEffects(value, effect);
}

bool TDShowMedia::CaptureBitmap(const std::string& file) {
  if (!FGraphBuilt) return false;
  const std::optional<std::vector<uint8_t>> bmp = kind_->SnapshotFile(graph_);
  if (!bmp) return false;
  QSaveFile out(QString::fromUtf8(file.c_str()));
  out.setDirectWriteFallback(false);
  if (!out.open(QIODevice::WriteOnly)) return false;
  out.write(reinterpret_cast<const char*>(bmp->data()), static_cast<qint64>(bmp->size()));
  return out.commit();
}

OrvanaBitmap* TDShowMedia::BitmapHandle() { return FGraphBuilt ? kind_->SnapshotHandle(graph_) : nullptr; }

}  // namespace orvana
