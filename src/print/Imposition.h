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

// A recorder of pages: a surface that measures with `measures` and keeps what is drawn on it as a
// composed page, so that a page drawn once can be replayed, scaled, wherever it is wanted. Replaying
// needs only where each text stands and in which font, so the texts it keeps are not measured again
// (their width and height are 0) and the recorded pages have no report.
class PageRecorder final : public PrintSurface {
public:
    explicit PageRecorder(PageMeasures& measures) : m_(measures) {}

    // Starts a new page; the font of the last one stays current.
    void startPage();
    // The pages recorded so far.
    std::vector<ComposedPage>& pages() { return pages_; }

    int pageWidth() const override { return m_.pageWidth(); }
    int pageHeight() const override { return m_.pageHeight(); }
    void setFontName(const std::string& face) override { m_.setFontName(font_.name = face); }
    void setFontSize(int points) override { m_.setFontSize(font_.size = points); }
    void setFontStyle(std::uint8_t style) override { m_.setFontStyle(font_.style = style); }
    void setFontColor(std::int32_t color) override { m_.setFontColor(font_.color = color); }
    int textWidth(std::string_view text) override { return m_.textWidth(text); }
    int textHeight(std::string_view text) override { return m_.textHeight(text); }
    void drawText(int x, int y, std::string_view text) override;
    void stretchDraw(const PageBox& box, const Bitmap& bitmap) override;
    BitmapCache* pictureCache() override { return m_.pictureCache(); }

private:
    PageMeasures& m_;
    FontSetting font_;
    std::vector<ComposedPage> pages_;
};

// Draws one sheet side with `painter`, whose device units are those of a sheet of `sheet` units
// (landscape), through `canvas`, a surface that draws with the same painter at the pages' own
// resolution: each page of the side is replayed scaled into its half, centred, as large as the half
// allows. A blank half stays white. One canvas serves every side, so fonts are resolved once.
void paintSheetSide(QPainter& painter, PrintSurface& canvas, QSize sheet, const SheetSide& side,
                    const std::vector<ComposedPage>& pages);

} // namespace versino
