// The one-line description of a stream in the words of a DirectShow media type
// ("Video: YV12, Format: VideoInfo YV12 640 X 480, 12 bits").
#pragma once

#include <cstdint>
#include <string>

#include "messages.h"

namespace orvana {

// A stream as the description sees it: a media type with its format block.
struct StreamFormat {
  enum class Major { Audio, Video, Text, Midi, Other };
  // The format blocks: a bitmap header, a wave format, MPEG-1 and MPEG-2 video headers, and
  // the blocks that only name themselves (DVD linear PCM).
  enum class Block { VideoInfo, WaveFormatEx, MpegVideo, Mpeg2Video, DvdLpcm, None };
  Major major = Major::Other;
  std::string subtype;       // a listed subtype name; empty: not one of them
  Block block = Block::None;
  uint32_t compression = 0;  // biCompression: 0 RGB, 1 RLE8, 2 RLE4, 3 BITFIELDS, else a FOURCC
  int32_t width = 0, height = 0, bitCount = 0;
  int32_t formatTag = 0, rate = 0, bits = 0, channels = 0;
};

// The line of one stream with the table's words ("UnKnown " for what is not listed).
std::string DescribeStream(const StreamFormat& format, const MessageTable& messages);

}  // namespace orvana
