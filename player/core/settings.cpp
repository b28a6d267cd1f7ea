#include "settings.h"

#include <QFileInfo>

#include <algorithm>

#include "inifile.h"
#include "paths.h"
#include "schedule.h"
#include "window_layout.h"

namespace lirra {

using namespace Qt::StringLiterals;

namespace {

const QString kMain = QStringLiteral("main");

}  // namespace

QString SettingsPath(const PlayerState& s) { return s.ConfigDir + QStringLiteral("lirra.ini"); }
QString VisDefaultsPath(const PlayerState& s) { return s.ConfigDir + QStringLiteral("lirra.dat"); }

void WriteVisDefaults(const PlayerState& s) {
  const QString dat = VisDefaultsPath(s);
  if (QFileInfo::exists(dat) || !FileExists(s.AppDir + u"libbass.so"_s) ||
      !FileExists(s.AppDir + u"libbass_vis.so"_s) || !FileExists(s.AppDir + u"Plugins/vis_avs.so"_s))
    return;
  IniFile ini(dat);
  const QString avs = QStringLiteral("AVS");
  const std::pair<const char*, int> values[] = {
      {"cfg_fs_w", 640}, {"cfg_fs_h", 480},        {"cfg_fs_bpp", 32},   {"cfg_fs_fps", 10},
      {"cfg_fs_rnd", 1}, {"cfg_fs_rnd_time", 60}, {"cfg_fs_dblclk", 0}, {"cfg_fs_d", 0}};
  for (const auto& [key, value] : values) ini.writeInteger(avs, QString::fromLatin1(key), value);
  ini.save();
}

int SnapToWorkArea(PlayerState& s, int a, int size, bool horizontal, const QRect& workArea) {
  const int near = horizontal ? workArea.left() : workArea.top();
  const int far = near + (horizontal ? workArea.width() : workArea.height()) - size;
  int result = a;
  if (a != near && a < near + 10) {
    result = near;
    s.SettingsDirty = true;
  }
  if (a != far && a > far - 10) {
    result = far;
    s.SettingsDirty = true;
  }
  return result;
}

void LoadSettings(PlayerState& s, const QRect& workArea) {
  const IniFile ini(SettingsPath(s));
  if (!ini.existed()) return;

  s.OpenDir = ini.readString(kMain, u"open_dir"_s, {});
  const QString schedule = ini.readString(kMain, u"smart_mode"_s, QString::fromLatin1(kDefaultSchedule));
  if (schedule != QLatin1String(kDefaultSchedule)) {
    if (const auto startHour = ValidateSchedule(schedule)) {
      s.SmartModeSpec = schedule;
      s.ScheduleStartHour = *startHour;
    } else {
      s.SettingsDirty = true;  // the default is written back at close
    }
  }
  s.RandomOrder = ini.readBool(kMain, u"random"_s, false);
  s.ShowLyrics = ini.readBool(kMain, u"show_lrc"_s, true);
  s.VisIndex = ini.readInteger(kMain, u"vis"_s, 2);
  s.StayOnTop = ini.readBool(kMain, u"on_top"_s, false);
  s.SeeThrough = ini.readBool(kMain, u"transp"_s, false);

  int w = std::max(ini.readInteger(kMain, u"pos_w"_s, kStartClientSize.width()), kDesignClientSize.width());
  int h = std::max(ini.readInteger(kMain, u"pos_h"_s, kStartClientSize.height()), kDesignClientSize.height());
  if (QSize(w, h) != kStartClientSize) {
    if (w > workArea.width()) {
      w = workArea.width();
      s.SettingsDirty = true;
    }
    if (h > workArea.height()) {
      h = workArea.height();
      s.SettingsDirty = true;
    }
  }
  s.ClientWidth = w;
  s.ClientHeight = h;

  const int x = ini.readInteger(kMain, u"pos_x"_s, -s.ClientWidth);
  const int y = ini.readInteger(kMain, u"pos_y"_s, -s.ClientHeight);
  if (x <= -s.ClientWidth || y <= -s.ClientHeight) {
    s.SettingsDirty = true;  // no saved place: centred at show
  } else {
    s.Left = SnapToWorkArea(s, x, s.ClientWidth, true, workArea);
    s.Top = SnapToWorkArea(s, y, s.ClientHeight, false, workArea);
    s.CentreOnShow = false;
  }

  const QString list = ini.readString(kMain, u"m3u"_s, {});
  if (!list.isEmpty() && FileExists(s.DataDir + list)) s.CurrentListFile = s.RememberedListFile = s.DataDir + list;
  const QString skin = ini.readString(kMain, u"skin"_s, {});
  if (!skin.isEmpty() && FileExists(s.AppDir + u"Plugins/Skin/"_s + skin))
    s.SkinFile = s.AppDir + u"Plugins/Skin/"_s + skin;
}

bool SaveSettings(PlayerState& s, QString* error) {
  IniFile ini(SettingsPath(s));
  ini.writeString(kMain, u"open_dir"_s, s.OpenDir);
  if (s.SmartModeSpec.isEmpty()) s.SmartModeSpec = QString::fromLatin1(kDefaultSchedule);
  ini.writeString(kMain, u"smart_mode"_s, s.SmartModeSpec);
  ini.writeBool(kMain, u"random"_s, s.RandomOrder);
  ini.writeBool(kMain, u"show_lrc"_s, s.ShowLyrics);
  ini.writeInteger(kMain, u"vis"_s, s.VisIndex);
  ini.writeBool(kMain, u"on_top"_s, s.StayOnTop);
  ini.writeBool(kMain, u"transp"_s, s.SeeThrough);
  if (!s.VideoFullScreen) {  // a full-screen video layout keeps the previous geometry
    ini.writeInteger(kMain, u"pos_w"_s, s.ClientWidth);
    ini.writeInteger(kMain, u"pos_h"_s, s.ClientHeight);
    ini.writeInteger(kMain, u"pos_x"_s, s.Left);
    ini.writeInteger(kMain, u"pos_y"_s, s.Top);
  }
  ini.writeString(kMain, u"m3u"_s, FileNameOf(s.CurrentListFile));
  ini.writeString(kMain, u"skin"_s, FileNameOf(s.SkinFile));
  return ini.save(error);
}

}  // namespace lirra
