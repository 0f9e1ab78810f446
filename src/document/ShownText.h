#pragma once

#include <QString>

namespace versino {

// A text the user gave that is shown whole somewhere small (a book's title on its title page, in
// the PDF's document information, as a print job's name): a few hundred characters are all any of
// those can show, so a longer one is cut there, at a character boundary, and ends with "…". This
// keeps the cost of showing it bounded, whatever was given.
inline constexpr qsizetype kShownTitleLength = 500;

QString shownTitle(const QString& text, qsizetype maxLength = kShownTitleLength);

} // namespace versino
