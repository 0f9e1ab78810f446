#pragma once

class QLabel;

namespace versino::ui {

// Maps the window font "MS Sans Serif" to the nearest sans-serif faces the system has (Arial's
// metrics), so that the labels fit the positions they were laid out for, and makes it the font of
// every window, menu and dialog. Call once after the application object exists.
void setupAppearance();

// Narrows a label's font just enough that its text ends before `right` (in its parent's
// coordinates), for the few captions that the substitute face sets wider than the original did.
void fitLabel(QLabel* label, int right);

} // namespace versino::ui
