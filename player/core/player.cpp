#include "player.h"

namespace lirra {

void Player::FormCreate(const QString& appDir, const QLocale& locale) {
  state_ = PlayerState{};
  state_.AppDir = appDir.endsWith(u'/') ? appDir : appDir + u'/';
  state_.UseChinese = IsSimplifiedChinese(locale);
  shell_.SetWindowTitle(QStringLiteral("Lirra"));
}

void Player::FormShow() { ApplyLanguage(); }

// Every caption and hint of the window in the chosen language; the Chinese captions use
// the Song typeface, the English time label is sized like the others.
void Player::ApplyLanguage() {
  const UiTexts& t = texts();
  shell_.SetCaption(ControlId::lbNext, t.nextCaption);
  shell_.SetHint(ControlId::lbNext, t.nextHintIdle);
  shell_.SetCaption(ControlId::lbPower, t.powerCaption);
  shell_.SetHint(ControlId::lbPower, t.powerHint);
  shell_.SetCaption(ControlId::lbTitle, t.titleIdle);
  shell_.SetHint(ControlId::lbMove, t.moveHintSkin);
  shell_.SetHint(ControlId::sbAdd, t.addHint);
  shell_.SetHint(ControlId::sbAddFld, t.addFolderHint);
  shell_.SetHint(ControlId::sbRandom, state_.RandomOrder ? t.randomOrderHint : t.normalOrderHint);
  shell_.SetHint(ControlId::sbNewlist, t.manageListHint);
  shell_.SetHint(ControlId::lbProgress, t.progressHint);
  if (state_.UseChinese) {
    for (ControlId id : {ControlId::lbNext, ControlId::lbPower, ControlId::lbTitle})
      shell_.SetFont(id, SongTiFont());
  } else {
    shell_.SetFont(ControlId::lbTime, FontSpec{{}, 12});
  }
}

bool Player::FormCloseQuery() { return !state_.OpeningTrack; }

void Player::lbPowerClick() { shell_.CloseMainWindow(); }

}  // namespace lirra
