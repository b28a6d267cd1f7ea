#include "ui_texts.h"

namespace lirra {

FontSpec SongTiFont() {
  return FontSpec{{QStringLiteral("SimSun"), QStringLiteral("Noto Sans CJK SC")}, 12};
}

const UiTexts& ChineseTexts() {
  static const UiTexts texts{
      .nextCaption = QStringLiteral("◇"),
      .nextHintIdle = QStringLiteral("播放"),
      .powerCaption = QStringLiteral("★"),
      .powerHint = QStringLiteral("关闭"),
      .titleIdle = QStringLiteral("Lirra"),
      .moveHintSkin = QStringLiteral("右键换肤"),
      .moveHintList = QStringLiteral("双击到播放画面"),
      .moveHintVisual = QStringLiteral("双击到播放列表"),
      .addHint = QStringLiteral("添加文件"),
      .addFolderHint = QStringLiteral("添加文件夹或URL"),
      .normalOrderHint = QStringLiteral("顺序播放"),
      .randomOrderHint = QStringLiteral("随机播放"),
      .manageListHint = QStringLiteral("列表管理"),
      .progressHint = QStringLiteral("进度调节"),
      .messageCaption = QStringLiteral("提示"),
  };
  return texts;
}

const UiTexts& EnglishTexts() {
  static const UiTexts texts{
      .nextCaption = QStringLiteral("<>"),
      .nextHintIdle = QStringLiteral("Play"),
      .powerCaption = QStringLiteral("()"),
      .powerHint = QStringLiteral("Close"),
      .titleIdle = QStringLiteral("Lirra"),
      .moveHintSkin = QStringLiteral("RightClk to Change Skin"),
      .moveHintList = QStringLiteral("DoubleClk to Vis/Video"),
      .moveHintVisual = QStringLiteral("DoubleClk to Playlist"),
      .addHint = QStringLiteral("Add Files"),
      .addFolderHint = QStringLiteral("Add Folder or URL"),
      .normalOrderHint = QStringLiteral("Normal Playback"),
      .randomOrderHint = QStringLiteral("Random Playback"),
      .manageListHint = QStringLiteral("Manage Playlist"),
      // The seek strip's hint has no English text of its own.
      .progressHint = QStringLiteral("进度调节"),
      .messageCaption = QStringLiteral("Infomation"),
  };
  return texts;
}

bool IsSimplifiedChinese(const QLocale& locale) {
  return locale.language() == QLocale::Chinese &&
         locale.script() == QLocale::SimplifiedHanScript;
}

}  // namespace lirra
