#pragma once

#include "document/SongDocument.h"

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

// Shows a font setting in a single-line field: face, fitted size and style. The colour is not
// applied: the field's text keeps the window's text colour. The setting itself is not changed.
void showFittedFont(QLineEdit* field, const FontSetting& setting);

} // namespace versino::ui
