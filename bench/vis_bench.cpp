// The visualisation plug-ins on a real X server (scripts/bench.sh runs it under Xvfb): how
// long a start and a stop through the host take, the frames per second each plug-in can
// draw at the visual area's size of a 270 x 150 window (256 x 127) when not held to its
// rate, and the CPU the host and plug-in cost while showing it at its own rate. Medians.
//
//   vis_bench <app-dir>
#include <dlfcn.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bassvis.h"
#include "bench_support.h"
#include "lirra_vis_plugin.h"

namespace {

using lirra::bench::Median;
using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double CpuSeconds() {
  std::ifstream stat("/proc/self/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  std::istringstream fields(text.substr(text.rfind(')') + 2));
  std::string skip;
  for (int i = 0; i < 11; ++i) fields >> skip;
  long utime = 0, stime = 0;
  fields >> utime >> stime;
  return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

template <typename F>
F Bind(void* lib, const char* name) {
  return reinterpret_cast<F>(dlsym(lib, name));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: vis_bench <app-dir>\n");
    return 2;
  }
  const std::string app = argv[1];
  // A preset for the AVS plug-in in a scratch plug-in folder.
  const std::string folder = "/tmp/lirra-vis-bench/Plugins";
  std::system(("mkdir -p " + folder + " && cp '/usr/share/projectM/presets/presets_milkdrop_200/EoS - glowsticks v2 02.milk' " +
               folder + "/vis_avs.dat && cp " + app + "/Plugins/vis_*.so " + folder + "/").c_str());
  void* host = dlopen((app + "/libbass_vis.so").c_str(), RTLD_NOW);
  if (!host) {
    std::fprintf(stderr, "vis_bench: %s\n", dlerror());
    return 1;
  }
  const auto execute = Bind<decltype(&BASSVIS_ExecutePlugin)>(host, "BASSVIS_ExecutePlugin");
  const auto setVisPort = Bind<decltype(&BASSVIS_SetVisPort)>(host, "BASSVIS_SetVisPort");
  const auto quit = Bind<decltype(&BASSVIS_Quit)>(host, "BASSVIS_Quit");
  const auto isFree = Bind<decltype(&BASSVIS_IsFree)>(host, "BASSVIS_IsFree");

  xcb_connection_t* x = xcb_connect(nullptr, nullptr);
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(x)).data;
  const uint32_t container = xcb_generate_id(x);
  xcb_create_window(x, XCB_COPY_FROM_PARENT, container, screen->root, 0, 0, 256, 127, 0,
                    XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
  xcb_map_window(x, container);
  xcb_flush(x);

  for (const char* name : {"scope", "avs"}) {
    const std::string path = folder + "/vis_" + name + ".so";
    std::vector<double> starts, stops, cpu;
    for (int run = 0; run < 7; ++run) {
      BASSVIS_PARAM param{};
      param.kind = BASSVIS_KIND_MODULE;
      BASSVIS_EXEC exec{path.c_str(), 1, 1, 0};
      auto t0 = Clock::now();
      if (!execute(&exec, &param)) {
        std::fprintf(stderr, "vis_bench: %s did not start\n", name);
        return 1;
      }
      setVisPort(&param, param.window, container, 0, 0, 256, 127);
      starts.push_back(Ms(Clock::now() - t0));
      const double c0 = CpuSeconds();
      const auto w0 = Clock::now();
      std::this_thread::sleep_for(std::chrono::seconds(3));
      cpu.push_back(100.0 * (CpuSeconds() - c0) / std::chrono::duration<double>(Clock::now() - w0).count());
      t0 = Clock::now();
      quit(&param);
      while (!isFree(&param)) std::this_thread::sleep_for(std::chrono::microseconds(200));
      stops.push_back(Ms(Clock::now() - t0));
    }
    // Unheld: the plug-in's own interface, rendering as fast as it can for 3 s.
    void* plugin = dlopen(path.c_str(), RTLD_NOW | RTLD_NODELETE);
    const LirraVisPlugin* p = Bind<LirraVisEntry>(plugin, LIRRA_VIS_ENTRY)();
    std::vector<uint32_t> pixels(256 * 127);
    LirraVisSurface surface{container, p->draws & LIRRA_VIS_DRAWS_PIXELS ? pixels.data() : nullptr, 256, 127, 256};
    void* state = p->init(&surface, folder.c_str());
    if (p->resize) p->resize(state, &surface);
    std::vector<float> pcm(576), spectrum(512);
    for (size_t i = 0; i < pcm.size(); ++i) pcm[i] = 0.5f * static_cast<float>(std::sin(i * 0.1));
    spectrum[10] = 0.3f;
    int frames = 0;
    const auto f0 = Clock::now();
    while (Clock::now() - f0 < std::chrono::seconds(3)) {
      const LirraVisFrame frame{pcm.data(), 576, spectrum.data(), 512, Ms(Clock::now() - f0) / 1000};
      p->render(state, &frame, &surface);
      ++frames;
    }
    const double fps = frames / std::chrono::duration<double>(Clock::now() - f0).count();
    p->quit(state);
    std::printf("vis_%s start_ms_median %.1f stop_ms_median %.1f unheld_fps_256x127 %.0f cpu_percent_at_its_rate_median %.1f\n",
                name, Median(starts), Median(stops), fps, Median(cpu));
  }
  xcb_disconnect(x);
  return 0;
}
