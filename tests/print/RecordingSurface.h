#pragma once

#include "platform/Bitmap.h"
#include "platform/PrintSurface.h"

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace versino::testing {

// A print surface that records every call as a line of text and measures deterministically:
// a byte is as wide as the current point size, one unit wider in bold; a cell is four times the
// point size high. Widths can be overridden per string.
class RecordingSurface final : public PrintSurface {
public:
    int width = 4800;
    int height = 6800;
    std::map<std::string, int> widthOverride;

    std::vector<std::string> calls;

    // The current font, as the last calls left it.
    std::string face = "Initial";
    int size = 99;
    int style = 0;
    int color = 0;

    int pageWidth() const override { return width; }
    int pageHeight() const override { return height; }
    void setFontName(const std::string& f) override {
        face = f;
        calls.push_back("face " + f);
    }
    void setFontSize(int points) override {
        size = points;
        calls.push_back("size " + std::to_string(points));
    }
    void setFontStyle(std::uint8_t s) override {
        style = s;
        calls.push_back("style " + std::to_string(s));
    }
    void setFontColor(std::int32_t c) override {
        color = c;
        calls.push_back("color " + std::to_string(c));
    }
    int textWidth(std::string_view text) override {
        calls.push_back("width '" + std::string(text) + "'");
        return measure(text);
    }
    int textHeight(std::string_view text) override {
        calls.push_back("height '" + std::string(text) + "'");
        return 4 * size;
    }
    void drawText(int x, int y, std::string_view text) override { calls.push_back(draw(x, y, text)); }
    void stretchDraw(const PageBox& b, const Bitmap& bitmap) override {
        calls.push_back("bitmap " + std::to_string(b.left) + "," + std::to_string(b.top) + "," +
                        std::to_string(b.right) + "," + std::to_string(b.bottom) + " " +
                        std::to_string(bitmap.width()) + "x" + std::to_string(bitmap.height()));
    }

    int measure(std::string_view text) const {
        const auto it = widthOverride.find(std::string(text));
        if (it != widthOverride.end())
            return it->second;
        return int(text.size()) * (size + ((style & 1) ? 1 : 0));
    }

    static std::string draw(int x, int y, std::string_view text) {
        return "draw " + std::to_string(x) + "," + std::to_string(y) + " '" + std::string(text) + "'";
    }

    // Only the calls that put something on the page (non-empty texts and bitmaps).
    std::vector<std::string> marks() const {
        std::vector<std::string> out;
        for (const std::string& c : calls)
            if ((c.rfind("draw ", 0) == 0 && c.back() == '\'' && c.substr(c.size() - 2) != "''") ||
                c.rfind("bitmap ", 0) == 0)
                out.push_back(c);
        return out;
    }
    // Every draw call, including empty texts.
    std::vector<std::string> draws() const {
        std::vector<std::string> out;
        for (const std::string& c : calls)
            if (c.rfind("draw ", 0) == 0 || c.rfind("bitmap ", 0) == 0)
                out.push_back(c);
        return out;
    }
};

// A printer whose one page is a recording surface. Failures can be queued for each step.
class FakePrinter final : public Printer {
public:
    RecordingSurface surface;
    std::vector<std::string> log;
    const char* portraitError = nullptr;
    const char* beginError = nullptr;

    void setPortrait() override {
        if (portraitError)
            throw PrinterError(portraitError);
        log.push_back("portrait");
    }
    PrintSurface& beginDocument() override {
        if (beginError)
            throw PrinterError(beginError);
        log.push_back("begin");
        surface.calls.clear();
        return surface;
    }
    void endDocument() override { log.push_back("end"); }
};

} // namespace versino::testing
