#include "skin.h"

#include <QDir>
#include <QFileInfo>

#include "paths.h"
#include "player_context.h"
#include "settings.h"
#include "window_moves.h"

namespace lirra {

using namespace Qt::StringLiterals;

namespace {

constexpr int kCorner = 7;       // corner and side-strip width, bottom strip height
constexpr int kTopStrip = 16;    // top corner and strip height
constexpr int kZone = 7;         // corner zones tested for magenta
constexpr int kTile = 4;         // edge tile length
constexpr QSize kTileSkinSize{18, 23};
constexpr Rgb kNearBlack = MakeRgb(1, 1, 1);

QString SkinFolder(const PlayerState& s) { return s.AppDir + u"Plugins/Skin/"_s; }

// Pure black is the see-through key colour: text and gauge are never drawn in it.
void AvoidKeyBlack(WindowColours& c) {
  if (c.gaugeFore == 0) c.gaugeFore = c.captionText = kNearBlack;
}

void ShowColours(PlayerContext& ctx, const WindowColours& colours) {
  ctx.skin.colours = colours;
  ctx.shell.captions.SetColours(colours);
}

QSize ClientOf(const PlayerState& s) { return {s.ClientWidth, s.ClientHeight}; }

}  // namespace

WindowColours SkinColours(const SkinImage& skin) {
  const int w = skin.width, h = skin.height;
  WindowColours c;
  c.window = skin.at(7, 7);
  c.libraryBack = skin.at(w - 1, h - 1);
  c.listBack = skin.at(0, 0);
  c.listText = c.libraryBack;
  c.accent = skin.at(w - 1, 0);
  if (c.accent == MakeRgb(0, 128, 0)) c.accent = MakeRgb(0, 129, 0);
  c.captionText = c.accent;
  c.gaugeBack = skin.at(7, 2);
  c.gaugeFore = c.accent;
  AvoidKeyBlack(c);
  return c;
}

std::vector<QPoint> SkinCutPixels(const SkinImage& skin, QSize client) {
  const int cw = client.width(), ch = client.height(), w = skin.width, h = skin.height;
  std::vector<QPoint> cut;
  // Each zone maps window pixels to the corner piece drawn there.
  const auto scan = [&](int x0, int x1, int y0, int y1, int srcX, int srcY) {
    for (int y = std::max(0, y0); y < std::min(ch, y1); ++y)
      for (int x = std::max(0, x0); x < std::min(cw, x1); ++x)
        if (skin.at(srcX + x - x0, srcY + y - y0) == kMagenta) cut.emplace_back(x, y);
  };
  // Left zones are 7 columns, right zones the 6 right of column width - 7; likewise rows.
  scan(0, kZone, 0, kZone, 0, 0);
  scan(cw - kZone + 1, cw, 0, kZone, w - kCorner + 1, 0);
  scan(0, kZone, ch - kZone + 1, ch, 0, h - kCorner + 1);
  scan(cw - kZone + 1, cw, ch - kZone + 1, ch, w - kCorner + 1, h - kCorner + 1);
  return cut;
}

WindowShape ShapeFor(QSize client, const std::vector<QPoint>* skinCuts) {
  WindowShape shape;
  shape.client = client;
  shape.seeThroughRow = At(LayoutFor(client), ControlId::VisPanel).top() - 1;
  const int r = client.width() - 1, b = client.height() - 1;
  shape.cutPixels = {{0, 0}, {r, 0}, {0, b}, {r, b}};
  if (skinCuts) {
    for (const QPoint& p : *skinCuts)
      if (std::find(shape.cutPixels.begin(), shape.cutPixels.begin() + 4, p) == shape.cutPixels.begin() + 4)
        shape.cutPixels.push_back(p);
  }
  return shape;
}

std::vector<SkinPiece> SkinPieces(const SkinImage& skin, QSize client) {
  const int cw = client.width(), ch = client.height(), w = skin.width, h = skin.height;
  std::vector<SkinPiece> pieces;
  const auto copy = [&](QRect source, QPoint at) { pieces.push_back({source, QRect(at, source.size())}); };
  if (!IsFrameSkin(skin)) {
    const QRect top(7, 0, kTile, kTopStrip), left(0, 12, kCorner, kTile);
    const QRect bottom(7, 16, kTile, kCorner), right(11, 12, kCorner, kTile);
    copy({0, 0, kCorner, kTopStrip}, {0, 0});
    for (int a = 1; a <= cw / 4; ++a) copy(top, {4 * a + 3, 0});
    copy({11, 0, kCorner, kTopStrip}, {cw - kCorner, 0});
    for (int a = 1; a <= ch / 4; ++a) copy(left, {0, 4 * a + 12});
    copy({0, 16, kCorner, kCorner}, {0, ch - kCorner});
    for (int a = 1; a <= cw / 4; ++a) copy(bottom, {4 * a + 3, ch - kCorner});
    for (int a = 1; a <= ch / 4; ++a) copy(right, {cw - kCorner, 4 * a + 12});
    copy({11, 16, kCorner, kCorner}, {cw - kCorner, ch - kCorner});
  } else if (QSize(w, h) == client) {
    copy({0, 0, w, h}, {0, 0});
  } else {
    copy({0, 0, kCorner, kTopStrip}, {0, 0});
    copy({w - kCorner, 0, kCorner, kTopStrip}, {cw - kCorner, 0});
    copy({0, h - kCorner, kCorner, kCorner}, {0, ch - kCorner});
    copy({w - kCorner, h - kCorner, kCorner, kCorner}, {cw - kCorner, ch - kCorner});
    const int sideH = h - kTopStrip - kCorner, clientSideH = ch - kTopStrip - kCorner;
    pieces.push_back({{kCorner, 0, w - 2 * kCorner, kTopStrip}, {kCorner, 0, cw - 2 * kCorner, kTopStrip}});
    pieces.push_back({{0, kTopStrip, kCorner, sideH}, {0, kTopStrip, kCorner, clientSideH}});
    pieces.push_back({{kCorner, h - kCorner, w - 2 * kCorner, kCorner},
                      {kCorner, ch - kCorner, cw - 2 * kCorner, kCorner}});
    pieces.push_back({{w - kCorner, kTopStrip, kCorner, sideH}, {cw - kCorner, kTopStrip, kCorner, clientSideH}});
  }
  return pieces;
}

QString SkinDisplayName(const QString& path) { return QFileInfo(path).completeBaseName(); }

void ChooseNextSkin(PlayerContext& ctx) {
  PlayerState& s = ctx.state;
  // By name, as people list a folder (the disk's own order is arbitrary here).
  const QStringList names =
      QDir(SkinFolder(s)).entryList({u"*.bmp"_s}, QDir::Files, QDir::Name | QDir::IgnoreCase);
  if (names.isEmpty()) return;
  if (names.size() == 1) {
    s.SkinFile = SkinFolder(s) + names.first();
    s.SettingsDirty = true;
    return;
  }
  const QString current = QFileInfo(s.SkinFile).fileName().toUpper();
  qsizetype found = -1;
  for (qsizetype i = 0; i < names.size() && found < 0; ++i)
    if (names[i].toUpper() == current) found = i;
  if (found >= 0) {
    s.SkinFile = SkinFolder(s) + names[(found + 1) % names.size()];
    ctx.shell.captions.SetHint(ControlId::lbSkinName, u"skin:"_s + SkinDisplayName(s.SkinFile));
  } else {
    s.SkinFile = SkinFolder(s) + names[ctx.randomBelow(static_cast<int>(names.size()))];
  }
  s.SettingsDirty = true;
}

void LoadSkin(PlayerContext& ctx) {
  SkinState& skin = ctx.skin;
  skin.SkinBitmap = ReadSkinFile(ctx.state.SkinFile);
  if (skin.SkinBitmap && (skin.SkinBitmap->width < kTileSkinSize.width() ||
                          skin.SkinBitmap->height < kTileSkinSize.height()))
    skin.SkinBitmap.reset();  // too small to hold the corner pieces
  BuildSkinRegion(ctx, ClientOf(ctx.state));
  ShowColours(ctx, skin.SkinBitmap ? SkinColours(*skin.SkinBitmap) : WindowColours{});
  ctx.shell.frame.SetSkinPicture(skin.SkinBitmap ? &*skin.SkinBitmap : nullptr);
}

void BuildSkinRegion(PlayerContext& ctx, QSize client) {
  SkinState& skin = ctx.skin;
  skin.SkinRegion = skin.SkinBitmap ? SkinCutPixels(*skin.SkinBitmap, client) : std::vector<QPoint>{};
}

void ApplyWindowShape(PlayerContext& ctx) {
  const SkinState& skin = ctx.skin;
  ctx.shell.frame.SetShape(ShapeFor(ClientOf(ctx.state), skin.SkinLoaded ? &skin.SkinRegion : nullptr));
}

std::vector<SkinPiece> FormPaint(const PlayerContext& ctx, QSize client) {
  if (!ctx.skin.SkinLoaded || !ctx.skin.SkinBitmap) return {};
  return SkinPieces(*ctx.skin.SkinBitmap, client);
}

void ApplySkin(PlayerContext& ctx) {
  PlayerState& s = ctx.state;
  SkinState& skin = ctx.skin;
  if (s.SkinFile.isEmpty()) ChooseNextSkin(ctx);
  skin.SkinLoaded = !s.SkinFile.isEmpty() && FileExists(s.SkinFile);
  if (skin.SkinLoaded) {
    ctx.shell.captions.SetHint(ControlId::lbSkinName, u"skin:"_s + SkinDisplayName(s.SkinFile));
    ctx.shell.panels.SetVisible(ControlId::lbSkinName, true);
    LoadSkin(ctx);
    if (skin.SkinBitmap && IsFrameSkin(*skin.SkinBitmap)) {
      QRect bounds = ctx.shell.frame.Bounds();
      if (bounds.width() < skin.SkinBitmap->width) {
        bounds.setWidth(skin.SkinBitmap->width);
        s.SettingsDirty = true;
      }
      if (bounds.height() < skin.SkinBitmap->height) {
        bounds.setHeight(skin.SkinBitmap->height);
        s.SettingsDirty = true;
      }
      if (bounds != ctx.shell.frame.Bounds()) PlaceWindow(ctx, bounds);
    }
  } else {
    ctx.shell.captions.SetHint(ControlId::lbMove, QString());
  }
  if (!s.IsWinNT) s.SeeThrough = false;
  WindowColours colours = skin.colours;
  AvoidKeyBlack(colours);
  if (!skin.SkinLoaded && colours.window == 0) colours.window = colours.gaugeBack = kNearBlack;
  ShowColours(ctx, colours);
}

void ChangeSkin(PlayerContext& ctx) {
  PlayerState& s = ctx.state;
  if (!ctx.skin.SkinLoaded) return;
  const QString before = s.SkinFile;
  ChooseNextSkin(ctx);
  if (s.SkinFile == before) return;
  LoadSkin(ctx);
  const QRect old = ctx.shell.frame.Bounds();
  if (ctx.skin.SkinBitmap) {
    const QSize grown(std::max(old.width(), ctx.skin.SkinBitmap->width),
                      std::max(old.height(), ctx.skin.SkinBitmap->height));
    if (grown != old.size()) {
      const QRect work = ctx.shell.frame.WorkArea();
      const int left = SnapToWorkArea(s, old.left() - (grown.width() - old.width()) / 2, grown.width(), true, work);
      const int top = SnapToWorkArea(s, old.top() - (grown.height() - old.height()) / 2, grown.height(), false, work);
      PlaceWindow(ctx, {QPoint(left, top), grown});
      ResizeVisPlugin(ctx);
    }
  }
  ApplyWindowShape(ctx);
}

void ApplyDesktopColours(PlayerContext& ctx, const DesktopColours& desktop) {
  if (!ctx.state.IsWinNT || ctx.skin.SkinLoaded) return;
  WindowColours c = ctx.skin.colours;
  c.gaugeFore = c.captionText = desktop.captionText == 0 ? kNearBlack : desktop.captionText;
  c.window = c.gaugeBack = desktop.activeCaption == 0 ? kNearBlack : desktop.activeCaption;
  ShowColours(ctx, c);
}

}  // namespace lirra
