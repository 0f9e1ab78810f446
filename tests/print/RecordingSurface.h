#pragma once

#include "platform/Bitmap.h"
#include "platform/PrintSurface.h"

#include <algorithm>
#include <climits>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace versino::testing {

// A print surface that records every call as a line of text and measures deterministically:
// a byte is as wide as the current point size, one unit wider in bold; a cell is four times the
// point size high. Widths can be overridden per string.
//
// With `proportional` it measures like a real face instead: each byte has a width of its own
// (from half to one and a half times the point size), faces differ in height, and sizes below one
// point measure as one point, as the printer draws them. Every non-empty text and every picture
// is also kept as a cell, so that tests can see whether any two overlap.
class RecordingSurface final : public PrintSurface {
public:
    int width = 4800;
    int height = 6800;
    std::map<std::string, int> widthOverride;
    bool proportional = false;
    bool recordCalls = true; // off for many pages, where only the cells are looked at

    struct Cell {
        long long left, top, right, bottom;
        std::string text; // "" for a picture
        int size;         // the point size it was drawn at
        bool overlaps(const Cell& o) const {
            return left < o.right && o.left < right && top < o.bottom && o.top < bottom;
        }
    };
    std::vector<Cell> cells;

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
        record("face " + f);
    }
    void setFontSize(int points) override {
        size = points;
        record("size " + std::to_string(points));
    }
    void setFontStyle(std::uint8_t s) override {
        style = s;
        record("style " + std::to_string(s));
    }
    void setFontColor(std::int32_t c) override {
        color = c;
        record("color " + std::to_string(c));
    }
    int textWidth(std::string_view text) override {
        if (recordCalls)
            record("width '" + std::string(text) + "'");
        return measure(text);
    }
    int textHeight(std::string_view text) override {
        if (recordCalls)
            record("height '" + std::string(text) + "'");
        return cellHeight();
    }
    void drawText(int x, int y, std::string_view text) override {
        if (recordCalls)
            record(draw(x, y, text));
        if (!text.empty())
            cells.push_back({x, y, static_cast<long long>(x) + measure(text),
                             static_cast<long long>(y) + cellHeight(), std::string(text), size});
    }
    void stretchDraw(const PageBox& b, const Bitmap& bitmap) override {
        record("bitmap " + std::to_string(b.left) + "," + std::to_string(b.top) + "," +
               std::to_string(b.right) + "," + std::to_string(b.bottom) + " " +
               std::to_string(bitmap.width()) + "x" + std::to_string(bitmap.height()));
        cells.push_back({b.left, b.top, b.right, b.bottom, "", 0});
    }

    int measure(std::string_view text) const {
        if (!widthOverride.empty()) {
            const auto it = widthOverride.find(std::string(text));
            if (it != widthOverride.end())
                return it->second;
        }
        if (!proportional)
            return clampToInt((long long)(text.size()) * (size + ((style & 1) ? 1LL : 0LL)));
        const long long p = points();
        long long quarters = 0; // a byte is 2 to 6 quarters of the point size wide
        for (const char c : text)
            quarters += 2 + (static_cast<unsigned char>(c) * 7) % 5;
        const long long w = (quarters * p + 3) / 4 + ((style & 1) ? (long long)(text.size()) : 0);
        return int(std::min(w, 1LL << 29));
    }
    int cellHeight() const {
        if (!proportional)
            return clampToInt(4LL * size);
        return int(points() * 4 + points() * (face.size() % 3) / 2);
    }
    long long points() const { return std::max(size, 1); }
    // Absurd sizes (INT32_MIN points) measure at the ends of the int range instead of wrapping.
    static int clampToInt(long long v) { return int(std::clamp<long long>(v, INT_MIN, INT_MAX)); }

    void record(std::string call) {
        if (recordCalls)
            calls.push_back(std::move(call));
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
        surface.cells.clear();
        return surface;
    }
    void endDocument() override { log.push_back("end"); }
};

} // namespace versino::testing
