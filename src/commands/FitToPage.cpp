#include "commands/FitToPage.h"

#include "print/PageCheck.h"

#include <algorithm>

namespace versino {

namespace {

bool fits(SongDocument& song, PageMeasures& metrics, int textPoints, int difference) {
    song.TextFont.size = textPoints;
    song.AkkordFont.size = textPoints - difference;
    return !runsOffPage(CheckPage(song, metrics));
}

} // namespace

FitResult fitToOnePage(SongDocument& doc, PageMeasures& metrics) {
    const std::int32_t text = doc.TextFont.size;
    const std::int32_t chord = doc.AkkordFont.size;
    // Sizes are tried on a copy, so the song changes only once the fitting pair is found.
    SongDocument song;
    song.copySongFrom(doc);
    if (!runsOffPage(CheckPage(song, metrics)))
        return FitResult::AlreadyFits;
    const long long difference = static_cast<long long>(text) - chord;
    const long long lowest = std::max<long long>(kMinFitTextPoints, kMinFitChordPoints + difference);
    long long low = lowest;
    long long high = static_cast<long long>(text) - 1;
    // A smaller font never takes more room on the page, so the largest fitting size is found by
    // halving the range: a few compositions even for an absurd size.
    long long best = -1;
    while (low <= high) {
        const long long mid = low + (high - low) / 2;
        if (fits(song, metrics, int(mid), int(difference))) {
            best = mid;
            low = mid + 1;
        } else {
            high = mid - 1;
        }
    }
    if (best < 0)
        return FitResult::CannotFit;
    doc.TextFont.size = std::int32_t(best);
    doc.AkkordFont.size = std::int32_t(best - difference);
    doc.Modified = true;
    return FitResult::Fitted;
}

void EinpassenClick(SongDocument& doc, Dialogs& dialogs, PageMeasures& metrics) {
    switch (fitToOnePage(doc, metrics)) {
    case FitResult::AlreadyFits: dialogs.message(QString::fromUtf8(kAlreadyFitsMessage)); break;
    case FitResult::CannotFit: dialogs.message(QString::fromUtf8(kCannotFitMessage)); break;
    case FitResult::Fitted: break;
    }
}

} // namespace versino
