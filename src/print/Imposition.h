#pragma once

#include "print/ComposedPage.h"

#include <QSize>
#include <vector>

class QPainter;

namespace versino {

// One side of a sheet that holds two pages side by side: the book's pages (0-based) on its left
// and right half, -1 where the half stays blank.
struct SheetSide {
    int left = -1;
    int right = -1;
    bool operator==(const SheetSide& o) const { return left == o.left && right == o.right; }
};

// The sides of a booklet of `pages` pages, in printing order (first sheet's front, its back, the
// next sheet's front ...): printed on both sides, the stack folded in the middle gives the pages in
// their order. The page count is rounded up to a multiple of four; the pages added are blank.
std::vector<SheetSide> bookletSides(int pages);

// Two pages a side in reading order: pages 1 and 2 on the first side, 3 and 4 on the next.
std::vector<SheetSide> twoUpSides(int pages);

// The side (0-based) that shows each of the `pages` pages.
std::vector<int> sideOfPages(const std::vector<SheetSide>& sides, int pages);

// Draws one sheet side with `painter`, whose device units are those of a sheet of `sheet` units
// (landscape), through `canvas`, a surface that draws with the same painter at the pages' own
// resolution: each page of the side is replayed scaled into its half, centred, as large as the half
// allows. A blank half stays white. One canvas serves every side, so fonts are resolved once.
void paintSheetSide(QPainter& painter, PrintSurface& canvas, QSize sheet, const SheetSide& side,
                    const std::vector<ComposedPage>& pages);

} // namespace versino
