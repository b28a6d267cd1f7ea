// The AVS plug-in bound by name: on an X server without OpenGL it refuses to start and
// leaves nothing behind in the temporary folder; with OpenGL its window shows only inside
// the host's.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <X11/Xlib.h>

#include <algorithm>
#include <vector>

#include "lirra_vis_plugin.h"

namespace {

using namespace Qt::StringLiterals;

const LirraVisPlugin* LoadAvs() {
  void* library = dlopen(LIRRA_APP_DIR "/Plugins/vis_avs.so", RTLD_NOW | RTLD_LOCAL);
  EXPECT_NE(library, nullptr) << dlerror();
  const auto entry = library ? reinterpret_cast<LirraVisEntry>(dlsym(library, LIRRA_VIS_ENTRY)) : nullptr;
  return entry ? entry() : nullptr;
}

// An app folder whose current preset is a blank one.
void WritePreset(const QTemporaryDir& app) {
  ASSERT_TRUE(QDir().mkpath(app.filePath(u"Plugins"_s)));
  QFile preset(app.filePath(u"Plugins/vis_avs.dat"_s));
  ASSERT_TRUE(preset.open(QIODevice::WriteOnly) && preset.write("[preset00]\n") > 0);
}

TEST(AvsPlugin, WithoutOpenGlItRefusesAndLeavesNoPresetFolder) {
  // An X server of its own without the GLX extension.
  QProcess xvfb;
  xvfb.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  xvfb.start(u"Xvfb"_s, {u"-displayfd"_s, u"1"_s, u"-extension"_s, u"GLX"_s, u"-nolisten"_s, u"tcp"_s});
  ASSERT_TRUE(xvfb.waitForReadyRead(20000));
  const QByteArray display = ":" + xvfb.readLine().trimmed();
  QTemporaryDir app, temp;
  WritePreset(app);
  qputenv("DISPLAY", display);
  qputenv("TMPDIR", temp.path().toUtf8());
  const LirraVisPlugin* plugin = LoadAvs();
  ASSERT_NE(plugin, nullptr);
  LirraVisSurface surface{0, nullptr, 181, 86, 0};
  EXPECT_EQ(plugin->init(&surface, app.filePath(u"Plugins"_s).toUtf8().constData()), nullptr) << "no OpenGL";
  EXPECT_TRUE(QDir(temp.path()).isEmpty()) << "the preset's folder is gone: "
                                           << QDir(temp.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).join(u' ').toStdString();
  xvfb.kill();
  xvfb.waitForFinished();
}

// The windows of `parent` that show (mapped, with every ancestor mapped).
std::vector<Window> ShownChildren(Display* x, Window parent) {
  Window root = 0, up = 0, *children = nullptr;
  unsigned count = 0;
  std::vector<Window> shown;
  if (!XQueryTree(x, parent, &root, &up, &children, &count)) return shown;
  for (unsigned i = 0; i < count; ++i) {
    XWindowAttributes a{};
    if (XGetWindowAttributes(x, children[i], &a) && a.map_state == IsViewable) shown.push_back(children[i]);
  }
  if (children) XFree(children);
  return shown;
}

// Started again (the renderer is kept between starts) for a host window that is not there
// (yet): the plug-in refuses rather than show its window on the desktop as one of its own.
TEST(AvsPlugin, ItsWindowShowsOnlyInsideTheHostsWindow) {
  // The player's toolkit ignores X errors; so does this host.
  XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  Display* x = XOpenDisplay(nullptr);
  ASSERT_NE(x, nullptr) << "needs the test run's X server";
  const Window root = DefaultRootWindow(x);
  const Window host = XCreateSimpleWindow(x, root, 0, 0, 200, 100, 0, 0, 0);
  XMapWindow(x, host);
  XSync(x, False);
  QTemporaryDir app;
  WritePreset(app);
  const LirraVisPlugin* plugin = LoadAvs();
  ASSERT_NE(plugin, nullptr);
  const QByteArray folder = app.filePath(u"Plugins"_s).toUtf8();

  LirraVisSurface surface{static_cast<uint32_t>(host), nullptr, 200, 100, 0};
  void* state = plugin->init(&surface, folder.constData());
  if (!state) GTEST_SKIP() << "no OpenGL on this X server";
  EXPECT_EQ(ShownChildren(x, host).size(), 1u) << "the plug-in's window shows in the host's";
  plugin->quit(state);
  EXPECT_TRUE(ShownChildren(x, host).empty()) << "a quit takes it out";

  const std::vector<Window> before = ShownChildren(x, root);
  surface.window = static_cast<uint32_t>(XCreateSimpleWindow(x, root, 0, 0, 1, 1, 0, 0, 0));
  XDestroyWindow(x, surface.window);  // an id that names no window
  XSync(x, False);
  state = plugin->init(&surface, folder.constData());
  EXPECT_EQ(ShownChildren(x, root), before) << "a window of the plug-in's own showed on the desktop";
  EXPECT_EQ(state, nullptr) << "started without the host's window";
  if (state) plugin->quit(state);

  surface.window = static_cast<uint32_t>(host);
  state = plugin->init(&surface, folder.constData());
  EXPECT_NE(state, nullptr) << "the next start with the host's window is fine again";
  if (state) plugin->quit(state);
  XDestroyWindow(x, host);
  XCloseDisplay(x);
}

}  // namespace
