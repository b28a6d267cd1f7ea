#include "window_layout.h"

#include <algorithm>
#include <cmath>

namespace lirra {

namespace {

using K = ControlKind;
constexpr std::uint8_t LT = kAnchorLeft | kAnchorTop;
constexpr std::uint8_t LTR = kAnchorLeft | kAnchorTop | kAnchorRight;
constexpr std::uint8_t LTB = kAnchorLeft | kAnchorTop | kAnchorBottom;
constexpr std::uint8_t RT = kAnchorRight | kAnchorTop;
constexpr std::uint8_t LB = kAnchorLeft | kAnchorBottom;
constexpr std::uint8_t RB = kAnchorRight | kAnchorBottom;

constexpr int kBottomStripHeight = 7;

const std::array<ControlSpec, kControlCount> kControls = {{
    {ControlId::lbMove, "lbMove", K::TransparentLabel, {0, 0, 195, 109}, kAnchorAll, true},
    {ControlId::lbSkinName, "lbSkinName", K::TransparentLabel, {0, 0, 7, 109}, LTB, false},
    {ControlId::Gauge1, "Gauge1", K::Gauge, {4, 2, 187, 1}, LTR, true},
    {ControlId::lbProgress, "lbProgress", K::TransparentLabel, {0, 0, 195, 4}, LTR, true},
    {ControlId::lbNext, "lbNext", K::Label, {7, 4, 11, 11}, LT, true},
    // Auto-sized; its width is kept clear of lbTime (lbTime left - title left - 1).
    {ControlId::lbTitle, "lbTitle", K::Label, {18, 4, 155, 13}, LTR, true},
    {ControlId::lbTmp1, "lbTmp1", K::TransparentLabel, {18, 4, 159, 12}, LTR, true},
    {ControlId::lbTmp2, "lbTmp2", K::TransparentLabel, {71, 4, 106, 12}, RT, true},
    {ControlId::lbTime, "lbTime", K::Label, {174, 4, 3, 13}, RT, true},
    {ControlId::lbPower, "lbPower", K::Label, {177, 4, 11, 11}, RT, true},
    {ControlId::VdoPanel, "VdoPanel", K::Panel, {7, 16, 181, 86}, kAnchorAll, true},
    {ControlId::VisPanel, "VisPanel", K::Panel, {7, 16, 181, 86}, kAnchorAll, false},
    {ControlId::MListPanel, "MListPanel", K::Panel, {7, 15, 181, 87}, kAnchorAll, true},
    {ControlId::lbResiz7a, "lbResiz7a", K::TransparentLabel, {0, 102, 7, 7}, LB, true},
    {ControlId::lbResiz8a, "lbResiz8a", K::TransparentLabel, {188, 102, 7, 7}, RB, true},
    {ControlId::sbAdd, "sbAdd", K::FlatButton, {7, 102, 45, 7}, LB, true},
    {ControlId::sbAddFld, "sbAddFld", K::FlatButton, {52, 102, 45, 7}, LB, true},
    {ControlId::sbRandom, "sbRandom", K::FlatButton, {97, 102, 45, 7}, LB, true},
    {ControlId::sbNewlist, "sbNewlist", K::FlatButton, {142, 102, 46, 7}, LB, true},
    {ControlId::lbAddG1, "lbAddG1", K::AccentLine, {8, 108, 9, 1}, LB, true},
    {ControlId::lbAddG2, "lbAddG2", K::AccentLine, {8, 106, 9, 1}, LB, true},
    {ControlId::lbAddG3, "lbAddG3", K::AccentLine, {9, 105, 7, 1}, LB, true},
    {ControlId::lbAddG4, "lbAddG4", K::AccentLine, {10, 104, 5, 1}, LB, true},
    {ControlId::lbAddG5, "lbAddG5", K::AccentLine, {11, 103, 3, 1}, LB, true},
    {ControlId::lbAddG6, "lbAddG6", K::AccentLine, {12, 102, 1, 1}, LB, true},
}};

int Idx(ControlId id) { return static_cast<int>(id); }

// The bottom strip: sbAdd, sbAddFld and sbRandom each take a quarter of the list panel's
// width (rounded to the nearest pixel), side by side from the panel's left edge; sbNewlist
// takes what is left.
void LayOutBottomStrip(WindowLayout& layout) {
  const QRect panel = At(layout, ControlId::MListPanel);
  const int top = panel.bottom() + 1;
  const int quarter = static_cast<int>(std::lround(panel.width() / 4.0));
  int left = panel.left();
  for (ControlId id : {ControlId::sbAdd, ControlId::sbAddFld, ControlId::sbRandom}) {
    layout[Idx(id)] = QRect(left, top, quarter, kBottomStripHeight);
    left += quarter;
  }
  layout[Idx(ControlId::sbNewlist)] =
      QRect(left, top, panel.right() + 1 - left, kBottomStripHeight);
}

}  // namespace

const std::array<ControlSpec, kControlCount>& ControlTable() { return kControls; }

const ControlSpec& SpecOf(ControlId id) { return kControls[Idx(id)]; }

QRect AnchoredRect(const QRect& design, std::uint8_t anchors, QSize client) {
  const int dx = client.width() - kDesignClientSize.width();
  const int dy = client.height() - kDesignClientSize.height();
  int left = design.left();
  int top = design.top();
  int width = design.width();
  int height = design.height();
  if (anchors & kAnchorRight) {
    if (anchors & kAnchorLeft)
      width += dx;
    else
      left += dx;
  }
  if (anchors & kAnchorBottom) {
    if (anchors & kAnchorTop)
      height += dy;
    else
      top += dy;
  }
  return QRect(left, top, width, height);
}

WindowLayout LayoutFor(QSize client) {
  client = client.expandedTo(kDesignClientSize);
  WindowLayout layout;
  for (const ControlSpec& entry : kControls)
    layout[Idx(entry.id)] = AnchoredRect(entry.design, entry.anchors, client);

  // lbTmp2 covers the right two thirds of the title strip, 18 pixels from the right.
  const int tmp2Width = (2 * client.width() - 72) / 3;
  QRect& tmp2 = layout[Idx(ControlId::lbTmp2)];
  tmp2 = QRect(client.width() - tmp2Width - 18, tmp2.top(), tmp2Width, tmp2.height());

  LayOutBottomStrip(layout);
  return layout;
}

QPoint CentredPosition(QSize screen, QSize client) {
  return QPoint((screen.width() - client.width()) / 2, (screen.height() - client.height()) / 2);
}

}  // namespace lirra

namespace lirra {

ListAreaLayout LayoutListArea(int clientWidth, QSize listPanel, bool libraryShown, int trackCount,
                              int libraryCount, int scrollBarWidth) {
  ListAreaLayout out;
  const int allowance = std::max(17, scrollBarWidth);
  out.rowsThatFit = std::max(0, (listPanel.height() - 1) / 14);
  out.libraryWidth = libraryShown ? clientWidth * 60 / 195 : 0;
  const int trackViewWidth = listPanel.width() - out.libraryWidth;
  const auto column = [&](int maxWidth, int count) {
    return std::max(0, count > out.rowsThatFit ? maxWidth - allowance : maxWidth);
  };
  out.trackTitleWidth = column(trackViewWidth - 46, trackCount);
  out.libraryNameWidth = column(out.libraryWidth - 4, libraryCount);
  return out;
}

}  // namespace lirra
