#pragma once

#include <QIcon>
#include <QString>

namespace versino::ui {

// A button glyph from a bitmap resource, drawn with the colour of its bottom-left pixel transparent.
// With `withDisabled` the bitmap holds two square images side by side: the normal one and the one
// shown while the button is disabled.
QIcon loadGlyph(const QString& resource, bool withDisabled);

} // namespace versino::ui
