// The desktop's media controls: what they see of the player and what their commands do.
#include <gtest/gtest.h>

#include <QDir>

#include "fake_tags.h"
#include "media_controls.h"
#include "player_fixture.h"

namespace lirra {
namespace {

using Playback = MediaStatus::Playback;

class MediaControlsTest : public PlayerTest {
 protected:
  // A list of two tagged entries, started at its first.
  void StartTwoTagged() {
    QDir().mkpath(appDir_ + u"Plugins"_s);
    const QString tagger = appDir_ + u"Plugins/libtags.so"_s;
    ASSERT_TRUE(QFile::link(QStringLiteral(LIRRA_FAKES_DIR "/libfake_tags.so"), tagger));
    dlopen(tagger.toUtf8().constData(), RTLD_NOW);
    FakeTagsScript& tags = FakeScript<FakeTagsScript>(u"Plugins/libtags.so"_s, "FakeTags_Script");
    tags = {"Tagged Title", "Some Artist", "An Album"};
    writeBytes(u"two.m3u"_s, ("#EXTM3U\r\n" + MakeFile(u"one song.mp3"_s) + "\r\n" + MakeFile(u"two.mp3"_s) + "\r\n").toUtf8());
    player_.context().randomBelow = [](int) { return 0; };
    Start({appDir_ + u"two.m3u"_s});

  }
  MediaStatus status() { return player_.MediaControlsStatus(); }
};

TEST_F(MediaControlsTest, TheDesktopSeesThePlayingTrackWithItsTags) {
  StartTwoTagged();
  const MediaStatus m = status();
  EXPECT_EQ(m.playback, Playback::Playing);
  EXPECT_EQ(m.trackId, u"/org/lirra/track/0"_s);
  EXPECT_EQ(m.title, u"Tagged Title"_s);
  EXPECT_EQ(m.artist, u"Some Artist"_s);
  EXPECT_EQ(m.album, u"An Album"_s);
  EXPECT_EQ(m.url, u"file://"_s + appDir_ + u"one%20song.mp3"_s);
  EXPECT_EQ(m.lengthUs, qint64{player_.state().TrackSeconds} * 1'000'000);
  EXPECT_TRUE(m.canPause && m.canSeek && m.canGoNext);

  player_.state().LengthUnknown = true;  // a stream without an end cannot be sought
  EXPECT_FALSE(status().canSeek);
  EXPECT_EQ(status().lengthUs, 0);
}

// Each command from each state, as the keys and buttons behave.
TEST_F(MediaControlsTest, CommandsActAsTheMatchingKeysAndButtons) {
  StartTwoTagged();
  const auto bringTo = [&](Playback p) {
    RunMediaCommand(player_.context(), MediaCommand::Stop);
    if (p != Playback::Stopped) player_.pmPlayClick();
    if (p == Playback::Paused) player_.pmPauseClick();
    ASSERT_EQ(status().playback, p);
  };
  struct Case {
    Playback from;
    MediaCommand command;
    Playback to;
    bool nextEntry;  // the other entry plays afterwards
  };
  const Case cases[] = {
      {Playback::Stopped, MediaCommand::Play, Playback::Playing, false},
      {Playback::Stopped, MediaCommand::PlayPause, Playback::Playing, false},
      {Playback::Stopped, MediaCommand::Pause, Playback::Stopped, false},
      {Playback::Stopped, MediaCommand::Next, Playback::Stopped, false},
      {Playback::Playing, MediaCommand::Play, Playback::Playing, false},
      {Playback::Playing, MediaCommand::Pause, Playback::Paused, false},
      {Playback::Playing, MediaCommand::PlayPause, Playback::Paused, false},
      {Playback::Playing, MediaCommand::Next, Playback::Playing, true},
      {Playback::Playing, MediaCommand::Previous, Playback::Playing, false},
      {Playback::Playing, MediaCommand::Stop, Playback::Stopped, false},
      {Playback::Paused, MediaCommand::Play, Playback::Playing, false},
      {Playback::Paused, MediaCommand::PlayPause, Playback::Playing, false},
      {Playback::Paused, MediaCommand::Pause, Playback::Paused, false},
      {Playback::Paused, MediaCommand::Stop, Playback::Stopped, false},
  };
  for (const Case& c : cases) {
    bringTo(c.from);
    const int before = player_.state().PlayingIndex;
    RunMediaCommand(player_.context(), c.command);
    const std::string what = std::to_string(int(c.from)) + " + command " + std::to_string(int(c.command));
    EXPECT_EQ(status().playback, c.to) << what;
    EXPECT_EQ(player_.state().PlayingIndex != before, c.nextEntry) << what;
  }
}

TEST_F(MediaControlsTest, APositionIsSetOnlyForThePlayingTrackAndWithinIt) {
  StartTwoTagged();
  PlayerContext& ctx = player_.context();
  const int length = player_.state().GaugeRange;
  ASSERT_EQ(length, 10);
  player_.pmPauseClick();
  EXPECT_FALSE(SeekMediaTo(ctx, u"/org/lirra/track/1"_s, 10'000'000)) << "another track's id";
  EXPECT_FALSE(SeekMediaTo(ctx, u"/org/lirra/track/0"_s, -1)) << "before the start";
  EXPECT_TRUE(player_.state().PausedTag) << "a refused seek leaves the pause";
  EXPECT_TRUE(SeekMediaTo(ctx, u"/org/lirra/track/0"_s, 5'400'000));
  EXPECT_EQ(player_.state().GaugePosition, 5);
  EXPECT_EQ(Engine().positionBytes, 5u * 176400) << "the engine's channel moved";
  EXPECT_FALSE(player_.state().PausedTag) << "a seek resumes, as a click on the gauge does";
  EXPECT_TRUE(SeekMediaTo(ctx, u"/org/lirra/track/0"_s, qint64{length + 100} * 1'000'000));
  EXPECT_EQ(player_.state().GaugePosition, length) << "kept inside the track";

  SetMediaShuffle(ctx, true);
  SetMediaShuffle(ctx, true);
  EXPECT_TRUE(status().shuffle);
  EXPECT_TRUE(player_.state().SettingsDirty) << "the order is remembered as the button's is";
}

}  // namespace
}  // namespace lirra
