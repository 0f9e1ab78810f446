#pragma once

namespace versino::ui {

// Maps the window font "MS Sans Serif" to the nearest sans-serif faces the system has (Arial's
// metrics), so that the labels fit the positions they were laid out for. Call once after the
// application object exists.
void installFontSubstitutes();

} // namespace versino::ui
