#include "commands/FitToPage.h"

#include "document/Cp1252.h"
#include "document/Notation.h"
#include "print/ComposedPage.h"
#include "print/PageCheck.h"
#include "print/SongPages.h"
#include "print/SelectFont.h"

#include <algorithm>

namespace versino {

namespace {

constexpr qsizetype kQuotedChars = 40;

// The one page of `song` at these sizes when nothing runs off it. The song is a one-page copy, so
// its composition is a single page.
std::optional<ComposedPage> fittingPage(SongDocument& song, PageMeasures& metrics, int textPoints, int difference) {
    song.TextFont.size = textPoints;
    song.AkkordFont.size = textPoints - difference;
    std::vector<ComposedPage> pages = composeSong(song, metrics);
    if (runsOffPage(CheckPages(pages)))
        return std::nullopt;
    return std::move(pages.front());
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

// What fitting says of a song that it leaves as it is because it fits.
FitOutcome alreadyFits(const SongDocument& doc) {
    const std::int32_t text = doc.TextFont.size;
    const std::int32_t chord = doc.AkkordFont.size;
    return FitOutcome{FitResult::AlreadyFits, text, text, chord, chord, 0, QString::fromUtf8(kAlreadyFitsMessage)};
}

} // namespace

namespace {

bool blankLine(const std::string& line) {
    return line.find_first_not_of(" \t") == std::string::npos;
}

bool isBlock(notation::Directive d) {
    return d == notation::Directive::Refrain || d == notation::Directive::Refrain2 || d == notation::Directive::Bridge;
}

// The height a lyric line takes in its column, by the page's vertical rhythm: a row, a chord row
// above a line with chords, and for a block the empty row and each of its lines.
long long rowsOf(const std::string& line, long long text, long long chord,
                 long long chorus, long long bridge) {
    const notation::Directive d = notation::directiveOf(line);
    if (d == notation::Directive::Refrain)
        return 2 * text + chorus;
    if (d == notation::Directive::Refrain2 || d == notation::Directive::Bridge)
        return 2 * text + bridge;
    return text + (d == notation::Directive::None && notation::hasChord(line) ? chord : 0);
}

long long blockRows(const std::vector<std::string>& lines, long long text, long long chord) {
    long long sum = 0;
    for (const std::string& l : lines)
        sum += text + (notation::hasChord(l) ? chord : 0);
    return sum;
}

// The largest text size from `lowest` to `highest` at which the song fits, keeping the chord
// font `difference` points smaller, with the page composed at that size; -1 when none does. A
// smaller font never takes more room on the page, so halving the range finds it in a few
// compositions even for an absurd size.
struct Fitting {
    long long size = -1;
    std::optional<ComposedPage> page;
};
Fitting largestFitting(SongDocument& song, PageMeasures& metrics, long long lowest, long long highest,
                       long long difference) {
    Fitting best;
    long long low = lowest, high = highest;
    while (low <= high) {
        const long long mid = low + (high - low) / 2;
        if (std::optional<ComposedPage> page = fittingPage(song, metrics, int(mid), int(difference))) {
            best = {mid, std::move(page)};
            low = mid + 1;
        } else {
            high = mid - 1;
        }
    }
    return best;
}

} // namespace

std::string withColumnBreak(const std::string& lyrics, std::size_t before) {
    std::size_t at = 0;
    for (std::size_t line = 0; line < before; ++line) {
        const std::size_t end = lyrics.find('\n', at);
        if (end == std::string::npos) {
            // Past the last line: the directive becomes a new last line.
            std::string out = lyrics;
            lines::add(out, notation::directiveLine(notation::Directive::NewColumn));
            return out;
        }
        at = end + 1;
    }
    std::string out = lyrics;
    out.insert(at, std::string(notation::directiveLine(notation::Directive::NewColumn)) + "\r\n");
    return out;
}

std::optional<std::size_t> bestColumnBreak(const SongDocument& doc, PageMeasures& metrics) {
    const std::vector<std::string> lyrics = doc.TextEdit().lineList();
    for (const std::string& line : lyrics)
        if (notation::directiveOf(line) == notation::Directive::NewColumn)
            return std::nullopt;
    selectFont(metrics, doc.TextFont);
    const long long text = metrics.textHeight("ABCdefg");
    selectFont(metrics, doc.AkkordFont);
    const long long chord = metrics.textHeight("ABCdefg");
    const long long chorus = blockRows(doc.RefrainEdit().lineList(), text, chord);
    const long long bridge = blockRows(doc.BridgeEdit().lineList(), text, chord);
    std::vector<long long> before(lyrics.size() + 1, 0); // the rows of the lines before each line
    for (std::size_t i = 0; i < lyrics.size(); ++i)
        before[i + 1] = before[i] + rowsOf(lyrics[i], text, chord, chorus, bridge);
    const long long total = before.back();
    std::optional<std::size_t> best;
    long long bestHeight = 0;
    for (std::size_t k = 1; k < lyrics.size(); ++k) {
        const bool place = blankLine(lyrics[k - 1]) || isBlock(notation::directiveOf(lyrics[k])) ||
                           isBlock(notation::directiveOf(lyrics[k - 1]));
        if (!place || blankLine(lyrics[k]))
            continue;
        // The switch line itself takes a row of the first column.
        const long long height = std::max(before[k] + text, total - before[k]);
        if (!best || height < bestHeight) {
            best = k;
            bestHeight = height;
        }
    }
    return best;
}

namespace {

// Fits as fitToOnePage says; `chosen` receives the page composed at the sizes fitting chose.
FitOutcome fitOnePage(SongDocument& doc, PageMeasures& metrics, bool runsOff, std::optional<ComposedPage>& chosen) {
    const std::int32_t text = doc.TextFont.size;
    const std::int32_t chord = doc.AkkordFont.size;
    FitOutcome outcome = alreadyFits(doc);
    // Sizes are tried on copies of one page, so the song changes only once the fitting pair is found.
    SongDocument song;
    song.copySongFrom(doc);
    SongOptions onePage = song.options();
    onePage.pages = 1;
    song.setOptions(onePage);
    // What runs off the song's pages runs off one page all the more.
    if (!runsOff && !runsOffPage(CheckPage(song, metrics)))
        return outcome;
    const long long difference = static_cast<long long>(text) - chord;
    const long long lowest = std::max<long long>(kMinFitTextPoints, kMinFitChordPoints + difference);

    // The same song with a second column at its best place, when it has none yet.
    SongDocument columns;
    const std::optional<std::size_t> columnAt = bestColumnBreak(song, metrics);
    Fitting withColumn;
    if (columnAt) {
        columns.copySongFrom(song);
        columns.TextEdit().setText(withColumnBreak(song.TextEdit().text(), *columnAt));
        withColumn = largestFitting(columns, metrics, lowest, text, difference);
    }
    const long long bestColumns = withColumn.size;
    Fitting oneColumn = bestColumns == text ? Fitting{} : largestFitting(song, metrics, lowest, text - 1, difference);
    const long long bestOne = oneColumn.size;
    if (bestOne < 0 && bestColumns < 0) {
        outcome.result = FitResult::CannotFit;
        song.TextFont.size = std::int32_t(lowest);
        song.AkkordFont.size = std::int32_t(lowest - difference);
        outcome.message = cannotFitMessage(song, metrics);
        return outcome;
    }
    // The larger text wins; at the same size the song keeps its one column.
    const bool takeColumn = bestColumns > bestOne;
    const long long best = takeColumn ? bestColumns : bestOne;
    chosen = std::move(takeColumn ? withColumn.page : oneColumn.page);
    if (takeColumn) {
        doc.TextEdit().editText(withColumnBreak(doc.TextEdit().text(), *columnAt));
        outcome.columnAt = int(*columnAt) + 1;
    }
    doc.TextFont.size = std::int32_t(best);
    doc.AkkordFont.size = std::int32_t(best - difference);
    doc.Modified = true;
    outcome.result = FitResult::Fitted;
    outcome.textTo = doc.TextFont.size;
    outcome.chordTo = doc.AkkordFont.size;
    if (takeColumn) {
        outcome.message = QStringLiteral("Zweite Spalte ab Zeile %1").arg(outcome.columnAt);
        if (outcome.textTo != outcome.textFrom)
            outcome.message += QStringLiteral(", Text %1 \u2192 %2 Punkt").arg(outcome.textFrom).arg(outcome.textTo);
    } else {
        outcome.message = QStringLiteral("Text %1 \u2192 %2 Punkt, Akkorde %3 \u2192 %4 Punkt")
                              .arg(outcome.textFrom)
                              .arg(outcome.textTo)
                              .arg(outcome.chordFrom)
                              .arg(outcome.chordTo);
    }
    return outcome;
}

} // namespace

FitOutcome fitToOnePage(SongDocument& doc, PageMeasures& metrics, bool runsOff) {
    std::optional<ComposedPage> chosen;
    return fitOnePage(doc, metrics, runsOff, chosen);
}

FitOutcome fitComposedSong(SongDocument& doc, PageMeasures& metrics, std::vector<ComposedPage>& pages) {
    const bool runsOff = runsOffPage(CheckPages(pages));
    // One page that holds everything: nothing to fit.
    if (!runsOff && pages.size() == 1)
        return alreadyFits(doc);
    std::optional<ComposedPage> chosen;
    FitOutcome outcome = fitOnePage(doc, metrics, runsOff, chosen);
    if (outcome.result != FitResult::Fitted)
        return outcome;
    // The trial that chose the sizes composed the song's one page already: a copy of the song that
    // differs only in asking for one page, which a song that fits on one page does not need.
    pages.clear();
    if (chosen && !leavesSongOff(chosen->report))
        pages.push_back(std::move(*chosen));
    else
        pages = composeSong(doc, metrics);
    return outcome;
}

FitOutcome EinpassenClick(SongDocument& doc, Reports& dialogs, PageMeasures& metrics) {
    FitOutcome outcome = fitToOnePage(doc, metrics);
    if (outcome.result != FitResult::Fitted)
        dialogs.message(outcome.message);
    return outcome;
}

} // namespace versino
