#include "track_tags.h"

#include "player_context.h"

namespace lirra {

const TrackTags& PlayingTrackTags(PlayerContext& ctx) {
  TrackTags& t = ctx.tags;
  if (t.read) return t;
  t.read = true;
  const PlayerState& s = ctx.state;
  if (!s.TagsAvailable || s.VideoActive || !ctx.libs.tags.bound()) return t;
  const auto tag = [&](const char* field) {
    return QString::fromUtf8(ctx.libs.tags.Read(s.CurrentChannel, field)).trimmed();
  };
  t.title = tag("%TITL");
  t.artist = tag("%ARTI");
  t.album = tag("%ALBM");
  return t;
}

void ForgetTrackTags(PlayerContext& ctx) { ctx.tags = {}; }

}  // namespace lirra
