// A player over the fake engine in a scratch app folder, with a recording shell and a
// hand-driven Timer1: the fixture of the player's logic tests.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QFile>

#include "fake_bass.h"
#include "player.h"
#include "recording_shell.h"
#include "temp_dir.h"

namespace lirra {

using namespace Qt::StringLiterals;
using testing::RecordingShell;

class PlayerTest : public testing::TempDirTest {
 protected:
  void SetUp() override {
    appDir_ = dir_.path() + u'/';
    ASSERT_TRUE(QFile::link(QStringLiteral(LIRRA_FAKES_DIR "/libfake_bass.so"), appDir_ + u"libbass.so"_s));
  }
  void TearDown() override {
    if (started_) player_.FormClose();
  }

  // Creation and first show, as the window runs them.
  void Start(QStringList args, const char* locale = "en_US") {
    ASSERT_TRUE(player_.FormCreate({appDir_, args, QLocale(QString::fromLatin1(locale))}));
    player_.FormShow();
    started_ = true;
  }
  // The script of a fake library the player has loaded from the app folder.
  template <typename Script>
  Script& FakeScript(const QString& library, const char* entry) {
    void* handle = dlopen((appDir_ + library).toUtf8().constData(), RTLD_NOW | RTLD_NOLOAD);
    EXPECT_NE(handle, nullptr);
    auto script = reinterpret_cast<Script* (*)()>(dlsym(handle, entry));
    dlclose(handle);
    return *script();
  }
  FakeBassScript& Engine() { return FakeScript<FakeBassScript>(u"libbass.so"_s, "FakeBass_Script"); }
  QString MakeFile(const QString& name) {
    writeBytes(name, "audio");
    return appDir_ + name;
  }
  // A list file in the app folder naming one existing file.
  QString MakeList(const QString& name) {
    const QString song = MakeFile(name + u".mp3"_s);
    writeBytes(name, ("#EXTM3U\r\n" + song + "\r\n").toUtf8());
    return appDir_ + name;
  }
  void Tick(int times) {
    for (int i = 0; i < times; ++i) player_.Timer1Timer();
  }
  void AddEntries(int n) {
    for (int i = 0; i < n; ++i) {
      const QString path = MakeFile(u"t%1.mp3"_s.arg(i));
      player_.context().list.append({u"t%1"_s.arg(i), path, std::nullopt, std::nullopt});
    }
  }

  QString appDir_;
  RecordingShell shell_;
  Player player_{shell_};
  bool started_ = false;
};

}  // namespace lirra
