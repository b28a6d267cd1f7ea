// What Orvana tells a host about media and graphs: stream descriptions, filters, the render
// log, the graph viewer and the about box.
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryFile>

#include <gst/gst.h>
#include <unistd.h>

#include <map>
#include <string>

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
       {"Video: UnKnown , Format: VideoInfo H264 640 X 480, 24 bits",
        "Audio: UnKnown , Format: WaveFormatEx: UnKnown , 44100 Hz, 0 Bits, 1 Chan"}},
      {"video.mp4", 1,
       {"Video: 未知 , 格式: 视频信息 H264 640 X 480, 24 bits",
        "Audio: 未知 , 格式: WaveFormatEx: 未知 , 44100 Hz, 0 Bits, 1 Chan"}},
      {"divx.avi", 0,
       {"Video: DIVX, Format: VideoInfo DIVX 160 X 120, 24 bits",
        "Audio: UnKnown , Format: WaveFormatEx: MPEGLAYER3, 48000 Hz, 0 Bits, 2 Chan"}},
      {"xvid.avi", 0,
       {"Video: UnKnown , Format: VideoInfo XVID 160 X 120, 24 bits",
        "Audio: UnKnown , Format: WaveFormatEx: UnKnown , 48000 Hz, 16 Bits, 2 Chan"}},
      {"mjpeg.avi", 0,
       {"Video: MJPG, Format: VideoInfo MJPG 160 X 120, 24 bits",
        "Audio: PCM, Format: WaveFormatEx: PCM, 48000 Hz, 16 Bits, 2 Chan"}},
      {"mpeg2.mpg", 0,
       {"Video: MPEG2_VIDEO, Format: MPEGStreams MPG2 160 X 120, 24 Bits",
        "Audio: MPEG1AudioPayload, Format: WaveFormatEx: MPEG, 48000 Hz, 0 Bits, 2 Chan"}},
      {"tone8.wav", 0, {"Audio: PCM, Format: WaveFormatEx: PCM, 22050 Hz, 8 Bits, 1 Chan"}},
      {"surround.wav", 0, {"Audio: IEEE_FLOAT, Format: WaveFormatEx: UnKnown , 48000 Hz, 32 Bits, 6 Chan"}},
      {"left.mp3", 0, {"Audio: UnKnown , Format: WaveFormatEx: MPEGLAYER3, 44100 Hz, 0 Bits, 2 Chan"}},
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
  g_lines.clear();
  o.Orvana_GetMediaInfo("", RecordLine);
  o.Orvana_GetMediaInfo(nullptr, RecordLine);
  EXPECT_TRUE(g_lines.empty()) << "no file, no line";
  o.Orvana_GetMediaInfo(MediaFile("tone8.wav").toUtf8().constData(), nullptr);  // nobody to tell: no crash
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

// A stand-in for the desktop's opener and the graph viewer: writes its arguments to a file.
QString RecordingProgram(const char* name) {
  const QString path = MediaFile(name);
  QFile script(path);
  script.open(QIODevice::WriteOnly);
  // Written whole, then renamed: the test reads the file as soon as it exists.
  script.write("#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$0.part\" && mv \"$0.part\" \"$0.args\"\n");
  script.close();
  script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  return path;
}
QString ArgumentsOf(const QString& program) {
  QFile args(program + u".args"_s);
  return QTest::qWaitFor([&] { return args.exists(); }, 10000) && args.open(QIODevice::ReadOnly)
             ? QString::fromUtf8(args.readAll()).trimmed()
             : QString();
}

TEST_F(OrvanaHost, TheRenderLogKeepsTheLastRenderAndOpensOnTheDesktop) {
  OrvanaLibrary& o = Lib();
  const QString log = QCoreApplication::applicationDirPath() + u"/rlog.txt"_s;
  const auto render = [&](const char* name, int32_t withLog) {
    return o.Orvana_MediaLoad(0, owner_.winId(), MediaFile(name).toUtf8().constData(), withLog, nullptr);
  };
  const auto logText = [&] {
    QFile f(log);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
  };
  ASSERT_EQ(render("tone.ogg", 1), 0);
  EXPECT_TRUE(logText().contains(u"tone.ogg"_s)) << "the render is logged";
  ASSERT_EQ(render("left.mp3", 1), 0);
  const QString second = logText();
  EXPECT_TRUE(second.contains(u"left.mp3"_s));
  EXPECT_FALSE(second.contains(u"tone.ogg"_s)) << "only the last render's log";
  ASSERT_EQ(render("tone.ogg", 0), 0);
  EXPECT_EQ(logText(), second) << "a load without the flag leaves the log alone";

  const QString opener = RecordingProgram("xdg-open");
  const QByteArray path = qgetenv("PATH");
  qputenv("PATH", QFileInfo(opener).path().toUtf8() + ':' + path);
  o.Orvana_ViewRenderLog();
  qputenv("PATH", path);
  const QString opened = ArgumentsOf(opener);
  EXPECT_EQ(QUrl::fromUserInput(opened).toLocalFile(), log) << "the desktop opens the log: " << opened.toStdString();
}

// A user's GST_DEBUG=2 output (warnings to standard error) stays as it was while the render
// log takes GStreamer's information level, and every level is back as it was afterwards.
TEST_F(OrvanaHost, TheRenderLogLeavesTheUsersOwnDebugOutputAlone) {
  ASSERT_TRUE(gst_init_check(nullptr, nullptr, nullptr));  // its categories are there to compare
  const GstDebugLevel usual = gst_debug_get_default_threshold();
  const gboolean active = gst_debug_is_active();
  gst_debug_set_active(TRUE);
  gst_debug_set_default_threshold(GST_LEVEL_WARNING);
  const auto levels = [] {
    std::map<std::string, int> all;
    GSList* categories = gst_debug_get_all_categories();
    for (GSList* c = categories; c; c = c->next)
      all[gst_debug_category_get_name(static_cast<GstDebugCategory*>(c->data))] =
          gst_debug_category_get_threshold(static_cast<GstDebugCategory*>(c->data));
    g_slist_free(categories);
    return all;
  };
  const auto before = levels();
  QTemporaryFile captured;
  ASSERT_TRUE(captured.open());
  fflush(stderr);
  const int saved = dup(2);
  dup2(captured.handle(), 2);
  const int32_t loaded = Lib().Orvana_MediaLoad(0, owner_.winId(), MediaFile("tone.ogg").toUtf8().constData(), 1, nullptr);
  fflush(stderr);
  dup2(saved, 2);
  close(saved);
  ASSERT_EQ(loaded, 0);
  const QByteArray output = captured.readAll();
  EXPECT_FALSE(output.contains(" INFO ")) << output.left(300).constData();
  QFile log(QCoreApplication::applicationDirPath() + u"/rlog.txt"_s);
  ASSERT_TRUE(log.open(QIODevice::ReadOnly));
  EXPECT_TRUE(log.readAll().contains(" INFO ")) << "the render log has the information level";
  const auto after = levels();
  for (const auto& [name, level] : after) {
    const auto was = before.find(name);  // the plug-ins loaded meanwhile bring new categories
    EXPECT_EQ(level, was == before.end() ? GST_LEVEL_WARNING : was->second) << name;
  }
  EXPECT_EQ(gst_debug_get_default_threshold(), GST_LEVEL_WARNING);
  EXPECT_TRUE(gst_debug_is_active());
  gst_debug_set_active(active);
  gst_debug_set_default_threshold(usual);
}

TEST_F(OrvanaHost, BuiltGraphsAreListedForTheGraphViewer) {
  OrvanaLibrary& o = Lib();
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  const QDir folder(runtime.isEmpty() ? u"/tmp/orvana-"_s + QString::number(getuid()) : runtime + u"/orvana"_s);
  const QString pid = u" pid "_s + QString::number(QCoreApplication::applicationPid(), 16) + u".dot"_s;
  const auto listed = [&] { return folder.entryList({u"FilterGraph *"_s + pid}, QDir::Files); };
  ASSERT_EQ(Load("left.mp3"), 0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !listed().isEmpty(); }, 3000)) << "the built graph, as a Graphviz file";
  const QStringList graphs = listed();
  ASSERT_EQ(graphs.size(), 1);
  QFile dot(folder.filePath(graphs[0]));
  ASSERT_TRUE(dot.open(QIODevice::ReadOnly));
  const QByteArray text = dot.readAll();
  EXPECT_TRUE(text.startsWith("digraph")) << text.left(80).constData();
  EXPECT_TRUE(text.contains("left.mp3")) << "with its elements' settings";
  ASSERT_EQ(o.Orvana_MediaState(ORVANA_CLOSE), ORVANA_TRUE);
  EXPECT_TRUE(listed().isEmpty()) << "revoked when the graph goes";

  const QString viewer = RecordingProgram("viewer");
  const struct {
    QString program;
    int32_t result;
    QStringList boxes;
  } cases[] = {
      {viewer, 42, {}},
      {MediaFile("no-such-viewer"), 2, {u"Error: Couldn't find the GraphEdit application."_s}},
  };
  for (const auto& c : cases) {
    qputenv("ORVANA_GRAPH_VIEWER", c.program.toUtf8());
    BoxAnswerer user;
    EXPECT_EQ(o.Orvana_LoadFromFileToGraphEdit("/some/graph.dot"), c.result);
    QStringList boxes;
    for (qsizetype i = 0; i < user.titles.size(); ++i) boxes << user.titles[i] + u": "_s + user.texts[i];
    EXPECT_EQ(boxes, c.boxes) << c.program.toStdString();
  }
  qunsetenv("ORVANA_GRAPH_VIEWER");
  EXPECT_EQ(ArgumentsOf(viewer), u"/some/graph.dot"_s);
}

TEST_F(OrvanaHost, TheAboutBoxShowsItsLinesAndEndsWithOk) {
  QStringList lines;
  QTimer user;
  user.setInterval(30);
  QObject::connect(&user, &QTimer::timeout, [&] {
    auto* about = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!about || about->windowTitle() != u"About Orvana..."_s) return;
    for (QLabel* label : about->findChildren<QLabel*>())
      if (!label->text().isEmpty()) lines << label->text();
    QMetaObject::invokeMethod(about->findChild<QPushButton*>(), &QPushButton::click, Qt::QueuedConnection);
    user.stop();
  });
  user.start();
  EXPECT_EQ(Lib().Orvana_ShowAboutBox(), 1);
  EXPECT_EQ(lines.mid(0, 2), (QStringList{u"Orvana - DirectShow Media"_s, u"Version 6,7,8,9,10"_s}));
  EXPECT_EQ(lines.size(), 3) << "and the authors' line";
}
