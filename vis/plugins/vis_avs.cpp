// vis_avs.so: MilkDrop presets rendered by libprojectM with OpenGL. The preset is the file
// Plugins/vis_avs.dat of the player's data folder (the player copies a random one of its
// pool there before a start);
// the plug-in draws into a GL window of its own inside the window the host gives it.
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <libprojectM/projectM.hpp>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <mutex>
#include <new>
#include <stdexcept>
#include <string>
#include <system_error>
#include <utility>

#include "lirra_vis_plugin.h"
#include "user_folders.h"

namespace {

namespace fs = std::filesystem;

// The GL window, its context and the projectM renderer outlive a quit: libprojectM 3.1
// frees its table of built-in functions twice when a renderer is destroyed, so a renderer
// is never destroyed. A quit parks them (the window under the screen's root, the context on
// no thread); the next start takes them back. The host keeps plug-ins loaded, so this lives
// as long as the process.
struct Avs {
  Display* display = nullptr;
  Window window = 0;
  Colormap colormap = 0;
  GLXContext context = nullptr;
  projectM* renderer = nullptr;  // never deleted (see above)
  fs::path presetFolder;         // the current preset, as a file projectM reads

  void dropPresetFolder() {
    std::error_code ignored;
    if (!presetFolder.empty()) fs::remove_all(presetFolder, ignored);
    presetFolder.clear();
  }
};

std::mutex parkedMutex;
Avs* parked = nullptr;

void Quit(void* state);

// The preset as "current.milk" in a folder of its own (projectM goes by the file's type).
fs::path PresetFolder(const char* pluginFolder) {
  std::string pattern = (fs::temp_directory_path() / "lirra-avs-XXXXXX").string();
  if (!mkdtemp(pattern.data())) return {};
  const fs::path folder = pattern;
  std::error_code error;
  // The player keeps the current preset with what it writes (beside the program, or in
  // the user's data folder for an installed copy).
  const std::string data = lirra::UserFoldersFor((fs::path(pluginFolder) / "..").lexically_normal().string()).data;
  fs::copy_file(fs::path(data) / "Plugins/vis_avs.dat", folder / "current.milk", error);
  if (error) {
    fs::remove_all(folder, error);
    return {};
  }
  return folder;
}

Window ParentOf(Display* display, Window window) {
  Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(display, window, &root, &parent, &children, &count)) return 0;
  if (children) XFree(children);
  return parent;
}

// A new display connection, GL window and renderer; null when OpenGL is not there.
Avs* Create(Window parent, int w, int h, const fs::path& presets) {
  XInitThreads();
  auto* avs = new Avs;
  avs->display = XOpenDisplay(nullptr);
  if (!avs->display) {
    delete avs;
    return nullptr;
  }
  int attributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 8, GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE, 8, None};
  XVisualInfo* visual = glXChooseVisual(avs->display, DefaultScreen(avs->display), attributes);
  if (visual) avs->context = glXCreateContext(avs->display, visual, nullptr, True);
  if (!avs->context) {
    if (visual) XFree(visual);
    XCloseDisplay(avs->display);
    delete avs;
    return nullptr;
  }
  avs->colormap = XCreateColormap(avs->display, parent, visual->visual, AllocNone);
  XSetWindowAttributes a{};
  a.colormap = avs->colormap;
  a.background_pixel = 0;
  a.border_pixel = 0;
  avs->window = XCreateWindow(avs->display, parent, 0, 0, static_cast<unsigned>(w), static_cast<unsigned>(h), 0,
                              visual->depth, InputOutput, visual->visual, CWColormap | CWBackPixel | CWBorderPixel, &a);
  XFree(visual);
  XMapWindow(avs->display, avs->window);
  if (!glXMakeCurrent(avs->display, avs->window, avs->context)) {  // no renderer yet: all can go
    glXDestroyContext(avs->display, avs->context);
    XDestroyWindow(avs->display, avs->window);
    XFreeColormap(avs->display, avs->colormap);
    XCloseDisplay(avs->display);
    delete avs;
    return nullptr;
  }
  projectM::Settings settings;
  settings.meshX = 32;
  settings.meshY = 24;
  settings.fps = 30;
  settings.textureSize = 512;
  settings.windowWidth = w;
  settings.windowHeight = h;
  settings.presetURL = presets.string();
  settings.datadir = "/usr/share/projectM";
  settings.smoothPresetDuration = 0;
  settings.presetDuration = 1000000;  // the player chooses presets
  settings.hardcutEnabled = false;
  settings.beatSensitivity = 1.0f;
  settings.aspectCorrection = true;
  settings.shuffleEnabled = false;
  settings.softCutRatingsEnabled = false;
  avs->renderer = new projectM(settings, projectM::FLAG_NONE);
  avs->renderer->setPresetLock(true);
  return avs;
}

void* Init(const LirraVisSurface* surface, const char* pluginFolder) {
  const fs::path presets = PresetFolder(pluginFolder);
  if (presets.empty()) return nullptr;  // no preset to show
  // At least a small picture until the host places the window and sizes it.
  const int w = std::max(surface->width, 64), h = std::max(surface->height, 64);
  const auto parent = static_cast<Window>(surface->window);
  Avs* avs = nullptr;
  {
    std::lock_guard lock(parkedMutex);
    avs = std::exchange(parked, nullptr);
  }
  try {
    if (!avs) {
      avs = Create(parent, w, h, presets);
      if (!avs) {  // no OpenGL: nothing will read the preset
        std::error_code ignored;
        fs::remove_all(presets, ignored);
        return nullptr;
      }
    } else {
      XReparentWindow(avs->display, avs->window, parent, 0, 0);
      XResizeWindow(avs->display, avs->window, static_cast<unsigned>(w), static_cast<unsigned>(h));
      XSync(avs->display, False);
      // Mapped only inside the host's window: mapped under the root (the host's window not
      // there), the window manager would make it a window of its own on the desktop.
      if (ParentOf(avs->display, avs->window) != parent) throw std::runtime_error("the host's window is not there");
      XMapWindow(avs->display, avs->window);
      XSync(avs->display, False);
      glXMakeCurrent(avs->display, avs->window, avs->context);
      avs->renderer->projectM_resetGL(w, h);
      avs->renderer->clearPlaylist();
      // One rating per kind (hard cut, soft cut), as projectM keeps them.
      avs->renderer->addPresetURL((presets / "current.milk").string(), "current", RatingList{3, 3});
    }
    if (avs->renderer->getPlaylistSize() == 0) throw std::runtime_error("no preset");
    avs->renderer->selectPreset(0, true);
  } catch (...) {
    if (avs) {
      avs->presetFolder = presets;
      Quit(avs);  // parks the renderer and drops the folder
    } else {
      std::error_code ignored;
      fs::remove_all(presets, ignored);
    }
    return nullptr;
  }
  avs->presetFolder = presets;
  return avs;
}

int32_t Render(void* state, const LirraVisFrame* frame, const LirraVisSurface*) {
  auto* avs = static_cast<Avs*>(state);
  try {
    avs->renderer->pcm()->addPCMfloat(frame->pcm, frame->pcmFrames);
    avs->renderer->renderFrame();
  } catch (...) {
    return 0;  // a preset projectM cannot run ends the plug-in
  }
  glXSwapBuffers(avs->display, avs->window);
  return 1;
}

void Resize(void* state, const LirraVisSurface* surface) {
  auto* avs = static_cast<Avs*>(state);
  const int w = std::max(surface->width, 1), h = std::max(surface->height, 1);
  XResizeWindow(avs->display, avs->window, static_cast<unsigned>(w), static_cast<unsigned>(h));
  XSync(avs->display, False);
  avs->renderer->projectM_resetGL(w, h);
}

void SetTitle(void* state, const char* title) { static_cast<Avs*>(state)->renderer->projectM_setTitle(title); }

void Quit(void* state) {
  auto* avs = static_cast<Avs*>(state);
  glXMakeCurrent(avs->display, None, nullptr);
  // Out of the host's window before that is destroyed, and out of sight.
  XUnmapWindow(avs->display, avs->window);
  XReparentWindow(avs->display, avs->window, DefaultRootWindow(avs->display), 0, 0);
  XSync(avs->display, False);
  avs->dropPresetFolder();
  std::lock_guard lock(parkedMutex);
  parked = avs;
}

const LirraVisPlugin kAvs = {LIRRA_VIS_MAGIC, LIRRA_VIS_VERSION, "Lirra AVS (MilkDrop presets, projectM)",
                             LIRRA_VIS_DRAWS_WINDOW, 30, Init, Render, Resize, SetTitle, Quit};

}  // namespace

extern "C" __attribute__((visibility("default"))) const LirraVisPlugin* lirra_vis_plugin(void) { return &kAvs; }
