#pragma once

#include "document/SongDocument.h"
#include "platform/PrintSurface.h"

#include <QString>
#include <optional>
#include <string>
#include <vector>

namespace versino {

// What composing a page found out about the places where the paper cannot hold the song.
struct PageReport {
    // A text or chord reaching past the right edge (or, for the centred title and performer,
    // past either edge). `line` is 1-based.
    struct Cut {
        FieldId field;
        int line;
    };
    // Lyric lines (1-based, first and last) whose rows lie wholly or partly below the page.
    struct LinesBelow {
        int first;
        int last;
    };
    enum class Picture { None, Shown, NoRoom, CannotOpen, NotABitmap };

    // A chord of the diagram band, named where it first stands.
    struct Diagram {
        std::string chord;
        FieldId field;
        int line;
    };

    std::vector<Cut> pastRight;
    std::vector<LinesBelow> linesBelow;
    bool closingRemarkBelow = false;
    Picture picture = Picture::None;
    QString pictureError; // the file layer's words when the picture file cannot be opened
    std::vector<Diagram> diagramsLeftOut;      // no room was left for them on the page
    std::vector<Diagram> chordsWithoutDiagram; // not read as a chord, or no fingering plays it
    // The song's lines as the page used them, handed over so that they are split only once.
    std::vector<std::string> lyricLines;
    std::vector<std::string> chorusLines;
    std::vector<std::string> bridgeLines;
};

} // namespace versino
