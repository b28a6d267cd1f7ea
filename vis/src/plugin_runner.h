// One running visualisation plug-in: the loaded shared object, the X window it is shown in,
// and the thread that renders it at the plug-in's rate from an engine channel's sound.
// Made and driven on the caller's thread; the plug-in itself only ever runs on the
// rendering thread.
#pragma once

#include <xcb/xcb.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "lirra_vis_plugin.h"

namespace lirra::vis {

// Reads an engine channel's heard sound (null when the engine is not loaded).
using ChannelDataFn = uint32_t (*)(uint32_t channel, void* buffer, uint32_t length);

class PluginRunner {
 public:
  // Loads `path`, checks its entry, makes its window and runs its init on the rendering
  // thread; null with `error` set when any of that fails.
  static std::unique_ptr<PluginRunner> Start(const std::string& path, ChannelDataFn data, std::string* error);
  ~PluginRunner();  // asks the plug-in to end and waits for it

  uint32_t window() const { return window_; }
  // Shows the window inside `container` at the given place and size.
  void placeIn(uint32_t container, int x, int y, int width, int height);
  void resize(int width, int height);
  void setChannel(uint32_t channel) { channel_ = channel; }
  void setTitle(const std::string& title);
  void requestQuit();
  // True once the rendering thread has ended (after a quit, or when the plug-in ended).
  bool finished();

 private:
  PluginRunner() = default;
  void run();
  void show(const LirraVisSurface& surface);

  void* library_ = nullptr;
  const LirraVisPlugin* plugin_ = nullptr;
  std::string folder_;
  ChannelDataFn data_ = nullptr;
  xcb_connection_t* x_ = nullptr;
  uint32_t window_ = 0;
  uint32_t gc_ = 0;
  std::thread thread_;
  std::atomic<uint32_t> channel_{0};
  std::atomic<bool> quit_{false};
  std::atomic<bool> done_{false};
  std::mutex mutex_;  // guards the fields below
  std::condition_variable started_;
  int initResult_ = -1;  // -1 waiting, 0 failed, 1 running
  int width_ = 1, height_ = 1;
  bool sizeChanged_ = false;
  std::string title_;
  bool titleChanged_ = false;
};

}  // namespace lirra::vis
