#include "sound_server.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
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

}  // namespace

SoundServer::SoundServer(std::string folder)
    : folder_(std::move(folder)), address_("unix:" + folder_ + "/native") {}

SoundServer::~SoundServer() { kill(); }

bool SoundServer::start(std::string* why) {
  std::filesystem::create_directories(folder_ + "/config");
  const std::string socket = folder_ + "/native";
  server_ = Spawn({"pulseaudio", "--daemonize=no", "-n", "--use-pid-file=no", "--exit-idle-time=-1",
                   "--disable-shm=yes", std::string("--load=module-null-sink sink_name=") + SinkName(),
                   "--load=module-native-protocol-unix socket=" + socket + " auth-anonymous=1"},
                  {"PULSE_RUNTIME_PATH=" + folder_, "XDG_CONFIG_HOME=" + folder_ + "/config",
                   "HOME=" + folder_});
  if (server_ <= 0) {
    *why = "pulseaudio could not be started";
    return false;
  }
  const std::string ask = "PULSE_SERVER=" + address_ + " pactl info >/dev/null 2>&1";
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (std::system(ask.c_str()) != 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      *why = "the server at " + address_ + " does not answer";
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  // An idle null sink sleeps in long blocks; a low-latency stream keeps it clocked as a
  // sound card is (see scripts/test-servers.sh).
  silence_ = Spawn({"pacat", "--playback", std::string("--device=") + SinkName(), "--latency-msec=20",
                    "--raw", "/dev/zero"},
                   {"PULSE_SERVER=" + address_});
  return true;
}

void SoundServer::kill() {
  End(server_, SIGKILL);
  End(silence_, SIGTERM);
}

}  // namespace lirra::testing
