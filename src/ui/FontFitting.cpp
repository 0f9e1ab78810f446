#include "ui/FontFitting.h"

#include "document/Cp1252.h"

#include <QLineEdit>
#include <algorithm>
#include <cstdlib>

namespace versino::ui {
namespace {

constexpr int kFitMargin = 4;

// a * b / c rounded half away from zero.
int mulDiv(int a, int b, int c) {
    if (c == 0)
        return 0;
    const long long num = static_cast<long long>(a) * b;
    const long long q = (std::llabs(num) * 2 + std::llabs(c)) / (2 * std::llabs(c));
    return static_cast<int>(((num < 0) != (c < 0)) ? -q : q);
}

} // namespace

int pointsToPixels(int points, int dpi) {
    return std::abs(mulDiv(points, dpi, 72));
}
int pixelsToPoints(int pixels, int dpi) {
    return mulDiv(pixels, 72, dpi);
}

int fittedPointSize(int size, int fieldHeight, int dpi) {
    const int limit = fieldHeight - kFitMargin;
    int points = std::max(size, 1);
    int height = pointsToPixels(points, dpi);
    while (height > limit && points > 1) {
        // The size the height stands for can round back up at low resolutions; one point less
        // than the current size at most keeps every round a step down, so the loop ends.
        points = std::min(pixelsToPoints(height, dpi) - 1, points - 1);
        points = std::max(points, 1);
        height = pointsToPixels(points, dpi);
    }
    return points;
}

void showFittedFont(QLineEdit* field, const FontSetting& setting) {
    QFont font = field->font();
    font.setFamily(cp1252::toUnicode(setting.name));
    font.setBold(setting.style & FontStyle::Bold);
    font.setItalic(setting.style & FontStyle::Italic);
    font.setUnderline(setting.style & FontStyle::Underline);
    font.setStrikeOut(setting.style & FontStyle::StrikeOut);
    font.setPointSize(fittedPointSize(setting.size, field->height(), field->logicalDpiY()));
    field->setFont(font);
}

} // namespace versino::ui
