// Plugins/libtags.so: TAGS_Read over TagLib (files) and the engine's stream metadata
// (network channels). It uses the engine already loaded in the process: it is linked
// against libbass.so, which the dynamic loader finds loaded under that name.
#include "tags.h"

#include <taglib/fileref.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/tag.h>
#include <taglib/tpropertymap.h>

#include <cstring>
#include <string>

#include "bass.h"
#include "encoding.h"
#include "tag_values.h"

namespace lirra::tags {
namespace {

// 8-bit tag texts: UTF-8 when valid, else GBK (tags written on Chinese Windows).
TagLib::String DecodeLegacy(const TagLib::ByteVector& data) {
  std::string_view bytes(data.data(), data.size());
  while (!bytes.empty() && (bytes.back() == '\0' || bytes.back() == ' ')) bytes.remove_suffix(1);
  return TagLib::String(DecodeToUtf8(bytes), TagLib::String::UTF8);
}

class Id3v1Text final : public TagLib::ID3v1::StringHandler {
 public:
  TagLib::String parse(const TagLib::ByteVector& data) const override { return DecodeLegacy(data); }
};

class Id3v2Latin1Text final : public TagLib::ID3v2::Latin1StringHandler {
 public:
  TagLib::String parse(const TagLib::ByteVector& data) const override { return DecodeLegacy(data); }
};

// Installed once, when the library is loaded; TagLib keeps the pointers.
const Id3v1Text kId3v1Text;
const Id3v2Latin1Text kId3v2Text;
[[maybe_unused]] const bool kHandlersInstalled = [] {
  TagLib::ID3v1::Tag::setStringHandler(&kId3v1Text);
  TagLib::ID3v2::Tag::setLatin1StringHandler(&kId3v2Text);
  return true;
}();

std::string Utf8(const TagLib::String& s) { return s.to8Bit(true); }

bool IsNetworkAddress(const char* name) {
  return name && (std::strncmp(name, "http://", 7) == 0 || std::strncmp(name, "https://", 8) == 0);
}

TagValues FromFile(const char* path) {
  TagValues v;
  TagLib::FileRef file(path, false);
  if (file.isNull() || !file.tag()) return v;
  const TagLib::Tag* tag = file.tag();
  v.title = Utf8(tag->title());
  v.artist = Utf8(tag->artist());
  v.album = Utf8(tag->album());
  v.genre = Utf8(tag->genre());
  v.comment = Utf8(tag->comment());
  if (v.comment.empty() && file.file()) {
    // Some taggers (FFmpeg among them) store the comment as a user text frame.
    const TagLib::PropertyMap properties = file.file()->properties();
    const auto it = properties.find("COMMENT");
    if (it != properties.end() && !it->second.isEmpty()) v.comment = Utf8(it->second.front());
  }
  if (tag->year()) v.year = std::to_string(tag->year());
  if (tag->track()) v.track = std::to_string(tag->track());
  return v;
}

// "key=value" tags of a stream (Ogg comments or the container's metadata).
void FromTagBlock(const char* block, TagValues* v) {
  for (const char* p = block; p && *p; p += std::strlen(p) + 1) {
    const char* eq = std::strchr(p, '=');
    if (!eq) continue;
    std::string key(p, static_cast<size_t>(eq - p));
    for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const std::string value = eq + 1;
    if (key == "title" && v->title.empty()) v->title = value;
    else if (key == "artist" && v->artist.empty()) v->artist = value;
    else if (key == "album" && v->album.empty()) v->album = value;
    else if (key == "genre" && v->genre.empty()) v->genre = value;
    else if ((key == "date" || key == "year") && v->year.empty()) v->year = value.substr(0, 4);
    else if ((key == "comment" || key == "description") && v->comment.empty()) v->comment = value;
    else if ((key == "tracknumber" || key == "track") && v->track.empty()) v->track = value;
  }
}

TagValues FromStream(DWORD handle) {
  TagValues v;
  if (const char* meta = BASS_ChannelGetTags(handle, BASS_TAG_META)) ParseStreamTitle(meta, &v);
  FromTagBlock(BASS_ChannelGetTags(handle, BASS_TAG_OGG), &v);
  return v;
}

}  // namespace
}  // namespace lirra::tags

extern "C" const char* TAGS_Read(uint32_t handle, const char* format) {
  thread_local std::string result;
  result.clear();
  if (!format) return result.c_str();
  BASS_CHANNELINFO info;
  if (!BASS_ChannelGetInfo(handle, &info)) return result.c_str();
  const lirra::tags::TagValues values = lirra::tags::IsNetworkAddress(info.filename)
                                            ? lirra::tags::FromStream(handle)
                                            : lirra::tags::FromFile(info.filename);
  result = lirra::tags::Expand(format, values);
  return result.c_str();
}
