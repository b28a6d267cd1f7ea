// The main window's controls: names, kinds, design bounds and anchors, and the layout for
// any client size. The form is laid out for a 195 x 109 client; anchored edges keep their
// margins when the window grows, and a few controls follow rules of their own (the hover
// strip lbTmp2 and the bottom button strip).
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include <array>
#include <cstdint>
#include <string_view>

namespace lirra {

enum class ControlId : int {
  lbMove,
  lbSkinName,
  Gauge1,
  lbProgress,
  lbNext,
  lbTitle,
  lbTmp1,
  lbTmp2,
  lbTime,
  lbPower,
  VdoPanel,
  VisPanel,
  MListPanel,
  lbResiz7a,
  lbResiz8a,
  sbAdd,
  sbAddFld,
  sbRandom,
  sbNewlist,
  lbAddG1,
  lbAddG2,
  lbAddG3,
  lbAddG4,
  lbAddG5,
  lbAddG6,
};
inline constexpr int kControlCount = static_cast<int>(ControlId::lbAddG6) + 1;

enum class ControlKind {
  TransparentLabel,  // click, hover and drag areas drawn by what lies beneath
  Label,             // captions: lbNext, lbTitle, lbTime, lbPower
  Gauge,             // the progress gauge
  Panel,             // black video/visual panels and the list panel
  FlatButton,        // the bottom strip
  AccentLine,        // one-pixel-high labels in the accent colour (the add glyph)
};

enum Anchor : std::uint8_t {
  kAnchorLeft = 1,
  kAnchorTop = 2,
  kAnchorRight = 4,
  kAnchorBottom = 8,
  kAnchorAll = kAnchorLeft | kAnchorTop | kAnchorRight | kAnchorBottom,
};

struct ControlSpec {
  ControlId id;
  std::string_view name;  // the object name of the widget
  ControlKind kind;
  QRect design;           // bounds on the 195 x 109 design client
  std::uint8_t anchors;
  bool visibleAtStart;
};

inline constexpr QSize kDesignClientSize{195, 109};
inline constexpr QSize kStartClientSize{270, 150};

const std::array<ControlSpec, kControlCount>& ControlTable();
const ControlSpec& SpecOf(ControlId id);

// Bounds of a design rectangle on a client of the given size, by its anchors: an edge
// anchored on both sides stretches, one anchored only right or bottom moves.
QRect AnchoredRect(const QRect& design, std::uint8_t anchors, QSize client);

using WindowLayout = std::array<QRect, kControlCount>;

// Every control's bounds for a client of the given size (sizes below the design size
// are laid out as the design size).
WindowLayout LayoutFor(QSize client);

inline QRect At(const WindowLayout& layout, ControlId id) {
  return layout[static_cast<int>(id)];
}

// Top-left corner that centres a client on a screen (integer halves toward zero).
QPoint CentredPosition(QSize screen, QSize client);

}  // namespace lirra

namespace lirra {

// The central list area: the library panel at the left (when shown) and the track list
// frame, and the width of each view's first column.
struct ListAreaLayout {
  int libraryWidth = 0;      // pnList; 0 while hidden
  int trackTitleWidth = 0;   // MList's title column
  int libraryNameWidth = 0;  // ListView1's name column
  int rowsThatFit = 0;
};

// `scrollBarWidth` is the system's; the allowance is at least 17 pixels. Rows are taken as
// 14 pixels high.
ListAreaLayout LayoutListArea(int clientWidth, QSize listPanel, bool libraryShown, int trackCount,
                              int libraryCount, int scrollBarWidth);

}  // namespace lirra
