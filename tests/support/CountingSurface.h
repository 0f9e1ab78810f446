#pragma once

#include "platform/PrintSurface.h"

#include <cstddef>

namespace versino::testing {

// A surface in front of another that counts the bytes measured and drawn through it: what a page
// costs, told without a clock, so that it holds on a loaded machine.
class CountingSurface final : public PrintSurface {
public:
    explicit CountingSurface(PrintSurface& inner) : inner_(inner) {}

    std::size_t bytesMeasured = 0;
    std::size_t bytesDrawn = 0;

    int pageWidth() const override { return inner_.pageWidth(); }
    int pageHeight() const override { return inner_.pageHeight(); }
    void setFontName(const std::string& face) override { inner_.setFontName(face); }
    void setFontSize(int points) override { inner_.setFontSize(points); }
    void setFontStyle(std::uint8_t style) override { inner_.setFontStyle(style); }
    void setFontColor(std::int32_t color) override { inner_.setFontColor(color); }
    int textWidth(std::string_view text) override {
        bytesMeasured += text.size();
        return inner_.textWidth(text);
    }
    int textHeight(std::string_view text) override {
        bytesMeasured += text.size();
        return inner_.textHeight(text);
    }
    BitmapCache* pictureCache() override { return inner_.pictureCache(); }
    void drawText(int x, int y, std::string_view text) override {
        bytesDrawn += text.size();
        inner_.drawText(x, y, text);
    }
    void stretchDraw(const PageBox& box, const Bitmap& bitmap) override { inner_.stretchDraw(box, bitmap); }

private:
    PrintSurface& inner_;
};

} // namespace versino::testing
