#pragma once

#include "commands/FileQuestions.h"
#include "commands/SongOpener.h"
#include "document/SongDocument.h"
#include "platform/Dialogs.h"

#include <QString>
#include <functional>
#include <optional>

namespace versino {

struct RecoveryOffer;

inline const char* const kSavePrompt = "Wollen Sie die Datei vor dem Schließen speichern?";
inline const char* const kLayoutExtension = "vsn";
// After the import of a file of several songs, which holds only its first.
inline const char* const kOtherSongsOfFile =
    "Die Datei enth\u00E4lt %1 Songs; ge\u00F6ffnet ist der erste.";

// The main window's caption for a document name: "Versino 2.11 - [" name "]", the version being
// the project's.
QString captionFor(const QString& documentName);

// The file name Save As offers for a title: never a path (a slash becomes "-"), without control
// characters, without dots or blanks at either end, short enough for the file system. A title that
// leaves nothing gives "unbenannt"; an empty title gives an empty suggestion.
QString suggestedFileName(const QString& title);

// New, Open, Save, Save As and the close query, over a document and the dialogs. Knows no widget:
// the window passes in what it must do on the screen. File errors escape as FileError and reach
// the window's error report; the command stops where the error arose.
//
// Which file is open is one absolute path, empty while the song is untitled or freshly imported
// (then Save asks for a name, so an imported file is never overwritten). DocumentName, the name
// the caption shows, is derived from it: the whole path after Open, the file name after Save As.
class DocumentCommands {
public:
    struct Hooks {
        std::function<void()> updateCaption;    // show captionFor(doc.DocumentName)
        std::function<void()> updateFieldFonts; // UpdateTitelFont, then UpdateInterpretFont
        std::function<void()> focusTitel;       // give TitelEdit the focus; does nothing while hidden
        std::function<void()> songReplaced;     // New or Open has put another song into the fields
    };

    DocumentCommands(SongDocument& doc, Dialogs& dialogs, Hooks hooks);

    void FormCreate();
    void NeuClick();
    void OeffnenClick();
    // Open without the prompt and the dialog: reads the file at `path`, which becomes DocumentName.
    // A file error escapes and leaves the document as it was. A backup copy left by a save of
    // that file that did not finish is offered back as an unsaved change, and removed either way.
    void openPath(const QString& path);
    // Open of a file chosen elsewhere (a songbook's list): the save prompt as Open asks it, then
    // openPath.
    void openAsked(const QString& path);
    // Puts a recovery copy left by an editor that ended without saving into the fields: the song
    // belongs to the file it belonged to then (none for an untitled one) and has unsaved changes.
    // A copy that does not read leaves the document as it was and escapes as FileError.
    void restore(const RecoveryOffer& offer);
    // The file Save writes to; empty while the song is untitled or imported.
    const QString& filePath() const { return filePath_; }
    // Both return false when nothing was saved because the user said so: the save dialog was
    // cancelled, or replacing a file, or overwriting changes made outside Versino, was refused.
    bool SpeichernClick();
    bool SpeichernAlsClick();
    // Writes the song as a ChordPro file; changes neither DocumentName nor Modified.
    void ExportChordProClick();
    // The folder the song belongs in: its layout file's, or the one an imported song was read from;
    // empty while the song is untitled. Exports are offered there.
    QString songFolder() const;
    // True when the window may close. A file error in the save it starts escapes (and so refuses).
    bool FormCloseQuery();

private:
    // The save prompt; returns false when the asking command must stop.
    bool askToSave(bool withCancel);
    void setFile(const QString& path, const QString& shownName);
    // False when the file changed outside Versino since it was opened or saved and the user does
    // not want those changes overwritten.
    bool mayOverwrite();
    void writeSong();

    SongDocument& doc_;
    Dialogs& dialogs_;
    Hooks hooks_;
    // The absolute path Save writes to; empty while the song is untitled or imported.
    QString filePath_;
    // The file as it was when it was opened or last saved here (nothing when there was none).
    std::optional<FileStamp> stamp_;
};

} // namespace versino
