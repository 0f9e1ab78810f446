#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace versino {

class Bitmap;
class BitmapCache;

// A rectangle on the page by its edges, in device units.
struct PageBox {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// A stroke or fill of a figure on the page (a chord diagram's strings, frets, dots and keys), in
// black, or white for a filled box or dot that stands on black. A line runs from (left, top) to
// (right, bottom) with the pen's width; a dot or ring is the ellipse in its box.
struct PageShape {
    enum class Kind { Line, Box, Frame, Dot, Ring };
    Kind kind = Kind::Line;
    PageBox box;
    int pen = 1;
    bool white = false;
    bool operator==(const PageShape& o) const {
        return kind == o.kind && box.left == o.box.left && box.top == o.box.top && box.right == o.box.right &&
               box.bottom == o.box.bottom && pen == o.pen && white == o.white;
    }
};

// What laying out a page needs to know of it: its size, and how large a text is in a font. The
// current font is changed one attribute at a time; the others stay. Coordinates are device units
// with the origin at the top-left corner of the printable area and y growing downwards. Text is
// Windows-1252 bytes.
class PageMeasures {
public:
    virtual ~PageMeasures() = default;

    // Size of the printable area in device units.
    virtual int pageWidth() const = 0;
    virtual int pageHeight() const = 0;

    virtual void setFontName(const std::string& face) = 0;
    // Points, converted at the device's own resolution.
    virtual void setFontSize(int points) = 0;
    // Bold = 1, italic = 2, underline = 4, strike-out = 8.
    virtual void setFontStyle(std::uint8_t style) = 0;
    // 0x00BBGGRR.
    virtual void setFontColor(std::int32_t color) = 0;

    // Size of the string's cell in the current font, in whole device units, measured as one
    // string. The height is the font's ascent plus descent.
    virtual int textWidth(std::string_view text) = 0;
    virtual int textHeight(std::string_view text) = 0;

    // Where measures that serve page after page (a PDF book, the page check's measuring page) keep
    // the last picture loaded, so that composing the next page does not decode it again and a PDF
    // stores it once. Null where every picture is decoded afresh.
    virtual BitmapCache* pictureCache() { return nullptr; }
};

// A page that is drawn on: a printer's, a PDF's, an image's or the screen preview's. A composed
// page is drawn onto it; it measures like the page it was composed with.
class PrintSurface : public PageMeasures {
public:
    // Draws the string with its cell's top-left corner at (x, y) on an opaque white cell. An empty
    // string leaves the page unchanged.
    virtual void drawText(int x, int y, std::string_view text) = 0;

    // Scales the whole bitmap to fill the box.
    virtual void stretchDraw(const PageBox& box, const Bitmap& bitmap) = 0;

    // Draws a stroke or fill; a surface that only measures has nothing to draw.
    virtual void drawShape(const PageShape& shape) { (void)shape; }
};

inline constexpr const char* kNoDefaultPrinter = "There is no default printer currently selected";
inline constexpr const char* kPrinterOperationNotSupported = "Operation not supported on selected printer";
inline constexpr const char* kPrintJobFailed = "The print job could not be started";

// A failure of the printer layer: what went wrong, and in what() the text the user sees. Callers
// that say something in their own words choose by the kind, never by the text.
class PrinterError : public std::runtime_error {
public:
    enum class Kind {
        NoDefaultPrinter, // no printer is set up as the system's default
        NotSupported,     // the printer cannot print as asked (portrait)
        JobFailed,        // a job or a page could not be started
    };

    explicit PrinterError(Kind kind) : std::runtime_error(textOf(kind)), kind_(kind) {}
    Kind kind() const { return kind_; }

    static const char* textOf(Kind kind) {
        switch (kind) {
        case Kind::NoDefaultPrinter:
            return kNoDefaultPrinter;
        case Kind::NotSupported:
            return kPrinterOperationNotSupported;
        case Kind::JobFailed:
            break;
        }
        return kPrintJobFailed;
    }

private:
    Kind kind_;
};

// One printer and its jobs: each job has exactly one page.
class Printer {
public:
    virtual ~Printer() = default;

    // Portrait for the next job. Throws PrinterError when there is no printer or it cannot be set.
    virtual void setPortrait() = 0;
    // Starts a job without a document name and opens its only page. Throws PrinterError.
    virtual PrintSurface& beginDocument() = 0;
    // Opens the next page of the job begun last, for a song that continues on a second page.
    // Throws PrinterError where the printer holds one page a job.
    virtual PrintSurface& nextPage() { throw PrinterError(PrinterError::Kind::JobFailed); }
    // Closes the page and hands the job to the printer. Throws PrinterError, or FileError where the
    // job is a file that cannot be written.
    virtual void endDocument() = 0;
};

} // namespace versino
