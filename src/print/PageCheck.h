#pragma once

#include "document/SongDocument.h"
#include "platform/PrintSurface.h"

#include <QString>
#include <vector>

namespace versino {

// What kind of trouble a finding names. Callers that only ask whether the song runs off the page
// (fit to one page) look at BelowPage, PastRightEdge and DiagramNoRoom.
enum class PageFindingKind {
    BelowPage,         // lyric lines or the closing remark lie below the printable bottom
    PastRightEdge,     // text or chords are cut at the right edge
    PictureNoRoom,     // the picture is left out: no room is left below the text
    PictureUnreadable, // the picture file cannot be opened or holds no BMP picture
    EmptyBlock,        // ">>Refrain", ">>Refrain2" or ">>Bridge" calls an empty field
    OpenChord,         // a "<" whose chord is not closed on its own line
    DiagramNoRoom,     // a chord diagram is left out: the band has no room left on the page
    NoDiagram,         // a chord gets no diagram: Versino cannot read it or no fingering plays it
};

// One place where the paper cannot show the song. `line` is 1-based within `field` (single-line
// fields have line 1); for lines that do not fit, it is the first of them.
struct PageFinding {
    PageFindingKind kind;
    FieldId field;
    int line;
    QString text; // short German text for the user
};

struct ComposedPage;

// Lists what a composed page cannot hold, in the order of the page: header, lyrics, closing
// remark, picture. Its cost is linear in the song's lines and the page's findings.
std::vector<PageFinding> CheckPage(const ComposedPage& page);

// Composes the song's pages with `measures` (for instance the printer's at 600 dots per inch) and
// checks them. Lines below a full page are counted, not laid out, so a huge song costs little.
std::vector<PageFinding> CheckPage(const SongDocument& doc, PageMeasures& measures);

// What the pages of one song cannot hold (the song's second page included), each place once, in
// the order of the song.
std::vector<PageFinding> CheckPages(const std::vector<ComposedPage>& pages);

// The name the window gives a field ("Songtext", "Bridge / Refrain2"), for naming where a finding is.
QString fieldLabel(FieldId field);

// True when a finding says that the song runs below the page or past its right edge, or that its
// diagram band has no room for a diagram: fitting the song to the page counts the band.
bool runsOffPage(const std::vector<PageFinding>& findings);

} // namespace versino
