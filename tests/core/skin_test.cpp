// Skins without a window: reading bitmaps, the colours and cut-outs a skin gives, the
// pieces the frame is painted from, and stepping through the skin folder.
#include <gtest/gtest.h>

#include <QDir>

#include "player_fixture.h"
#include "skin.h"
#include "skin_image.h"

namespace lirra {
namespace {

// A bitmap file written by hand: 24 or 32 bits, rows bottom-up or top-down.
QByteArray HandMadeBitmap(const SkinImage& img, int bits, bool topDown) {
  const int stride = (img.width * bits / 8 + 3) / 4 * 4;
  QByteArray b(54, '\0');
  const auto put = [&](int at, std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i) b[at + i] = static_cast<char>(v >> (8 * i) & 0xFF);
  };
  b[0] = 'B', b[1] = 'M';
  put(2, 54 + stride * img.height, 4);
  put(10, 54, 4);
  put(14, 40, 4);
  put(18, img.width, 4);
  put(22, static_cast<std::uint32_t>(topDown ? -img.height : img.height), 4);
  put(26, 1, 2);
  put(28, bits, 2);
  for (int row = 0; row < img.height; ++row) {
    QByteArray line(stride, '\0');
    const int y = topDown ? row : img.height - 1 - row;
    for (int x = 0; x < img.width; ++x) {
      const Rgb c = img.at(x, y);
      const int p = x * bits / 8;
      line[p] = static_cast<char>(c & 0xFF), line[p + 1] = static_cast<char>(c >> 8 & 0xFF);
      line[p + 2] = static_cast<char>(c >> 16 & 0xFF);
    }
    b += line;
  }
  return b;
}

SkinImage Pattern(int w, int h) {
  SkinImage img(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) img.set(x, y, MakeRgb(x * 13, y * 7, x ^ y));
  return img;
}

TEST(SkinBitmap, ReadsEveryLayoutAPaintProgramWritesAndRefusesTheRest) {
  const SkinImage img = Pattern(19, 23);  // odd width: rows are padded
  for (auto [bits, topDown] : {std::pair{24, false}, std::pair{24, true}, std::pair{32, false}, std::pair{32, true}}) {
    const auto read = DecodeSkinBitmap(HandMadeBitmap(img, bits, topDown));
    ASSERT_TRUE(read) << bits << " bits, top-down " << topDown;
    EXPECT_EQ(*read, img) << bits << " bits, top-down " << topDown;
  }
  EXPECT_EQ(DecodeSkinBitmap(EncodeSkinBitmap(img)), img) << "our own writer round-trips";

  const QByteArray good = HandMadeBitmap(img, 24, false);
  const auto patched = [&](int at, std::uint32_t v, int n) {
    QByteArray b = good;
    for (int i = 0; i < n; ++i) b[at + i] = static_cast<char>(v >> (8 * i) & 0xFF);
    return b;
  };
  const std::pair<const char*, QByteArray> refused[] = {
      {"empty", {}},
      {"not a bitmap", "PK" + good.mid(2)},
      {"cut short", good.left(good.size() - 1)},
      {"8-bit", patched(28, 8, 2)},
      {"run-length compressed", patched(30, 1, 4)},
      {"zero width", patched(18, 0, 4)},
      {"zero height", patched(22, 0, 4)},
      {"huge", patched(18, 1u << 30, 4)},
      {"most negative height", patched(22, 0x80000000u, 4)},
      {"data offset past the end", patched(10, 0xFFFFFFF0u, 4)},
  };
  for (const auto& [what, bytes] : refused) {
    QString why;
    EXPECT_FALSE(DecodeSkinBitmap(bytes, &why)) << what;
    EXPECT_FALSE(why.isEmpty()) << what;
  }
}

TEST(SkinLook, ColoursComeFromTheSamplingPixelsNeverInTheKeyBlack) {
  struct Case {
    Rgb accent;
    Rgb expectedCaption;
  };
  for (const Case c : {Case{MakeRgb(200, 100, 50), MakeRgb(200, 100, 50)}, Case{MakeRgb(0, 128, 0), MakeRgb(0, 129, 0)},
                       Case{0, MakeRgb(1, 1, 1)}}) {
    SkinImage skin = Pattern(18, 23);
    skin.set(17, 0, c.accent);
    const WindowColours colours = SkinColours(skin);
    EXPECT_EQ(colours.captionText, c.expectedCaption);
    EXPECT_EQ(colours.gaugeFore, c.expectedCaption);
    EXPECT_EQ(colours.window, skin.at(7, 7));
    EXPECT_EQ(colours.listBack, skin.at(0, 0));
    EXPECT_EQ(colours.listText, skin.at(17, 22));
    EXPECT_EQ(colours.libraryBack, skin.at(17, 22));
    EXPECT_EQ(colours.gaugeBack, skin.at(7, 2));
  }
}

TEST(SkinLook, MagentaIsCutOnlyInsideTheCornerZones) {
  SkinImage skin(18, 23, MakeRgb(50, 50, 50));
  // Right-hand pieces start at skin column 11; window column width - 7 is their first.
  const std::pair<QPoint, bool> marks[] = {
      {{6, 6}, true},    // last column and row of the top-left zone
      {{6, 7}, false},   // below the top zones
      {{11, 0}, false},  // column width - 7 of the right pieces: not in the 6-column zone
      {{12, 0}, true},
      {{0, 17}, true},   // the bottom-left piece starts at skin row 16: window row height - 6
      {{0, 16}, false},
      {{17, 22}, true},
  };
  for (const auto& [p, cut] : marks) skin.set(p.x(), p.y(), kMagenta);
  const QSize client(270, 150);
  const std::vector<QPoint> cuts = SkinCutPixels(skin, client);
  const auto onWindow = [&](QPoint p) {
    return QPoint(p.x() < 7 ? p.x() : client.width() - 18 + p.x(), p.y() < 16 ? p.y() : client.height() - 23 + p.y());
  };
  for (const auto& [p, cut] : marks)
    EXPECT_EQ(std::count(cuts.begin(), cuts.end(), onWindow(p)), cut ? 1 : 0) << p.x() << "," << p.y();
  EXPECT_EQ(cuts.size(), 4u);

  const WindowShape shape = ShapeFor(client, &cuts);
  EXPECT_EQ(shape.seeThroughRow, 15) << "the row just above the central area";
  EXPECT_EQ(shape.cutPixels.size(), 4u + 3u) << "four corner pixels, and the cuts not among them";
}

TEST(SkinLook, TilesRepeatAndFrameEdgesStretchWithCrispCorners) {
  const QSize client(270, 150);
  const std::vector<SkinPiece> tiles = SkinPieces(SkinImage(18, 23), client);
  // Corners 4, and edge tiles every 4 pixels along each edge from x = 7 and y = 16.
  EXPECT_EQ(tiles.size(), 4u + 2 * (270 / 4) + 2 * (150 / 4));
  EXPECT_EQ(tiles.back(), (SkinPiece{{11, 16, 7, 7}, {263, 143, 7, 7}})) << "a corner is drawn last";
  EXPECT_EQ(tiles[1], (SkinPiece{{7, 0, 4, 16}, {7, 0, 4, 16}}));

  EXPECT_EQ(SkinPieces(SkinImage(270, 150), client), (std::vector<SkinPiece>{{{0, 0, 270, 150}, {0, 0, 270, 150}}}));
  const std::vector<SkinPiece> frame = SkinPieces(SkinImage(270, 150), QSize(480, 270));
  ASSERT_EQ(frame.size(), 8u);
  EXPECT_EQ(frame[3], (SkinPiece{{263, 143, 7, 7}, {473, 263, 7, 7}})) << "corners keep their size";
  EXPECT_EQ(frame[4], (SkinPiece{{7, 0, 256, 16}, {7, 0, 466, 16}})) << "the top strip stretches";
  EXPECT_EQ(frame[5], (SkinPiece{{0, 16, 7, 127}, {0, 16, 7, 247}})) << "the left strip stretches";
}

class SkinFolderTest : public PlayerTest {
 protected:
  void AddSkin(const QString& name, QSize size) {
    QDir().mkpath(appDir_ + u"Plugins/Skin"_s);
    writeBytes(u"Plugins/Skin/"_s + name, EncodeSkinBitmap(Pattern(size.width(), size.height())));
  }
  void StartWithSkin(const QString& name) {
    writeBytes(u"lirra.ini"_s, ("[main]\r\nskin=" + name + "\r\n").toUtf8());
    Start({});
  }
};

TEST_F(SkinFolderTest, RightClicksStepThroughTheFolderByNameAndWrap) {
  for (const char* name : {"b.bmp", "A.bmp", "c.BMP"}) AddSkin(QString::fromLatin1(name), {18, 23});
  StartWithSkin(u"A.bmp"_s);
  ASSERT_TRUE(player_.context().skin.SkinLoaded);
  EXPECT_EQ(shell_.hints[ControlId::lbSkinName], u"skin:A"_s);
  EXPECT_TRUE(shell_.shown(ControlId::lbSkinName));
  for (const char* expected : {"skin:b", "skin:c", "skin:A"}) {
    player_.state().SettingsDirty = false;
    player_.lbMoveRightUp();
    EXPECT_EQ(shell_.hints[ControlId::lbSkinName], QString::fromLatin1(expected));
    EXPECT_TRUE(player_.state().SettingsDirty);
    EXPECT_NE(shell_.skinPicture, nullptr);
  }
}

TEST_F(SkinFolderTest, AFrameSkinLargerThanTheWindowGrowsItAroundItsCentre) {
  AddSkin(u"a.bmp"_s, {18, 23});
  AddSkin(u"b.bmp"_s, {360, 200});
  StartWithSkin(u"a.bmp"_s);
  shell_.bounds = QRect(500, 300, 270, 150);
  player_.lbMoveRightUp();
  EXPECT_EQ(shell_.bounds, QRect(455, 275, 360, 200));
  EXPECT_EQ(shell_.shape.client, QSize(360, 200)) << "re-masked at the new size";
  player_.lbMoveRightUp();
  EXPECT_EQ(shell_.bounds.size(), QSize(360, 200)) << "a tile skin never shrinks the window";
}

TEST_F(SkinFolderTest, UnreadableOrMissingSkinsLeaveTheUnskinnedLook) {
  AddSkin(u"good.bmp"_s, {18, 23});
  writeBytes(u"Plugins/Skin/broken.bmp"_s, "BM not really");
  StartWithSkin(u"broken.bmp"_s);
  EXPECT_TRUE(player_.context().skin.SkinLoaded) << "the file exists";
  EXPECT_EQ(shell_.skinPicture, nullptr);
  EXPECT_EQ(shell_.colours, WindowColours{});
  player_.lbMoveRightUp();
  EXPECT_NE(shell_.skinPicture, nullptr) << "the next skin reads";
}

TEST_F(SkinFolderTest, ASkinGoneFromTheFolderIsReplacedByOneThatIsThere) {
  AddSkin(u"good.bmp"_s, {18, 23});
  StartWithSkin(u"gone.bmp"_s);
  EXPECT_TRUE(player_.state().SkinFile.endsWith(u"good.bmp"_s));
  const QString only = player_.state().SkinFile;
  player_.lbMoveRightUp();
  EXPECT_EQ(player_.state().SkinFile, only) << "a single skin: right clicks change nothing";
}

TEST_F(SkinFolderTest, WithoutSkinsRightClicksDoNothingAndTheChineseDragHintIsCleared) {
  Start({}, "zh_CN");
  EXPECT_FALSE(player_.context().skin.SkinLoaded);
  EXPECT_TRUE(shell_.hints[ControlId::lbMove].isEmpty());
  player_.lbMoveRightUp();
  EXPECT_EQ(shell_.skinPicture, nullptr);
}

}  // namespace
}  // namespace lirra
