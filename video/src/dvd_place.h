// Where a DVD stands, and the two texts about it that need no player: the volume a path
// names and the bookmark file's content.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvana {

struct DvdPlace {
  int32_t title = -1;       // 1-based; 0 in a menu, -1 unknown
  int32_t chapter = -1;     // in a title its chapter (1-based), in a menu the menu's number
  int64_t positionMs = 0;   // into the title
  int32_t angle = 1;
  bool InMenu() const { return title == 0; }
  bool InTitle() const { return title >= 1; }
};

// The menu numbers a DVD navigator reports for its menus.
inline constexpr int32_t kDvdTitleMenu = 2;
inline constexpr int32_t kDvdRootMenu = 3;

// What the host is told of where a disc stands (EC_DVD_* events). Domains: 2 the disc's own
// menus (the title menu), 3 a title set's menus (the root menu and the others), 4 a title,
// 5 stopped; 0 not known yet.
inline constexpr int32_t kDvdDomainVideoManagerMenu = 2;
inline constexpr int32_t kDvdDomainTitleSetMenu = 3;
inline constexpr int32_t kDvdDomainTitle = 4;
inline constexpr int32_t kDvdDomainStop = 5;
struct DvdReport {
  int32_t domain = 0;
  int32_t title = 0;      // in a title
  int32_t chapter = 0;    // in a title
  int64_t second = -1;    // into the title
};
DvdReport ReportOf(const DvdPlace& place, bool stopped);
struct DvdEvent {
  int32_t code, param1, param2;
};
// The events a move from `before` to `now` tells, in the order a host hears them: the
// domain, the title, the chapter's start, then the time code (in a title, once a second).
std::vector<DvdEvent> DvdEventsBetween(const DvdReport& before, const DvdReport& now, int64_t positionMs,
                                       int32_t framesPerSecond);

// The volume (the folder holding VIDEO_TS, or an image or device) a host's path names: the
// volume itself, its VIDEO_TS folder or a file in that folder. Empty stays empty (the
// navigator looks for a disc itself).
std::string DvdVolumeOf(const std::string& path);

// A bookmark file: a header line, then key=value lines for the volume and the place.
std::string BookmarkText(const std::string& volume, const DvdPlace& place);
// The volume and place of a bookmark file's text; none when it is not one.
struct DvdBookmark {
  std::string volume;
  DvdPlace place;
};
std::optional<DvdBookmark> ParseBookmark(const std::string& text);

}  // namespace orvana
