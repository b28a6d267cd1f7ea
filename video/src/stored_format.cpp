#include "stored_format.h"

#include <cstdlib>
#include <cstring>

namespace orvana {

namespace {

struct Name {
  uint32_t code;
  const char* name;
};

// The subtypes of the list whose identifiers are built from a FOURCC.
constexpr Name kFourCcSubtypes[] = {
    {FourCc("CLPL"), "CLPL"}, {FourCc("YUYV"), "YUYV"}, {FourCc("IYUV"), "IYUV"}, {FourCc("YVU9"), "YVU9"},
    {FourCc("Y411"), "Y411"}, {FourCc("Y41P"), "Y41P"}, {FourCc("YUY2"), "YUY2"}, {FourCc("YVYU"), "YVYU"},
    {FourCc("UYVY"), "UYVY"}, {FourCc("Y211"), "Y211"}, {FourCc("YV12"), "YV12"}, {FourCc("CLJR"), "CLJR"},
    {FourCc("IF09"), "IF09"}, {FourCc("CPLA"), "CPLA"}, {FourCc("MJPG"), "MJPG"}, {FourCc("TVMJ"), "TVMJ"},
    {FourCc("WAKE"), "WAKE"}, {FourCc("CFCC"), "CFCC"}, {FourCc("IJPG"), "IJPG"}, {FourCc("Plum"), "Plum"},
    {FourCc("DVCS"), "DVCS"}, {FourCc("DVSD"), "DVSD"}, {FourCc("MDVF"), "MDVF"}, {FourCc("dvsd"), "dvsd_"},
    {FourCc("dvhd"), "dvhd"}, {FourCc("dvsl"), "dvsl"}, {FourCc("MP42"), "MS-MPEG4"}, {FourCc("DIVX"), "DIVX"},
};

// The subtypes of the list whose identifiers are built from a wave format tag.
constexpr Name kTagSubtypes[] = {
    {0x0001, "PCM"}, {0x0003, "IEEE_FLOAT"}, {0x0009, "DRM_Audio"}, {0x0050, "MPEG1AudioPayload"},
    {0x0092, "DOLBY_AC3_SPDIF"}, {0x0240, "RAW_SPORT"}, {0x0241, "SPDIF_TAG_241h"},
};

template <size_t N>
std::string Lookup(const Name (&names)[N], uint32_t code) {
  for (const Name& n : names)
    if (n.code == code) return n.name;
  return {};
}

uint32_t U32(std::string_view b, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(b[at + i]);
  return v;
}
uint16_t U16(std::string_view b, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8);
}

// Calls `chunk(id, body)` for each chunk of a list's body, stopping at one that overruns it.
template <typename F>
void ForEachChunk(std::string_view body, F&& chunk) {
  size_t at = 0;
  while (body.size() - at >= 8) {
    const uint32_t id = U32(body, at);
    const uint32_t size = U32(body, at + 4);
    if (size > body.size() - at - 8) return;
    chunk(id, body.substr(at + 8, size));
    at += 8 + size + (size & 1);
    if (at > body.size()) return;
  }
}

// A WAVEFORMATEX, or a WAVEFORMATEXTENSIBLE whose sub-format names the subtype.
StoredStream ReadWaveFormat(std::string_view body) {
  StoredStream s;
  if (body.size() < 16) return s;
  s.kind = StoredStream::Kind::Audio;
  s.formatTag = U16(body, 0);
  s.channels = U16(body, 2);
  s.rate = static_cast<int32_t>(U32(body, 4));
  s.bits = U16(body, 14);
  constexpr int32_t kExtensible = 0xFFFE;
  s.subtypeTag = s.formatTag == kExtensible && body.size() >= 26 ? U16(body, 24) : s.formatTag;
  return s;
}

StoredStream ReadStreamList(std::string_view strl) {
  StoredStream s;
  uint32_t type = 0;
  ForEachChunk(strl, [&](uint32_t id, std::string_view body) {
    if (id == FourCc("strh") && body.size() >= 4) type = U32(body, 0);
    if (id != FourCc("strf")) return;
    if (type == FourCc("vids") && body.size() >= 20) {
      s.kind = StoredStream::Kind::Video;
      s.width = static_cast<int32_t>(U32(body, 4));
      s.height = std::abs(static_cast<int32_t>(U32(body, 8)));
      s.bitCount = U16(body, 14);
      s.compression = U32(body, 16);
    } else if (type == FourCc("auds")) {
      s = ReadWaveFormat(body);
    }
  });
  return s;
}

}  // namespace

std::string SubtypeOfFourCc(uint32_t fourCc) { return Lookup(kFourCcSubtypes, fourCc); }

std::string SubtypeOfFormatTag(int32_t tag) { return Lookup(kTagSubtypes, static_cast<uint32_t>(tag)); }

std::vector<StoredStream> ReadRiffStreams(std::string_view head) {
  std::vector<StoredStream> streams;
  if (head.size() < 12 || U32(head, 0) != FourCc("RIFF")) return streams;
  if (U32(head, 8) == FourCc("WAVE")) {
    ForEachChunk(head.substr(12), [&](uint32_t id, std::string_view body) {
      if (id == FourCc("fmt ") && streams.empty()) streams.push_back(ReadWaveFormat(body));
    });
    return streams;
  }
  if (U32(head, 8) != FourCc("AVI ")) return streams;
  ForEachChunk(head.substr(12), [&](uint32_t id, std::string_view body) {
    if (id != FourCc("LIST") || body.size() < 4 || U32(body, 0) != FourCc("hdrl")) return;
    ForEachChunk(body.substr(4), [&](uint32_t inner, std::string_view list) {
      if (inner == FourCc("LIST") && list.size() >= 4 && U32(list, 0) == FourCc("strl"))
        streams.push_back(ReadStreamList(list.substr(4)));
    });
  });
  return streams;
}

}  // namespace orvana
