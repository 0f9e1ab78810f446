#include "print/DiagramBand.h"

#include "print/Rows.h"
#include "print/SelectFont.h"

#include <algorithm>
#include <string>

namespace versino {

namespace {

using music::Instrument;

// Measures of the figures in device units (600 dots per inch: 60 units are 2.5 mm).
constexpr int kStringGap = 60;
constexpr int kFretGap = 72;
constexpr int kGridPen = 4;
constexpr int kNutHeight = 16;
constexpr int kDot = 44;
constexpr int kMarker = 30;
constexpr int kMarkerPen = 5;
constexpr int kMarkerRow = 56; // above the grid: the "x" and "o" of each string
constexpr int kNameGap = 12;   // between the name's cell and the figure
constexpr int kFretNumberGap = 14;
constexpr int kDiagramGap = 90; // between two diagrams of a row
constexpr int kRowGap = 60;     // between two rows

constexpr int kWhiteKey = 40;
constexpr int kWhiteKeys = 14;
constexpr int kKeyHeight = 220;
constexpr int kBlackKey = 24;
constexpr int kBlackKeyHeight = 136;
constexpr int kKeyDot = 24;
constexpr int kKeyPen = 3;

int rowsOf(Instrument instrument) { return instrument == Instrument::Guitar ? 5 : 4; }

PageBox at(int left, int top, int width, int height) { return {left, top, left + width, top + height}; }

PageBox centred(int x, int y, int size) { return at(x - size / 2, y - size / 2, size, size); }

class Figure {
public:
    explicit Figure(ComposedPage& page) : page_(page) {}
    void line(int x1, int y1, int x2, int y2, int pen) {
        page_.shapes.push_back({PageShape::Kind::Line, {x1, y1, x2, y2}, pen, false});
    }
    void box(const PageBox& b, bool white = false) { page_.shapes.push_back({PageShape::Kind::Box, b, 1, white}); }
    void frame(const PageBox& b, int pen) { page_.shapes.push_back({PageShape::Kind::Frame, b, pen, false}); }
    void dot(const PageBox& b, bool white = false) { page_.shapes.push_back({PageShape::Kind::Dot, b, 1, white}); }
    void ring(const PageBox& b, int pen, bool white = false) {
        page_.shapes.push_back({PageShape::Kind::Ring, b, pen, white});
    }

private:
    ComposedPage& page_;
};

// Strings, frets, nut or base fret, markers, dots and barre of a fingering; (left, top) is the
// figure box's corner.
void drawStrings(Figure& f, const music::Fingering& fingering, Instrument instrument, int left, int top) {
    const int strings = int(fingering.frets.size());
    const int rows = rowsOf(instrument);
    const int base = music::baseFret(fingering, rows);
    const int gridLeft = left + kDot / 2;
    const int gridTop = top + kMarkerRow;
    const int gridRight = gridLeft + (strings - 1) * kStringGap;
    const int gridBottom = gridTop + rows * kFretGap;
    for (int s = 0; s < strings; ++s)
        f.line(gridLeft + s * kStringGap, gridTop, gridLeft + s * kStringGap, gridBottom, kGridPen);
    for (int r = 0; r <= rows; ++r)
        f.line(gridLeft, gridTop + r * kFretGap, gridRight, gridTop + r * kFretGap, kGridPen);
    if (base == 1)
        f.box({gridLeft - kGridPen / 2, gridTop - kNutHeight, gridRight + kGridPen / 2, gridTop});

    const auto centreY = [&](int fret) { return gridTop + (fret - base) * kFretGap + kFretGap / 2; };
    const std::optional<music::Barre> barre = music::barreOf(fingering);
    if (barre)
        f.box({gridLeft + barre->first * kStringGap, centreY(barre->fret) - kDot / 2,
               gridLeft + barre->last * kStringGap, centreY(barre->fret) + kDot / 2});
    for (int s = 0; s < strings; ++s) {
        const int x = gridLeft + s * kStringGap;
        const int fret = fingering.frets[std::size_t(s)];
        const int markerY = top + kMarkerRow / 2 - kNutHeight / 2;
        if (fret < 0) {
            const int h = kMarker / 2;
            f.line(x - h, markerY - h, x + h, markerY + h, kMarkerPen);
            f.line(x - h, markerY + h, x + h, markerY - h, kMarkerPen);
        } else if (fret == 0) {
            f.ring(centred(x, markerY, kMarker), kMarkerPen);
        } else {
            f.dot(centred(x, centreY(fret), kDot));
        }
    }
}

bool blackKey(int pitchClass) {
    return pitchClass == 1 || pitchClass == 3 || pitchClass == 6 || pitchClass == 8 || pitchClass == 10;
}

// The white keys left of a key's pitch in its octave.
int whitesBelow(int pitchClass) {
    static const int whites[12] = {0, 1, 1, 2, 2, 3, 4, 4, 5, 5, 6, 6};
    return whites[pitchClass];
}

// Centre of a key's marker: low on a white key, low on the black part of a black key.
std::pair<int, int> keyCentre(int key, int left, int top) {
    const int octave = key / 12, pc = key % 12;
    const int whites = octave * 7 + whitesBelow(pc);
    if (blackKey(pc))
        return {left + whites * kWhiteKey, top + kBlackKeyHeight - kKeyDot};
    return {left + whites * kWhiteKey + kWhiteKey / 2, top + kKeyHeight - kKeyDot - 6};
}

void drawKeys(Figure& f, const music::PianoChord& chord, int left, int top) {
    for (int w = 0; w < kWhiteKeys; ++w)
        f.frame(at(left + w * kWhiteKey, top, kWhiteKey, kKeyHeight), kKeyPen);
    for (int key = 0; key < 24; ++key)
        if (blackKey(key % 12)) {
            const int x = keyCentre(key, left, top).first;
            f.box(at(x - kBlackKey / 2, top, kBlackKey, kBlackKeyHeight));
        }
    for (int key : chord.keys) {
        const auto [x, y] = keyCentre(key, left, top);
        f.dot(centred(x, y, kKeyDot), blackKey(key % 12));
    }
    if (chord.bassKey) {
        const auto [x, y] = keyCentre(*chord.bassKey, left, top);
        f.ring(centred(x, y, kKeyDot + 6), kMarkerPen, blackKey(*chord.bassKey % 12));
    }
}

int stringCount(Instrument instrument) { return int(music::tuning(instrument).size()); }

} // namespace

PageBox diagramFigureSize(Instrument instrument) {
    if (instrument == Instrument::Piano)
        return at(0, 0, kWhiteKeys * kWhiteKey, kKeyHeight);
    return at(0, 0, (stringCount(instrument) - 1) * kStringGap + kDot, kMarkerRow + rowsOf(instrument) * kFretGap + kDot / 2);
}

int placeDiagramBand(PrintSurface& s, ComposedPage& page, const FontSetting& chordFont, Instrument instrument,
                     const std::vector<music::SongChord>& chords, const DiagramBandPlace& place) {
    selectFont(s, chordFont);
    const int nameHeight = s.textHeight("ABCdefg");
    // The base fret's number stands left of the figure beside its first row, in the room every
    // diagram keeps for the widest number; a large chord font makes the row as tall as it needs.
    int numberRoom = 0;
    if (instrument != Instrument::Piano) {
        for (int fret = 2; fret <= music::kHighestFret; ++fret)
            numberRoom = std::max(numberRoom, s.textWidth(std::to_string(fret)));
        numberRoom += kFretNumberGap;
    }
    const PageBox figure = diagramFigureSize(instrument);
    const int figureWidth = figure.right - figure.left;
    const int figureHeight = figure.bottom - figure.top;
    const int numberDown = kMarkerRow + std::max(0, (kFretGap - nameHeight) / 2);
    const int rowHeight = nameHeight + kNameGap + std::max(figureHeight, numberDown + nameHeight);
    Figure draw(page);

    // Below every cell drawn so far: a tall header text can reach lower than the lyrics.
    int x = place.left;
    int rowTop = place.top;
    for (const PlacedText& t : page.texts)
        rowTop = std::max(rowTop, advance(t.y, t.height));
    int bottom = INT_MIN;
    bool full = false;
    for (const music::SongChord& chord : chords) {
        const bool playable = instrument == Instrument::Piano ? chord.tones.has_value() : chord.fingering.has_value();
        if (!playable) {
            page.report.chordsWithoutDiagram.push_back({chord.name, chord.field, chord.line});
            continue;
        }
        if (full) {
            page.report.diagramsLeftOut.push_back({chord.name, chord.field, chord.line});
            continue;
        }
        const int nameWidth = s.textWidth(chord.name);
        const int width = std::max(numberRoom + figureWidth + numberRoom, nameWidth);
        if (x > place.left && static_cast<long long>(x) + width > place.right) {
            x = place.left;
            rowTop = advance(rowTop, static_cast<long long>(rowHeight) + kRowGap);
        }
        if (static_cast<long long>(rowTop) + rowHeight > s.pageHeight() ||
            static_cast<long long>(x) + width > s.pageWidth()) {
            // Rows only grow downwards: once one does not fit, none after it does.
            full = true;
            page.report.diagramsLeftOut.push_back({chord.name, chord.field, chord.line});
            continue;
        }
        const int centre = x + width / 2;
        s.drawText(centre - nameWidth / 2, rowTop, chord.name);
        const int figureLeft = centre - figureWidth / 2;
        const int figureTop = rowTop + nameHeight + kNameGap;
        page.diagrams.push_back({at(figureLeft, figureTop, figureWidth, figureHeight), chord.name});
        if (instrument == Instrument::Piano) {
            drawKeys(draw, music::pianoChord(*chord.tones), figureLeft, figureTop);
        } else {
            drawStrings(draw, *chord.fingering, instrument, figureLeft, figureTop);
            const int base = music::baseFret(*chord.fingering, rowsOf(instrument));
            if (base > 1) {
                const std::string number = std::to_string(base);
                s.drawText(figureLeft - kFretNumberGap - s.textWidth(number), figureTop + numberDown, number);
            }
        }
        bottom = std::max(bottom, rowTop + rowHeight);
        x = advance(x, static_cast<long long>(width) + kDiagramGap);
    }
    return bottom;
}

} // namespace versino
