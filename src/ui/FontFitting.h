#pragma once

#include "document/SongDocument.h"

#include <QRect>
#include <functional>

class QLineEdit;

namespace versino::ui {

// The pixel height of a font of `points` at `dpi` pixels per inch, and back, rounded to the
// nearest whole number as the screen does it.
int pointsToPixels(int points, int dpi);
int pixelsToPoints(int pixels, int dpi);

// The point size a field of `fieldHeight` pixels shows for a setting of `size` points: while the
// font is taller than the field less 4 pixels, one point smaller, counted from the size that its
// pixel height stands for. Sizes below 1 point are shown at 1 point; the result is never below 1.
int fittedPointSize(int size, int fieldHeight, int dpi);

// The same steps with another measure: `heightOf(points)` is the height in pixels that counts, and
// `limit` the most it may be.
int fittedPointSize(int size, int limit, int dpi, const std::function<int(int)>& heightOf);

// The room a line edit has for its text inside its frame and text margins, in its own coordinates.
QRect textRoom(const QLineEdit* field);

// Shows a font setting in a single-line field: face, fitted size and style. The size is fitted so
// that the font's ascent and descent fit the field's text room. The colour is not
// applied: the field's text keeps the window's text colour. The setting itself is not changed.
void showFittedFont(QLineEdit* field, const FontSetting& setting);

} // namespace versino::ui
