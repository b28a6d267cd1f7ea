// Pieces the graph kinds share: element making, the audio stages, prerolling with its
// result, file names and frames.
#pragma once

#include <gst/gst.h>

#include "audio_shaper.h"
#include "orvana.h"

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace orvana {

// File names are taken to 259 characters at most (a 260-character buffer with its end).
std::string CutFileName(const char* file);
// An element of the factory, or null when it is not installed.
GstElement* MakeOptional(const char* factory);
// The stage behind the decoders that passes the sound unchanged, with the shaper of the
// balance and the dual channel choice on its output; null when it cannot be made.
GstElement* AudioStage(std::shared_ptr<AudioShaper>* shaper);
// A decoder of MPEG audio (layers 1 to 3): what the dual channel choice applies to.
bool IsMpegAudioDecoder(GstElement* element);
// Adds the elements to the bin linked in a row and started with it; the first, or null
// (and nothing added) when one of them is missing.
GstElement* Chain(GstElement* bin, std::initializer_list<GstElement*> elements);
// The HRESULT of an error message of the bus.
int32_t ResultOfErrorMessage(GstMessage* message);
// The first message of `types` on the pipeline's bus, waiting up to `timeout`; null when none
// came. Every other message taken meanwhile goes back on the bus in its order, for the
// graph's watch (buffering, duration and state news are not lost).
GstMessage* TakeMessage(GstElement* pipeline, GstMessageType types, GstClockTime timeout);
// Sets `uri` (when given) on playbin and prerolls the graph: S_OK, or the error's HRESULT.
int32_t Preroll(GstElement* pipeline, const char* file);
// The URI of a file name, or the address itself; empty when it cannot be one (an empty
// name included).
std::string FileUri(const char* file);
// Watches the pictures arriving at `element`'s sink pad: when their size or their pixels'
// shape changes after the first, a message named kVideoSizeMessage with the new "width",
// "height" and "pixel-aspect-ratio" goes to the bus (the media object tells the host EC_VIDEO_SIZE_CHANGED).
inline constexpr const char* kVideoSizeMessage = "orvana-video-size";
// The user closed the full-screen picture (the host hears EC_USERABORT).
inline constexpr const char* kUserAbortMessage = "orvana-user-abort";
void WatchVideoSize(GstElement* element);
// The size of the pictures passing `pad` now, into `info` (hasVideo 0 when none has passed).
void PictureSizeAt(GstPad* pad, OrvanaVideoInfo* info);
// The rows of a BGR sample, bottom row first, each padded to 4 bytes (empty on failure).
std::vector<uint8_t> BottomUpRows(GstSample* sample, int32_t* width, int32_t* height);

}  // namespace orvana
