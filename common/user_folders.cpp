#include "user_folders.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace lirra {

namespace {

std::string WithSlash(std::string dir) {
  if (dir.empty() || dir.back() != '/') dir += '/';
  return dir;
}

bool Writable(const std::string& dir) {
  struct stat info {};
  return ::stat(dir.c_str(), &info) == 0 && (info.st_mode & 0222) != 0 && ::access(dir.c_str(), W_OK) == 0;
}

// $variable, else $HOME/fallback; then "lirra/".
std::string XdgFolder(const char* variable, const char* fallback) {
  const char* set = std::getenv(variable);
  if (set && *set == '/') return WithSlash(set) + "lirra/";  // relative values are to be ignored
  const char* home = std::getenv("HOME");
  return WithSlash(WithSlash(home && *home ? home : "/tmp") + fallback) + "lirra/";
}

}  // namespace

UserFolders UserFoldersFor(const std::string& appDir) {
  const std::string app = WithSlash(appDir);
  if (Writable(app)) return {true, app, app};
  return {false, XdgFolder("XDG_CONFIG_HOME", ".config"), XdgFolder("XDG_DATA_HOME", ".local/share")};
}

}  // namespace lirra
