#pragma once

#include <QPlainTextEdit>

namespace versino::ui {

// The edit of a field that holds lyric lines (chorus, bridge, lyrics). A chord sheet pasted or
// dropped into it (a chord line directly above a text line) arrives converted to inline chords,
// as one step of the edit's undo; any other text arrives as it is.
class LyricsEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    using QPlainTextEdit::QPlainTextEdit;

signals:
    // After a converted paste that left something out or changed characters: what, in German.
    void pasteReport(const QString& text);

protected:
    void insertFromMimeData(const QMimeData* source) override;
};

} // namespace versino::ui
