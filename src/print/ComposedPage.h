#pragma once

#include "document/SongDocument.h"
#include "platform/Bitmap.h"
#include "platform/PrintSurface.h"
#include "print/PageReport.h"

#include <optional>
#include <string>
#include <vector>

namespace versino {

// One text as the page shows it: its cell's top-left corner and size in device units, the font it
// is drawn in, and the bytes that show (a text reaching past the edge is already cut).
struct PlacedText {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    FontSetting font;
    std::string text;
};

struct PlacedPicture {
    PageBox box;
    Bitmap bitmap;
};

// A chord diagram's figure: the box it takes (its name is a text of its own, above it).
struct PlacedDiagram {
    PageBox box;
    std::string chord;
};

// A song's page, laid out once: what is drawn where, and what the paper could not hold. The
// printer, a PDF, an image and the preview draw it; the page check reads its report.
struct ComposedPage {
    int width = 0; // the page, in device units
    int height = 0;
    std::vector<PlacedText> texts; // in drawing order
    std::optional<PlacedPicture> picture;
    std::vector<PageShape> shapes; // the diagrams' strokes and fills, drawn after the texts
    std::vector<PlacedDiagram> diagrams;
    PageReport report;
    // The lyric lines (0-based) that this page leaves to the next one, when it was composed to stop
    // at its foot: the rest of each column whose next unit would not fit whole, with the column
    // switch that opens a later column before that column's lines.
    std::vector<std::size_t> continued;

    // Every drawn cell, each diagram's box and the picture's box: what anything added to the page
    // must not cover.
    std::vector<PageBox> occupied() const;
};

// Which part of a song a page shows, for a song that may continue on a second page.
struct PagePart {
    // The second page: a small title row ("Titel (Fortsetzung)") instead of the header, capo line and
    // remark, then the lyric lines `lines` (0-based, in order) in the columns and fonts of the first.
    bool continuation = false;
    std::vector<std::size_t> lines;
    // The closing remark and the picture stand on this page.
    bool endOfSong = true;
    // A unit that would not fit whole on the page is left to the next page with the rest of its
    // column (ComposedPage::continued) instead of being counted below the page.
    bool stopAtFoot = false;
};

// Lays out the song's page, measuring with `measures` (the printer's, a PDF's, or PageMetrics).
// Texts stand at the positions the page layout defines; a cell moves only where it would meet a
// cell already placed, and only as far as needed. Lines below the page are counted, not measured.
ComposedPage composePage(const SongDocument& doc, PageMeasures& measures);
ComposedPage composePage(const SongDocument& doc, PageMeasures& measures, const PagePart& part);

// Draws a composed page onto a surface that measures like the one it was composed with.
void drawPage(const ComposedPage& page, PrintSurface& target);

} // namespace versino
