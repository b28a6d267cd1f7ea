// The AVS plug-in on an X server without OpenGL: it refuses to start and leaves nothing
// behind in the temporary folder.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "lirra_vis_plugin.h"

namespace {

using namespace Qt::StringLiterals;

TEST(AvsPlugin, WithoutOpenGlItRefusesAndLeavesNoPresetFolder) {
  // An X server of its own without the GLX extension.
  QProcess xvfb;
  xvfb.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  xvfb.start(u"Xvfb"_s, {u"-displayfd"_s, u"1"_s, u"-extension"_s, u"GLX"_s, u"-nolisten"_s, u"tcp"_s});
  ASSERT_TRUE(xvfb.waitForReadyRead(20000));
  const QByteArray display = ":" + xvfb.readLine().trimmed();
  QTemporaryDir app, temp;
  ASSERT_TRUE(QDir().mkpath(app.filePath(u"Plugins"_s)));
  QFile preset(app.filePath(u"Plugins/vis_avs.dat"_s));
  ASSERT_TRUE(preset.open(QIODevice::WriteOnly) && preset.write("[preset00]\n") > 0);
  preset.close();
  qputenv("DISPLAY", display);
  qputenv("TMPDIR", temp.path().toUtf8());

  void* library = dlopen(LIRRA_APP_DIR "/Plugins/vis_avs.so", RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();
  const auto entry = reinterpret_cast<LirraVisEntry>(dlsym(library, LIRRA_VIS_ENTRY));
  ASSERT_NE(entry, nullptr);
  const LirraVisPlugin* plugin = entry();
  LirraVisSurface surface{0, nullptr, 181, 86, 0};
  EXPECT_EQ(plugin->init(&surface, app.filePath(u"Plugins"_s).toUtf8().constData()), nullptr) << "no OpenGL";
  EXPECT_TRUE(QDir(temp.path()).isEmpty()) << "the preset's folder is gone: "
                                           << QDir(temp.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).join(u' ').toStdString();
  xvfb.kill();
  xvfb.waitForFinished();
}

}  // namespace
