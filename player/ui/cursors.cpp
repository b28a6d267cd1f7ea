#include "cursors.h"

#include <QPixmap>

namespace lirra {

namespace {

// 16 x 16, "." transparent, "#" black outline, "o" white fill.
const char* const kLinkXpm[] = {
    "16 16 3 1", ". c None", "# c #000000", "o c #FFFFFF",
    ".....##.........",
    "....#oo#........",
    "....#oo#........",
    "....#oo#........",
    "....#oo###......",
    "....#oo#oo###...",
    "..#.#oo#oo#oo##.",
    ".#o##oo#oo#oo#o#",
    ".#oo#ooooooooo#.",
    "..#oooooooooooo#",
    "..#ooooooooooo#.",
    "...#oooooooooo#.",
    "...#ooooooooo#..",
    "....#oooooooo#..",
    "....#oooooooo#..",
    "....##########..",
};

const char* const kMoveXpm[] = {
    "16 16 3 1", ". c None", "# c #000000", "o c #FFFFFF",
    ".......##.......",
    "......#oo#......",
    ".....#oooo#.....",
    "....####o###....",
    "...#...#o#..#...",
    "..##...#o#..##..",
    ".#o#####o####o#.",
    "#oooooooooooooo#",
    "#oooooooooooooo#",
    ".#o#####o####o#.",
    "..##...#o#..##..",
    "...#...#o#..#...",
    "....####o###....",
    ".....#oooo#.....",
    "......#oo#......",
    ".......##.......",
};

}  // namespace

QCursor LinkCursor() { return QCursor(QPixmap(kLinkXpm), 6, 0); }
QCursor MoveCursor() { return QCursor(QPixmap(kMoveXpm), 7, 7); }

}  // namespace lirra
