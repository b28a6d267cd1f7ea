// The player on the session bus as org.mpris.MediaPlayer2.lirra, so that media keys and
// the desktop's media controls drive it. The service only carries calls and answers; the
// player decides (media_controls.h). Without a session bus nothing is registered and the
// player runs as before.
#pragma once

#include <QObject>

#include <functional>

#include "media_controls.h"

namespace lirra {

class MprisService : public QObject {
  Q_OBJECT
 public:
  struct Port {
    std::function<MediaStatus()> status;
    std::function<qint64()> positionUs;
    std::function<void(MediaCommand)> command;
    std::function<bool(const QString& trackId, qint64 us)> seek;
    std::function<void(bool on)> shuffle;
    std::function<void()> raise;
    std::function<void()> quit;
  };
  explicit MprisService(Port port, QObject* parent = nullptr);
  ~MprisService() override;

  // Takes the name on the session bus; false when there is no bus or the name is taken.
  bool registerOnBus();
  // Signals what changed since the last look (PropertiesChanged), and Seeked after a jump.
  void publishChanges();

  // For the adaptors.
  const Port& port() const { return port_; }
  MediaStatus status() const;
  void seekTo(const QString& trackId, qint64 us);

 signals:
  void seeked(qint64 positionUs);

 private:
  Port port_;
  MediaStatus shown_;
  bool registered_ = false;
};

}  // namespace lirra
