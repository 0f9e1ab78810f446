#include "print/PageCheck.h"

#include "document/Cp1252.h"
#include "document/Notation.h"
#include "print/ComposedPage.h"
#include "print/PageReport.h"
#include "print/SongPages.h"

#include <algorithm>

namespace versino {

namespace {

// Where a field's findings stand in the list: in the order of the page.
int pageRank(FieldId f) {
    switch (f) {
    case FieldId::Titel:
        return 0;
    case FieldId::Interpret:
        return 1;
    case FieldId::Kapo:
        return 2;
    case FieldId::Vorspiel:
        return 3;
    case FieldId::Text:
        return 4;
    case FieldId::Refrain:
        return 5;
    case FieldId::Bridge:
        return 6;
    case FieldId::Nachspiel:
        return 7;
    case FieldId::Graphik:
        return 8;
    }
    return 9;
}

QString cutText(FieldId f) {
    switch (f) {
    case FieldId::Titel:
        return QStringLiteral("Der Titel ist breiter als die Seite.");
    case FieldId::Interpret:
        return QStringLiteral("Der Interpret ist breiter als die Seite.");
    case FieldId::Kapo:
        return QStringLiteral("Die Kapo-Zeile reicht über den rechten Rand.");
    case FieldId::Vorspiel:
        return QStringLiteral("Die Bemerkung reicht über den rechten Rand.");
    case FieldId::Refrain:
        return QStringLiteral("Die Refrain-Zeile reicht über den rechten Rand.");
    case FieldId::Bridge:
        return QStringLiteral("Die Bridge-Zeile reicht über den rechten Rand.");
    case FieldId::Nachspiel:
        return QStringLiteral("Die Schlussbemerkung reicht über den rechten Rand.");
    default:
        return QStringLiteral("Text oder Akkorde reichen über den rechten Rand.");
    }
}

// How many lines of a multi-line field are listed one by one when nothing else bounds them: the
// chorus and the bridge are drawn where they are called, so the page shows no more of them.
constexpr std::size_t kListedBlockLines = 200;

// The findings of one kind in one field, kept for the lines the page shows and counted for the
// rest, so that a song of millions of such lines costs a few findings, not millions: memory and
// time stay bounded by the page, as for any other text.
class LineFindings {
public:
    LineFindings(std::vector<PageFinding>& out, PageFindingKind kind, FieldId field, const PageReport& report)
        : out_(out), kind_(kind), field_(field), below_(report.linesBelow) {
        std::sort(below_.begin(), below_.end(),
                  [](const PageReport::LinesBelow& a, const PageReport::LinesBelow& b) { return a.first < b.first; });
    }
    ~LineFindings() { flush(); }

    void add(int line, const QString& text) {
        if (onPage(line)) {
            out_.push_back({kind_, field_, line, text});
            return;
        }
        if (counted_++ == 0) {
            firstCounted_ = line;
            firstText_ = text;
        }
    }

    // The one finding that stands for the counted lines: %1 how many, %2 the first of them.
    void setSummary(QString summary) { summary_ = std::move(summary); }

private:
    bool onPage(int line) {
        if (field_ != FieldId::Text)
            return std::size_t(++seen_) <= kListedBlockLines;
        // Few ranges (one per column that runs off); the lines come in order.
        while (range_ < below_.size() && below_[range_].last < line)
            ++range_;
        return range_ >= below_.size() || line < below_[range_].first;
    }
    void flush() {
        if (counted_ == 1)
            out_.push_back({kind_, field_, firstCounted_, firstText_});
        else if (counted_ > 1)
            out_.push_back({kind_, field_, firstCounted_, summary_.arg(counted_).arg(firstCounted_)});
    }

    std::vector<PageFinding>& out_;
    PageFindingKind kind_;
    FieldId field_;
    std::vector<PageReport::LinesBelow> below_;
    QString summary_;
    long long seen_ = 0;
    std::size_t range_ = 0;
    long long counted_ = 0;
    int firstCounted_ = 0;
    QString firstText_;
};

void addOpenChords(std::vector<PageFinding>& out, const std::vector<std::string>& lines, FieldId id,
                   const PageReport& report) {
    const QString text =
        id == FieldId::Refrain
            ? QStringLiteral("Im Refrain wird ein Akkord nicht mit \u201E>\u201C geschlossen.")
        : id == FieldId::Bridge
            ? QStringLiteral("In Bridge / Refrain2 wird ein Akkord nicht mit \u201E>\u201C geschlossen.")
            : QStringLiteral("Ein Akkord wird nicht mit \u201E>\u201C geschlossen.");
    LineFindings findings(out, PageFindingKind::OpenChord, id, report);
    findings.setSummary(
        id == FieldId::Refrain
            ? QStringLiteral("Im Refrain wird in %1 weiteren Zeilen ab Zeile %2 ein Akkord nicht mit \u201E>\u201C geschlossen.")
        : id == FieldId::Bridge
            ? QStringLiteral("In Bridge / Refrain2 wird in %1 weiteren Zeilen ab Zeile %2 ein Akkord nicht mit "
                             "\u201E>\u201C geschlossen.")
            : QStringLiteral("In %1 Zeilen unter der Seite ab Zeile %2 wird ein Akkord nicht mit \u201E>\u201C geschlossen."));
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (notation::hasOpenChord(lines[i]))
            findings.add(int(i) + 1, text);
}

} // namespace

std::vector<PageFinding> CheckPage(const SongDocument& doc, PageMeasures& measures) {
    return CheckPages(composeSong(doc, measures));
}

std::vector<PageFinding> CheckPages(const std::vector<ComposedPage>& pages) {
    if (pages.size() == 1)
        return CheckPage(pages.front());
    std::vector<PageFinding> out;
    for (std::size_t p = 0; p < pages.size(); ++p)
        for (PageFinding& f : CheckPage(pages[p])) {
            // The song's own lines are judged once, with the first page.
            if (p > 0 && (f.kind == PageFindingKind::EmptyBlock || f.kind == PageFindingKind::OpenChord))
                continue;
            const bool known = std::any_of(out.begin(), out.end(), [&](const PageFinding& o) {
                return o.kind == f.kind && o.field == f.field && o.line == f.line;
            });
            if (!known)
                out.push_back(std::move(f));
        }
    std::stable_sort(out.begin(), out.end(), [](const PageFinding& a, const PageFinding& b) {
        const int ra = pageRank(a.field), rb = pageRank(b.field);
        return ra != rb ? ra < rb : a.line < b.line;
    });
    return out;
}

std::vector<PageFinding> CheckPage(const ComposedPage& page) {
    const PageReport& report = page.report;

    std::vector<PageFinding> out;
    for (const PageReport::Cut& c : report.pastRight)
        out.push_back({PageFindingKind::PastRightEdge, c.field, c.line, cutText(c.field)});
    for (const PageReport::LinesBelow& r : report.linesBelow) {
        const QString text = r.first == r.last
                                 ? QStringLiteral("Zeile %1 passt nicht mehr auf die Seite.").arg(r.first)
                                 : QStringLiteral("Zeilen %1\u2013%2 passen nicht mehr auf die Seite.")
                                       .arg(r.first)
                                       .arg(r.last);
        out.push_back({PageFindingKind::BelowPage, FieldId::Text, r.first, text});
    }
    if (report.closingRemarkBelow)
        out.push_back({PageFindingKind::BelowPage, FieldId::Nachspiel, 1,
                       QStringLiteral("Die Schlussbemerkung passt nicht mehr auf die Seite.")});

    const std::vector<std::string>& lyrics = report.lyricLines;
    const bool chorusEmpty = report.chorusLines.empty();
    const bool bridgeEmpty = report.bridgeLines.empty();
    {
        LineFindings empty(out, PageFindingKind::EmptyBlock, FieldId::Text, report);
        empty.setSummary(QStringLiteral("%1 Zeilen unter der Seite ab Zeile %2 rufen ein leeres Feld auf."));
        for (std::size_t i = 0; i < lyrics.size(); ++i) {
            const std::string& l = lyrics[i];
            const int line = int(i) + 1;
            const notation::Directive d = notation::directiveOf(l);
            if (d == notation::Directive::Refrain && chorusEmpty)
                empty.add(line, QStringLiteral("\u201E>>Refrain\u201C ruft einen leeren Refrain auf."));
            else if ((d == notation::Directive::Refrain2 || d == notation::Directive::Bridge) && bridgeEmpty)
                empty.add(line, QStringLiteral("\u201E%1\u201C ruft ein leeres Feld \u201EBridge / Refrain2\u201C auf.")
                                    .arg(QString::fromLatin1(l.c_str())));
        }
    }
    addOpenChords(out, lyrics, FieldId::Text, report);
    addOpenChords(out, report.chorusLines, FieldId::Refrain, report);
    addOpenChords(out, report.bridgeLines, FieldId::Bridge, report);

    for (const PageReport::Diagram& d : report.diagramsLeftOut)
        out.push_back({PageFindingKind::DiagramNoRoom, d.field, d.line,
                       QStringLiteral("Das Griffbild f\u00FCr \u201E%1\u201C hat auf der Seite keinen Platz mehr und fehlt.")
                           .arg(cp1252::toUnicode(d.chord))});
    for (const PageReport::Diagram& d : report.chordsWithoutDiagram)
        out.push_back({PageFindingKind::NoDiagram, d.field, d.line,
                       QStringLiteral("F\u00FCr den Akkord \u201E%1\u201C gibt es kein Griffbild.")
                           .arg(cp1252::toUnicode(d.chord))});

    switch (report.picture) {
    case PageReport::Picture::NoRoom:
        out.push_back({PageFindingKind::PictureNoRoom, FieldId::Graphik, 1,
                       QStringLiteral("Das Bild hat unter dem Text keinen Platz mehr und fehlt.")});
        break;
    case PageReport::Picture::CannotOpen:
        out.push_back(
            {PageFindingKind::PictureUnreadable, FieldId::Graphik, 1,
             QStringLiteral("Die Bilddatei kann nicht geöffnet werden: %1").arg(report.pictureError)});
        break;
    case PageReport::Picture::NotABitmap:
        out.push_back({PageFindingKind::PictureUnreadable, FieldId::Graphik, 1,
                       QStringLiteral("Die Bilddatei enthält kein BMP-Bild; das Bild fehlt.")});
        break;
    default:
        break;
    }
    std::stable_sort(out.begin(), out.end(), [](const PageFinding& a, const PageFinding& b) {
        const int ra = pageRank(a.field), rb = pageRank(b.field);
        return ra != rb ? ra < rb : a.line < b.line;
    });
    return out;
}

QString fieldLabel(FieldId field) {
    switch (field) {
    case FieldId::Titel: return QStringLiteral("Titel");
    case FieldId::Interpret: return QStringLiteral("Interpret");
    case FieldId::Vorspiel: return QStringLiteral("Bemerkung");
    case FieldId::Kapo: return QStringLiteral("Kapo");
    case FieldId::Refrain: return QStringLiteral("Refrain");
    case FieldId::Bridge: return QStringLiteral("Bridge / Refrain2");
    case FieldId::Text: return QStringLiteral("Songtext");
    case FieldId::Nachspiel: return QStringLiteral("Schlussbemerkung");
    case FieldId::Graphik: return QStringLiteral("Grafik");
    }
    return {};
}

bool runsOffPage(const std::vector<PageFinding>& findings) {
    return std::any_of(findings.begin(), findings.end(), [](const PageFinding& f) {
        return f.kind == PageFindingKind::BelowPage || f.kind == PageFindingKind::PastRightEdge ||
               f.kind == PageFindingKind::DiagramNoRoom;
    });
}

} // namespace versino
