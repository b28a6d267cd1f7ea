// How a stream is stored, in the terms of a DirectShow media type: the subtype named by a
// picture's FOURCC or a sound's format tag, and the format blocks an AVI file keeps for
// each of its streams.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvana {

constexpr uint32_t FourCc(const char (&code)[5]) {
  return static_cast<uint32_t>(static_cast<uint8_t>(code[0])) | static_cast<uint32_t>(static_cast<uint8_t>(code[1])) << 8 |
         static_cast<uint32_t>(static_cast<uint8_t>(code[2])) << 16 | static_cast<uint32_t>(static_cast<uint8_t>(code[3])) << 24;
}

// The listed subtype name of a picture compressed under `fourCc` ("MJPG", "DIVX", "MS-MPEG4"
// for MP42, "dvsd_" for dvsd); empty when the list has none. The match is exact, as the
// identifiers are made from the four bytes.
std::string SubtypeOfFourCc(uint32_t fourCc);

// The listed subtype name of sound stored under a wave format tag ("PCM", "IEEE_FLOAT",
// "MPEG1AudioPayload" for tag 0x50...); empty when the list has none.
std::string SubtypeOfFormatTag(int32_t tag);

// One stream of a RIFF file as its header stores it: the bitmap header of a picture stream
// or the wave format of a sound stream.
struct StoredStream {
  enum class Kind { Video, Audio, Other };
  Kind kind = Kind::Other;
  uint32_t compression = 0;  // biCompression
  int32_t width = 0, height = 0, bitCount = 0;
  int32_t formatTag = 0, rate = 0, bits = 0, channels = 0;
  int32_t subtypeTag = 0;  // the tag the sound's subtype is made from: an extensible format's own
};

// The streams of the AVI or WAV file that begins with `head`, in the file's order; empty
// when it is neither or its header is cut short or damaged.
std::vector<StoredStream> ReadRiffStreams(std::string_view head);

}  // namespace orvana
