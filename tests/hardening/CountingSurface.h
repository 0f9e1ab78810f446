#pragma once

#include "platform/Bitmap.h"
#include "platform/PrintSurface.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <string>
#include <vector>

namespace versino::testing {

// A print surface for big pages: it keeps counts and extremes instead of a record of every call,
// and measures like the printer, with the painter's point-to-pixel rule at 600 dots per inch and
// the painter's cap on pixel sizes, so that heights and widths are as large as a real page's.
class CountingSurface final : public PrintSurface {
public:
    int width = 4760;
    int height = 6814;

    long long draws = 0;      // non-empty texts drawn
    long long drawnBytes = 0; // their total length
    int minY = INT_MAX;
    int maxY = INT_MIN;
    int fontSize = 0;
    std::string lastText; // the last non-empty text, cut to its first 64 bytes
    std::vector<PageBox> pictures;

    int pageWidth() const override { return width; }
    int pageHeight() const override { return height; }
    void setFontName(const std::string&) override {}
    void setFontSize(int points) override { fontSize = points; }
    void setFontStyle(std::uint8_t) override {}
    void setFontColor(std::int32_t) override {}

    int pixelSize() const {
        const long long p = std::max(fontSize, 1);
        return int(std::clamp((p * 600 + 36) / 72, 1LL, 100000LL));
    }
    // Half an em per byte; the painter's fixed-point metrics end near 2^25 device units.
    int textWidth(std::string_view text) override {
        const long long w = (long long)(text.size()) * (pixelSize() / 2 + 1);
        return int(std::min(w, 1LL << 25));
    }
    int textHeight(std::string_view) override { return pixelSize() + pixelSize() / 6; }

    void drawText(int, int y, std::string_view text) override {
        if (text.empty())
            return;
        ++draws;
        drawnBytes += (long long)(text.size());
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
        lastText.assign(text.substr(0, 64));
    }
    void stretchDraw(const PageBox& box, const Bitmap&) override { pictures.push_back(box); }
};

} // namespace versino::testing
