#include "platform/QtFont.h"

#include "document/Cp1252.h"

#include <algorithm>

namespace versino {

QColor toQColor(std::int32_t color) {
    const auto c = std::uint32_t(color);
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

int pixelSizeFor(int points, int dpi) {
    const long long p = std::max(points, 1);
    // Rounded like the classic MulDiv(points, dpi, 72); capped so that absurd sizes cannot overflow.
    const long long px = (p * dpi + 36) / 72;
    return int(std::clamp(px, 1LL, 100000LL));
}

QFont withFaceAndStyle(QFont base, const std::string& face, std::uint8_t style) {
    base.setFamily(cp1252::toUnicode(face));
    base.setBold(style & FontStyle::Bold);
    base.setItalic(style & FontStyle::Italic);
    base.setUnderline(style & FontStyle::Underline);
    base.setStrikeOut(style & FontStyle::StrikeOut);
    return base;
}

QFont toQFont(const FontSetting& setting, int dpi) {
    QFont font = withFaceAndStyle(QFont(), setting.name, setting.style);
    font.setPixelSize(pixelSizeFor(setting.size, dpi));
    return font;
}

} // namespace versino
