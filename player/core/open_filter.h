// The open-file dialog's filter list and MediaMask, the file masks the add commands accept.
#pragma once

#include <QString>
#include <QStringList>

namespace lirra {

// Which container types the video library can play besides the basic ones (on Linux: the
// GStreamer demuxers installed).
struct VideoExtras {
  bool realMedia = false;  // .rm and friends
  bool flash = false;      // .swf
  bool transportStream = false;  // .ts
  bool quickTime = false;  // .mov, .3gp
};

struct OpenFilter {
  QString filter;     // "label|masks|label|masks…"
  QString mediaMask;  // "*.mp3;*.wav;…;"
};

OpenFilter BuildOpenFilter(bool chinese, bool videoLibAvailable, bool engineReady,
                           const QString& pluginExtensions, const VideoExtras& extras);

// The "label|masks" pairs as Qt's dialog wants them: "label (mask1 mask2 …)", same order.
QStringList QtNameFilters(const QString& filter);

}  // namespace lirra

namespace lirra {

// The names of a folder's files (not its subfolders) that match the media mask
// ("*.mp3;*.wav;…", case-insensitive), sorted by name.
QStringList MediaFilesIn(const QString& folder, const QString& mediaMask);

}  // namespace lirra
