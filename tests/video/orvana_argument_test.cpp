// Every export with the edge values of its types, in each graph mode, with and without a
// medium, before Init and after Free: no call crashes, raises a GStreamer critical (the
// Orvana tests run with G_DEBUG=fatal-criticals) or hangs, and what is defined whatever the
// medium is answered. Then the rates and limits no host should send are refused.
#include <QDialog>

#include <cfloat>

#include "fake_camera.h"
#include "orvana_host_fixture.h"
#include "test_disc.h"

namespace orvana_host {
namespace {

const double kDoubles[] = {NAN, INFINITY, -INFINITY, 0.0, -1.0, 1e-300, DBL_MAX, 2.0};
constexpr int32_t kInts[] = {0, -1, 1, 3, 256, INT32_MIN, INT32_MAX};
const char* const kTexts[] = {nullptr, "", "/no/such/dir/file", "::"};
constexpr uintptr_t kUnknownWindow = 0x7ffffff0;

struct Call {
  std::string name;
  std::function<void()> run;
};

OrvanaBSTR Bstr(const char* text) {
  if (!text) return nullptr;
  const std::u16string utf16 = QString::fromUtf8(text).toStdU16String();
  return OrvanaAllocString(utf16.c_str(), static_cast<uint32_t>(utf16.size()));
}

void Lines(const char*) {}

// Closes whatever modal dialog opens (message and about boxes).
struct DialogCloser {
  DialogCloser() {
    timer.setInterval(20);
    QObject::connect(&timer, &QTimer::timeout, [] {
      if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) dialog->reject();
    });
    timer.start();
  }
  QTimer timer;
};

// A call for each export and edge value; the calls that end the medium (close, loads,
// leaving the mode) come last. The render log viewer is left out: it hands a file to the
// desktop.
std::vector<Call> EdgeCalls(OrvanaLibrary& o, uintptr_t owner) {
  std::vector<Call> calls;
  const auto add = [&](std::string name, std::function<void()> run) { calls.push_back({std::move(name), std::move(run)}); };
  const bool initialised = o.Orvana_GetVolume() != 0;  // 0 only before Init
  const int32_t done = initialised ? ORVANA_TRUE : 0;
  for (double d : kDoubles) {
    const std::string v = std::to_string(d);
    add("SetRate " + v, [&o, d] { o.Orvana_SetRate(d); });
    add("SetPosition " + v, [&o, d] { o.Orvana_SetPosition(d); });
    add("DVD_ModifyRate " + v, [&o, d] { o.Orvana_DVD_ModifyRate(d); });
  }
  for (int32_t i : kInts) {
    const std::string v = std::to_string(i);
    add("ints " + v, [&o, i, done] {
      o.Orvana_SetVolume(i);
      EXPECT_LE(o.Orvana_GetVolume(), 10000);
      o.Orvana_SetBalance(i);
      EXPECT_LE(std::abs(o.Orvana_GetBalance()), 10000);
      o.Orvana_FastForward(i);
      o.Orvana_FastBack(i);
      o.Orvana_SetDigitalZoom(i);
      o.Orvana_SetVideoEffects(i, i);
      o.Orvana_SetVideoEffects(i, 1);
      o.Orvana_SetMsgBoxTextLang(i);
      if (i != 3 && i != 4) { EXPECT_EQ(o.Orvana_GetSeconds(i), 0); }
      const int32_t mpeg = o.Orvana_SetMpegAudioChannel(i);
      EXPECT_TRUE(mpeg == 0 || mpeg == 1) << mpeg;
      uint8_t pcm[6] = {1, 2, 3, 4, 5, 6};
      EXPECT_EQ(o.Orvana_SetChannel(pcm, i, 1, i), done);
      EXPECT_EQ(o.Orvana_SetChannel(nullptr, i, 2, 16), done);
      EXPECT_EQ(o.Orvana_SetVideoWindow(kUnknownWindow, i), done);
      OrvanaBSTR text = nullptr;
      o.Orvana_GetEventCode(&text, i);
      o.Orvana_GetTime(&text, i);
      OrvanaFreeString(text);
      OrvanaCaptureDeviceEntry entry{"kept", "kept"};
      if (i != 0) { EXPECT_EQ(o.Orvana_Capture_EnumVideoDevice(i, &entry), ORVANA_FALSE); }
      EXPECT_EQ(o.Orvana_Capture_EnumVideoDevice(i, nullptr), ORVANA_FALSE);
      o.Orvana_DVD_SetTitle(i);
      o.Orvana_DVD_SetChapter(i);
      o.Orvana_DVD_SetAngle(i);
      o.Orvana_DVD_SetPresentationMode(i);
      o.Orvana_DVD_ToggleCaptioning(i);
      EXPECT_EQ(o.Orvana_CDROM_State("/no/such/drive", i), 0);
    });
    for (int32_t j : kInts)
      add("SetStartStopPosition " + v + " " + std::to_string(j), [&o, i, j] {
        const int32_t set = o.Orvana_SetStartStopPosition(i, j);
        if (j < i || i < 0) { EXPECT_EQ(set, ORVANA_FALSE); }
      });
  }
  add("no arguments", [&o, done] {
    EXPECT_EQ(o.Orvana_SetWindowResize(), done);
    o.Orvana_RepaintVideo();
    o.Orvana_StepOneFrame();
    o.Orvana_Mute();
    o.Orvana_Mute();
    const int32_t active = o.Orvana_IsActive();
    EXPECT_TRUE(active >= 0 && active <= 3) << active;
    OrvanaVideoInfo info{7, 8, 9};
    o.Orvana_GetVideoInfo(&info);
    o.Orvana_GetVideoInfo(nullptr);
    if (OrvanaBitmap* bitmap = o.Orvana_BitmapHandle()) OrvanaFreeBitmap(bitmap);
    o.Orvana_EnumFilter(nullptr);
    o.Orvana_EnumFilter(Lines);
    for (auto command : {o.Orvana_DVD_TitleMenu, o.Orvana_DVD_RootMenu, o.Orvana_DVD_PrevChapter,
                         o.Orvana_DVD_NextChapter, o.Orvana_DVD_ReplayChapter, o.Orvana_DVD_Resume,
                         o.Orvana_DVD_Forwards, o.Orvana_DVD_Backwards})
      command();
    o.Orvana_ShowAboutBox();
  });
  for (const char* t : kTexts) {
    std::string v = "null";  // built by appends: GCC 12 at -O3 warns wrongly on "\"" + std::string(t)
    if (t) v.assign(1, '"').append(t).push_back('"');
    add("texts " + v, [&o, t] {
      o.Orvana_GetMediaInfo(t, Lines);
      o.Orvana_GetMediaInfo(t, nullptr);
      o.Orvana_HasFilterPropertyPage(t);
      o.Orvana_ShowFilterPropertyPage(t);
      o.Orvana_LoadFromFileToGraphEdit(t);
      OrvanaBSTR name = Bstr(t);
      o.Orvana_CaptureBitmap(name);
      o.Orvana_DVD_SaveBookmark(name);
      o.Orvana_DVD_RestoreBookmark(name);
      OrvanaFreeString(name);
    });
  }
  // What ends the medium.
  for (int32_t i : kInts)
    add("MediaState " + std::to_string(i), [&o, i] {
      const int32_t result = o.Orvana_MediaState(i);
      if ((i & 0xFF) > 4) { EXPECT_EQ(result, ORVANA_FALSE); }
    });
  for (const char* t : kTexts)
    for (uintptr_t window : {uintptr_t{0}, kUnknownWindow, owner})
      add("MediaLoad " + std::string(t ? t : "null") + " in " + std::to_string(window),
          [&o, t, window, initialised] {
            EXPECT_EQ(o.Orvana_MediaLoad(1, window, t, 1, RecordEvent) != 0, initialised) << "fails, or nothing done";
          });
  for (int32_t i : {-1, INT32_MIN, INT32_MAX, 1})
    for (int32_t mode : {0, 1, -1})
      add("Capture_OpenVideoDevice " + std::to_string(mode) + " " + std::to_string(i),
          [&o, mode, i, owner] { EXPECT_EQ(o.Orvana_Capture_OpenVideoDevice(mode, owner, i, nullptr), ORVANA_FALSE); });
  add("Capture_OpenVideoDevice in an unknown window", [&o] { o.Orvana_Capture_OpenVideoDevice(0, kUnknownWindow, 0, nullptr); });
  add("SetConfig", [&o] {
    for (int32_t key : {0, -1, 255, INT32_MAX}) o.Orvana_SetConfig(key, 1);
  });
  return calls;
}

// Each call, timed: a second is far beyond what any of them needs.
void RunEdgeCalls(OrvanaLibrary& o, uintptr_t owner, const std::string& where) {
  for (const Call& call : EdgeCalls(o, owner)) {
    SCOPED_TRACE(where + ": " + call.name);
    QElapsedTimer took;
    took.start();
    call.run();
    EXPECT_LT(took.elapsed(), 1000);
    QCoreApplication::processEvents();
  }
}

class OrvanaArguments : public OrvanaHost, public ::testing::WithParamInterface<int32_t> {};

// A medium of the graph mode, open and playing (false when the mode has none).
bool OpenMedium(OrvanaLibrary& o, uintptr_t owner, int32_t mode) {
  switch (mode) {
    case 0:
    case 1:
    case 2: return o.Orvana_MediaLoad(1, owner, MediaFile("video.mp4").toUtf8().constData(), 0, RecordEvent) == 0;
    case 3:
      return AuthorTestDisc(Media().path()) &&
             o.Orvana_MediaLoad(1, owner, MediaFile("DVD").toUtf8().constData(), 0, RecordEvent) == 0;
    case 4: return o.Orvana_Capture_OpenVideoDevice(0, owner, 0, RecordEvent) == ORVANA_TRUE;
    default: return false;
  }
}

TEST_P(OrvanaArguments, EdgeValuesOfEveryExportDoNoHarm) {
  OrvanaLibrary& o = Lib();
  const int32_t mode = GetParam();
  DialogCloser closer;
  ASSERT_TRUE(RegisterFakeCamera());  // before the device list is first read
  ASSERT_NE(o.Orvana_SetConfig(256, mode), 0);
  EXPECT_EQ(o.Orvana_GraphMode(), mode) << "the mode is kept as given";
  RunEdgeCalls(o, owner_.winId(), "nothing open");
  ASSERT_NE(o.Orvana_SetConfig(256, mode), 0);
  const bool opened = OpenMedium(o, owner_.winId(), mode);
  ASSERT_EQ(opened, mode >= 0 && mode <= 4) << "only the modes 0 to 4 load";
  if (opened) RunEdgeCalls(o, owner_.winId(), "a medium open");

  // The library still plays after all that, and a second Init while initialised starts afresh.
  ASSERT_EQ(o.Orvana_Init(owner_.winId(), nullptr), ORVANA_TRUE);
  EXPECT_EQ(o.Orvana_GraphMode(), 0);
  ASSERT_EQ(Load("video.mp4"), 0);
  o.Orvana_SetPosition(2.0);
  EXPECT_TRUE(QTest::qWaitFor([&] { return o.Orvana_GetSeconds(3) == 2; }, 3000));
  o.Orvana_Free();
  RunEdgeCalls(o, owner_.winId(), "after Free");
  o.Orvana_Free();
  ASSERT_EQ(o.Orvana_Init(owner_.winId(), nullptr), ORVANA_TRUE);  // for TearDown
}

INSTANTIATE_TEST_SUITE_P(GraphModes, OrvanaArguments, ::testing::Values(0, 1, 2, 3, 4, 7, -1),
                         [](const ::testing::TestParamInfo<int32_t>& mode) {
                           return mode.param < 0 ? "ModeMinus1" : "Mode" + std::to_string(mode.param);
                         });

// A rate that is no speed, and limits that make no span, are refused: the graph plays on as
// before, with no critical and no position lost.
TEST_F(OrvanaHost, RatesAndLimitsThatMakeNoSenseAreRefused) {
  OrvanaLibrary& o = Lib();
  for (double rate : {double(NAN), double(INFINITY), 0.0, -1.0}) {
    SCOPED_TRACE(rate);
    ASSERT_EQ(Load("video.mp4", RecordEvent), 0);
    o.Orvana_SetRate(rate);
    o.Orvana_SetPosition(2.0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return o.Orvana_GetSeconds(3) == 2; }, 3000)) << "a seek after the rate";
    EXPECT_EQ(o.Orvana_MediaState(ORVANA_PLAY), ORVANA_TRUE);
    EXPECT_TRUE(QTest::qWaitFor([&] { return o.Orvana_GetSeconds(3) == 3; }, 4000)) << "plays on forwards";
  }
  // Limits: from 1 s to 3 s; a refused pair keeps them; a seek past the stop lands on it.
  EXPECT_EQ(o.Orvana_SetStartStopPosition(1, 3), ORVANA_TRUE);
  EXPECT_EQ(o.Orvana_SetStartStopPosition(3, 1), ORVANA_FALSE);
  EXPECT_EQ(o.Orvana_SetStartStopPosition(-1, 1), ORVANA_FALSE);
  const auto completed = [] { return !g_events.empty() && g_events.back().first == ORVANA_EC_COMPLETE; };
  o.Orvana_MediaState(ORVANA_PAUSE);
  o.Orvana_SetPosition(3.5);
  EXPECT_TRUE(QTest::qWaitFor([&] { return o.Orvana_GetSeconds(3) == 3; }, 3000)) << "at the stop, not the start " << o.Orvana_GetSeconds(3) << " " << o.Orvana_IsActive();
  o.Orvana_SetPosition(1.0);
  EXPECT_TRUE(QTest::qWaitFor([&] { return o.Orvana_GetSeconds(3) == 1; }, 3000));
  g_events.clear();
  EXPECT_EQ(o.Orvana_MediaState(ORVANA_PLAY), ORVANA_TRUE);
  EXPECT_TRUE(QTest::qWaitFor(completed, 8000));
  EXPECT_EQ(o.Orvana_GetSeconds(3), 3) << "the kept stop ends the play";
}

}  // namespace
}  // namespace orvana_host
