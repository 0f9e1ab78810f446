#pragma once

class QLabel;
class QTranslator;

namespace versino::ui {

// Maps the window font "MS Sans Serif" to the nearest sans-serif faces the system has (Arial's
// metrics), so that the labels fit the positions they were laid out for, and makes it the font of
// every window, menu and dialog. Call once after the application object exists.
void setupAppearance();

// Makes Qt's own texts (file dialogs, standard buttons, context menus) German through Qt's German
// translation catalogue, where the system has it. Texts the program sets itself are not affected.
// Returns the installed translator (owned by the application), or nullptr when no catalogue was
// found; the dialogs then stay in Qt's English.
QTranslator* installGermanQtTranslations();

// Narrows a label's font just enough that its text ends before `right` (in its parent's
// coordinates), for the few captions that the substitute face sets wider than the original did.
void fitLabel(QLabel* label, int right);

} // namespace versino::ui
