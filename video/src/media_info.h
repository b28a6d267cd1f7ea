// Orvana_GetMediaInfo: every stream of a file described in one line, in the words of a
// DirectShow media type ("Video: YV12, Format: VideoInfo YV12 640 X 480, 12 bits").
#pragma once

#include <gst/gst.h>

#include <functional>
#include <string>

#include "messages.h"
#include "stream_text.h"

namespace orvana {

// The stream of `caps` as it is stored: raw formats by their own names, compressed pictures
// by their codec's FOURCC (MPEG-1 and MPEG-2 in their own header blocks), compressed sound
// by its wave format tag with no sample depth (AC-3, DTS and DVD linear PCM by their subtypes).
StreamFormat FormatOfCaps(const GstCaps* caps);

// Describes each stream of the file (a name or an address) to `line`, in the file's order;
// nothing when the file cannot be read.
void DescribeMediaFile(const char* file, const MessageTable& messages,
                       const std::function<void(const std::string&)>& line);

}  // namespace orvana
