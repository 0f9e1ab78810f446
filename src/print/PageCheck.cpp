#include "print/PageCheck.h"

#include "document/Notation.h"
#include "print/ComposedPage.h"
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

void addOpenChords(std::vector<PageFinding>& out, const std::vector<std::string>& lines, FieldId id) {
    const QString text =
        id == FieldId::Refrain
            ? QStringLiteral("Im Refrain wird ein Akkord nicht mit \u201E>\u201C geschlossen.")
        : id == FieldId::Bridge
            ? QStringLiteral("In Bridge / Refrain2 wird ein Akkord nicht mit \u201E>\u201C geschlossen.")
            : QStringLiteral("Ein Akkord wird nicht mit \u201E>\u201C geschlossen.");
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (notation::hasOpenChord(lines[i]))
            out.push_back({PageFindingKind::OpenChord, id, int(i) + 1, text});
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
    for (std::size_t i = 0; i < lyrics.size(); ++i) {
        const std::string& l = lyrics[i];
        const int line = int(i) + 1;
        const notation::Directive d = notation::directiveOf(l);
        if (d == notation::Directive::Refrain && chorusEmpty)
            out.push_back({PageFindingKind::EmptyBlock, FieldId::Text, line,
                           QStringLiteral("\u201E>>Refrain\u201C ruft einen leeren Refrain auf.")});
        else if ((d == notation::Directive::Refrain2 || d == notation::Directive::Bridge) && bridgeEmpty)
            out.push_back(
                {PageFindingKind::EmptyBlock, FieldId::Text, line,
                 QStringLiteral("\u201E%1\u201C ruft ein leeres Feld \u201EBridge / Refrain2\u201C auf.")
                     .arg(QString::fromLatin1(l.c_str()))});
    }
    addOpenChords(out, lyrics, FieldId::Text);
    addOpenChords(out, report.chorusLines, FieldId::Refrain);
    addOpenChords(out, report.bridgeLines, FieldId::Bridge);

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
        return f.kind == PageFindingKind::BelowPage || f.kind == PageFindingKind::PastRightEdge;
    });
}

} // namespace versino
