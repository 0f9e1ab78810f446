#pragma once

#include "platform/Bitmap.h"
#include "platform/PrintSurface.h"

#include <string>
#include <vector>

namespace versino {

// Records what a composition draws while it measures on another surface, so that one composed
// page can be replayed onto any surface: the screen preview at any zoom, an image, a printer. The
// measures all come from the surface given at construction (the printer's at 600 dots per inch),
// so every replay shows the same page to the unit.
class PageRecorder final : public PrintSurface {
public:
    // One call the composition made on the surface, in order.
    struct Op {
        enum class Kind { FontName, FontSize, FontStyle, FontColor, Text, Picture };
        Kind kind;
        int x = 0;         // Text: top-left corner of the cell
        int y = 0;
        long long value = 0; // FontSize, FontStyle, FontColor
        std::string text;  // FontName, Text
        PageBox box;       // Picture
        Bitmap bitmap;     // Picture: shares the decoded image, no copy
        bool operator==(const Op& o) const;
    };

    explicit PageRecorder(PrintSurface& metrics) : metrics_(metrics) {}

    int pageWidth() const override { return metrics_.pageWidth(); }
    int pageHeight() const override { return metrics_.pageHeight(); }
    void setFontName(const std::string& face) override;
    void setFontSize(int points) override;
    void setFontStyle(std::uint8_t style) override;
    void setFontColor(std::int32_t color) override;
    int textWidth(std::string_view text) override { return metrics_.textWidth(text); }
    int textHeight(std::string_view text) override { return metrics_.textHeight(text); }
    void drawText(int x, int y, std::string_view text) override;
    void stretchDraw(const PageBox& box, const Bitmap& bitmap) override;
    BitmapCache* pictureCache() override { return metrics_.pictureCache(); }

    const std::vector<Op>& ops() const { return ops_; }
    // Makes the same calls, in the same order, on `target`.
    void replay(PrintSurface& target) const;

private:
    PrintSurface& metrics_;
    std::vector<Op> ops_;
};

} // namespace versino
