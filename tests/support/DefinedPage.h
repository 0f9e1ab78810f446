#pragma once
// The page exactly as the page layout defines it, for tests that compare a composed page with it.

#include "document/Notation.h"
#include "platform/Bitmap.h"
#include "print/PageComposer.h"
#include "print/SelectFont.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace versino::testing {

// No cell is moved: a plain reading of the definition, measuring with the same measures as the page
// it is compared with. It keeps what a printer would show: cells that begin on the page, and chord
// rows only together with their lyric rows.
class DefinedPage {
public:
    struct Box {
        long long left, top, right, bottom;
        std::string text; // "" for the picture
        int column;       // -1 outside the columns
        bool overlaps(const Box& o) const {
            return left < o.right && o.left < right && top < o.bottom && o.top < bottom;
        }
    };
    struct ChordSpan {
        int line;
        long long x, right, blank;
    };
    std::vector<Box> cells;
    std::vector<ChordSpan> chords;

    DefinedPage(PageMeasures& s, const SongDocument& doc) : s_(s), doc_(doc) { lay(); }

    // Two cells that intersect, chords of one row closer than a blank, or a cell of a later column
    // less than the column gap right of an earlier column's cell on the same rows.
    bool collides() const {
        for (std::size_t i = 0; i < cells.size(); ++i)
            for (std::size_t j = 0; j < cells.size(); ++j) {
                const Box &a = cells[i], &b = cells[j];
                if (i < j && a.overlaps(b))
                    return true;
                if (a.column >= 0 && b.column > a.column && a.top < b.bottom && b.top < a.bottom &&
                    a.right + 50 > b.left)
                    return true;
            }
        for (std::size_t i = 1; i < chords.size(); ++i)
            if (chords[i].line == chords[i - 1].line && chords[i].x < chords[i - 1].right + chords[i - 1].blank)
                return true;
        return false;
    }

private:
    int width(const FontSetting& f, std::string_view t) {
        selectFont(s_, f);
        return s_.textWidth(t);
    }
    int height(const FontSetting& f) {
        selectFont(s_, f);
        return s_.textHeight("ABCdefg");
    }
    // Keeps a cell when the printer would show it; `rowTop` is the row that decides (for a chord,
    // its line's lyric row).
    void cell(const FontSetting& f, long long x, long long y, const std::string& t, long long rowTop) {
        if (t.empty() || x >= s_.pageWidth() || rowTop >= s_.pageHeight() || y >= s_.pageHeight())
            return;
        cells.push_back({x, y, x + width(f, t), y + height(f), t, column_});
    }
    void chordLine(long long left, int& y, const std::string& line) {
        const FontSetting& text = doc_.TextFont;
        FontSetting raised = doc_.AkkordFont;
        raised.size -= 3;
        struct Placed {
            long long x;
            std::string text, raised;
        };
        std::vector<Placed> placed;
        std::string lyric;
        bool anyChord = false;
        notation::forEachPiece(line, [&](const notation::Piece& p) {
            if (p.kind == notation::Piece::Kind::Text) {
                lyric += p.text;
                return;
            }
            anyChord = true;
            if (!p.chord.text.empty() || !p.chord.raised.empty())
                placed.push_back({left + width(text, lyric), std::string(p.chord.text), std::string(p.chord.raised)});
        });
        const int top = y;
        if (anyChord)
            y += C_;
        ++lineId_;
        for (const Placed& c : placed) {
            const long long raisedX = c.x + width(doc_.AkkordFont, c.text);
            cell(doc_.AkkordFont, c.x, top, c.text, y);
            cell(raised, raisedX, top, c.raised, y);
            if (c.x < s_.pageWidth() && y < s_.pageHeight())
                chords.push_back({lineId_, c.x, raisedX + width(raised, c.raised), width(doc_.AkkordFont, " ")});
        }
        cell(text, left, y, lyric, y);
    }
    void lay() {
        const PrintSnapshot snap = TakePrintSnapshot(doc_);
        const int centre = s_.pageWidth() / 2;
        const auto half = [](int w) { return w / 2 + (w % 2 != 0 && (w / 2) % 2 != 0 ? (w > 0 ? 1 : -1) : 0); };
        cell(snap.titelFont, centre - half(width(snap.titelFont, snap.title)), 150, snap.title, 150);
        int y = 150;
        if (!snap.performer.empty()) {
            y += 50 + height(snap.interpretFont);
            cell(snap.interpretFont, centre - half(width(snap.interpretFont, snap.performer)), y, snap.performer, y);
        }
        FontSetting capo = snap.textFont;
        capo.size = 12;
        cell(capo, 200, y, "Kapo: " + snap.capo, y);
        y += 100;
        C_ = height(doc_.AkkordFont);
        const int T = height(snap.textFont);
        if (!snap.remark.empty()) {
            y += T;
            cell(snap.textFont, 200, y, snap.remark, y);
            y += 2 * T;
        }
        int columnX = 200, columnTop = y, firstColumnBottom = y;
        column_ = 0;
        FontSetting word = snap.textFont, heading = snap.textFont;
        word.style = FontStyle::Italic | FontStyle::Underline;
        heading.style = word.style | FontStyle::Bold;
        for (const std::string& line : snap.lyricLines) {
            y += T;
            const notation::Directive d = notation::directiveOf(line);
            if (d == notation::Directive::RefrainWord) {
                cell(word, columnX, y, line, y);
            } else if (d == notation::Directive::NewColumn) {
                firstColumnBottom = y;
                y = columnTop;
                columnX = centre + 50;
                ++column_;
            } else if (d == notation::Directive::None) {
                chordLine(columnX, y, line);
            } else {
                const bool chorus = d == notation::Directive::Refrain;
                const std::string name = d == notation::Directive::Bridge ? "Bridge:" : "Refrain:";
                y += T;
                const int indent = width(heading, name + " ");
                cell(heading, columnX, y + C_, name, y + C_);
                for (const std::string& l : chorus ? snap.chorusLines : snap.bridgeLines) {
                    chordLine(columnX + indent, y, l);
                    y += T;
                }
            }
        }
        column_ = -1;
        y = std::max(y, firstColumnBottom);
        if (!snap.closingRemark.empty()) {
            y += 2 * T + 100;
            cell(snap.textFont, 200, y, snap.closingRemark, y);
        }
        y += 100;
        const BitmapLoad load = loadBitmap(snap.pictureFile);
        if (snap.pictureFile.empty() || load.status != BitmapLoad::Status::Loaded)
            return;
        float w = float(load.bitmap.width()), h = float(load.bitmap.height());
        const float ratio = w / h;
        if (float(s_.pageWidth()) < w) {
            w = float(s_.pageWidth());
            h = w / ratio;
        }
        if (s_.pageHeight() - y <= 0)
            return;
        if (float(s_.pageHeight() - y) < h) {
            h = float(s_.pageHeight() - y);
            w = h * ratio;
        }
        const Box box{centre - int(std::trunc(w / 2)), s_.pageHeight() - 50 - int(std::trunc(h)),
                      centre + int(std::trunc(w / 2)), s_.pageHeight() - 50, "", -1};
        if (box.left < box.right && box.top < box.bottom)
            cells.push_back(box);
    }

    PageMeasures& s_;
    const SongDocument& doc_;
    int C_ = 0;
    int column_ = -1;
    int lineId_ = 0;
};

} // namespace versino::testing
