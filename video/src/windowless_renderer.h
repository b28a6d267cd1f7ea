// The windowless renderers of graph modes 1 and 2: frames are pulled from the pipeline by
// an appsink and painted by the library itself into a layer over the owner window's whole
// client area, letter-boxed, flipped or mirrored as asked, and repainted on request.
#pragma once

#include <gst/gst.h>

#include <QPointer>

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace orvana {

class PictureLayer;

// The normalised output rectangle of one renderer and its two effect flags.
struct EffectRect {
  float left = 0, top = 0, width = 1, height = 1;
  bool flip = false;    // vertical
  bool mirror = false;  // horizontal
};

// One frame in blue-green-red-x rows, top row first.
struct Frame {
  int32_t width = 0, height = 0, stride = 0;
  std::vector<uint8_t> pixels;
};

class WindowlessRenderer {
 public:
  // Null owner: frames are still pulled (for snapshots) but painted nowhere.
  explicit WindowlessRenderer(uintptr_t owner);
  ~WindowlessRenderer();
  WindowlessRenderer(const WindowlessRenderer&) = delete;
  WindowlessRenderer& operator=(const WindowlessRenderer&) = delete;

  // The sink to put in the pipeline (the renderer keeps its own reference).
  GstElement* sink() const { return sink_; }
  // The native size of the pictures arriving (0 x 0 before the first).
  bool NativeSize(int32_t* width, int32_t* height) const;
  // The last frame, or false when none arrived.
  bool CurrentImage(Frame* frame) const;
  // Places the picture layer over the owner's client area and repaints it.
  void Fit();
  void Repaint();
  void SetEffects(const EffectRect& effects);

 private:
  static GstFlowReturn OnNewSample(GstElement* sink, gpointer self);
  void Store(GstSample* sample);

  GstElement* sink_ = nullptr;
  QPointer<PictureLayer> layer_;  // a child of the owner widget: it may go first; host thread only
  // Lives on the host thread for the renderer's life: a frame's repaint is posted to it, so
  // the streaming threads never touch the layer.
  std::unique_ptr<QObject> relay_;
  mutable std::mutex mutex_;
  Frame frame_;
};

}  // namespace orvana
