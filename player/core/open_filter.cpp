#include "open_filter.h"

#include <QDir>

namespace lirra {

namespace {
const QString kAudioMasks =
    QStringLiteral("*.mp3;*.wav;*.mpa;*.mp1;*.mp2;*.ogg;*.aif;*.aiff;*.mod;*.mo3;*.cue");
}

OpenFilter BuildOpenFilter(bool chinese, bool videoLibAvailable, bool engineReady,
                           const QString& p, const VideoExtras& extras) {
  const auto t = [chinese](const char* zh, const char* en) {
    return chinese ? QString::fromUtf8(zh) : QString::fromUtf8(en);
  };
  QString f = t("音频文件(MP3;WAV;MPA;MP1;MP2;OGG;AIFF;MOD;MO3;CUE)|",
                "Audio Files(MP3;WAV;MPA;MP1;MP2;OGG;AIFF;MOD;MO3;CUE)|") +
              kAudioMasks;
  QString a = t("媒体文件(所有类型)", "Media Files(All Types)") + u'|' + kAudioMasks +
              QStringLiteral(";*.m3u;");
  OpenFilter out;
  out.mediaMask = QStringLiteral("*.mp3;*.wav;*.mpa;*.mp1;*.mp2;*.ogg;*.aif;*.mod;*.mo3;*.cue;");
  QString o;
  if (videoLibAvailable) {
    const QString v = QStringLiteral("*.avi;*.mpg;*.dat;*.wmv;*.asf;*.wm;*.mpeg;*.m1v;*.qt;*.vob;");
    const QString m = QStringLiteral("*.mid;*.rmi;*.kar;*.midi;");
    out.mediaMask += QStringLiteral(
        "*.avi;*.mpg;*.dat;*.wmv;*.asf;*.wm;*.m1v;*.qt;*.vob;*.mid;*.rmi;*.kar;");
    f += t("|视频文件(AVI;MPG;DAT;WMV;ASF;WM;M1V;QT;VOB)|",
           "|Video Files(AVI;MPG;DAT;WMV;ASF;WM;M1V;QT;VOB)|") +
         v + t("|MIDI文件(MID;RMI;KAR)|", "|MIDI Files(MID;RMI;KAR)|") + m;
    if (extras.realMedia) o = QStringLiteral("*.ra;*.ram;*.rm;*.rmvb;*.rv;");
    if (extras.flash) o += QStringLiteral("*.swf;");
    if (extras.transportStream) o += QStringLiteral("*.ts;");
    out.mediaMask += o;
    if (extras.quickTime) {
      o += QStringLiteral("*.mov;*.3gp;*.3gpp;");
      out.mediaMask += QStringLiteral("*.mov;*.3gp;");
    }
    a += v + o + m;
  }
  QString x;
  if (engineReady && !p.isEmpty()) {
    x = t("|Plugin 扩展(", "|Plugin Ext(") + p + QStringLiteral(")|") + p;
    out.mediaMask += p;
  }
  if (!o.isEmpty()) x += t("|其他扩展(", "|Other Ext(") + o + QStringLiteral(")|") + o;
  out.filter = a + (engineReady ? p : QString()) + u'|' + f + x +
               t("|播放列表(M3U)|*.m3u|所有文件(*)|*.*", "|Playlist Files(M3U)|*.m3u|All Files(*)|*.*");
  return out;
}

QStringList QtNameFilters(const QString& filter) {
  const QStringList parts = filter.split(u'|');
  QStringList out;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QStringList masks = parts[i + 1].split(u';', Qt::SkipEmptyParts);
    for (QString& mask : masks) mask = mask.trimmed();
    if (masks == QStringList{QStringLiteral("*.*")}) masks = {QStringLiteral("*")};
    out << parts[i] + QStringLiteral(" (") + masks.join(u' ') + u')';
  }
  return out;
}

}  // namespace lirra

namespace lirra {

QStringList MediaFilesIn(const QString& folder, const QString& mediaMask) {
  QStringList masks;
  for (const QString& m : mediaMask.split(u';', Qt::SkipEmptyParts)) masks << m.trimmed();
  if (masks.isEmpty()) return {};
  QDir dir(folder);
  dir.setNameFilters(masks);
  // Names starting with "." are other systems' companions ("._song.mp3"), not music.
  dir.setFilter(QDir::Files);
  dir.setSorting(QDir::Name | QDir::IgnoreCase);
  QStringList names = dir.entryList();
  names.removeIf([](const QString& name) { return name.startsWith(u'.'); });
  return names;
}

}  // namespace lirra
