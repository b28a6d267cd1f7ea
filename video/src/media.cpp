#include "media.h"

#include <gst/video/videooverlay.h>

#include <QSaveFile>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "host_window.h"
#include "playback_math.h"
#include "utilities.h"

namespace orvana {

namespace {

constexpr GstClockTime kPrerollTimeout = 15 * GST_SECOND;

// File names are taken to 259 characters at most (a 260-character buffer with its end).
std::string CutFileName(const char* file) {
  QString name = QString::fromUtf8(file ? file : "");
  if (name.size() > 259) name.truncate(259);
  return name.toStdString();
}

int32_t ResultOfError(const GError* error) {
  if (!error) return ORVANA_E_FAIL;
  if (error->domain == GST_RESOURCE_ERROR &&
      (error->code == GST_RESOURCE_ERROR_NOT_FOUND || error->code == GST_RESOURCE_ERROR_OPEN_READ))
    return ORVANA_VFW_E_NOT_FOUND;
  if (error->domain == GST_STREAM_ERROR &&
      (error->code == GST_STREAM_ERROR_TYPE_NOT_FOUND || error->code == GST_STREAM_ERROR_CODEC_NOT_FOUND ||
       error->code == GST_STREAM_ERROR_WRONG_TYPE || error->code == GST_STREAM_ERROR_DEMUX ||
       error->code == GST_STREAM_ERROR_DECODE))
    return ORVANA_VFW_E_UNSUPPORTED_STREAM;
  return ORVANA_E_FAIL;
}

GstElement* MakeOptional(const char* factory) { return gst_element_factory_make(factory, nullptr); }

// The audio stages behind the decoders: the dual channel mix, then the balance. A bin of
// the ones there are, or null when neither element is installed.
GstElement* AudioStages(GstElement** panorama, GstElement** mix) {
  *mix = MakeOptional("audiochannelmix");
  *panorama = MakeOptional("audiopanorama");
  if (*panorama) g_object_set(*panorama, "method", 1 /* simple: the other side is only attenuated */, nullptr);
  if (!*mix || !*panorama) return *mix ? *mix : *panorama;
  GstElement* bin = gst_bin_new(nullptr);
  gst_bin_add_many(GST_BIN(bin), *mix, *panorama, nullptr);
  gst_element_link(*mix, *panorama);
  GstPad* in = gst_element_get_static_pad(*mix, "sink");
  GstPad* out = gst_element_get_static_pad(*panorama, "src");
  gst_element_add_pad(bin, gst_ghost_pad_new("sink", in));
  gst_element_add_pad(bin, gst_ghost_pad_new("src", out));
  gst_object_unref(in);
  gst_object_unref(out);
  return bin;
}

// A decoder of MPEG audio (layers 1 to 3): what the dual channel choice applies to.
bool IsMpegAudioDecoder(GstElement* element) {
  GstElementFactory* factory = gst_element_get_factory(element);
  const gchar* klass = factory ? gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_KLASS) : nullptr;
  if (!klass || !strstr(klass, "Decoder") || !strstr(klass, "Audio")) return false;
  GstPad* sink = gst_element_get_static_pad(element, "sink");
  if (!sink) return false;
  GstCaps* caps = gst_pad_get_current_caps(sink);
  gst_object_unref(sink);
  if (!caps) return false;
  gint version = 0;
  const GstStructure* s = gst_caps_get_structure(caps, 0);
  const bool mpeg = gst_structure_has_name(s, "audio/mpeg") && gst_structure_get_int(s, "mpegversion", &version) &&
                    version == 1;
  gst_caps_unref(caps);
  return mpeg;
}

// One effect rectangle per windowless renderer, kept for the process: index 0 for mode 1,
// 1 for mode 2.
EffectRect& WindowlessEffects(int32_t mode) {
  static EffectRect effects[2];
  return effects[mode == 2 ? 1 : 0];
}

// Chains from the source's decoded outputs to the renderers, by hand (mode 2).
GstElement* Chain(GstElement* bin, std::initializer_list<GstElement*> elements) {
  GstElement* previous = nullptr;
  for (GstElement* e : elements) {
    if (!e) return nullptr;
    gst_bin_add(GST_BIN(bin), e);
    if (previous) gst_element_link(previous, e);
    previous = e;
  }
  for (GstElement* e : elements) gst_element_sync_state_with_parent(e);
  return *elements.begin();
}

}  // namespace

bool EnsureGstreamer() {
  static const bool ready = gst_init_check(nullptr, nullptr, nullptr);
  return ready;
}

TDShowMedia::TDShowMedia(uintptr_t parentWindow, MessageTable& messages)
    : messages_(messages), FParentWnd(parentWindow) {}

TDShowMedia::~TDShowMedia() { Close(); }

int32_t TDShowMedia::CheckResult(int32_t hr) {
  if (hr < 0)
    ShowMessageBox(FOwnerWnd, messages_.ErrorCodeText(hr), messages_.text(Message::ErrorCaption), BoxIcon::Error);
  return hr;
}

void TDShowMedia::NotifyStep(int32_t step, int32_t flag) {
  for (MediaEvents* l : FListeners) l->OnStateChange(step, flag);
  if (step <= 2) FitVideo();
}

void TDShowMedia::BuildGraph() {
  if (FGraphBuilt || !EnsureGstreamer()) return;
  if (FGraphMode > 2) return;  // DVD and capture graphs are built by their own opens
  // Mode 2 builds its graph by hand at loading; the others let playbin render the file.
  FGraph = FGraphMode == 2 ? gst_pipeline_new("graph") : gst_element_factory_make("playbin", "graph");
  if (!FGraph) return;
  gst_object_ref_sink(FGraph);
  if (FGraphMode != 2) {
    FVolumeStage = FGraph;
    // The audio stages are optional: without them balance is only stored and the dual
    // channel choice changes nothing.
    if (GstElement* stages = AudioStages(&FPanorama, &FChannelMix)) g_object_set(FGraph, "audio-filter", stages, nullptr);
    if (FGraphMode == 0 && (FCrop = MakeOptional("videocrop"))) g_object_set(FGraph, "video-filter", FCrop, nullptr);
  }
  GstBus* bus = gst_element_get_bus(FGraph);
  busWatch_ = gst_bus_add_watch(bus, &TDShowMedia::OnBusMessage, this);
  gst_object_unref(bus);
  FGraphBuilt = true;
}

void TDShowMedia::TeardownGraph() {
  if (!FGraphBuilt) return;
  StateCommand(ORVANA_STOP);
  if (busWatch_) g_source_remove(busWatch_);
  busWatch_ = 0;
  FGraphBuilt = false;
}

bool TDShowMedia::Close() {
  if (!FGraphBuilt) return false;
  TeardownGraph();
  gst_element_set_state(FGraph, GST_STATE_NULL);
  gst_object_unref(FGraph);
  FGraph = nullptr;
  FVideoSink = FPanorama = FCrop = FVolumeStage = FSource = FChannelMix = nullptr;
  FRendererWindowless.reset();
  linkedPads_ = 0;
  DestroyVideoChild(FVideoWindow);
  FVideoWindow = 0;
  FGrabberReady = false;
  FHasVideo = false;
  stopped_ = true;
  return true;
}

int32_t TDShowMedia::SetConfig(int32_t key, int32_t value) {
  if (key != ORVANA_CONFIG_GRAPH_MODE) return 0;
  Close();
  FGraphMode = std::clamp(value, 0, 4);
  return 1;
}

// Prerolls the graph (playbin given the file; a hand-built graph already has its source).
int32_t TDShowMedia::Render(const char* file) {
  if (file) {
    gchar* uri = gst_filename_to_uri(file, nullptr);
    if (!uri) return ORVANA_E_INVALIDARG;
    g_object_set(FGraph, "uri", uri, nullptr);
    g_free(uri);
  }
  gst_element_set_state(FGraph, GST_STATE_PAUSED);
  const GstStateChangeReturn done = gst_element_get_state(FGraph, nullptr, nullptr, kPrerollTimeout);
  GstBus* bus = gst_element_get_bus(FGraph);
  GstMessage* failure = gst_bus_pop_filtered(bus, GST_MESSAGE_ERROR);
  gst_object_unref(bus);
  int32_t hr = ORVANA_S_OK;
  if (failure) {
    GError* error = nullptr;
    gst_message_parse_error(failure, &error, nullptr);
    hr = ResultOfError(error);
    g_clear_error(&error);
    gst_message_unref(failure);
  } else if (done != GST_STATE_CHANGE_SUCCESS && done != GST_STATE_CHANGE_NO_PREROLL) {
    hr = ORVANA_E_FAIL;
  }
  if (hr < 0) gst_element_set_state(FGraph, GST_STATE_READY);
  return hr;
}

int32_t TDShowMedia::Load(bool playAtOnce, uintptr_t window, const char* file, bool renderLog,
                          OrvanaMediaEventCallback callback) {
  (void)renderLog;  // the render log arrives with the diagnostics
  if (FGraphMode >= 3) return ORVANA_S_FALSE;
  FOwnerWnd = window;
  Close();
  if (Windowless()) {
    // Availability of the windowless renderer: without it, say so and do nothing.
    GstElementFactory* appsink = EnsureGstreamer() ? gst_element_factory_find("appsink") : nullptr;
    if (!appsink) {
      ShowMessageBox(FOwnerWnd, messages_.text(Message::RendererMissingText),
                     messages_.text(Message::RendererMissingCaption), BoxIcon::Warning);
      return ORVANA_S_FALSE;
    }
    gst_object_unref(appsink);
    WindowlessEffects(FGraphMode) = EffectRect{};
  }
  BuildGraph();
  if (!FGraphBuilt) return ORVANA_S_FALSE;

  if (Windowless()) {
    FRendererWindowless = std::make_unique<WindowlessRenderer>(FOwnerWnd);
    FRendererWindowless->SetEffects(WindowlessEffects(FGraphMode));
    const std::string name = CutFileName(file);
    int32_t hr;
    if (FGraphMode == 1) {
      g_object_set(FGraph, "video-sink", FRendererWindowless->sink(), nullptr);
      NotifyStep(3, 0);
      hr = CheckResult(Render(name.c_str()));
      if (hr >= 0) {
        NotifyStep(4, 0);
        ReapplySettings();
        ReadVideoInfo();
      }
    } else {
      hr = RenderByHand(name.c_str());
      if (hr >= 0) {
        NotifyStep(4, 0);
        ReapplySettings();
      }
    }
    if (hr >= 0) FRendererWindowless->Fit();
    if (playAtOnce) StateCommand(ORVANA_PLAY);
    FEventCallback = callback;
    return hr;
  }

  // The renderer's window, and the sink drawing into it (none without a window).
  FVideoWindow = CreateVideoChild(FOwnerWnd);
  const uintptr_t target = FVideoWindow ? FVideoWindow : FOwnerWnd;
  if (target && (FVideoSink = MakeOptional("ximagesink"))) {
    gst_video_overlay_set_window_handle(GST_VIDEO_OVERLAY(FVideoSink), target);
  } else {
    FVideoSink = gst_element_factory_make("fakesink", nullptr);
    g_object_set(FVideoSink, "sync", TRUE, nullptr);  // frames pass at their time, not at once
  }
  g_object_set(FGraph, "video-sink", FVideoSink, nullptr);
  FGrabberReady = true;  // frames are taken from the sink's last sample

  const std::string name = CutFileName(file);
  NotifyStep(3, 0);
  const int32_t hr = CheckResult(Render(name.c_str()));
  if (hr >= 0) {
    NotifyStep(4, 0);
    ReapplySettings();
    ReadVideoInfo();
    Attach();
  }
  if (playAtOnce) StateCommand(ORVANA_PLAY);
  FEventCallback = callback;
  return hr;
}

// Mode 2: the source decodes the file and each of its outputs is rendered to the
// renderers already in the graph: video to the windowless renderer, audio to the sound
// output behind a volume and a balance stage.
int32_t TDShowMedia::RenderByHand(const char* file) {
  gchar* uri = gst_filename_to_uri(file, nullptr);
  if (!uri) return CheckResult(ORVANA_E_INVALIDARG);
  FSource = gst_element_factory_make("uridecodebin", "Source");
  if (!FSource) {
    g_free(uri);
    return CheckResult(ORVANA_E_FAIL);
  }
  g_object_set(FSource, "uri", uri, nullptr);
  g_free(uri);
  gst_bin_add(GST_BIN(FGraph), FSource);
  g_signal_connect(FSource, "pad-added", G_CALLBACK(+[](GstElement*, GstPad* pad, gpointer self) {
                     static_cast<TDShowMedia*>(self)->LinkDecodedPad(pad);
                   }),
                   this);
  NotifyStep(3, 0);
  int32_t hr = CheckResult(Render(nullptr));
  if (hr >= 0 && linkedPads_ == 0) hr = ORVANA_S_FALSE;  // a source without outputs
  return hr;
}

// Runs on the source's streaming thread as each decoded output appears.
void TDShowMedia::LinkDecodedPad(GstPad* pad) {
  GstCaps* caps = gst_pad_get_current_caps(pad);
  if (!caps) caps = gst_pad_query_caps(pad, nullptr);
  const gchar* kind = gst_structure_get_name(gst_caps_get_structure(caps, 0));
  GstElement* first = nullptr;
  if (g_str_has_prefix(kind, "video/") && FRendererWindowless && FRendererWindowless->sink() &&
      !GST_OBJECT_PARENT(FRendererWindowless->sink())) {
    // The bin takes a reference of its own; the renderer keeps its one.
    first = Chain(FGraph, {MakeOptional("videoconvert"), FRendererWindowless->sink()});
  } else if (g_str_has_prefix(kind, "audio/") && !FVolumeStage) {
    GstElement* volume = MakeOptional("volume");
    GstElement* panorama = nullptr;
    GstElement* mix = nullptr;
    GstElement* stages = AudioStages(&panorama, &mix);
    first = Chain(FGraph, {MakeOptional("audioconvert"), MakeOptional("audioresample"), volume,
                           stages ? stages : MakeOptional("identity"), MakeOptional("audioconvert"),
                           MakeOptional("autoaudiosink")});
    if (first) {
      FVolumeStage = volume;
      FPanorama = panorama;
      FChannelMix = mix;
    }
  }
  gst_caps_unref(caps);
  if (!first) return;
  GstPad* sinkPad = gst_element_get_static_pad(first, "sink");
  if (gst_pad_link(pad, sinkPad) == GST_PAD_LINK_OK) ++linkedPads_;
  gst_object_unref(sinkPad);
}

void TDShowMedia::ReapplySettings() {
  SetVolume(FVolume);
  SetBalance(FBalance);
  if (FRate != 1.0) SetRate(FRate);
}

void TDShowMedia::ReadVideoInfo() {
  OrvanaVideoInfo info{0, 0, 0};
  GetVideoInfo(&info);
  FVideoWidth = info.width;
  FVideoHeight = info.height;
  FHasVideo = info.hasVideo != 0;
}

void TDShowMedia::Attach() {
  FitVideo();
  if (FVideoSink && GST_IS_VIDEO_OVERLAY(FVideoSink)) gst_video_overlay_expose(GST_VIDEO_OVERLAY(FVideoSink));
}

bool TDShowMedia::StateCommand(int32_t command) {
  if (!FGraphBuilt) return false;
  switch (command & 0xFF) {
    case ORVANA_PLAY:
      NotifyStep(0, 0);
      stopped_ = false;
      return gst_element_set_state(FGraph, GST_STATE_PLAYING) != GST_STATE_CHANGE_FAILURE;
    case ORVANA_PAUSE:
      NotifyStep(1, 0);
      stopped_ = false;
      return gst_element_set_state(FGraph, GST_STATE_PAUSED) != GST_STATE_CHANGE_FAILURE;
    case ORVANA_STOP: {
      // Stopped keeps the position and the last picture, like a stopped graph.
      NotifyStep(2, 0);
      const bool ok = gst_element_set_state(FGraph, GST_STATE_PAUSED) != GST_STATE_CHANGE_FAILURE;
      stopped_ = true;
      if (FRate != 1.0) {
        FRate = 1.0;
        gint64 now = 0;
        if (QueryTime(false, &now)) Seek(1.0, now, GST_SEEK_TYPE_SET, 0, GST_SEEK_TYPE_NONE, GST_SEEK_FLAG_FLUSH);
      }
      return ok;
    }
    case ORVANA_REWIND:
      Seek(FRate, 0, GST_SEEK_TYPE_SET, 0, GST_SEEK_TYPE_NONE, GST_SEEK_FLAG_FLUSH);
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
  if (FVolumeStage) g_object_set(FVolumeStage, "volume", CentibelsToGain(appliedVolume_), nullptr);
}

void TDShowMedia::SetBalance(int32_t balance) {
  if (!FGraphBuilt) return;
  FBalance = Clamp(balance, -10000, 10000);
  if (FPanorama)
    g_object_set(FPanorama, "panorama", static_cast<gfloat>(BalanceToPanorama(BalanceToCentibels(FBalance))), nullptr);
}

void TDShowMedia::SetRate(double rate) {
  if (!FGraphBuilt) return;
  FRate = rate;
  if (FGraphMode > 2 || rate == 0.0) return;
  gint64 now = 0;
  if (!QueryTime(false, &now)) now = 0;
  if (rate > 0)
    Seek(rate, now, GST_SEEK_TYPE_SET, 0, GST_SEEK_TYPE_NONE, GST_SEEK_FLAG_FLUSH);
  else
    Seek(rate, 0, GST_SEEK_TYPE_SET, now, GST_SEEK_TYPE_SET, GST_SEEK_FLAG_FLUSH);
}

int32_t TDShowMedia::IsActive() {
  if (!FGraphBuilt) return ORVANA_STATE_UNKNOWN;
  GstState state = GST_STATE_VOID_PENDING, pending = GST_STATE_VOID_PENDING;
  gst_element_get_state(FGraph, &state, &pending, GST_MSECOND);
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
  return duration ? gst_element_query_duration(FGraph, GST_FORMAT_TIME, ns)
                  : gst_element_query_position(FGraph, GST_FORMAT_TIME, ns);
}

bool TDShowMedia::Seek(double rate, gint64 start, GstSeekType startType, gint64 stop, GstSeekType stopType,
                       GstSeekFlags flags) {
  if (!FGraphBuilt) return false;
  return gst_element_seek(FGraph, rate, GST_FORMAT_TIME, flags, startType, std::max<gint64>(0, start),
                          stopType, stop);
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
  if (!FGraphBuilt) return;
  Seek(FRate, static_cast<gint64>(seconds * GST_SECOND), GST_SEEK_TYPE_SET, 0, GST_SEEK_TYPE_NONE,
       static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE));
}

bool TDShowMedia::Mute() {
  if (!FGraphBuilt) return false;
  if (!FVolumeStage) return false;
  appliedVolume_ = appliedVolume_ == 0 ? -10000 : 0;
  g_object_set(FVolumeStage, "volume", CentibelsToGain(appliedVolume_), nullptr);
  return true;
}

void TDShowMedia::SeekRelative(int32_t seconds) {
  if (!FGraphBuilt || Seconds(4) == 0) return;
  // A seek before the start goes to the start.
  SetPosition(std::max(0, Seconds(3) + seconds));
}

void TDShowMedia::StepOneFrame() {
  if (!FGraphBuilt) return;
  gst_element_send_event(FGraph, gst_event_new_step(GST_FORMAT_BUFFERS, 1, 1.0, TRUE, FALSE));
}

bool TDShowMedia::SetStartStop(int32_t start, int32_t stop) {
  if (!FGraphBuilt) return false;
  const auto flags = static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_KEY_UNIT);
  return Seek(FRate, static_cast<gint64>(start) * GST_SECOND, GST_SEEK_TYPE_SET,
              static_cast<gint64>(stop) * GST_SECOND, GST_SEEK_TYPE_SET, flags);
}

int32_t TDShowMedia::SetMpegAudioChannel(int32_t mode) {
  // An MPEG audio decoder in the graph is "met"; the choice itself is made by the channel
  // mixing stage behind it: 0 both channels as they are, 1 the left on both, 2 the right.
  bool met = false;
  for (GstElement* e : FilterList(FGraph)) {
    met = met || IsMpegAudioDecoder(e);
    gst_object_unref(e);
  }
  if (!met) return ORVANA_S_FALSE;
  if (FChannelMix && mode >= 0 && mode <= 2) {
    const double left = mode != 2, right = mode != 1;
    g_object_set(FChannelMix, "left-to-left", left, "right-to-left", mode == 2 ? 1.0 : 0.0, "left-to-right",
                 mode == 1 ? 1.0 : 0.0, "right-to-right", right, nullptr);
  }
  return ORVANA_S_OK;
}

void TDShowMedia::FitVideo() {
  if (FGraphBuilt && Windowless() && FRendererWindowless) {
    FRendererWindowless->Fit();
    return;
  }
  if (!FGraphBuilt || !FVideoWindow || !FHasVideo || FGraphMode > 2) return;
  int32_t w = 0, h = 0;
  if (!ClientSize(FOwnerWnd, &w, &h)) return;
  const Rect r = orvana::FitVideo(w, h, FVideoWidth, FVideoHeight);
  PlaceVideoChild(FVideoWindow, r.x, r.y, r.width, r.height, true);
}

bool TDShowMedia::GetVideoInfo(OrvanaVideoInfo* info) {
  if (!FGraphBuilt || !info) return false;
  if (Windowless()) {
    if (!FRendererWindowless) return false;
    int32_t width = 0, height = 0;
    FRendererWindowless->NativeSize(&width, &height);
    info->width = width;
    info->height = height;
    info->hasVideo = width && height ? ORVANA_TRUE : 0;
    return true;
  }
  gint videos = 0;
  g_object_get(FGraph, "n-video", &videos, nullptr);
  GstPad* pad = nullptr;
  if (videos > 0) g_signal_emit_by_name(FGraph, "get-video-pad", 0, &pad);
  GstCaps* caps = pad ? gst_pad_get_current_caps(pad) : nullptr;
  info->hasVideo = 0;
  if (caps) {
    const GstStructure* s = gst_caps_get_structure(caps, 0);
    gint width = 0, height = 0;
    if (gst_structure_get_int(s, "width", &width) && gst_structure_get_int(s, "height", &height)) {
      info->width = width;
      info->height = height;
      info->hasVideo = ORVANA_TRUE;
    }
    gst_caps_unref(caps);
  }
  if (pad) gst_object_unref(pad);
  return true;
}

int32_t TDShowMedia::SetVideoWindow(uintptr_t window, int32_t code) {
  int32_t w = 0, h = 0;
  if (!FGraphBuilt || !ScaledVideoSize(code, FVideoWidth, FVideoHeight, &w, &h)) return ORVANA_TRUE;
  if (ResizeWindow(window, w, h) && window == FOwnerWnd) FitVideo();
  return ORVANA_TRUE;
}

void TDShowMedia::SetDigitalZoom(int32_t percent) {
  if (!FGraphBuilt || percent < 0 || percent > 99) return;
  if ((FGraphMode == 0 || FGraphMode == 4) && FHasVideo && FCrop) {
    const Rect r = ZoomSource(FVideoWidth, FVideoHeight, percent);
    g_object_set(FCrop, "left", r.x, "top", r.y, "right", FVideoWidth - r.x - r.width, "bottom",
                 FVideoHeight - r.y - r.height, nullptr);
  }
  FZoom = percent;
}

int32_t TDShowMedia::StartFullScreen() {
  if (!FGraphBuilt) return ORVANA_FALSE;
  if ((FGraphMode == 0 || FGraphMode == 4) && FHasVideo && FVideoWindow) {
    const bool on = VideoChildFullScreen(FVideoWindow);
    SetVideoChildFullScreen(FVideoWindow, !on);
    if (on) FitVideo();
  }
  return ORVANA_TRUE;
}

void TDShowMedia::Repaint() {
  if (!FGraphBuilt || !Windowless() || !FRendererWindowless) return;
  FRendererWindowless->Repaint();
}

void TDShowMedia::SetVideoEffects(int32_t value, int32_t effect) {
  if (!Windowless() || (effect != 1 && effect != 2)) return;
  EffectRect& e = WindowlessEffects(FGraphMode);
  (effect == 1 ? e.flip : e.mirror) = value != 0;
  if (FRendererWindowless) FRendererWindowless->SetEffects(e);
}

GstSample* TDShowMedia::CurrentFrame() {
  if (!FGraphBuilt || !FGrabberReady || !FHasVideo) return nullptr;
  // The sink's last frame, converted to the grabber's type at the picture's own size.
  GstCaps* caps = gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "BGR", "width", G_TYPE_INT,
                                      FVideoWidth, "height", G_TYPE_INT, FVideoHeight, nullptr);
  GstSample* sample = nullptr;
  g_signal_emit_by_name(FGraph, "convert-sample", caps, &sample);
  gst_caps_unref(caps);
  return sample;
}

namespace {

// The rows of a BGR frame, bottom row first, each padded to 4 bytes.
std::vector<uint8_t> BottomUpRows(GstSample* sample, int32_t* width, int32_t* height) {
  std::vector<uint8_t> rows;
  GstVideoInfo info;
  if (!gst_video_info_from_caps(&info, gst_sample_get_caps(sample))) return rows;
  GstBuffer* buffer = gst_sample_get_buffer(sample);
  GstMapInfo map;
  if (!buffer || !gst_buffer_map(buffer, &map, GST_MAP_READ)) return rows;
  *width = GST_VIDEO_INFO_WIDTH(&info);
  *height = GST_VIDEO_INFO_HEIGHT(&info);
  const size_t stride = static_cast<size_t>(GST_ROUND_UP_4(*width * 3));
  const size_t srcStride = static_cast<size_t>(GST_VIDEO_INFO_PLANE_STRIDE(&info, 0));
  rows.assign(stride * static_cast<size_t>(*height), 0);
  for (int32_t y = 0; y < *height; ++y) {
    const size_t from = static_cast<size_t>(y) * srcStride;
    if (from + static_cast<size_t>(*width) * 3 > map.size) break;
    std::memcpy(rows.data() + static_cast<size_t>(*height - 1 - y) * stride, map.data + from,
                static_cast<size_t>(*width) * 3);
  }
  gst_buffer_unmap(buffer, &map);
  return rows;
}

}  // namespace

bool TDShowMedia::CaptureBitmap(const std::string& file) {
  std::vector<uint8_t> bmp;
  if (Windowless()) {
    // The renderer's current image as a packed bitmap behind a file header; without an
    // image the file is still written, empty.
    if (!FGraphBuilt || !FRendererWindowless) return false;
    Frame frame;
    if (FRendererWindowless->CurrentImage(&frame)) bmp = MixerBmp(frame.width, frame.height, frame.pixels.data());
  } else {
    if (FGraphMode != 0 && FGraphMode != 4) return false;
    GstSample* sample = CurrentFrame();
    if (!sample) return false;
    int32_t width = 0, height = 0;
    const std::vector<uint8_t> rows = BottomUpRows(sample, &width, &height);
    gst_sample_unref(sample);
    if (rows.empty()) return false;
    bmp = GrabberBmp(width, height, 24, rows.data(), rows.size());
  }
  QSaveFile out(QString::fromUtf8(file.c_str()));
  out.setDirectWriteFallback(false);
  if (!out.open(QIODevice::WriteOnly)) return false;
  out.write(reinterpret_cast<const char*>(bmp.data()), static_cast<qint64>(bmp.size()));
  return out.commit();
}

OrvanaBitmap* TDShowMedia::BitmapHandle() {
  if (Windowless()) return nullptr;  // the bitmap comes from the plain renderer's grabber
  GstSample* sample = CurrentFrame();
  if (!sample) return nullptr;
  int32_t width = 0, height = 0;
  std::vector<uint8_t> rows = BottomUpRows(sample, &width, &height);
  gst_sample_unref(sample);
  if (rows.empty()) return nullptr;
  auto* bitmap = static_cast<OrvanaBitmap*>(std::malloc(sizeof(OrvanaBitmap)));
  auto* pixels = static_cast<uint8_t*>(std::malloc(rows.size()));
  if (!bitmap || !pixels) {
    std::free(bitmap);
    std::free(pixels);
    return nullptr;
  }
  std::memcpy(pixels, rows.data(), rows.size());
  *bitmap = {width, height, 24, GST_ROUND_UP_4(width * 3), pixels};
  return bitmap;
}

void TDShowMedia::DispatchEvent(int32_t code, int32_t param1, int32_t param2) {
  for (MediaEvents* l : FListeners) l->OnGraphEvent(code, param1, param2);
  if (FEventCallback) FEventCallback(code, param1, param2);
}

gboolean TDShowMedia::OnBusMessage(GstBus*, GstMessage* message, gpointer data) {
  auto* self = static_cast<TDShowMedia*>(data);
  switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_EOS:
      self->DispatchEvent(ORVANA_EC_COMPLETE, 0, 0);
      break;
    case GST_MESSAGE_ERROR: {
      GError* error = nullptr;
      gst_message_parse_error(message, &error, nullptr);
      self->DispatchEvent(ORVANA_EC_ERRORABORT, ResultOfError(error), 0);
      g_clear_error(&error);
      break;
    }
    case GST_MESSAGE_STEP_DONE:
      self->DispatchEvent(ORVANA_EC_STEP_COMPLETE, 0, 0);
      break;
    case GST_MESSAGE_BUFFERING: {
      gint percent = 100;
      gst_message_parse_buffering(message, &percent);
      self->DispatchEvent(ORVANA_EC_BUFFERING_DATA, percent < 100 ? 1 : 0, 0);
      break;
    }
    case GST_MESSAGE_DURATION_CHANGED:
      self->DispatchEvent(ORVANA_EC_LENGTH_CHANGED, 0, 0);
      break;
    case GST_MESSAGE_CLOCK_LOST:
      self->DispatchEvent(ORVANA_EC_CLOCK_CHANGED, 0, 0);
      break;
    default:
      break;
  }
  return TRUE;
}

}  // namespace orvana
