// Orvana_GetMediaInfo: every stream of a file described in one line, in the words of a
// DirectShow media type ("Video: YV12, Format: VideoInfo YV12 640 X 480, 12 bits").
#pragma once

#include <gst/gst.h>

#include <functional>
#include <string>

#include "messages.h"
#include "stream_text.h"

namespace orvana {

// The stream of `caps` as its decoder delivers it: raw formats by their own names,
// compressed pictures as the planar YUV their decoders give (4:2:0 → YV12, 4:2:2 → YUY2),
// compressed sound as PCM of the stream's depth (16 bits when it has none).
StreamFormat FormatOfCaps(const GstCaps* caps);

// Describes each stream of the file (a name or an address) to `line`, in the file's order;
// nothing when the file cannot be read.
void DescribeMediaFile(const char* file, const MessageTable& messages,
                       const std::function<void(const std::string&)>& line);

}  // namespace orvana
