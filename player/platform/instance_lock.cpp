#include "instance_lock.h"

#include <QByteArray>
#include <QString>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "textfile.h"

namespace lirra {

namespace fs = std::filesystem;

InstanceLock::~InstanceLock() {
  if (fd_ >= 0) close(fd_);
}

std::string InstanceLock::LockPath() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  const std::string dir = runtime && *runtime ? runtime : "/tmp";
  return dir + "/Lirra 2009.lock";
}

bool InstanceLock::acquire() {
  fd_ = open(LockPath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd_ < 0) return true;
  if (flock(fd_, LOCK_EX | LOCK_NB) == 0) return true;
  const bool heldElsewhere = errno == EWOULDBLOCK;
  close(fd_);
  fd_ = -1;
  return !heldElsewhere;
}

void WriteDesktopEntry(const std::string& executable) {
  const char* dataHome = std::getenv("XDG_DATA_HOME");
  const char* home = std::getenv("HOME");
  fs::path dir;
  if (dataHome && *dataHome)
    dir = fs::path(dataHome) / "applications";
  else if (home && *home)
    dir = fs::path(home) / ".local/share/applications";
  else
    return;
  std::error_code ec;
  fs::create_directories(dir, ec);
  if (ec) return;
  const std::string text =
      "[Desktop Entry]\nType=Application\nName=Lirra\nComment=A small music player\n"
      "Exec=\"" + executable + "\" %f\nTerminal=false\nNoDisplay=true\n"
      "MimeType=audio/mpeg;audio/x-wav;audio/ogg;audio/x-mpegurl;audio/x-mod;audio/flac;\n";
  WriteFileAtomically(QString::fromStdString((dir / "lirra.desktop").string()),
                      QByteArray::fromStdString(text));
}

}  // namespace lirra
