#include "stream_text.h"

#include <cstdio>

namespace orvana {

namespace {

// The wave format tags the description names; any other prints the unknown word.
struct FormatTag {
  int32_t tag;
  const char* name;
};
constexpr FormatTag kFormatTags[] = {
    {0x0001, "PCM"}, {0x0002, "ADPCM"}, {0x0003, "IEEE_FLOAT"}, {0x0005, "IBM_CVSD"}, {0x0006, "ALAW"},
    {0x0007, "MULAW"}, {0x0010, "OKI_ADPCM"}, {0x0011, "DVI_ADPCM"}, {0x0012, "MEDIASPACE_ADPCM"},
    {0x0013, "SIERRA_ADPCM"}, {0x0014, "G723_ADPCM"}, {0x0015, "DIGISTD"}, {0x0016, "DIGIFIX"},
    {0x0017, "DIALOGIC_OKI_ADPCM"}, {0x0018, "MEDIAVISION_ADPCM"}, {0x0020, "YAMAHA_ADPCM"}, {0x0021, "SONARC"},
    {0x0022, "DSPGROUP_TRUESPEECH"}, {0x0023, "ECHOSC1"}, {0x0024, "AUDIOFILE_AF36"}, {0x0025, "APTX"},
    {0x0026, "AUDIOFILE_AF10"}, {0x0030, "DOLBY_AC2"}, {0x0031, "GSM610"}, {0x0032, "MSNAUDIO"},
    {0x0033, "ANTEX_ADPCME"}, {0x0034, "CONTROL_RES_VQLPC"}, {0x0035, "DIGIREAL"}, {0x0036, "DIGIADPCM"},
    {0x0037, "CONTROL_RES_CR10"}, {0x0038, "NMS_VBXADPCM"}, {0x0039, "CS_IMAADPCM"}, {0x003A, "ECHOSC3"},
    {0x003B, "ROCKWELL_ADPCM"}, {0x003C, "ROCKWELL_DIGITALK"}, {0x003D, "XEBEC"}, {0x0040, "G721_ADPCM"},
    {0x0041, "G728_CELP"}, {0x0050, "MPEG"}, {0x0055, "MPEGLAYER3"}, {0x0060, "CIRRUS"}, {0x0061, "ESPCM"},
    {0x0062, "VOXWARE"}, {0x0063, "CANOPUS_ATRAC"}, {0x0064, "G726_ADPCM"}, {0x0065, "G722_ADPCM"},
    {0x0066, "DSAT"}, {0x0067, "DSAT_DISPLAY"}, {0x0075, "VOXWARE"}, {0x0080, "SOFTSOUND"},
    {0x0100, "RHETOREX_ADPCM"}, {0x0200, "CREATIVE_ADPCM"}, {0x0202, "CREATIVE_FASTSPEECH8"},
    {0x0203, "CREATIVE_FASTSPEECH10"}, {0x0220, "QUARTERDECK"}, {0x0300, "FM_TOWNS_SND"},
    {0x0400, "BTV_DIGITAL"}, {0x1000, "OLIGSM"}, {0x1001, "OLIADPCM"}, {0x1002, "OLICELP"},
    {0x1003, "OLISBC"}, {0x1004, "OLIOPR"}, {0x1100, "LH_CODEC"}, {0x1400, "NORRIS"},
};

std::string CompressionName(uint32_t compression) {
  switch (compression) {
    case 0: return "RGB";
    case 1: return "RLE8";
    case 2: return "RLE4";
    case 3: return "BITFIELDS";
    default: {
      std::string code(4, ' ');
      for (int i = 0; i < 4; ++i) code[i] = static_cast<char>((compression >> (8 * i)) & 0xFF);
      return code;
    }
  }
}

std::string MajorLabel(StreamFormat::Major major, const MessageTable& messages) {
  switch (major) {
    case StreamFormat::Major::Audio: return "Audio: ";
    case StreamFormat::Major::Video: return "Video: ";
    case StreamFormat::Major::Text: return "Text: ";
    case StreamFormat::Major::Midi: return "Midi: ";
    case StreamFormat::Major::Other: break;
  }
  return messages.text(Message::UnknownWord);
}

}  // namespace

std::string DescribeStream(const StreamFormat& f, const MessageTable& messages) {
  const std::string& unknown = messages.text(Message::UnknownWord);
  std::string line = MajorLabel(f.major, messages) + (f.subtype.empty() ? unknown : f.subtype) + ", " +
                     messages.text(Message::FormatLabel);
  char details[128];
  switch (f.block) {
    case StreamFormat::Block::VideoInfo:
      std::snprintf(details, sizeof details, "%s %d X %d, %d bits", CompressionName(f.compression).c_str(), f.width,
                    f.height, f.bitCount);
      return line + messages.text(Message::VideoInfoWord) + " " + details;
    case StreamFormat::Block::MpegVideo:
    case StreamFormat::Block::Mpeg2Video:
      std::snprintf(details, sizeof details, "%s %d X %d, %d Bits", CompressionName(f.compression).c_str(), f.width,
                    f.height, f.bitCount);
      return line + (f.block == StreamFormat::Block::MpegVideo ? "MPEGVideo " : "MPEGStreams ") + details;
    case StreamFormat::Block::DvdLpcm: return line + "DVD_LPCMAudio";
    case StreamFormat::Block::WaveFormatEx: {
      const char* tagName = nullptr;
      for (const FormatTag& t : kFormatTags)
        if (t.tag == f.formatTag) tagName = t.name;
      std::snprintf(details, sizeof details, ", %d Hz, %d Bits, %d Chan", f.rate, f.bits, f.channels);
      return line + "WaveFormatEx: " + (tagName ? tagName : unknown) + details;
    }
    case StreamFormat::Block::None: break;
  }
  return line + unknown;
}

}  // namespace orvana
