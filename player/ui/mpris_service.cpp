#include "mpris_service.h"

#include <QAbstractEventDispatcher>
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QVariantMap>

namespace lirra {

using namespace Qt::StringLiterals;

namespace {

const QString kServiceName = u"org.mpris.MediaPlayer2.lirra"_s;
const QString kObjectPath = u"/org/mpris/MediaPlayer2"_s;
const QString kPlayerInterface = u"org.mpris.MediaPlayer2.Player"_s;

QString PlaybackText(MediaStatus::Playback p) {
  switch (p) {
    case MediaStatus::Playback::Playing: return u"Playing"_s;
    case MediaStatus::Playback::Paused: return u"Paused"_s;
    case MediaStatus::Playback::Stopped: break;
  }
  return u"Stopped"_s;
}

QVariantMap MetadataOf(const MediaStatus& m) {
  QVariantMap map{{u"mpris:trackid"_s, QVariant::fromValue(QDBusObjectPath(m.trackId))}};
  if (m.trackId == QLatin1String(kNoTrackId)) return map;
  map.insert(u"xesam:title"_s, m.title);
  if (!m.url.isEmpty()) map.insert(u"xesam:url"_s, m.url);
  if (!m.artist.isEmpty()) map.insert(u"xesam:artist"_s, QStringList{m.artist});
  if (!m.album.isEmpty()) map.insert(u"xesam:album"_s, m.album);
  if (m.lengthUs > 0) map.insert(u"mpris:length"_s, m.lengthUs);
  return map;
}

// The Player interface's properties that follow the player, as the bus shows them.
QVariantMap PlayerProperties(const MediaStatus& m) {
  return {{u"PlaybackStatus"_s, PlaybackText(m.playback)},
          {u"Metadata"_s, MetadataOf(m)},
          {u"CanPlay"_s, m.canPlay},
          {u"CanPause"_s, m.canPause},
          {u"CanGoNext"_s, m.canGoNext},
          {u"CanSeek"_s, m.canSeek},
          {u"Shuffle"_s, m.shuffle}};
}

}  // namespace

// org.mpris.MediaPlayer2: the application.
class MprisRootAdaptor : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
  Q_PROPERTY(bool CanQuit READ yes)
  Q_PROPERTY(bool CanRaise READ yes)
  Q_PROPERTY(bool HasTrackList READ no)
  Q_PROPERTY(QString Identity READ identity)
  Q_PROPERTY(QString DesktopEntry READ desktopEntry)
  Q_PROPERTY(QStringList SupportedUriSchemes READ uriSchemes)
  Q_PROPERTY(QStringList SupportedMimeTypes READ mimeTypes)
 public:
  explicit MprisRootAdaptor(MprisService* service) : QDBusAbstractAdaptor(service), service_(service) {}
  bool yes() const { return true; }
  bool no() const { return false; }
  QString identity() const { return u"Lirra"_s; }
  QString desktopEntry() const { return u"lirra"_s; }
  QStringList uriSchemes() const { return {u"file"_s, u"http"_s, u"https"_s, u"mms"_s, u"rtsp"_s}; }
  QStringList mimeTypes() const {
    return {u"audio/mpeg"_s, u"audio/x-wav"_s, u"audio/ogg"_s, u"audio/flac"_s, u"audio/x-mod"_s,
            u"audio/x-mpegurl"_s};
  }

 public slots:
  void Raise() { service_->port().raise(); }
  void Quit() { service_->port().quit(); }

 private:
  MprisService* service_;
};

// org.mpris.MediaPlayer2.Player: the transport.
class MprisPlayerAdaptor : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
  Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
  Q_PROPERTY(QVariantMap Metadata READ metadata)
  Q_PROPERTY(qlonglong Position READ position)
  Q_PROPERTY(double Rate READ one WRITE ignoreRate)
  Q_PROPERTY(double MinimumRate READ one)
  Q_PROPERTY(double MaximumRate READ one)
  Q_PROPERTY(double Volume READ one WRITE ignoreVolume)
  Q_PROPERTY(bool Shuffle READ shuffle WRITE setShuffle)
  Q_PROPERTY(bool CanGoNext READ canGoNext)
  Q_PROPERTY(bool CanGoPrevious READ no)
  Q_PROPERTY(bool CanPlay READ canPlay)
  Q_PROPERTY(bool CanPause READ canPause)
  Q_PROPERTY(bool CanSeek READ canSeek)
  Q_PROPERTY(bool CanControl READ yes)
 public:
  explicit MprisPlayerAdaptor(MprisService* service) : QDBusAbstractAdaptor(service), service_(service) {
    connect(service, &MprisService::seeked, this, &MprisPlayerAdaptor::Seeked);
  }
  QString playbackStatus() const { return PlaybackText(service_->status().playback); }
  QVariantMap metadata() const { return MetadataOf(service_->status()); }
  qlonglong position() const { return service_->port().positionUs(); }
  double one() const { return 1.0; }
  // The player has no speed or volume of its own to set: the sound goes out as it is.
  void ignoreRate(double) {}
  void ignoreVolume(double) {}
  bool shuffle() const { return service_->status().shuffle; }
  void setShuffle(bool on) { service_->port().shuffle(on); }
  bool canGoNext() const { return service_->status().canGoNext; }
  bool canPlay() const { return service_->status().canPlay; }
  bool canPause() const { return service_->status().canPause; }
  bool canSeek() const { return service_->status().canSeek; }
  bool yes() const { return true; }
  bool no() const { return false; }

 public slots:
  void Play() { service_->port().command(MediaCommand::Play); }
  void Pause() { service_->port().command(MediaCommand::Pause); }
  void PlayPause() { service_->port().command(MediaCommand::PlayPause); }
  void Stop() { service_->port().command(MediaCommand::Stop); }
  void Next() { service_->port().command(MediaCommand::Next); }
  void Previous() { service_->port().command(MediaCommand::Previous); }
  void Seek(qlonglong offsetUs) {
    const MediaStatus m = service_->status();
    service_->seekTo(m.trackId, std::max<qlonglong>(0, service_->port().positionUs() + offsetUs));
  }
  void SetPosition(const QDBusObjectPath& trackId, qlonglong us) { service_->seekTo(trackId.path(), us); }
  // The player plays what its lists hold; an address from outside is refused plainly.
  void OpenUri(const QString&, const QDBusMessage& call) {
    call.setDelayedReply(true);
    QDBusConnection::sessionBus().send(
        call.createErrorReply(QDBusError::NotSupported, u"Lirra plays the entries of its playlists only"_s));
  }

 signals:
  void Seeked(qlonglong Position);

 private:
  MprisService* service_;
};

MprisService::MprisService(Port port, QObject* parent) : QObject(parent), port_(std::move(port)) {
  new MprisRootAdaptor(this);
  new MprisPlayerAdaptor(this);
}

MprisService::~MprisService() {
  if (registered_) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterService(kServiceName);
    bus.unregisterObject(kObjectPath);
  }
}

bool MprisService::registerOnBus() {
  if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) return false;
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected() || !bus.registerObject(kObjectPath, this)) return false;
  if (!bus.registerService(kServiceName)) {
    bus.unregisterObject(kObjectPath);
    return false;
  }
  registered_ = true;
  shown_ = status();
  // Every change the player makes ends before the event loop waits again: looking then
  // signals it promptly without a timer of its own.
  connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
          &MprisService::publishChanges);
  return true;
}

MediaStatus MprisService::status() const { return port_.status(); }

void MprisService::seekTo(const QString& trackId, qint64 us) {
  if (port_.seek(trackId, us)) emit seeked(port_.positionUs());
}

void MprisService::publishChanges() {
  if (!registered_) return;
  const MediaStatus now = status();
  if (now == shown_) return;
  const QVariantMap before = PlayerProperties(shown_);
  QVariantMap changed = PlayerProperties(now);
  for (auto it = changed.begin(); it != changed.end();) it = it.value() == before.value(it.key()) ? changed.erase(it) : std::next(it);
  shown_ = now;
  if (changed.isEmpty()) return;
  QDBusMessage signal = QDBusMessage::createSignal(kObjectPath, u"org.freedesktop.DBus.Properties"_s,
                                                   u"PropertiesChanged"_s);
  signal.setArguments({kPlayerInterface, changed, QStringList{}});
  QDBusConnection::sessionBus().send(signal);
}

}  // namespace lirra

#include "mpris_service.moc"
