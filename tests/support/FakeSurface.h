#pragma once

// The print surface that tests and fuzz targets draw on instead of paper, and a printer whose one
// page is such a surface. It measures in one of three ways and keeps what a test asks for:
//  - a line of text per call (`calls`, on by default),
//  - a cell per non-empty text and per picture (`cells`, on by default), to see overlaps,
//  - every text drawn, empty ones included, with its place (`drawn`, when `keepDraws` is set),
//  - counts and extremes of what was drawn, and the pictures' boxes, always: cheap at any size.
// With `onFault` set it also checks each call as it comes: no text above `lowestY`, and no picture
// in an empty or inverted box or without pixels.

#include "platform/Bitmap.h"
#include "platform/PrintSurface.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace versino::testing {

class FakeSurface final : public PrintSurface {
public:
    enum class Measures {
        // A byte is as wide as the current point size, one unit wider in bold; a cell is four
        // times the point size high. Widths can be overridden per string.
        Fixed,
        // Like a real face: each byte has a width of its own (from half to one and a half times the
        // point size), faces differ in height, and sizes below one point measure as one point, as
        // the printer draws them.
        Proportional,
        // As large as a real page's: the painter's point-to-pixel rule at 600 dots per inch and its
        // cap on pixel sizes, half an em per byte (one unit more in bold), and widths that end near
        // 2^25 device units, where the painter's fixed-point metrics end.
        Printer,
    };

    // A surface for big pages and fuzzing: printer measures on the printable part of A4 at 600
    // dots per inch, keeping only counts and pictures.
    static FakeSurface likePrinter() {
        FakeSurface s;
        s.measures = Measures::Printer;
        s.width = 4760;
        s.height = 6814;
        s.size = 0;
        s.recordCalls = false;
        s.keepCells = false;
        return s;
    }

    Measures measures = Measures::Fixed;
    int width = 4800;
    int height = 6800;
    std::map<std::string, int> widthOverride;
    bool recordCalls = true; // off for many pages, where only the cells are looked at
    bool keepCells = true;
    bool keepDraws = false;

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
    struct Draw {
        int x, y;
        std::string text;
    };
    std::vector<Draw> drawn;

    long long textsDrawn = 0; // non-empty texts
    long long bytesDrawn = 0; // their total length
    int minY = INT_MAX;
    int maxY = INT_MIN;
    std::string lastText; // the last non-empty text, cut to its first 64 bytes
    std::vector<PageBox> pictures;
    std::vector<PageShape> shapes; // every stroke and fill of a figure, in drawing order

    // Reports a broken check; expected not to return (a fuzz target aborts, a replay throws).
    void (*onFault)(const char* what, const std::string& detail) = nullptr;
    int lowestY = INT_MIN; // with onFault: no text may be drawn above this row

    // The current font, as the last calls left it.
    std::string face = "Initial";
    int size = 99;
    int style = 0;
    int color = 0;

    struct Font {
        std::string face;
        int size, style, color;
        bool operator==(const Font& o) const {
            return face == o.face && size == o.size && style == o.style && color == o.color;
        }
    };
    Font font() const { return {face, size, style, color}; }

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
        if (onFault && y < lowestY)
            onFault("text drawn above the top of the page's content",
                    std::to_string(y) + " '" + std::string(text.substr(0, 40)) + "'");
        if (recordCalls)
            record(draw(x, y, text));
        if (keepDraws)
            drawn.push_back({x, y, std::string(text)});
        if (text.empty())
            return;
        ++textsDrawn;
        bytesDrawn += static_cast<long long>(text.size());
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
        lastText.assign(text.substr(0, 64));
        if (keepCells)
            cells.push_back({x, y, static_cast<long long>(x) + measure(text),
                             static_cast<long long>(y) + cellHeight(), std::string(text), size});
    }
    void stretchDraw(const PageBox& b, const Bitmap& bitmap) override {
        const std::string box = std::to_string(b.left) + "," + std::to_string(b.top) + "," +
                                std::to_string(b.right) + "," + std::to_string(b.bottom);
        if (onFault && !(b.left < b.right && b.top < b.bottom))
            onFault("an empty or inverted picture box", box);
        if (onFault && !(bitmap.width() > 0 && bitmap.height() > 0))
            onFault("a picture without pixels was drawn", {});
        record("bitmap " + box + " " + std::to_string(bitmap.width()) + "x" +
               std::to_string(bitmap.height()));
        if (keepCells)
            cells.push_back({b.left, b.top, b.right, b.bottom, "", 0});
        pictures.push_back(b);
    }

    void drawShape(const PageShape& shape) override {
        record("shape " + std::to_string(int(shape.kind)));
        shapes.push_back(shape);
    }

    int measure(std::string_view text) const {
        if (!widthOverride.empty()) {
            const auto it = widthOverride.find(std::string(text));
            if (it != widthOverride.end())
                return it->second;
        }
        const long long bold = (style & 1) ? 1 : 0;
        switch (measures) {
        case Measures::Fixed:
            return toInt((long long)(text.size()) * (size + bold));
        case Measures::Proportional: {
            long long quarters = 0; // a byte is 2 to 6 quarters of the point size wide
            for (const char c : text)
                quarters += 2 + (static_cast<unsigned char>(c) * 7) % 5;
            const long long w = (quarters * points() + 3) / 4 + bold * (long long)(text.size());
            return int(std::min(w, 1LL << 29));
        }
        case Measures::Printer: {
            const long long w = (long long)(text.size()) * (pixelSize() / 2 + 1 + bold);
            return int(std::min(w, 1LL << 25));
        }
        }
        return 0;
    }
    int cellHeight() const {
        switch (measures) {
        case Measures::Fixed:
            return toInt(4LL * size);
        case Measures::Proportional:
            return int(points() * 4 + points() * (face.size() % 3) / 2);
        case Measures::Printer:
            return pixelSize() + pixelSize() / 6;
        }
        return 0;
    }
    long long points() const { return std::max(size, 1); }
    // Fixed measures follow any size, even INT_MIN, and stay within what an int holds.
    static int toInt(long long v) { return int(std::clamp<long long>(v, INT_MIN, INT_MAX)); }
    // The font's size in device pixels under printer measures.
    int pixelSize() const { return int(std::clamp((points() * 600 + 36) / 72, 1LL, 100000LL)); }

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

// A printer whose one page is a fake surface. Failures can be queued for each step.
class FakePrinter final : public Printer {
public:
    FakeSurface surface;
    std::vector<std::string> log;
    std::optional<PrinterError::Kind> portraitError;
    std::optional<PrinterError::Kind> beginError;

    void setPortrait() override {
        if (portraitError)
            throw PrinterError(*portraitError);
        log.push_back("portrait");
    }
    PrintSurface& beginDocument() override {
        if (beginError)
            throw PrinterError(*beginError);
        log.push_back("begin");
        surface.calls.clear();
        surface.cells.clear();
        return surface;
    }
    void endDocument() override { log.push_back("end"); }
};

} // namespace versino::testing
