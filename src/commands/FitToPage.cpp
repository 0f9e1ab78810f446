#include "commands/FitToPage.h"

#include "print/PageCheck.h"

#include <algorithm>

namespace versino {

namespace {

bool fits(SongDocument& doc, PrintSurface& metrics, int textPoints, int difference) {
    doc.TextFont.size = textPoints;
    doc.AkkordFont.size = textPoints - difference;
    return !runsOffPage(CheckPage(doc, metrics));
}

} // namespace

FitResult fitToOnePage(SongDocument& doc, PrintSurface& metrics) {
    const std::int32_t text = doc.TextFont.size;
    const std::int32_t chord = doc.AkkordFont.size;
    if (!runsOffPage(CheckPage(doc, metrics)))
        return FitResult::AlreadyFits;
    // Sizes are tried on the document itself and put back unless a fitting pair is found.
    const long long difference = static_cast<long long>(text) - chord;
    const long long lowest = std::max<long long>(kMinFitTextPoints, kMinFitChordPoints + difference);
    long long low = lowest;
    long long high = static_cast<long long>(text) - 1;
    // A smaller font never takes more room on the page, so the largest fitting size is found by
    // halving the range: a few compositions even for an absurd size.
    long long best = -1;
    while (low <= high) {
        const long long mid = low + (high - low) / 2;
        if (fits(doc, metrics, int(mid), int(difference))) {
            best = mid;
            low = mid + 1;
        } else {
            high = mid - 1;
        }
    }
    if (best < 0) {
        doc.TextFont.size = text;
        doc.AkkordFont.size = chord;
        return FitResult::CannotFit;
    }
    doc.TextFont.size = std::int32_t(best);
    doc.AkkordFont.size = std::int32_t(best - difference);
    doc.Modified = true;
    return FitResult::Fitted;
}

void EinpassenClick(SongDocument& doc, Dialogs& dialogs, PrintSurface& metrics) {
    switch (fitToOnePage(doc, metrics)) {
    case FitResult::AlreadyFits: dialogs.message(QString::fromUtf8(kAlreadyFitsMessage)); break;
    case FitResult::CannotFit: dialogs.message(QString::fromUtf8(kCannotFitMessage)); break;
    case FitResult::Fitted: break;
    }
}

} // namespace versino
