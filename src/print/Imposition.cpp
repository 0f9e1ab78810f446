#include "print/Imposition.h"


#include <QPainter>
#include <algorithm>

namespace versino {

std::vector<SheetSide> bookletSides(int pages) {
    std::vector<SheetSide> sides;
    if (pages <= 0)
        return sides;
    const int total = (pages + 3) / 4 * 4;
    const auto shown = [pages](int page) { return page < pages ? page : -1; };
    sides.reserve(std::size_t(total / 2));
    // Sheet s carries pages 2s and 2s+1 on its right and left halves and their mirrors from the
    // back of the book on the other halves; the front shows the outer pair.
    for (int s = 0; s < total / 4; ++s) {
        sides.push_back({shown(total - 1 - 2 * s), shown(2 * s)});
        sides.push_back({shown(2 * s + 1), shown(total - 2 - 2 * s)});
    }
    return sides;
}

std::vector<SheetSide> twoUpSides(int pages) {
    std::vector<SheetSide> sides;
    for (int p = 0; p < pages; p += 2)
        sides.push_back({p, p + 1 < pages ? p + 1 : -1});
    return sides;
}

std::vector<int> sideOfPages(const std::vector<SheetSide>& sides, int pages) {
    std::vector<int> side(std::size_t(std::max(pages, 0)), -1);
    for (std::size_t s = 0; s < sides.size(); ++s)
        for (int page : {sides[s].left, sides[s].right})
            if (page >= 0 && page < pages)
                side[std::size_t(page)] = int(s);
    return side;
}

void paintSheetSide(QPainter& painter, PrintSurface& canvas, QSize sheet, const SheetSide& side,
                    const std::vector<ComposedPage>& pages) {
    painter.fillRect(QRect(QPoint(0, 0), sheet), Qt::white);
    const int halfWidth = sheet.width() / 2;
    for (int half = 0; half < 2; ++half) {
        const int index = half == 0 ? side.left : side.right;
        if (index < 0 || std::size_t(index) >= pages.size())
            continue;
        const ComposedPage& page = pages[std::size_t(index)];
        if (page.width <= 0 || page.height <= 0)
            continue;
        const double scale = std::min(double(halfWidth) / page.width, double(sheet.height()) / page.height);
        const double left = half * halfWidth + (halfWidth - page.width * scale) / 2;
        const double top = (sheet.height() - page.height * scale) / 2;
        painter.save();
        painter.translate(left, top);
        painter.scale(scale, scale);
        drawPage(page, canvas);
        painter.restore();
    }
}

} // namespace versino
