#include "window_layout.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace lirra {
namespace {

TEST(ControlTable, NamesEveryControlOnceInOrder) {
  std::set<std::string_view> names;
  for (int i = 0; i < kControlCount; ++i) {
    const ControlSpec& entry = ControlTable()[i];
    EXPECT_EQ(static_cast<int>(entry.id), i) << entry.name;
    EXPECT_TRUE(names.insert(entry.name).second) << "duplicate " << entry.name;
  }
  EXPECT_EQ(SpecOf(ControlId::sbNewlist).name, "sbNewlist");
}

// The form's bounds at its design size (195 x 109), written out here rather than read back
// from the control table, so that a wrong entry in the table shows.
TEST(WindowLayout, DesignSizeGivesTheDesignBounds) {
  using C = ControlId;
  const std::pair<ControlId, QRect> bounds[] = {
      {C::lbMove, {0, 0, 195, 109}},      {C::lbSkinName, {0, 0, 7, 109}},  {C::Gauge1, {4, 2, 187, 1}},
      {C::lbProgress, {0, 0, 195, 4}},    {C::lbNext, {7, 4, 11, 11}},      {C::lbTmp1, {18, 4, 159, 12}},
      {C::lbTmp2, {71, 4, 106, 12}},      {C::lbTime, {174, 4, 3, 13}},     {C::lbPower, {177, 4, 11, 11}},
      {C::VdoPanel, {7, 16, 181, 86}},    {C::VisPanel, {7, 16, 181, 86}},  {C::MListPanel, {7, 15, 181, 87}},
      {C::lbResiz7a, {0, 102, 7, 7}},     {C::lbResiz8a, {188, 102, 7, 7}}, {C::sbAdd, {7, 102, 45, 7}},
      {C::sbAddFld, {52, 102, 45, 7}},    {C::sbRandom, {97, 102, 45, 7}},  {C::sbNewlist, {142, 102, 46, 7}},
      {C::lbAddG6, {12, 102, 1, 1}},      {C::lbAddG5, {11, 103, 3, 1}},    {C::lbAddG4, {10, 104, 5, 1}},
      {C::lbAddG3, {9, 105, 7, 1}},       {C::lbAddG2, {8, 106, 9, 1}},     {C::lbAddG1, {8, 108, 9, 1}},
  };
  const WindowLayout layout = LayoutFor(kDesignClientSize);
  for (const auto& [id, rect] : bounds) EXPECT_EQ(At(layout, id), rect) << SpecOf(id).name;
  EXPECT_EQ(At(layout, C::lbTitle).topLeft(), QPoint(18, 4)) << "auto-sized: its place only";
}

TEST(WindowLayout, StartSizeStretchesByAnchors) {
  const WindowLayout l = LayoutFor(kStartClientSize);  // 270 x 150: 75 wider, 41 taller
  EXPECT_EQ(At(l, ControlId::lbMove), QRect(0, 0, 270, 150));
  EXPECT_EQ(At(l, ControlId::lbSkinName), QRect(0, 0, 7, 150));
  EXPECT_EQ(At(l, ControlId::Gauge1), QRect(4, 2, 262, 1));
  EXPECT_EQ(At(l, ControlId::lbProgress), QRect(0, 0, 270, 4));
  EXPECT_EQ(At(l, ControlId::lbNext), QRect(7, 4, 11, 11));
  EXPECT_EQ(At(l, ControlId::lbTime), QRect(249, 4, 3, 13));
  EXPECT_EQ(At(l, ControlId::lbPower), QRect(252, 4, 11, 11));
  EXPECT_EQ(At(l, ControlId::VdoPanel), QRect(7, 16, 256, 127));
  EXPECT_EQ(At(l, ControlId::MListPanel), QRect(7, 15, 256, 128));
  EXPECT_EQ(At(l, ControlId::lbResiz7a), QRect(0, 143, 7, 7));
  EXPECT_EQ(At(l, ControlId::lbResiz8a), QRect(263, 143, 7, 7));
  EXPECT_EQ(At(l, ControlId::lbAddG6), QRect(12, 143, 1, 1));
  EXPECT_EQ(At(l, ControlId::lbAddG1), QRect(8, 149, 9, 1));
  // The title never runs under the time label.
  EXPECT_EQ(At(l, ControlId::lbTitle).right() + 1, At(l, ControlId::lbTime).left() - 1);
}

TEST(WindowLayout, HoverStripTakesTwoThirdsOfTheWidthFromTheRight) {
  for (int w : {195, 270, 360, 480, 640}) {
    const QRect tmp2 = At(LayoutFor({w, 150}), ControlId::lbTmp2);
    EXPECT_EQ(tmp2.width(), (2 * w - 72) / 3) << w;
    EXPECT_EQ(tmp2.left(), w - tmp2.width() - 18) << w;
  }
}

TEST(WindowLayout, BottomButtonsShareThePanelWidth) {
  struct Case { int width; int quarter; };
  // Panel widths 181, 256, 346 and 626: quarters 45.25, 64, 86.5 and 156.5 rounded.
  for (const Case c : {Case{195, 45}, Case{270, 64}, Case{360, 87}, Case{640, 157}}) {
    const WindowLayout l = LayoutFor({c.width, 200});
    const QRect panel = At(l, ControlId::MListPanel);
    int left = panel.left();
    for (ControlId id : {ControlId::sbAdd, ControlId::sbAddFld, ControlId::sbRandom}) {
      EXPECT_EQ(At(l, id), QRect(left, 193, c.quarter, 7)) << c.width;
      left += c.quarter;
    }
    const QRect last = At(l, ControlId::sbNewlist);
    EXPECT_EQ(last.left(), left);
    EXPECT_EQ(last.right(), panel.right()) << "sbNewlist fills the rest at " << c.width;
  }
}

TEST(WindowLayout, SizesBelowTheDesignAreLaidOutAsTheDesign) {
  EXPECT_EQ(LayoutFor({100, 50}), LayoutFor(kDesignClientSize));
}

TEST(CentredPosition, IntegerHalvesTowardZero) {
  EXPECT_EQ(CentredPosition({1280, 800}, {270, 150}), QPoint(505, 325));
  EXPECT_EQ(CentredPosition({1281, 801}, {270, 150}), QPoint(505, 325));
  EXPECT_EQ(CentredPosition({200, 100}, {270, 150}), QPoint(-35, -25));
}

}  // namespace
}  // namespace lirra

namespace lirra {
namespace {

TEST(ListArea, LibraryWidthAndTitleColumnsFollowTheRowsThatFit) {
  // 270 wide client: the library takes 270 * 60 / 195 = 83 pixels when shown.
  ListAreaLayout a = LayoutListArea(270, {250, 120}, true, 5, 2, 15);
  EXPECT_EQ(a.libraryWidth, 83);
  EXPECT_EQ(a.rowsThatFit, 8);  // (120 - 1) / 14
  EXPECT_EQ(a.trackTitleWidth, 250 - 83 - 46);
  EXPECT_EQ(a.libraryNameWidth, 83 - 4);
  // More entries than fit: the scroll-bar allowance, at least 17 pixels, comes off.
  a = LayoutListArea(270, {250, 120}, false, 9, 0, 15);
  EXPECT_EQ(a.libraryWidth, 0);
  EXPECT_EQ(a.trackTitleWidth, 250 - 46 - 17);
  a = LayoutListArea(270, {250, 120}, false, 9, 0, 21);
  EXPECT_EQ(a.trackTitleWidth, 250 - 46 - 21);
}

}  // namespace
}  // namespace lirra
