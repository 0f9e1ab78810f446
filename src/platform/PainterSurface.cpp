#include "platform/PainterSurface.h"

#include <QPen>

#include "document/Cp1252.h"
#include "document/SongDocument.h"
#include "platform/Bitmap.h"
#include "platform/QtFont.h"

#include <QPaintDevice>
#include <QPainter>
#include <algorithm>

namespace versino {

PainterSurface::PainterSurface(QPainter& painter) : PainterSurface(painter, QSize(), painter.device()->logicalDpiY()) {}

PainterSurface::PainterSurface(QPainter& painter, QSize page, int dpi) : painter_(painter), page_(page), dpi_(dpi) {
    painter_.setBackgroundMode(Qt::OpaqueMode);
    painter_.setBackground(Qt::white);
}

int PainterSurface::pageWidth() const {
    return page_.isEmpty() ? painter_.device()->width() : page_.width();
}
int PainterSurface::pageHeight() const {
    return page_.isEmpty() ? painter_.device()->height() : page_.height();
}

void PainterSurface::setFontName(const std::string& face) {
    if (face != face_) {
        face_ = face;
        fontDirty_ = true;
    }
}

void PainterSurface::setFontSize(int points) {
    if (points != points_) {
        points_ = points;
        fontDirty_ = true;
    }
}

void PainterSurface::setFontStyle(std::uint8_t style) {
    if (style != style_) {
        style_ = style;
        fontDirty_ = true;
    }
}

void PainterSurface::setFontColor(std::int32_t color) {
    color_ = toQColor(color);
}

const QFont& PainterSurface::font() {
    if (fontDirty_) {
        FontKey key{face_, points_, style_};
        auto it = fonts_.find(key);
        if (it == fonts_.end()) {
            const QFont f = resolveFont();
            it = fonts_.emplace(std::move(key), ResolvedFont{f, QFontMetrics(f, painter_.device()), {}}).first;
        }
        current_ = &it->second;
        fontDirty_ = false;
        fontOnPainter_ = false;
    }
    return current_->font;
}

QFont PainterSurface::resolveFont() const {
    FontSetting setting;
    setting.name = face_;
    setting.size = points_;
    setting.style = style_;
    QFont f = toQFont(setting, dpi_);
    // Kerning would move a glyph against the width of the text before it, and chords are
    // placed by those widths.
    f.setKerning(false);
    // At 600 dots per inch hinting changes nothing visible but costs the most time: it runs
    // the font's bytecode for every glyph. Unhinted advances are also the same on every device.
    f.setHintingPreference(QFont::PreferNoHinting);
    // Song text is Windows-1252, which every usable face covers; without merging, no character
    // is first looked up in a chain of fallback fonts.
    f.setStyleStrategy(QFont::NoFontMerging);
    return f;
}

const QFontMetrics& PainterSurface::metrics() {
    font();
    return current_->metrics;
}

int PainterSurface::textWidth(std::string_view text) {
    font();
    auto& widths = current_->widths;
    // Long texts are rarely measured twice, and the memory stays bounded however long a run is.
    constexpr std::size_t kLongestKept = 256;
    constexpr std::size_t kMostKept = 1 << 14;
    if (text.size() > kLongestKept)
        return current_->metrics.horizontalAdvance(cp1252::toUnicode(text));
    const std::string key(text);
    if (auto it = widths.find(key); it != widths.end())
        return it->second;
    if (widthsKept_ >= kMostKept) {
        for (auto& [fontKey, resolved] : fonts_)
            resolved.widths.clear();
        widthsKept_ = 0;
    }
    const int width = current_->metrics.horizontalAdvance(cp1252::toUnicode(text));
    widths.emplace(key, width);
    ++widthsKept_;
    return width;
}

int PainterSurface::textHeight(std::string_view) {
    return metrics().ascent() + metrics().descent();
}

void PainterSurface::drawText(int x, int y, std::string_view text) {
    if (text.empty())
        return;
    const QFontMetrics& m = metrics();
    // Handing the painter a font costs a state change on the device even when it is the same.
    if (!fontOnPainter_) {
        painter_.setFont(current_->font);
        fontOnPainter_ = true;
    }
    painter_.setPen(color_);
    // In opaque mode (set in the constructor) the painter fills the text's cell, its advance by
    // ascent plus descent, with white before the glyphs, from the one shaping it does anyway.
    painter_.drawText(QPoint(x, y + m.ascent()), cp1252::toUnicode(text));
}

void PainterSurface::stretchDraw(const PageBox& box, const Bitmap& bitmap) {
    if (bitmap.image().isNull())
        return;
    painter_.drawImage(QRect(box.left, box.top, box.right - box.left, box.bottom - box.top), bitmap.image());
}

void PainterSurface::drawShape(const PageShape& shape) {
    const PageBox& b = shape.box;
    const QColor colour = shape.white ? Qt::white : Qt::black;
    const QRect rect(b.left, b.top, b.right - b.left, b.bottom - b.top);
    painter_.save();
    switch (shape.kind) {
    case PageShape::Kind::Line:
        painter_.setPen(QPen(colour, shape.pen, Qt::SolidLine, Qt::FlatCap));
        painter_.drawLine(b.left, b.top, b.right, b.bottom);
        break;
    case PageShape::Kind::Box:
        painter_.fillRect(rect, colour);
        break;
    case PageShape::Kind::Frame:
        painter_.setPen(QPen(colour, shape.pen));
        painter_.setBrush(Qt::NoBrush);
        painter_.drawRect(rect);
        break;
    case PageShape::Kind::Dot:
        painter_.setPen(Qt::NoPen);
        painter_.setBrush(colour);
        painter_.drawEllipse(rect);
        break;
    case PageShape::Kind::Ring:
        painter_.setPen(QPen(colour, shape.pen));
        painter_.setBrush(Qt::NoBrush);
        painter_.drawEllipse(rect);
        break;
    }
    painter_.restore();
}

} // namespace versino
