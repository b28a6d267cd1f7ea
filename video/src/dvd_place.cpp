#include "dvd_place.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <sstream>

#include "orvana.h"

namespace orvana {

DvdReport ReportOf(const DvdPlace& place, bool stopped) {
  DvdReport report;
  if (stopped) {
    report.domain = kDvdDomainStop;
  } else if (place.InTitle()) {
    report = {kDvdDomainTitle, place.title, place.chapter, place.positionMs / 1000};
  } else if (place.InMenu()) {
    report.domain = place.chapter == kDvdTitleMenu ? kDvdDomainVideoManagerMenu : kDvdDomainTitleSetMenu;
  }
  return report;
}

std::vector<DvdEvent> DvdEventsBetween(const DvdReport& before, const DvdReport& now, int64_t positionMs,
                                       int32_t framesPerSecond) {
  std::vector<DvdEvent> events;
  if (now.domain == 0) return events;
  if (now.domain != before.domain) events.push_back({ORVANA_EC_DVD_DOMAIN_CHANGE, now.domain, 0});
  if (now.domain != kDvdDomainTitle) return events;
  if (now.title != before.title) events.push_back({ORVANA_EC_DVD_TITLE_CHANGE, now.title, 0});
  if (now.chapter >= 1 && (now.chapter != before.chapter || now.title != before.title))
    events.push_back({ORVANA_EC_DVD_CHAPTER_START, now.chapter, 0});
  if (now.second != before.second || now.title != before.title) {
    // The time code's bytes from the lowest up: hours, minutes, seconds, frames; the flags
    // say the frame rate (1: 25 a second, 2: 30).
    const int64_t s = std::max<int64_t>(0, positionMs / 1000);
    const int64_t frames = framesPerSecond > 0 ? (std::max<int64_t>(0, positionMs) % 1000) * framesPerSecond / 1000 : 0;
    const uint32_t code = static_cast<uint32_t>(std::min<int64_t>(s / 3600, 255)) | static_cast<uint32_t>(s / 60 % 60) << 8 |
                          static_cast<uint32_t>(s % 60) << 16 | static_cast<uint32_t>(frames) << 24;
    events.push_back({ORVANA_EC_DVD_CURRENT_HMSF_TIME, static_cast<int32_t>(code), framesPerSecond == 30 ? 2 : 1});
  }
  return events;
}

namespace {

constexpr const char* kBookmarkHeader = "[Lirra DVD bookmark 1]";

std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
  return text;
}

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

std::string Parent(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

template <typename Int>
bool ReadInt(const std::string& text, Int* value) {
  const char* end = text.data() + text.size();
  const auto [at, error] = std::from_chars(text.data(), end, *value);
  return error == std::errc() && at == end;
}

}  // namespace

std::string DvdVolumeOf(const std::string& path) {
  std::string volume = path;
  while (volume.size() > 1 && volume.back() == '/') volume.pop_back();
  const std::string upper = Upper(volume);
  if (EndsWith(upper, ".IFO") || EndsWith(upper, ".BUP") || EndsWith(upper, ".VOB")) volume = Parent(volume);
  const size_t slash = volume.find_last_of('/');
  const std::string last = Upper(slash == std::string::npos ? volume : volume.substr(slash + 1));
  if (last == "VIDEO_TS") volume = Parent(volume);
  return volume;
}

std::string BookmarkText(const std::string& volume, const DvdPlace& place) {
  std::ostringstream text;
  text << kBookmarkHeader << "\nvolume=" << volume << "\ntitle=" << place.title << "\nchapter=" << place.chapter
       << "\nposition=" << place.positionMs << "\nangle=" << place.angle << '\n';
  return text.str();
}

std::optional<DvdBookmark> ParseBookmark(const std::string& text) {
  std::istringstream lines(text);
  std::string line;
  if (!std::getline(lines, line) || line != kBookmarkHeader) return std::nullopt;
  DvdBookmark mark;
  bool hasTitle = false, hasVolume = false;
  while (std::getline(lines, line)) {
    const size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    const std::string key = line.substr(0, equals), value = line.substr(equals + 1);
    bool ok = true;
    if (key == "volume") {
      mark.volume = value;
      hasVolume = true;
    } else if (key == "title") {
      ok = hasTitle = ReadInt(value, &mark.place.title);
    } else if (key == "chapter") {
      ok = ReadInt(value, &mark.place.chapter);
    } else if (key == "position") {
      ok = ReadInt(value, &mark.place.positionMs);
    } else if (key == "angle") {
      ok = ReadInt(value, &mark.place.angle);
    }
    if (!ok) return std::nullopt;
  }
  // A place to go back to: a title, or a menu of the two a navigator can be asked for.
  const DvdPlace& p = mark.place;
  const bool menu = p.InMenu() && (p.chapter == kDvdTitleMenu || p.chapter == kDvdRootMenu);
  if (!hasVolume || !hasTitle || !(menu || p.InTitle()) || p.positionMs < 0 || p.angle < 1) return std::nullopt;
  return mark;
}

}  // namespace orvana
