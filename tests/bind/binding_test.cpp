// Binding by name against fake libraries: all-or-nothing, once, and released when the player is done with them.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include "engine_binding.h"
#include "fake_bass.h"
#include "optional_bindings.h"

namespace lirra {
namespace {

const std::string kFakes = LIRRA_FAKES_DIR;

FakeBassScript* ScriptOf(const std::string& path) {
  // The library is loaded already; this takes a second reference to the same instance.
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (!handle) return nullptr;
  auto script = reinterpret_cast<FakeBassScriptFn>(dlsym(handle, "FakeBass_Script"));
  dlclose(handle);
  return script ? script() : nullptr;
}

TEST(EngineBinding, BindsAllThirtyThreeNamesOnceAndFreesTheEngineOnUnbind) {
  const std::string path = kFakes + "/libfake_bass.so";
  EngineBinding engine;
  ASSERT_TRUE(engine.bind(path));
  EXPECT_TRUE(engine.bound());
  ASSERT_NE(engine->SetConfig, nullptr);
  ASSERT_NE(engine->ChannelSetSync, nullptr);
  EXPECT_EQ(engine->GetVersion(), 0x02040000u);  // the table is in resolution order
  EXPECT_EQ(engine->ChannelSeconds2Bytes(1, 1.0), 176400u);

  EXPECT_TRUE(engine.bind(path));
  EXPECT_EQ(engine.library().loads(), 1) << "binding twice loads nothing more";

  // Our own reference keeps the fake's record readable after the engine lets go of it.
  void* keep = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(keep, nullptr);
  FakeBassScript* script = ScriptOf(path);
  ASSERT_NE(script, nullptr);
  const int freesBefore = script->freeCalls;
  engine.unbind();
  EXPECT_FALSE(engine.bound());
  EXPECT_EQ(engine->Free, nullptr);
  EXPECT_EQ(script->freeCalls, freesBefore + 1) << "UnbindEngine calls BASS_Free first";
  engine.unbind();  // unbinding an unbound engine is harmless
  EXPECT_EQ(script->freeCalls, freesBefore + 1);
  dlclose(keep);
}

TEST(EngineBinding, OneMissingEntryPointRejectsTheWholeLibrary) {
  EngineBinding engine;
  EXPECT_FALSE(engine.bind(kFakes + "/libfake_bass_without_setsync.so"));
  EXPECT_FALSE(engine.bound());
  EXPECT_EQ(engine->Init, nullptr);
  EXPECT_FALSE(engine.bind(kFakes + "/libnothing_here.so"));
  EXPECT_FALSE(engine.bind(kFakes + "/libfake_tags.so")) << "a library of other names";
}

TEST(OptionalBindings, EachIsBoundWholeOrNotAtAll) {
  TagReaderBinding tags;
  ASSERT_TRUE(tags.bind(kFakes + "/libfake_tags.so"));
  EXPECT_STREQ(tags.Read(1, "%TITL"), "fake tags");
  EXPECT_TRUE(tags.bind(kFakes + "/libfake_tags.so"));
  tags.unbind();
  EXPECT_FALSE(tags.bound());

  VisHostBinding vis;
  EXPECT_TRUE(vis.bind(kFakes + "/libfake_vis.so"));
  EXPECT_FALSE(VisHostBinding().bind(kFakes + "/libfake_tags.so"));

  VideoLibraryBinding video;
  EXPECT_FALSE(video.bind(kFakes + "/libfake_orvana_incomplete.so"));
  EXPECT_FALSE(video.bound());
  EXPECT_EQ(video.Init, nullptr);
  ASSERT_TRUE(video.bind(kFakes + "/libfake_orvana.so"));
  EXPECT_EQ(video.Init(0, nullptr), -1);
  EXPECT_EQ(video.GetSeconds(4), 42);
  OrvanaVideoInfo info{};
  video.GetVideoInfo(&info);
  EXPECT_EQ(info.width, 320);
  EXPECT_EQ(info.height, 240);
  EXPECT_EQ(info.hasVideo, 1);
  EXPECT_FALSE(VideoLibraryBinding().bind(kFakes + "/liborvana_absent.so"));
}

TEST(EngineBinding, TheRealEngineBindsToo) {
  EngineBinding engine;
  ASSERT_TRUE(engine.bind(LIRRA_APP_DIR "/libbass.so"));
  EXPECT_EQ(engine->GetVersion() >> 16, 0x0204u);
  EXPECT_FALSE(engine->ChannelPlay(0xDEAD, TRUE));
  EXPECT_EQ(engine->ErrorGetCode(), BASS_ERROR_HANDLE);
}

}  // namespace
}  // namespace lirra
