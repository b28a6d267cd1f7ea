// The graph kinds: one unit per way of building a graph, chosen by the graph mode from one
// ordered table. The media object keeps what every kind shares (state, position, volume,
// events); a kind builds and renders its graph and answers the picture's operations. An
// operation a kind lacks answers "not supported" here, in the base class, and nowhere else.
#pragma once

#include <gst/gst.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "audio_shaper.h"
#include "dvd_navigator.h"
#include "orvana.h"

namespace orvana {

class MessageTable;

// What a kind builds and the media object's common controls act on.
struct Graph {
  // Nothing built yet, for the host's window.
  static Graph For(uintptr_t window) {
    Graph graph;
    graph.owner = window;
    return graph;
  }
  uintptr_t owner = 0;                // the host's video window
  GstElement* pipeline = nullptr;     // the media object's reference once built
  GstElement* volumeStage = nullptr;  // what has the "volume" (none: volume only stored)
  std::shared_ptr<AudioShaper> audio; // the balance and the dual channel choice (optional)
  // The picture's native size as last read (these defaults until one is known).
  int32_t videoWidth = 4290, videoHeight = 2640;
  bool hasVideo = false;
};

class GraphKind {
 public:
  virtual ~GraphKind() = default;
  // Whether the kind can play here: S_OK, else the load's result (after telling the user
  // when the kind says so); nothing is done then.
  virtual int32_t Available(MessageTable&, uintptr_t owner) {
    (void)owner;
    return ORVANA_S_OK;
  }
  // Makes graph.pipeline and the stages it has; false when it cannot.
  virtual bool Build(Graph& graph) = 0;
  // Renders `file` into the built graph and prerolls it: an HRESULT.
  virtual int32_t Render(Graph& graph, const std::string& file) = 0;
  // After a successful render: the picture's size read into the graph, the first fit.
  virtual void Attach(Graph& graph) { (void)graph; }
  // The graph is gone: what the kind made beside it goes too.
  virtual void Release() {}
  // The graph is about to stop (a recording is finished here).
  virtual void Stopping(Graph& graph) { (void)graph; }
  // A stop lets the device go; the next play or pause opens it again as it was opened
  // (a recording goes on in the next numbered file).
  virtual bool OpensAgainAfterStop() const { return false; }
  // Whether positions can be sought (a live device has none to go to).
  virtual bool Seekable() const { return true; }
  // A device's sources into the built graph (the graph takes them; the picture in `format`
  // when one is given), shown in the owner's window and recorded to `recordTo` when that is
  // not empty, and run; false when the kind has no devices or it failed.
  virtual bool OpenDevice(Graph& graph, GstElement* video, GstCaps* format, GstElement* audio,
                          const std::string& recordTo) {
    (void)graph, (void)video, (void)format, (void)audio, (void)recordTo;
    return false;
  }

  // DVD volumes: the navigator of the built graph (null for other kinds), the volume
  // played, captions and the presentation mode for wide pictures (0 as the disc says, 1
  // wide, 2 pan-and-scan, 3 letter-box). A disc's load is told as steps 5 and 6 and plays at
  // once; after a stop it plays from its beginning again.
  virtual DvdNavigator* Navigator() { return nullptr; }
  virtual const std::string& Volume() const {
    static const std::string none;
    return none;
  }
  virtual bool PlaysDisc() const { return false; }
  virtual bool SetCaptions(bool on) {
    (void)on;
    return false;
  }
  virtual bool SetPresentation(Graph& graph, int32_t mode) {
    (void)graph, (void)mode;
    return false;
  }

  // The picture's operations.
  // The size a picture of `width` x `height` stored pixels of that shape is shown at.
  virtual void ShownSize(int32_t* width, int32_t* height, int32_t parN, int32_t parD) const {
    (void)width, (void)height, (void)parN, (void)parD;
  }
  virtual bool VideoInfo(const Graph&, OrvanaVideoInfo*) { return false; }
  virtual void Fit(const Graph&) {}
  virtual void SetZoom(const Graph&, int32_t percent) { (void)percent; }
  virtual void ToggleFullScreen(const Graph&) {}
  virtual void Repaint() {}
  virtual void SetEffects(int32_t value, int32_t effect) { (void)value, (void)effect; }
  // The current picture as the bytes of a BMP file; none when the kind takes no snapshots
  // or has no picture.
  virtual std::optional<std::vector<uint8_t>> SnapshotFile(const Graph&) { return std::nullopt; }
  // The current picture as a bitmap the caller frees; null when not supported.
  virtual OrvanaBitmap* SnapshotHandle(const Graph&) { return nullptr; }

 protected:
  // The picture's size as the kind reads it, into the graph (0 x 0 without a picture).
  void ReadPictureSize(Graph& graph);
};

struct GraphKindEntry {
  int32_t mode;
  const char* name;
  std::unique_ptr<GraphKind> (*make)();
};

// The kinds in graph-mode order; a mode without a kind yet has no entry.
const std::vector<GraphKindEntry>& GraphKinds();
// The kind of a graph mode; null for a mode that no kind builds.
std::unique_ptr<GraphKind> MakeGraphKind(int32_t mode);

std::unique_ptr<GraphKind> MakeOverlayGraph();
std::unique_ptr<GraphKind> MakeWindowlessGraph();
std::unique_ptr<GraphKind> MakeHandBuiltWindowlessGraph();
std::unique_ptr<GraphKind> MakeDvdGraph();
std::unique_ptr<GraphKind> MakeCaptureGraph();

}  // namespace orvana
