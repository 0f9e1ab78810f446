#include "ui/FontFitting.h"

#include "platform/QtFont.h"

#include <QFontMetrics>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>
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

int fittedPointSize(int size, int limit, int dpi, const std::function<int(int)>& heightOf) {
    int points = std::max(size, 1);
    int height = heightOf(points);
    while (height > limit && points > 1) {
        // The size the height stands for can round back up at low resolutions; one point less
        // than the current size at most keeps every round a step down, so the loop ends.
        points = std::min(pixelsToPoints(pointsToPixels(points, dpi), dpi) - 1, points - 1);
        points = std::max(points, 1);
        height = heightOf(points);
    }
    return points;
}

int fittedPointSize(int size, int fieldHeight, int dpi) {
    return fittedPointSize(size, fieldHeight - kFitMargin, dpi,
                           [dpi](int points) { return pointsToPixels(points, dpi); });
}

QRect textRoom(const QLineEdit* field) {
    // What QLineEdit itself clips its text to when it paints: the style's contents rectangle of
    // its frame, less the text margins.
    QStyleOptionFrame panel;
    panel.initFrom(field);
    panel.rect = field->rect();
    panel.lineWidth = field->hasFrame() ? field->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &panel, field) : 0;
    panel.midLineWidth = 0;
    panel.state |= QStyle::State_Sunken;
    panel.features = QStyleOptionFrame::None;
    const QRect contents = field->style()->subElementRect(QStyle::SE_LineEditContents, &panel, field);
    return contents.marginsRemoved(field->textMargins());
}

void showFittedFont(QLineEdit* field, const FontSetting& setting) {
    QFont font = withFaceAndStyle(field->font(), setting.name, setting.style);
    // The font's whole line, ascent and descent, must fit the room inside the frame; the nominal
    // character height alone would let accents and descenders be cut.
    const auto lineHeight = [&font, field](int points) {
        QFont f = font;
        f.setPointSize(points);
        return QFontMetrics(f, field).height();
    };
    font.setPointSize(fittedPointSize(setting.size, textRoom(field).height(), field->logicalDpiY(), lineHeight));
    field->setFont(font);
}

} // namespace versino::ui
