// DVD-Video through the navigator, on the disc the tests author (test_disc.h).
#include <QElapsedTimer>

#include <array>
#include <optional>

#include "orvana_host_fixture.h"
#include "test_disc.h"

using namespace orvana_host;

namespace {

QString Volume() { return MediaFile("DVD"); }

bool Magenta(QColor c) { return c.red() > 150 && c.blue() > 150 && c.green() < 90; }
bool Yellow(QColor c) { return c.red() > 150 && c.green() > 150 && c.blue() < 90; }
bool Blue(QColor c) { return c.blue() > 150 && c.red() < 90 && c.green() < 90; }
bool Cyan(QColor c) { return c.green() > 150 && c.blue() > 150 && c.red() < 90; }
bool Green(QColor c) { return c.green() > 90 && c.red() < 90 && c.blue() < 90; }
bool Red(QColor c) { return c.red() > 150 && c.green() < 90 && c.blue() < 90; }

void WriteText(const QString& file, const QByteArray& text) {
  QFile out(file);
  ASSERT_TRUE(out.open(QIODevice::WriteOnly));
  out.write(text);
}

class OrvanaDvd : public OrvanaHost {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(Lib().bind(kOrvanaLibrary)) << dlerror();
    ASSERT_TRUE(AuthorTestDisc(Media().path()));
  }

  // The disc in graph mode 3, named by the path a host may give.
  int32_t LoadDisc(const QString& path, OrvanaMediaEventCallback callback = nullptr) {
    Lib().Orvana_SetConfig(256, 3);
    return Lib().Orvana_MediaLoad(0, owner_.winId(), path.toUtf8().constData(), 0, callback);
  }
  bool Shows(bool (*colour)(QColor), QPoint at = {200, 200}) {
    return QTest::qWaitFor([&] { return colour(ScreenPixel(owner_, at)); }, 5000);
  }
  static int32_t Seconds() { return Lib().Orvana_GetSeconds(3); }
  static void Bookmark(void (*call)(const OrvanaBSTR), const QString& file) {
    const std::u16string utf16 = file.toStdU16String();
    OrvanaBSTR name = OrvanaAllocString(utf16.c_str(), static_cast<uint32_t>(utf16.size()));
    call(name);
    OrvanaFreeString(name);
  }
};

TEST_F(OrvanaDvd, MenusTitlesAndChaptersAreWhereTheDiscPutsThem) {
  OrvanaLibrary& o = Lib();
  // No DVD graph: every command is refused.
  for (auto command : {o.Orvana_DVD_TitleMenu, o.Orvana_DVD_RootMenu, o.Orvana_DVD_NextChapter, o.Orvana_DVD_Resume,
                       o.Orvana_DVD_Forwards})
    EXPECT_EQ(command(), ORVANA_FALSE);
  EXPECT_EQ(o.Orvana_DVD_SetTitle(1), ORVANA_FALSE);

  // A file of the volume's VIDEO_TS folder names the volume; the disc starts in its title menu.
  ASSERT_EQ(LoadDisc(Volume() + u"/VIDEO_TS/VIDEO_TS.IFO"_s), 0);
  EXPECT_TRUE(Shows(Magenta)) << "the title menu";
  EXPECT_EQ(o.Orvana_IsActive(), ORVANA_STATE_RUNNING) << "a disc plays at once";
  EXPECT_EQ(Info().width, 768) << "PAL 4:3 is shown 768 wide";
  EXPECT_EQ(Info().height, 576);
  EXPECT_EQ(o.Orvana_DVD_RootMenu(), ORVANA_TRUE);
  EXPECT_TRUE(Shows(Yellow));
  EXPECT_EQ(o.Orvana_DVD_NextChapter(), ORVANA_FALSE) << "menus have no chapters";
  EXPECT_EQ(o.Orvana_DVD_Resume(), ORVANA_TRUE) << "back to the title the fast start began";
  EXPECT_TRUE(Shows(Blue));

  // Chapters land on their times.
  struct Step {
    const char* what;
    std::function<int32_t()> call;
    int32_t result, seconds;
  } steps[] = {
      {"title 1", [&] { return o.Orvana_DVD_SetTitle(1); }, ORVANA_TRUE, 0},
      {"next", [&] { return o.Orvana_DVD_NextChapter(); }, ORVANA_TRUE, 2},
      {"next again", [&] { return o.Orvana_DVD_NextChapter(); }, ORVANA_TRUE, 4},
      {"past the last", [&] { return o.Orvana_DVD_NextChapter(); }, ORVANA_FALSE, 4},
      {"previous", [&] { return o.Orvana_DVD_PrevChapter(); }, ORVANA_TRUE, 2},
      {"replay", [&] { return o.Orvana_DVD_ReplayChapter(); }, ORVANA_TRUE, 2},
      {"chapter 3", [&] { return o.Orvana_DVD_SetChapter(3); }, ORVANA_TRUE, 4},
      {"chapter 4", [&] { return o.Orvana_DVD_SetChapter(4); }, ORVANA_FALSE, 4},
      {"chapter 1", [&] { return o.Orvana_DVD_SetChapter(1); }, ORVANA_TRUE, 0},
      {"before the first", [&] { return o.Orvana_DVD_PrevChapter(); }, ORVANA_FALSE, 0},
  };
  for (const Step& step : steps) {
    EXPECT_EQ(step.call(), step.result) << step.what;
    o.Orvana_MediaState(1);  // paused, so the second read is where the command went
    QTest::qWait(150);
    // On the chapter's mark: the disc's entry point at or just before it.
    EXPECT_GE(Seconds(), step.seconds - 1) << step.what;
    EXPECT_LE(Seconds(), step.seconds) << step.what;
    o.Orvana_MediaState(0);
  }
  ASSERT_EQ(o.Orvana_DVD_SetChapter(2), ORVANA_TRUE);
  EXPECT_TRUE(Shows(Cyan)) << "chapter 2's picture";
  EXPECT_EQ(o.Orvana_DVD_SetAngle(1), ORVANA_TRUE) << "the one angle";
  EXPECT_EQ(o.Orvana_DVD_SetAngle(2), ORVANA_FALSE);
  const auto [left, right] = SinkLevels();
  EXPECT_GT(left + right, 1000) << "the title's tone at the sink";

  // Title 2 is wide: letter-boxed with its red band at the left, or pan-and-scan without it.
  EXPECT_EQ(o.Orvana_DVD_SetTitle(3), ORVANA_FALSE);
  ASSERT_EQ(o.Orvana_DVD_SetTitle(2), ORVANA_TRUE);
  EXPECT_TRUE(Shows(Green));
  ASSERT_TRUE(QTest::qWaitFor([&] { return Info().width == 1024; }, 3000)) << Info().width;
  EXPECT_TRUE(Shows(Red, {5, 200}));
  EXPECT_TRUE(QTest::qWaitFor([&] { return ScreenPixel(owner_, {200, 60}).value() < 40; }, 3000)) << "letter-boxed";
  EXPECT_EQ(o.Orvana_DVD_SetPresentationMode(7), ORVANA_FALSE);
  ASSERT_EQ(o.Orvana_DVD_SetPresentationMode(2), ORVANA_TRUE);
  EXPECT_EQ(Info().width, 768);
  EXPECT_TRUE(Shows(Green, {5, 200})) << "the sides are cut";
  EXPECT_TRUE(Shows(Green, {200, 60})) << "and the picture is taller in the window";
  EXPECT_EQ(o.Orvana_DVD_SetPresentationMode(0), ORVANA_TRUE);
  EXPECT_TRUE(Shows(Red, {5, 200}));

  EXPECT_EQ(o.Orvana_DVD_TitleMenu(), ORVANA_TRUE);
  EXPECT_TRUE(Shows(Magenta));
  // A stop sends the disc back to its beginning.
  o.Orvana_SetConfig(256, 3);  // a mode set again closes the disc
  ASSERT_EQ(LoadDisc(Volume() + u"/VIDEO_TS"_s), 0);
  ASSERT_TRUE(Shows(Magenta)) << "a user chooses from the menu on the screen";
  ASSERT_EQ(o.Orvana_DVD_SetTitle(2), ORVANA_TRUE);
  EXPECT_TRUE(Shows(Green));
  o.Orvana_MediaState(2);
  EXPECT_EQ(o.Orvana_IsActive(), ORVANA_STATE_STOPPED);
  o.Orvana_MediaState(0);
  EXPECT_TRUE(Shows(Magenta)) << "from the start: the title menu";
}

TEST_F(OrvanaDvd, RatesBookmarksAndMissingDiscs) {
  OrvanaLibrary& o = Lib();
  BoxAnswerer boxes;
  ASSERT_EQ(LoadDisc(Volume()), 0);
  ASSERT_EQ(o.Orvana_DVD_SetTitle(2), ORVANA_TRUE);
  ASSERT_EQ(o.Orvana_DVD_SetChapter(2), ORVANA_TRUE);
  o.Orvana_MediaState(1);
  QTest::qWait(150);
  const QString mark = MediaFile("place.bookmark");
  Bookmark(o.Orvana_DVD_SaveBookmark, mark);
  QFile saved(mark);
  ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
  const QByteArray text = saved.readAll();
  EXPECT_TRUE(text.startsWith("[Lirra DVD bookmark 1]\nvolume=" + Volume().toUtf8() + "\ntitle=2\nchapter=2\n")) << text.constData();

  // Another place, then back to the bookmark.
  o.Orvana_MediaState(0);
  ASSERT_EQ(o.Orvana_DVD_SetTitle(1), ORVANA_TRUE);
  EXPECT_TRUE(Shows(Blue));
  Bookmark(o.Orvana_DVD_RestoreBookmark, mark);
  EXPECT_TRUE(Shows(Green));
  const qsizetype at = text.indexOf("position=") + 9;
  const int32_t savedSeconds = text.mid(at, text.indexOf('\n', at) - at).toInt() / 1000;
  EXPECT_GE(savedSeconds, 2);
  EXPECT_GE(Seconds(), savedSeconds - 1) << "the entry point at or before the place";
  EXPECT_LE(Seconds(), savedSeconds);
  // Not a bookmark: nothing happens, silently; another disc's: the box, nothing happens.
  WriteText(MediaFile("junk.bookmark"), "title=1\n");
  WriteText(MediaFile("other.bookmark"), "[Lirra DVD bookmark 1]\nvolume=/elsewhere\ntitle=1\nchapter=1\nposition=0\nangle=1\n");
  Bookmark(o.Orvana_DVD_RestoreBookmark, MediaFile("junk.bookmark"));
  Bookmark(o.Orvana_DVD_RestoreBookmark, MediaFile("missing.bookmark"));
  EXPECT_TRUE(boxes.texts.isEmpty());
  Bookmark(o.Orvana_DVD_RestoreBookmark, MediaFile("other.bookmark"));
  ASSERT_EQ(boxes.texts.size(), 1);
  EXPECT_EQ(boxes.texts[0], u"Error Code: $80070057"_s);
  EXPECT_TRUE(Shows(Green));

  // Rates: none of 0, none beyond 16; up and down by steps; backwards moves back.
  ASSERT_EQ(o.Orvana_DVD_SetTitle(1), ORVANA_TRUE);
  EXPECT_EQ(o.Orvana_DVD_ModifyRate(0), ORVANA_FALSE);
  EXPECT_EQ(o.Orvana_DVD_ModifyRate(-1), ORVANA_FALSE) << "1 - 1 is no rate";
  o.Orvana_SetRate(20.0);
  EXPECT_EQ(o.Orvana_DVD_ModifyRate(1), ORVANA_TRUE) << "20 was not stored: 1 + 1";
  QTest::qWait(2000);
  EXPECT_GE(Seconds(), 3) << "two seconds at twice the speed";
  EXPECT_EQ(o.Orvana_DVD_ModifyRate(-1), ORVANA_TRUE);
  ASSERT_EQ(o.Orvana_DVD_SetChapter(3), ORVANA_TRUE);
  o.Orvana_SetRate(-2.0);
  QTest::qWait(1200);
  EXPECT_LE(Seconds(), 3) << "two seconds back from 4 or more";
  EXPECT_EQ(o.Orvana_DVD_ModifyRate(1), ORVANA_TRUE) << "-1";
  EXPECT_EQ(o.Orvana_DVD_ModifyRate(1), ORVANA_TRUE) << "-1 + 1 plays forwards at 1";
  const int32_t from = Seconds();
  QTest::qWait(2000);
  EXPECT_GT(Seconds(), from);

  // No disc in the drive: the error box and the error, no graph.
  o.Orvana_SetConfig(256, 3);
  EXPECT_LT(o.Orvana_MediaLoad(0, owner_.winId(), nullptr, 0, nullptr), 0);
  EXPECT_EQ(boxes.texts.size(), 2);
  EXPECT_EQ(o.Orvana_DVD_TitleMenu(), ORVANA_FALSE);
}

namespace {
// Holds each first picture after a flush for 400 ms, as a slow machine prerolls.
GstPadProbeReturn SlowPreroll(GstPad*, GstPadProbeInfo* info, gpointer fresh) {
  auto* afterFlush = static_cast<std::atomic<bool>*>(fresh);
  if (GST_PAD_PROBE_INFO_TYPE(info) & GST_PAD_PROBE_TYPE_EVENT_FLUSH) {
    if (GST_EVENT_TYPE(GST_PAD_PROBE_INFO_EVENT(info)) == GST_EVENT_FLUSH_STOP) *afterFlush = true;
  } else if (afterFlush->exchange(false)) {
    g_usleep(400'000);
  }
  return GST_PAD_PROBE_OK;
}
}  // namespace

// Backward play steps the disc back by seeks while the host's loop keeps its pace, even on
// a machine where each step's first picture takes long.
TEST_F(OrvanaDvd, SteppingBackLeavesTheHostsLoopFree) {
  GstElement* graph = GraphBuiltBy([&] { return LoadDisc(Volume()); });
  ASSERT_NE(graph, nullptr);
  ASSERT_EQ(Lib().Orvana_DVD_SetTitle(1), ORVANA_TRUE);
  ASSERT_EQ(Lib().Orvana_DVD_SetChapter(3), ORVANA_TRUE);
  ASSERT_TRUE(QTest::qWaitFor([] { return Seconds() >= 4; }, 5000));
  GstElement* sink = nullptr;
  g_object_get(graph, "video-sink", &sink, nullptr);
  ASSERT_NE(sink, nullptr);
  GstPad* pad = gst_element_get_static_pad(sink, "sink");
  std::atomic<bool> afterFlush{false};
  gst_pad_add_probe(pad, GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_EVENT_FLUSH), SlowPreroll,
                    &afterFlush, nullptr);
  QElapsedTimer sinceTick;
  qint64 longestGap = 0;
  QTimer tick;
  QObject::connect(&tick, &QTimer::timeout, [&] { longestGap = std::max(longestGap, sinceTick.restart()); });
  sinceTick.start();
  tick.start(20);
  const int32_t from = Seconds();
  Lib().Orvana_SetRate(-2.0);
  QTest::qWait(2000);
  EXPECT_LT(longestGap, 300) << "ms the host's loop stood while stepping back";
  EXPECT_LT(Seconds(), from) << "and the disc went back";
  EXPECT_EQ(Lib().Orvana_MediaState(ORVANA_CLOSE), ORVANA_TRUE);
  gst_object_unref(pad);
  gst_object_unref(sink);
}

// Title 1's line-21 caption, white at the bottom of the picture, only while captioning is on.
TEST_F(OrvanaDvd, CaptionsAreShownOnlyWhileTurnedOn) {
  OrvanaLibrary& o = Lib();
  EXPECT_EQ(o.Orvana_DVD_ToggleCaptioning(1), ORVANA_FALSE) << "no DVD graph";
  ASSERT_EQ(LoadDisc(Volume()), 0);
  ASSERT_EQ(o.Orvana_DVD_SetTitle(1), ORVANA_TRUE);
  ASSERT_TRUE(Shows(Blue));
  // The white pixels of the picture's lower part (the 4:3 picture fills 400 x 300 of the window).
  const auto captionPixels = [&] {
    const QImage shot = owner_.screen()->grabWindow(owner_.winId()).toImage();
    int white = 0;
    for (int y = 250; y < 350; ++y)
      for (int x = 0; x < 400; ++x) {
        const QColor c = shot.pixelColor(x, y);
        white += c.red() > 200 && c.green() > 200 && c.blue() > 200;
      }
    return white;
  };
  QTest::qWait(1500);  // a caption has been sent
  EXPECT_EQ(captionPixels(), 0) << "captions start off";
  ASSERT_EQ(o.Orvana_DVD_ToggleCaptioning(1), ORVANA_TRUE);
  EXPECT_TRUE(QTest::qWaitFor([&] { return captionPixels() > 50; }, 3000)) << "no caption on the screen";
  ASSERT_EQ(o.Orvana_DVD_ToggleCaptioning(0), ORVANA_TRUE);
  EXPECT_TRUE(QTest::qWaitFor([&] { return captionPixels() == 0; }, 3000)) << "the caption stayed";
}


// The navigator's domain, title, chapter and time code reach the host as they change.
struct DvdEvents {
  static inline std::vector<std::array<int32_t, 3>> seen;
  static void Record(int32_t code, int32_t param1, int32_t param2) { seen.push_back({code, param1, param2}); }
  // The parameters of the last event of `code` since `from`; none when there was none.
  static std::optional<std::pair<int32_t, int32_t>> Last(int32_t code, size_t from = 0) {
    for (size_t i = seen.size(); i-- > from;)
      if (seen[i][0] == code) return std::pair{seen[i][1], seen[i][2]};
    return std::nullopt;
  }
};

TEST_F(OrvanaDvd, TheDiscsPlaceIsToldAsItChanges) {
  OrvanaLibrary& o = Lib();
  DvdEvents::seen.clear();
  ASSERT_EQ(LoadDisc(Volume(), DvdEvents::Record), 0);
  const auto told = [](int32_t code, std::pair<int32_t, int32_t> params, size_t from) {
    return QTest::qWaitFor([&] { return DvdEvents::Last(code, from) == params; }, 3000);
  };
  EXPECT_TRUE(told(ORVANA_EC_DVD_DOMAIN_CHANGE, {2, 0}, 0)) << "the title menu is the disc's own";
  size_t from = DvdEvents::seen.size();
  ASSERT_EQ(o.Orvana_DVD_SetTitle(2), ORVANA_TRUE);
  EXPECT_TRUE(told(ORVANA_EC_DVD_DOMAIN_CHANGE, {4, 0}, from));
  EXPECT_TRUE(told(ORVANA_EC_DVD_TITLE_CHANGE, {2, 0}, from));
  EXPECT_TRUE(told(ORVANA_EC_DVD_CHAPTER_START, {1, 0}, from));
  // Title 2's second chapter starts at 3 s (read a little ahead of what plays); the time
  // code runs once a second, at 25 frames.
  EXPECT_TRUE(told(ORVANA_EC_DVD_CHAPTER_START, {2, 0}, from));
  const auto second = [] {
    const auto code = DvdEvents::Last(ORVANA_EC_DVD_CURRENT_HMSF_TIME);
    return code ? (code->first >> 16) & 0xFF : -1;
  };
  ASSERT_TRUE(QTest::qWaitFor([&] { return second() == 3; }, 3000)) << second();
  const auto code = *DvdEvents::Last(ORVANA_EC_DVD_CURRENT_HMSF_TIME);
  EXPECT_EQ(code.second, 1) << "PAL";
  EXPECT_EQ(code.first & 0xFFFF, 0) << "no hours or minutes";
  EXPECT_LT(static_cast<uint32_t>(code.first) >> 24, 25u) << "frames";

  ASSERT_EQ(o.Orvana_DVD_SetTitle(1), ORVANA_TRUE);  // title 2's title set has no menus
  EXPECT_TRUE(told(ORVANA_EC_DVD_TITLE_CHANGE, {1, 0}, from));
  from = DvdEvents::seen.size();
  ASSERT_EQ(o.Orvana_DVD_RootMenu(), ORVANA_TRUE);
  EXPECT_TRUE(told(ORVANA_EC_DVD_DOMAIN_CHANGE, {3, 0}, from)) << "the root menu is the title set's";
  o.Orvana_MediaState(ORVANA_STOP);
  EXPECT_TRUE(told(ORVANA_EC_DVD_DOMAIN_CHANGE, {5, 0}, from));
}

}  // namespace
