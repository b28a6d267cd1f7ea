// The player's own texts in its two languages, and the choice between them.
#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>

namespace lirra {

struct FontSpec {
  QStringList families;  // first installed one wins; empty = the window's font
  int pixelSize = 0;     // 0 = unchanged
  bool operator==(const FontSpec&) const = default;
};

// The Chinese captions' font: "SimSun" where installed, else Noto Sans CJK SC; 12 pixels.
FontSpec SongTiFont();

struct UiTexts {
  QString nextCaption;     // lbNext
  QString nextHintIdle;
  QString powerCaption;    // lbPower
  QString powerHint;
  QString titleIdle;       // lbTitle when nothing plays
  QString moveHintSkin;    // lbMove: at start and after stop, with a skin
  QString moveHintList;    // lbMove: in the list state
  QString moveHintVisual;  // lbMove: in the visual state
  QString addHint;         // sbAdd
  QString addFolderHint;   // sbAddFld
  QString normalOrderHint; // sbRandom, list order
  QString randomOrderHint; // sbRandom, shuffled
  QString manageListHint;  // sbNewlist
  QString progressHint;    // lbProgress
  QString messageCaption;  // caption of the player's message boxes
};

const UiTexts& ChineseTexts();
const UiTexts& EnglishTexts();
inline const UiTexts& TextsFor(bool chinese) { return chinese ? ChineseTexts() : EnglishTexts(); }

// The interface is Chinese when the system locale is Chinese in Simplified script
// (zh_CN, zh_SG, or zh without a region).
bool IsSimplifiedChinese(const QLocale& locale);

}  // namespace lirra
