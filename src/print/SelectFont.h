#pragma once

#include "document/SongDocument.h"
#include "platform/PrintSurface.h"

namespace versino {

// Makes a font setting the surface's current font: face, size, style set and colour, in this order.
inline void selectFont(PageMeasures& s, const FontSetting& f) {
    s.setFontName(f.name);
    s.setFontSize(f.size);
    s.setFontStyle(f.style);
    s.setFontColor(f.color);
}

} // namespace versino
