// The tag values TAGS_Read can put into its format, and the expansion itself.
#pragma once

#include <string>
#include <string_view>

namespace lirra::tags {

struct TagValues {
  std::string title, artist, album, genre, year, comment, track;
};

// Replaces each %TITL, %ARTI, %ALBM, %GNRE, %YEAR, %CMNT, %TRCK by its value; everything
// else, an unknown "%XXXX" too, is copied as it stands.
std::string Expand(std::string_view format, const TagValues& values);

// "StreamTitle='Artist - Title';…" of a shoutcast stream into artist and title.
void ParseStreamTitle(std::string_view meta, TagValues* values);

}  // namespace lirra::tags
