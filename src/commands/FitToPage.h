#pragma once

#include "document/SongDocument.h"
#include "platform/Dialogs.h"
#include "platform/PrintSurface.h"

namespace versino {

inline const char* const kAlreadyFitsMessage = "Der Song passt bereits auf eine Seite.";
inline const char* const kCannotFitMessage =
    "Der Song passt auch mit der kleinsten Schrift (6 Punkt) nicht auf eine Seite.";

// The smallest sizes fitting lowers the text font and the chord font to.
inline constexpr int kMinFitTextPoints = 6;
inline constexpr int kMinFitChordPoints = 4;

enum class FitResult { Fitted, AlreadyFits, CannotFit };

// When the page check finds that the song runs below the page or past its right edge, lowers the
// text and chord font sizes together, in whole points and keeping their difference, to the largest
// sizes at which it finds no such overflow. The title and performer fonts stay. Nothing changes when
// the song already fits or when even the smallest sizes do not. `metrics` measures the page (the
// printer's measures at 600 dots per inch). Sets Modified when it changes the sizes.
FitResult fitToOnePage(SongDocument& doc, PageMeasures& metrics);

// The menu command: fits the song and says so when there was nothing to do or nothing could be done.
void EinpassenClick(SongDocument& doc, Dialogs& dialogs, PageMeasures& metrics);

} // namespace versino
