#include "commands/FitToPage.h"

#include "document/Cp1252.h"
#include "print/PageCheck.h"

#include <algorithm>

namespace versino {

namespace {

constexpr qsizetype kQuotedChars = 40;

bool fits(SongDocument& song, PageMeasures& metrics, int textPoints, int difference) {
    song.TextFont.size = textPoints;
    song.AkkordFont.size = textPoints - difference;
    return !runsOffPage(CheckPage(song, metrics));
}

QString quoted(const std::string& line) {
    QString text = cp1252::toUnicode(line);
    if (text.size() > kQuotedChars)
        text = text.left(kQuotedChars - 1) + QChar(0x2026);
    return QStringLiteral("\u201E%1\u201C").arg(text);
}

// Why the song does not fit even at the smallest sizes. Lines too wide for the page are named when
// they are all that is wrong: no smaller font helps there, the line itself has to change.
QString cannotFitMessage(SongDocument& smallest, PageMeasures& metrics) {
    std::vector<PageFinding> tooWide;
    for (PageFinding& f : CheckPage(smallest, metrics)) {
        if (f.kind == PageFindingKind::BelowPage)
            return QString::fromUtf8(kCannotFitMessage);
        if (f.kind == PageFindingKind::PastRightEdge)
            tooWide.push_back(std::move(f));
    }
    if (tooWide.empty())
        return QString::fromUtf8(kCannotFitMessage);
    const PageFinding& first = tooWide.front();
    const Field& field = smallest.field(first.field);
    const QString where = isMultiLine(first.field)
                              ? QStringLiteral("%1, Zeile %2 %3")
                                    .arg(fieldLabel(first.field))
                                    .arg(first.line)
                                    .arg(quoted(static_cast<const MultiLineField&>(field).lineList().at(std::size_t(first.line - 1))))
                              : QStringLiteral("%1 %2").arg(fieldLabel(first.field), quoted(field.text()));
    QString message = QStringLiteral("Der Song passt nicht auf eine Seite, weil eine Zeile zu breit ist: %1.").arg(where);
    if (tooWide.size() == 2)
        message += QStringLiteral(" Auch eine weitere Zeile ist zu breit.");
    else if (tooWide.size() > 2)
        message += QStringLiteral(" Auch %1 weitere Zeilen sind zu breit.").arg(tooWide.size() - 1);
    return message;
}

} // namespace

FitOutcome fitToOnePage(SongDocument& doc, PageMeasures& metrics) {
    const std::int32_t text = doc.TextFont.size;
    const std::int32_t chord = doc.AkkordFont.size;
    FitOutcome outcome{FitResult::AlreadyFits, text, text, chord, chord, QString::fromUtf8(kAlreadyFitsMessage)};
    // Sizes are tried on a copy, so the song changes only once the fitting pair is found.
    SongDocument song;
    song.copySongFrom(doc);
    if (!runsOffPage(CheckPage(song, metrics)))
        return outcome;
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
    if (best < 0) {
        outcome.result = FitResult::CannotFit;
        song.TextFont.size = std::int32_t(lowest);
        song.AkkordFont.size = std::int32_t(lowest - difference);
        outcome.message = cannotFitMessage(song, metrics);
        return outcome;
    }
    doc.TextFont.size = std::int32_t(best);
    doc.AkkordFont.size = std::int32_t(best - difference);
    doc.Modified = true;
    outcome.result = FitResult::Fitted;
    outcome.textTo = doc.TextFont.size;
    outcome.chordTo = doc.AkkordFont.size;
    outcome.message = QStringLiteral("Text %1 \u2192 %2 Punkt, Akkorde %3 \u2192 %4 Punkt")
                          .arg(outcome.textFrom)
                          .arg(outcome.textTo)
                          .arg(outcome.chordFrom)
                          .arg(outcome.chordTo);
    return outcome;
}

FitOutcome EinpassenClick(SongDocument& doc, Reports& dialogs, PageMeasures& metrics) {
    FitOutcome outcome = fitToOnePage(doc, metrics);
    if (outcome.result != FitResult::Fitted)
        dialogs.message(outcome.message);
    return outcome;
}

} // namespace versino
