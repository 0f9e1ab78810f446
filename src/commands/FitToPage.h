#pragma once

#include "document/SongDocument.h"
#include "platform/Dialogs.h"
#include "platform/PrintSurface.h"

#include <QString>
#include <optional>
#include <string>

namespace versino {

inline const char* const kAlreadyFitsMessage = "Der Song passt bereits auf eine Seite.";
inline const char* const kCannotFitMessage =
    "Der Song passt auch mit der kleinsten Schrift (6 Punkt) nicht auf eine Seite.";
// The name of the command, as its undo item shows it.
inline const char* const kFitCommandName = "Auf eine Seite einpassen";

// The smallest sizes fitting lowers the text font and the chord font to.
inline constexpr int kMinFitTextPoints = 6;
inline constexpr int kMinFitChordPoints = 4;

enum class FitResult { Fitted, AlreadyFits, CannotFit };

// What fitting did, and the sentence that tells the user: the sizes it chose ("Text 12 → 8 Punkt,
// Akkorde 10 → 6 Punkt"), that there was nothing to do, or why nothing could be done. When only
// lines too wide for the page keep the song from fitting, the sentence names the first of them.
struct FitOutcome {
    FitResult result = FitResult::AlreadyFits;
    int textFrom = 0, textTo = 0;
    int chordFrom = 0, chordTo = 0;
    // The lyric line (1-based) before which fitting put a ">>neue Spalte", or 0.
    int columnAt = 0;
    QString message;
};

// Where one ">>neue Spalte" makes both columns of the lyrics the shortest: the 0-based lyric line
// it would stand before, at a blank line or the start or end of a chorus or bridge block, measured
// at the song's current sizes. Nothing when the lyrics already switch column or offer no such place.
std::optional<std::size_t> bestColumnBreak(const SongDocument& doc, PageMeasures& metrics);

// The lyrics with ">>neue Spalte" put before the 0-based line `before`, every other byte as it was.
std::string withColumnBreak(const std::string& lyrics, std::size_t before);

// When the page check finds that the song runs below the page or past its right edge, first tries
// a second column at the best place (bestColumnBreak) at the current sizes; then lowers the
// text and chord font sizes together, with and without that column, in whole points and keeping their difference, to the largest
// sizes at which it finds no such overflow; the column is taken where it allows a larger text font.
// A song that already switches column keeps its columns. The title and performer fonts stay. Nothing changes when
// the song already fits or when even the smallest sizes do not. `metrics` measures the page (the
// printer's measures at 600 dots per inch). Sets Modified when it changes the sizes. `runsOff`
// says that the caller's own check of the song's page (or pages) already found an overflow, so
// that the current sizes are not composed again.
FitOutcome fitToOnePage(SongDocument& doc, PageMeasures& metrics, bool runsOff = false);

struct ComposedPage;

// Fits the song as fitToOnePage does, starting from `pages`, the song as it is composed with
// `metrics` now, so that its current sizes are not composed again: a song that runs off its pages,
// or that continues on a second page, is fitted onto one. When fitting changed the song, `pages`
// become its new pages; otherwise they stay as they are.
FitOutcome fitComposedSong(SongDocument& doc, PageMeasures& metrics, std::vector<ComposedPage>& pages);

// The menu command: fits the song and says so in a message when there was nothing to do or nothing
// could be done; a fit that worked only returns what it did.
FitOutcome EinpassenClick(SongDocument& doc, Reports& dialogs, PageMeasures& metrics);

} // namespace versino
