#pragma once

// The composer's own tools: the cells of a page as it is laid out, the surface that records them,
// and the index that finds which placed cells a new one might meet. Used by the composers of song
// pages and of the book's own pages only.

#include "platform/PrintSurface.h"
#include "print/ComposedPage.h"
#include "print/TextRun.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace versino::pagecells {

// A drawn cell's edges, wide enough that no sum of page positions wraps round.
struct Cell {
    long long left = 0, top = 0, right = 0, bottom = 0;
    bool empty() const { return right <= left || bottom <= top; }
    bool overlaps(const Cell& o) const {
        return !empty() && !o.empty() && left < o.right && o.left < right && top < o.bottom && o.top < bottom;
    }
    bool meetsRows(long long from, long long to) const { return top < to && from < bottom; }
};

inline Cell cellOf(const PlacedText& t) {
    return {t.x, t.y, static_cast<long long>(t.x) + t.width, static_cast<long long>(t.y) + t.height};
}

// What the composer draws, kept as placed cells of the page. Every text is measured with the
// current font of the measures it lays out with; the width a layout step has just measured is
// reused instead of being measured again.
class PageBuilder final : public PrintSurface {
public:
    // The page's size is asked for at every step; some measures compute it afresh each time.
    PageBuilder(PageMeasures& measures, ComposedPage& page)
        : m_(measures), page_(page), width_(measures.pageWidth()), height_(measures.pageHeight()) {}

    int pageWidth() const override { return width_; }
    int pageHeight() const override { return height_; }
    void setFontName(const std::string& face) override { fontChanged(), m_.setFontName(font_.name = face); }
    void setFontSize(int points) override { fontChanged(), m_.setFontSize(font_.size = points); }
    void setFontStyle(std::uint8_t style) override { fontChanged(), m_.setFontStyle(font_.style = style); }
    void setFontColor(std::int32_t color) override { m_.setFontColor(font_.color = color); }
    int textWidth(std::string_view text) override {
        if (lastWidth_ >= 0 && text == lastText_)
            return lastWidth_;
        const int width = m_.textWidth(text);
        if (text.size() <= kShortRun) {
            lastText_.assign(text);
            lastWidth_ = width;
        }
        return width;
    }
    // The height of a cell is the font's, whatever the text.
    int textHeight(std::string_view text) override {
        if (cellHeight_ < 0)
            cellHeight_ = m_.textHeight(text);
        return cellHeight_;
    }
    // Nothing is kept that lies wholly below or right of the page.
    void drawText(int x, int y, std::string_view text) override {
        if (!text.empty() && y < pageHeight() && x < pageWidth())
            page_.texts.push_back({x, y, textWidth(text), textHeight(text), font_, std::string(text)});
    }
    void stretchDraw(const PageBox& box, const Bitmap& bitmap) override { page_.picture = {box, bitmap}; }
    BitmapCache* pictureCache() override { return m_.pictureCache(); }

private:
    void fontChanged() {
        lastWidth_ = -1;
        cellHeight_ = -1;
    }

    PageMeasures& m_;
    ComposedPage& page_;
    const int width_;
    const int height_;
    FontSetting font_;
    std::string lastText_; // the text last measured in the current font, when short
    int lastWidth_ = -1;
    int cellHeight_ = -1;
};

// The drawn cells of the page sorted into horizontal bands, so that finding what a new cell might
// meet looks at its own rows only. Only cells that stand (at least partly) on the page are kept.
class CellIndex {
public:
    // Bands are 128 rows high on any real page; an absurdly tall one gets fewer, taller bands, so
    // that the index stays small whatever the page's size.
    explicit CellIndex(int pageHeight)
        : height_(std::max(pageHeight, 1)), band_(std::max<long long>(kBand, (height_ + kMaxBands - 1) / kMaxBands)),
          bands_(std::size_t((height_ + band_ - 1) / band_)) {}

    void add(std::size_t id, const Cell& c) {
        if (c.empty() || c.top >= height_ || c.bottom <= 0)
            return;
        for (long long b = bandOf(c.top); b <= bandOf(c.bottom - 1); ++b)
            bands_[std::size_t(b)].push_back(id);
    }
    // Calls fn(id) for each kept cell that may meet the rows [from, to); a cell may come twice.
    // Forgets the cells from `id` on: a unit withdrawn from the page. Ids come in rising order, so
    // they stand at the end of each band.
    void removeFrom(std::size_t id) {
        for (std::vector<std::size_t>& band : bands_)
            while (!band.empty() && band.back() >= id)
                band.pop_back();
    }
    template <typename Fn>
    void near(long long from, long long to, Fn&& fn) const {
        if (to <= 0 || from >= height_ || to <= from)
            return;
        for (long long b = bandOf(from); b <= bandOf(to - 1); ++b)
            for (std::size_t id : bands_[std::size_t(b)])
                fn(id);
    }

private:
    static constexpr long long kBand = 128;
    static constexpr long long kMaxBands = 4096;
    long long bandOf(long long y) const { return std::clamp<long long>(y / band_, 0, (long long)bands_.size() - 1); }

    long long height_;
    long long band_;
    std::vector<std::vector<std::size_t>> bands_;
};

} // namespace versino::pagecells
