#pragma once

// A print surface for the fuzz targets. It measures like the printer (the painter's point-to-pixel
// rule at 600 dots per inch, its cap on pixel sizes, and widths that end where the painter's
// fixed-point metrics end), keeps the current font, and checks each call as it comes: text is
// never drawn above the title's row, and a picture's box is never empty or inverted.

#include "FuzzCheck.h"

#include "platform/Bitmap.h"
#include "platform/PrintSurface.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace versino::fuzz {

struct SurfaceFont {
    std::string face;
    int size = 0;
    std::uint8_t style = 0;
    std::int32_t color = 0;
    bool operator==(const SurfaceFont& o) const {
        return face == o.face && size == o.size && style == o.style && color == o.color;
    }
};

class FuzzSurface final : public PrintSurface {
public:
    int width = 4760;
    int height = 6814;
    int lowestY = 0; // no text may be drawn above this row

    SurfaceFont font;
    struct Draw {
        int x, y;
        std::string text;
    };
    std::vector<Draw> draws; // kept only while `keepDraws` is set
    bool keepDraws = false;
    std::vector<PageBox> pictures;
    long long drawCount = 0;

    int pageWidth() const override { return width; }
    int pageHeight() const override { return height; }
    void setFontName(const std::string& face) override { font.face = face; }
    void setFontSize(int points) override { font.size = points; }
    void setFontStyle(std::uint8_t style) override { font.style = style; }
    void setFontColor(std::int32_t color) override { font.color = color; }

    int pixelSize() const {
        const long long p = std::max(font.size, 1);
        return int(std::clamp((p * 600 + 36) / 72, 1LL, 100000LL));
    }
    int textWidth(std::string_view text) override {
        const long long w = (long long)(text.size()) * (pixelSize() / 2 + 1 + (font.style & 1));
        return int(std::min(w, 1LL << 25));
    }
    int textHeight(std::string_view) override { return pixelSize() + pixelSize() / 6; }

    void drawText(int x, int y, std::string_view text) override {
        ++drawCount;
        check(y >= lowestY, "text drawn above the top of the page's content",
              std::to_string(y) + " '" + std::string(text.substr(0, 40)) + "'");
        if (keepDraws)
            draws.push_back({x, y, std::string(text)});
    }
    void stretchDraw(const PageBox& box, const Bitmap& bitmap) override {
        check(box.left < box.right && box.top < box.bottom, "an empty or inverted picture box",
              std::to_string(box.left) + "," + std::to_string(box.top) + "," + std::to_string(box.right) +
                  "," + std::to_string(box.bottom));
        check(bitmap.width() > 0 && bitmap.height() > 0, "a picture without pixels was drawn");
        pictures.push_back(box);
    }
};

// Reads the fuzz input piece by piece; past its end every read gives zeros and empty texts.
class InputReader {
public:
    InputReader(const std::uint8_t* data, std::size_t size) : p_(data), n_(size) {}

    std::uint8_t byte() { return i_ < n_ ? p_[i_++] : 0; }
    std::int32_t int32() {
        std::uint32_t v = 0;
        for (int k = 0; k < 4; ++k)
            v |= std::uint32_t(byte()) << (8 * k);
        return std::int32_t(v);
    }
    // A value from the table of interesting ones, or any 32-bit value.
    std::int32_t pick(const std::vector<std::int32_t>& table) {
        const std::uint8_t b = byte();
        return b < table.size() ? table[b] : (b < 128 ? int32() : std::int32_t(b) - 192);
    }
    // Up to 4 × (a length byte) bytes.
    std::string text() {
        const std::size_t length = std::min<std::size_t>(std::size_t(byte()) * 4, n_ - i_);
        std::string s(reinterpret_cast<const char*>(p_ + i_), length);
        i_ += length;
        return s;
    }
    std::string rest() {
        std::string s(reinterpret_cast<const char*>(p_ + i_), n_ - i_);
        i_ = n_;
        return s;
    }

private:
    const std::uint8_t* p_;
    std::size_t n_;
    std::size_t i_ = 0;
};

} // namespace versino::fuzz
