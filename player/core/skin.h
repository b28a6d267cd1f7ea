// Skins: the bitmap the window's frame is painted from, its colours and the window's
// shape. A skin is a plain 24- or 32-bit bitmap in Plugins/Skin/; one 18 pixels wide or
// narrower is a tile skin (corners and edge tiles repeated along the edges), a wider one a
// frame skin (a picture of the whole window whose edges stretch). Pure magenta in the
// corner zones is cut out of the window.
#pragma once

#include <QSize>
#include <QString>

#include <optional>
#include <vector>

#include "window_look.h"

namespace lirra {

struct PlayerContext;

struct SkinState {
  bool SkinLoaded = false;  // decided once at start-up: the skin file existed
  std::optional<SkinImage> SkinBitmap;  // none when the file could not be read
  std::vector<QPoint> SkinRegion;       // magenta corner pixels at the current client size
  WindowColours colours;                // as the controls show them now
};

inline constexpr int kTileSkinMaxWidth = 18;
inline bool IsFrameSkin(const SkinImage& skin) { return skin.width > kTileSkinMaxWidth; }

// The colours a skin's sampling pixels give the controls.
WindowColours SkinColours(const SkinImage& skin);
// The magenta pixels of the skin's four corner pieces placed on a client of this size.
std::vector<QPoint> SkinCutPixels(const SkinImage& skin, QSize client);
// The window's region: the row above the central area and the four corner pixels cut,
// and the skin's cut-outs when given.
WindowShape ShapeFor(QSize client, const std::vector<QPoint>* skinCuts);
// What the frame's painting copies from the skin, in drawing order.
std::vector<SkinPiece> SkinPieces(const SkinImage& skin, QSize client);
// The file name without folder and extension.
QString SkinDisplayName(const QString& path);

// The next skin of Plugins/Skin/ after SkinFile (by name, wrapping), a random one when
// SkinFile is not among them, the only one when there is one.
void ChooseNextSkin(PlayerContext& ctx);
// Reads SkinFile, rebuilds the region and gives the controls the skin's colours; a file
// that cannot be read leaves the window as it is without a skin.
void LoadSkin(PlayerContext& ctx);
void BuildSkinRegion(PlayerContext& ctx, QSize client);
void ApplyWindowShape(PlayerContext& ctx);
// The pieces the frame is painted from at this client size (none without a skin).
std::vector<SkinPiece> FormPaint(const PlayerContext& ctx, QSize client);

// At the first show: the skin of the settings, or the next one found, and the colours.
void ApplySkin(PlayerContext& ctx);
// A right click on the drag area: the next skin, the window grown to a frame skin's size
// around its centre, shape and picture renewed.
void ChangeSkin(PlayerContext& ctx);

// The desktop's colours changed (the palette): without a skin the caption strip follows
// the desktop's caption colours, never pure black.
struct DesktopColours {
  Rgb captionText = 0;
  Rgb activeCaption = 0;
};
void ApplyDesktopColours(PlayerContext& ctx, const DesktopColours& desktop);

}  // namespace lirra
