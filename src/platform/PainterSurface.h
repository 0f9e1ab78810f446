#pragma once

#include "platform/Bitmap.h"
#include "platform/PrintSurface.h"

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QSize>
#include <map>
#include <unordered_map>
#include <string>
#include <tuple>

class QPainter;

namespace versino {

// The print surface on an active QPainter: a printer, a PDF writer or an image. Device units are
// the paint device's pixels; point sizes are converted at its resolution.
class PainterSurface final : public PrintSurface {
public:
    explicit PainterSurface(QPainter& painter);
    // A page of `page` device units measured at `dpi`, whatever the painter's device is: the
    // painter's transform maps the page onto it (a scaled preview, an image, a measuring device).
    PainterSurface(QPainter& painter, QSize page, int dpi);

    int pageWidth() const override;
    int pageHeight() const override;
    void setFontName(const std::string& face) override;
    void setFontSize(int points) override;
    void setFontStyle(std::uint8_t style) override;
    void setFontColor(std::int32_t color) override;
    int textWidth(std::string_view text) override;
    int textHeight(std::string_view text) override;
    void drawText(int x, int y, std::string_view text) override;
    void stretchDraw(const PageBox& box, const Bitmap& bitmap) override;
    void drawShape(const PageShape& shape) override;
    BitmapCache* pictureCache() override { return &pictures_; }


private:
    const QFont& font();
    QFont resolveFont() const;
    const QFontMetrics& metrics();

    QPainter& painter_;
    QSize page_; // empty: the device's own size
    int dpi_;
    std::string face_ = "Arial";
    int points_ = 12;
    std::uint8_t style_ = 0;
    QColor color_ = Qt::black;
    bool fontDirty_ = true;
    bool fontOnPainter_ = false;

    // A page switches between a handful of fonts hundreds of times (text, chord, superscript).
    struct FontKey {
        std::string face;
        int points;
        std::uint8_t style;
        bool operator<(const FontKey& o) const {
            return std::tie(face, points, style) < std::tie(o.face, o.points, o.style);
        }
    };
    // Widths are kept per font and text: a chorus called three times, a repeated word, and a song
    // that is checked and then printed are shaped once. Shaping is most of what measuring costs.
    struct ResolvedFont {
        QFont font;
        QFontMetrics metrics;
        std::unordered_map<std::string, int> widths;
    };
    std::map<FontKey, ResolvedFont> fonts_;
    ResolvedFont* current_ = nullptr;
    std::size_t widthsKept_ = 0;
    BitmapCache pictures_;
};

} // namespace versino
