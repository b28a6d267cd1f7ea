// Graph mode 0: playbin renders the file; its pictures go to an overlay sink drawing into a
// native child of the host's window, letter-boxed there; the digital zoom crops the decoded
// picture; snapshots are taken from the decoded frame at its own size, ahead of the crop and
// of the sink's scaling. The capture and DVD kinds show their pictures the same way.
#pragma once

#include <gst/gst.h>

#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "graph_kind.h"

namespace orvana {

class OverlayGraph : public GraphKind {
 public:
  ~OverlayGraph() override;
  // Without an overlay sink there is no renderer: the load fails with its error box rather
  // than playing sound with no picture.
  int32_t Available(MessageTable& messages, uintptr_t owner) override;
  bool Build(Graph& graph) override;
  int32_t Render(Graph& graph, const std::string& file) override;
  void Attach(Graph& graph) override;
  void Release() override;

  bool VideoInfo(const Graph& graph, OrvanaVideoInfo* info) override;
  void Fit(const Graph& graph) override;
  void SetZoom(const Graph& graph, int32_t percent) override;
  void ToggleFullScreen(const Graph& graph) override;
  std::optional<std::vector<uint8_t>> SnapshotFile(const Graph& graph) override;
  OrvanaBitmap* SnapshotHandle(const Graph& graph) override;

 protected:
  // The frames arriving at the element are kept for snapshots, and a change of their size is told.
  void WatchFrames(GstElement* element);
  // The renderer's window, and the sink drawing into it (a clocked fakesink without a window).
  GstElement* MakeSink(const Graph& graph);
  // The digital zoom's crop stage, or one that passes frames when the crop is not installed.
  GstElement* MakeZoomStage();
  // Runs on the streaming thread for every decoded frame. The frames travel on through a
  // queue to the sink, so the last few are kept and a snapshot picks the one shown now.
  static GstPadProbeReturn KeepFrame(GstPad* pad, GstPadProbeInfo* info, gpointer self);
  // The decoded frame at the playing position (the newest not after it), as 24-bit rows
  // at its own size.
  std::vector<uint8_t> FrameRows(const Graph& graph, int32_t* width, int32_t* height);

  GstElement* sink_ = nullptr;
  GstElement* crop_ = nullptr;
  static constexpr size_t kKeptFrames = 8;
  std::mutex frameMutex_;
  std::deque<GstSample*> recentFrames_;  // the newest decoded frames (streaming thread → snapshots)
  uintptr_t videoWindow_ = 0;  // the sink's window (a native child of the owner)
};

}  // namespace orvana
