#include "windowless_renderer.h"

#include <gst/app/gstappsink.h>
#include <gst/video/video.h>

#include <QImage>
#include <QPainter>
#include <QPointer>
#include <QWidget>

#include <cstring>

#include "playback_math.h"

namespace orvana {

// The layer the frames are painted on: a child covering the owner's client area.
class PictureLayer : public QWidget {
 public:
  PictureLayer(QWidget* owner, const WindowlessRenderer& renderer) : QWidget(owner), renderer_(renderer) {
    setObjectName(QStringLiteral("OrvanaPicture"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_TransparentForMouseEvents);  // the host keeps its mouse
    setGeometry(owner->rect());
    show();
  }
  EffectRect effects;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    Frame frame;
    if (!renderer_.CurrentImage(&frame)) return;
    QImage image(frame.pixels.data(), frame.width, frame.height, frame.stride, QImage::Format_RGB32);
    // The effect rectangle picks the part of the output the picture covers; a flip or a
    // mirror swaps its edges.
    const Rect fit = FitVideo(width(), height(), frame.width, frame.height);
    const QRectF target(fit.x + effects.left * fit.width, fit.y + effects.top * fit.height,
                        effects.width * fit.width, effects.height * fit.height);
    p.drawImage(target, image.mirrored(effects.mirror, effects.flip));
  }

 private:
  const WindowlessRenderer& renderer_;
};

WindowlessRenderer::WindowlessRenderer(uintptr_t owner) {
  sink_ = gst_element_factory_make("appsink", nullptr);
  if (sink_) {
    gst_object_ref_sink(sink_);
    GstCaps* caps = gst_caps_from_string("video/x-raw,format=BGRx");
    g_object_set(sink_, "caps", caps, "emit-signals", TRUE, "max-buffers", 1, "drop", TRUE, "sync", TRUE, nullptr);
    gst_caps_unref(caps);
    g_signal_connect(sink_, "new-sample", G_CALLBACK(&WindowlessRenderer::OnNewSample), this);
    g_signal_connect(sink_, "new-preroll", G_CALLBACK(+[](GstElement* s, gpointer self) {
                       GstSample* sample = gst_app_sink_pull_preroll(GST_APP_SINK(s));
                       if (sample) static_cast<WindowlessRenderer*>(self)->Store(sample);
                       return GST_FLOW_OK;
                     }),
                     this);
  }
  if (QWidget* w = owner ? QWidget::find(static_cast<WId>(owner)) : nullptr) {
    layer_ = new PictureLayer(w, *this);
    relay_ = std::make_unique<QObject>();
  }
}

WindowlessRenderer::~WindowlessRenderer() {
  if (sink_) {
    g_signal_handlers_disconnect_by_data(sink_, this);
    gst_object_unref(sink_);
  }
  relay_.reset();
  delete layer_.data();
}

GstFlowReturn WindowlessRenderer::OnNewSample(GstElement* sink, gpointer self) {
  GstSample* sample = gst_app_sink_pull_sample(GST_APP_SINK(sink));
  if (sample) static_cast<WindowlessRenderer*>(self)->Store(sample);
  return GST_FLOW_OK;
}

// Runs on a streaming thread: copies the frame and asks the UI thread to paint it.
void WindowlessRenderer::Store(GstSample* sample) {
  GstVideoInfo info;
  GstBuffer* buffer = gst_sample_get_buffer(sample);
  GstMapInfo map;
  if (gst_video_info_from_caps(&info, gst_sample_get_caps(sample)) && buffer &&
      gst_buffer_map(buffer, &map, GST_MAP_READ)) {
    std::lock_guard lock(mutex_);
    frame_.width = GST_VIDEO_INFO_WIDTH(&info);
    frame_.height = GST_VIDEO_INFO_HEIGHT(&info);
    frame_.stride = frame_.width * 4;
    frame_.pixels.resize(static_cast<size_t>(frame_.stride) * static_cast<size_t>(frame_.height));
    const size_t srcStride = static_cast<size_t>(GST_VIDEO_INFO_PLANE_STRIDE(&info, 0));
    for (int32_t y = 0; y < frame_.height; ++y) {
      if (static_cast<size_t>(y) * srcStride + static_cast<size_t>(frame_.stride) > map.size) break;
      std::memcpy(frame_.pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(frame_.stride),
                  map.data + static_cast<size_t>(y) * srcStride, static_cast<size_t>(frame_.stride));
    }
    gst_buffer_unmap(buffer, &map);
  }
  gst_sample_unref(sample);
  // The pipeline stops (joining this thread) before the relay goes; a repaint still posted
  // then goes with it.
  if (relay_)
    QMetaObject::invokeMethod(
        relay_.get(), [this] { if (layer_) layer_->update(); }, Qt::QueuedConnection);
}

bool WindowlessRenderer::NativeSize(int32_t* width, int32_t* height) const {
  std::lock_guard lock(mutex_);
  *width = frame_.width;
  *height = frame_.height;
  return frame_.width > 0 && frame_.height > 0;
}

bool WindowlessRenderer::CurrentImage(Frame* frame) const {
  std::lock_guard lock(mutex_);
  if (frame_.pixels.empty()) return false;
  *frame = frame_;
  return true;
}

void WindowlessRenderer::Fit() {
  if (!layer_ || !layer_->parentWidget()) return;
  layer_->setGeometry(layer_->parentWidget()->rect());
  layer_->update();
}

void WindowlessRenderer::Repaint() {
  if (layer_) layer_->repaint();
}

void WindowlessRenderer::SetEffects(const EffectRect& effects) {
  if (!layer_) return;
  layer_->effects = effects;
  layer_->update();
}

}  // namespace orvana
