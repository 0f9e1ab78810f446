#include "ui/LyricsEdit.h"

#include "document/Cp1252.h"
#include "formats/ChordSheet.h"

#include <QMimeData>
#include <QTextCursor>

namespace versino::ui {

void LyricsEdit::insertFromMimeData(const QMimeData* source) {
    const std::optional<chordsheet::Pasted> sheet = source && source->hasText() && !isReadOnly()
                                                        ? chordsheet::convertPaste(source->text())
                                                        : std::nullopt;
    if (!sheet) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    // The selection it replaces and the converted text are one change: Ctrl+Z undoes both.
    QTextCursor cursor = textCursor();
    cursor.beginEditBlock();
    cursor.insertText(cp1252::toUnicode(sheet->text));
    cursor.endEditBlock();
    setTextCursor(cursor);
    ensureCursorVisible();
    const QString report = sheet->report.message();
    if (!report.isEmpty())
        emit pasteReport(report);
}

} // namespace versino::ui
