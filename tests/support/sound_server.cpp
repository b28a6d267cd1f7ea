#include "sound_server.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

extern char** environ;

namespace lirra::testing {

namespace {

pid_t Spawn(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv) {
  std::vector<std::string> env(extraEnv);
  for (char** e = environ; *e; ++e) env.emplace_back(*e);
  std::vector<char*> argv, envp;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
  argv.push_back(nullptr);
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

void End(pid_t& pid, int signal) {
  if (pid <= 0) return;
  ::kill(pid, signal);
  int status = 0;
  waitpid(pid, &status, 0);
  pid = -1;
}

const char* SinkName() {
  const char* sink = std::getenv("LIRRA_TEST_SINK");
  return sink ? sink : "lirra_test_sink";
}

// Polls `command` (a shell line) until it succeeds, for up to 20 s.
bool WaitForCommand(const std::string& command) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (std::system(command.c_str()) != 0) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

}  // namespace

bool PipeWireRun() {
  const char* kind = std::getenv("LIRRA_TEST_SOUND_SERVER");
  return kind && std::string(kind) == "pipewire";
}

SoundServer::SoundServer(std::string folder)
    : folder_(std::move(folder)), address_("unix:" + folder_ + "/native") {}

SoundServer::~SoundServer() {
  kill();
  End(bus_, SIGTERM);
}

bool SoundServer::startPipeWire(std::string* why) {
  if (bus_ <= 0) {  // its session bus (WirePlumber needs one) outlives restarts
    const std::string file = folder_ + "/bus";
    bus_ = Spawn({"sh", "-c", "exec dbus-daemon --session --nofork --print-address=1 > '" + file + "'"}, {});
    if (!WaitForCommand("test -s '" + file + "'")) {
      *why = "no session bus for PipeWire";
      return false;
    }
    std::ifstream(file) >> busAddress_;
  }
  const std::vector<std::string> env = {"PIPEWIRE_RUNTIME_DIR=" + folder_, "PULSE_RUNTIME_PATH=" + folder_,
                                        "XDG_STATE_HOME=" + folder_ + "/config", "XDG_CONFIG_HOME=" + folder_ + "/config",
                                        "HOME=" + folder_, "DBUS_SESSION_BUS_ADDRESS=" + busAddress_};
  servers_.push_back(Spawn({"pipewire"}, env));
  if (!WaitForCommand("test -S '" + folder_ + "/pipewire-0'")) {
    *why = "pipewire did not start";
    return false;
  }
  servers_.push_back(Spawn({"wireplumber"}, env));
  servers_.push_back(Spawn({"pipewire-pulse"}, env));
  return true;
}

bool SoundServer::start(std::string* why) {
  std::filesystem::create_directories(folder_ + "/config");
  const std::string socket = folder_ + "/native";
  if (PipeWireRun()) {
    if (!startPipeWire(why)) return false;
  } else {
    servers_.push_back(Spawn({"pulseaudio", "--daemonize=no", "-n", "--use-pid-file=no", "--exit-idle-time=-1",
                              "--disable-shm=yes", std::string("--load=module-null-sink sink_name=") + SinkName(),
                              "--load=module-native-protocol-unix socket=" + socket + " auth-anonymous=1"},
                             {"PULSE_RUNTIME_PATH=" + folder_, "XDG_CONFIG_HOME=" + folder_ + "/config",
                              "HOME=" + folder_}));
  }
  const std::string pactl = "PULSE_SERVER=" + address_ + " pactl ";
  if (!WaitForCommand(pactl + "info >/dev/null 2>&1")) {
    *why = "the server at " + address_ + " does not answer";
    return false;
  }
  // pipewire-pulse's null sink is one of its own modules, gone when it goes.
  if (PipeWireRun() &&
      std::system((pactl + "load-module module-null-sink sink_name=" + SinkName() + " >/dev/null").c_str()) != 0) {
    *why = "pipewire-pulse made no null sink";
    return false;
  }
  // An idle null sink sleeps in long blocks; a low-latency stream keeps it clocked as a
  // sound card is (see scripts/test-servers.sh).
  silence_ = Spawn({"pacat", "--playback", std::string("--device=") + SinkName(), "--latency-msec=20",
                    "--raw", "/dev/zero"},
                   {"PULSE_SERVER=" + address_});
  return true;
}

void SoundServer::kill() {
  for (pid_t& pid : servers_) End(pid, SIGKILL);
  servers_.clear();
  End(silence_, SIGTERM);
}

}  // namespace lirra::testing
