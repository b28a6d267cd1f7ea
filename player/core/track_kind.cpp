#include "track_kind.h"

#include <QRegularExpression>

#include "paths.h"

namespace lirra {

const char kEngineTypes[] = "*.wav;*.mp1;*.mp2;*.mp3;*.ogg;*.aiff*.MO3;*.IT;*.XM;*.S3M;*.MTM;*.MOD;*.UMX;";
const char kModuleTypes[] = "*.MO3;*.IT;*.XM;*.S3M;*.MTM;*.MOD;*.UMX;";

namespace {

// The extension of an address is that of its path's last part: none for a bare host
// ("http://radio.example:8000"), and a query or fragment is not part of it.
QString UrlExtension(const QString& url) {
  const qsizetype hostStart = url.indexOf(QLatin1String("://")) + 3;
  const qsizetype pathStart = url.indexOf(u'/', hostStart);
  if (pathStart < 0) return {};
  QString path = url.mid(pathStart);
  const qsizetype cut = path.indexOf(QRegularExpression(QStringLiteral("[?#]")));
  if (cut >= 0) path.truncate(cut);
  return UpperFileExtension(path);
}

}  // namespace

bool IsModule(const QString& path) {
  const QString ext = UpperFileExtension(path);
  return !ext.isEmpty() && QString::fromLatin1(kModuleTypes).contains(ext + u';');
}

Classification ClassifyTrack(const QString& location, const ClassifyContext& c) {
  Classification result;
  result.isNetwork = IsUrl(location);
  const QString ext = result.isNetwork ? UrlExtension(location) : UpperFileExtension(location);
  if (!c.engineReady) return result;
  // Later tests override earlier ones. Membership is a substring test, so ".MP" or ".AIF"
  // count as engine types too.
  const QString types = QString::fromLatin1(kEngineTypes) + c.pluginExtensions;
  if (ext.contains(u','))
    result.kind = kKindCueTrack;
  else if (!ext.isEmpty() && types.contains(ext, Qt::CaseInsensitive))
    result.kind = kKindEngine;
  if (ext == QLatin1String(".WMA")) result.kind = c.wmaAvailable ? kKindEngine : kKindOther;
  if (result.isNetwork && ext.isEmpty()) {
    result.kind = IsHttpUrl(location) ? kKindUrlStream : kKindNetworkPath;
  }
  if (ext.contains(QLatin1String(".CUE"))) result.kind = kKindCueSheet;
  if (c.videoLibAvailable && (ext == QLatin1String(".MID") || ext == QLatin1String(".MIDI") ||
                              ext == QLatin1String(".RMI") || ext == QLatin1String(".KAR")))
    result.kind = kKindMidiCapture;
  return result;
}

CueReference ParseCueReference(const QString& location) {
  CueReference ref;
  const qsizetype lastComma = location.lastIndexOf(u',');
  ref.end = location.mid(lastComma + 1).trimmed().toInt();
  const QString rest = location.left(lastComma);
  const qsizetype startComma = rest.lastIndexOf(u',');
  ref.start = rest.mid(startComma + 1).trimmed().toInt();
  ref.path = rest.left(startComma).trimmed();
  return ref;
}

}  // namespace lirra
