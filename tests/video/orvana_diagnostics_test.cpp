// What Orvana tells a host about media and graphs: stream descriptions, filters, the render
// log, the graph viewer and the about box.
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>

#include "orvana_host_fixture.h"

using namespace orvana_host;

namespace {
std::vector<std::string> g_lines;
void RecordLine(const char* line) { g_lines.emplace_back(line); }
}  // namespace

TEST_F(OrvanaHost, MediaInformationDescribesEachStreamInOneLine) {
  OrvanaLibrary& o = Lib();
  const struct {
    const char* file;
    int language;
    std::vector<std::string> lines;
  } cases[] = {
      {"video.mp4", 0,
       {"Video: YV12, Format: VideoInfo YV12 640 X 480, 12 bits",
        "Audio: PCM, Format: WaveFormatEx: PCM, 44100 Hz, 16 Bits, 1 Chan"}},
      {"video.mp4", 1,
       {"Video: YV12, 格式: 视频信息 YV12 640 X 480, 12 bits",
        "Audio: PCM, 格式: WaveFormatEx: PCM, 44100 Hz, 16 Bits, 1 Chan"}},
      {"tone8.wav", 0, {"Audio: PCM, Format: WaveFormatEx: PCM, 22050 Hz, 8 Bits, 1 Chan"}},
      {"left.mp3", 0, {"Audio: PCM, Format: WaveFormatEx: PCM, 44100 Hz, 16 Bits, 2 Chan"}},
      {"tune.mid", 0, {"Midi: UnKnown , Format: UnKnown "}},
      {"broken.mp4", 0, {}},
      {"missing.mp4", 0, {}},
  };
  for (const auto& c : cases) {
    o.Orvana_SetMsgBoxTextLang(c.language);
    g_lines.clear();
    o.Orvana_GetMediaInfo(MediaFile(c.file).toUtf8().constData(), RecordLine);
    EXPECT_EQ(g_lines, c.lines) << c.file << " in language " << c.language;
  }
  o.Orvana_SetMsgBoxTextLang(0);
  o.Orvana_GetMediaInfo("", RecordLine);
  o.Orvana_GetMediaInfo(nullptr, RecordLine);
  o.Orvana_GetMediaInfo(MediaFile("tone8.wav").toUtf8().constData(), nullptr);
}

TEST_F(OrvanaHost, FiltersAreListedAndTheirPagesChangeWhatIsHeard) {
  OrvanaLibrary& o = Lib();
  g_lines.clear();
  EXPECT_EQ(o.Orvana_EnumFilter(RecordLine), ORVANA_FALSE) << "no graph";
  EXPECT_EQ(o.Orvana_HasFilterPropertyPage("pulsesink0"), ORVANA_FALSE);
  ASSERT_EQ(Load("left.mp3"), 0);
  EXPECT_EQ(o.Orvana_EnumFilter(nullptr), ORVANA_FALSE);
  ASSERT_EQ(o.Orvana_EnumFilter(RecordLine), ORVANA_TRUE);
  EXPECT_NE(std::find(g_lines.begin(), g_lines.end(), "left.mp3"), g_lines.end()) << "the source by its file name";
  const auto sink = std::find_if(g_lines.begin(), g_lines.end(), [](auto& n) { return n.rfind("pulsesink", 0) == 0; });
  ASSERT_NE(sink, g_lines.end()) << ::testing::PrintToString(g_lines);
  EXPECT_EQ(o.Orvana_HasFilterPropertyPage(sink->c_str()), ORVANA_TRUE);
  EXPECT_EQ(o.Orvana_HasFilterPropertyPage("no such filter"), ORVANA_FALSE);
  EXPECT_EQ(o.Orvana_HasFilterPropertyPage(nullptr), ORVANA_FALSE);

  ASSERT_EQ(o.Orvana_MediaState(0), ORVANA_TRUE);
  QTest::qWait(300);
  ASSERT_GT(SinkLevels().first, 1000) << "the tone plays";
  // The page as a user edits it: a bad number first (the page stays open and says so),
  // then the mute box ticked and OK.
  QStringList steps, warnings;
  QTimer user;
  user.setInterval(30);
  QObject::connect(&user, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      warnings << box->text();
      box->accept();
    } else if (auto* page = qobject_cast<QDialog*>(modal); page && steps.size() < 2) {
      auto* level = page->findChild<QLineEdit*>(u"volume"_s);
      auto* mute = page->findChild<QCheckBox*>(u"mute"_s);
      auto* ok = page->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
      if (!level || !mute) return;
      steps << page->windowTitle();
      if (steps.size() == 1) {
        level->setText(u"loud"_s);
      } else {
        level->setText(u"1"_s);
        mute->setChecked(true);
      }
      QMetaObject::invokeMethod(ok, &QPushButton::click, Qt::QueuedConnection);  // the warning box is modal
    }
  });
  user.start();
  o.Orvana_ShowFilterPropertyPage(sink->c_str());
  user.stop();
  EXPECT_EQ(steps, QStringList(2, QString::fromStdString(*sink))) << "titled with the filter's name";
  EXPECT_EQ(warnings, QStringList{u"\"loud\" is no value of volume."_s});
  QTest::qWait(1500);  // what is already on its way to the sink plays out
  EXPECT_LT(SinkLevels().first, 100) << "muted through the page";
}
