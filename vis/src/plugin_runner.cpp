#include "plugin_runner.h"

#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

namespace lirra::vis {

namespace {

constexpr uint32_t kFft1024 = 0x80000002u;
constexpr uint32_t kFloatSamples = 0x40000000u;
constexpr int kBins = 512;
constexpr int kPcmFrames = 576;
constexpr uint32_t kBlack = 0;

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

}  // namespace

std::unique_ptr<PluginRunner> PluginRunner::Start(const std::string& path, ChannelDataFn data, std::string* error) {
  const auto fail = [&](const std::string& why) {
    if (error) *error = why;
    return nullptr;
  };
  std::unique_ptr<PluginRunner> r(new PluginRunner);
  // Plug-ins stay loaded once loaded: one may keep state across its starts.
  r->library_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  if (!r->library_) return fail("cannot load " + path + ": " + dlerror());
  const auto entry = reinterpret_cast<LirraVisEntry>(dlsym(r->library_, LIRRA_VIS_ENTRY));
  const LirraVisPlugin* plugin = entry ? entry() : nullptr;
  if (!plugin || plugin->magic != LIRRA_VIS_MAGIC || plugin->version < 1 || plugin->version > LIRRA_VIS_VERSION ||
      !plugin->init || !plugin->render || !plugin->quit)
    return fail(path + " is not a visualisation plug-in of this host");
  r->plugin_ = plugin;
  r->folder_ = FolderOf(path);
  r->data_ = data;

  // The plug-in's own window: black, unmapped until it is placed in the visual area.
  r->x_ = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(r->x_)) return fail("no X display");
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(r->x_)).data;
  r->window_ = xcb_generate_id(r->x_);
  const uint32_t values[] = {kBlack};
  xcb_create_window(r->x_, XCB_COPY_FROM_PARENT, r->window_, screen->root, 0, 0, 1, 1, 0,
                    XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL, values);
  r->gc_ = xcb_generate_id(r->x_);
  xcb_create_gc(r->x_, r->gc_, r->window_, 0, nullptr);
  // The plug-in places its own window inside this one on a connection of its own: the
  // server must have made it first, or the plug-in's window lands on the desktop.
  free(xcb_get_input_focus_reply(r->x_, xcb_get_input_focus(r->x_), nullptr));

  r->thread_ = std::thread([raw = r.get()] { raw->run(); });
  std::unique_lock lock(r->mutex_);
  r->started_.wait(lock, [&] { return r->initResult_ >= 0; });
  if (r->initResult_ == 0) {
    lock.unlock();
    return fail(path + " could not start");  // the destructor joins the ended thread
  }
  return r;
}

PluginRunner::~PluginRunner() {
  requestQuit();
  if (thread_.joinable()) thread_.join();
  if (x_) {
    if (window_) xcb_destroy_window(x_, window_);
    xcb_flush(x_);
    xcb_disconnect(x_);
  }
  if (library_) dlclose(library_);
}

void PluginRunner::placeIn(uint32_t container, int x, int y, int width, int height) {
  xcb_reparent_window(x_, window_, container, static_cast<int16_t>(x), static_cast<int16_t>(y));
  resize(width, height);
  xcb_map_window(x_, window_);
  xcb_flush(x_);
}

void PluginRunner::resize(int width, int height) {
  const uint32_t size[] = {static_cast<uint32_t>(std::max(width, 1)), static_cast<uint32_t>(std::max(height, 1))};
  xcb_configure_window(x_, window_, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, size);
  xcb_flush(x_);
  std::lock_guard lock(mutex_);
  width_ = static_cast<int>(size[0]);
  height_ = static_cast<int>(size[1]);
  sizeChanged_ = true;
}

void PluginRunner::setTitle(const std::string& title) {
  std::lock_guard lock(mutex_);
  title_ = title;
  titleChanged_ = true;
}

void PluginRunner::requestQuit() { quit_ = true; }

bool PluginRunner::finished() { return done_; }

void PluginRunner::show(const LirraVisSurface& s) {
  // The pixels as a ZPixmap of the screen's 24-bit depth (32 bits per pixel), in strips
  // small enough for one request.
  const int rowsPerPut = std::max(1, static_cast<int>(xcb_get_maximum_request_length(x_) * 4 / 2 / (s.stride * 4)));
  for (int top = 0; top < s.height; top += rowsPerPut) {
    const int rows = std::min(rowsPerPut, s.height - top);
    xcb_put_image(x_, XCB_IMAGE_FORMAT_Z_PIXMAP, window_, gc_, static_cast<uint16_t>(s.width),
                  static_cast<uint16_t>(rows), 0, static_cast<int16_t>(top), 0, 24,
                  static_cast<uint32_t>(rows * s.stride * 4),
                  reinterpret_cast<const uint8_t*>(s.pixels + static_cast<size_t>(top) * s.stride));
  }
  xcb_flush(x_);
}

void PluginRunner::run() {
  std::vector<uint32_t> pixels;
  LirraVisSurface surface{window_, nullptr, 1, 1, 1};
  const bool drawsPixels = plugin_->draws & LIRRA_VIS_DRAWS_PIXELS;
  const auto fit = [&] {
    std::lock_guard lock(mutex_);
    surface.width = width_, surface.height = height_, surface.stride = width_;
    if (drawsPixels) {
      pixels.assign(static_cast<size_t>(width_) * height_, kBlack);
      surface.pixels = pixels.data();
    }
    sizeChanged_ = false;
  };
  fit();
  void* state = plugin_->init(&surface, folder_.c_str());
  {
    std::lock_guard lock(mutex_);
    initResult_ = state ? 1 : 0;
  }
  started_.notify_all();
  if (!state) {
    done_ = true;
    return;
  }
  const auto period = std::chrono::microseconds(1000000 / std::clamp(plugin_->framesPerSecond, 1, 120));
  const auto begin = std::chrono::steady_clock::now();
  auto next = begin;
  std::vector<float> spectrum(kBins), pcm(kPcmFrames);
  while (!quit_) {
    bool resized = false, retitled = false;
    std::string title;
    {
      std::lock_guard lock(mutex_);
      resized = sizeChanged_;
      retitled = std::exchange(titleChanged_, false);
      title = title_;
    }
    if (resized) {
      fit();
      if (plugin_->resize) plugin_->resize(state, &surface);
    }
    if (retitled && plugin_->set_title) plugin_->set_title(state, title.c_str());
    // Silence when nothing is heard (a paused or ended channel, or no engine).
    const uint32_t channel = channel_;
    if (!data_ || !channel || data_(channel, spectrum.data(), kFft1024) == 0xFFFFFFFFu)
      std::fill(spectrum.begin(), spectrum.end(), 0.0f);
    if (!data_ || !channel ||
        data_(channel, pcm.data(), kFloatSamples | static_cast<uint32_t>(kPcmFrames * sizeof(float))) == 0xFFFFFFFFu)
      std::fill(pcm.begin(), pcm.end(), 0.0f);
    const LirraVisFrame frame{pcm.data(), kPcmFrames, spectrum.data(), kBins,
                              std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count()};
    if (!plugin_->render(state, &frame, &surface)) break;
    if (drawsPixels) show(surface);
    next += period;
    const auto now = std::chrono::steady_clock::now();
    if (next < now) next = now;  // a slow frame is not made up for
    std::this_thread::sleep_until(next);
  }
  plugin_->quit(state);
  done_ = true;
}

}  // namespace lirra::vis
