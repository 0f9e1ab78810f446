#pragma once

#include "document/SongDocument.h"
#include "platform/Dialogs.h"

#include <QString>
#include <functional>

namespace versino {

inline const char* const kSavePrompt = "Wollen Sie die Datei vor dem Schließen speichern?";
inline const char* const kLayoutExtension = "vsn";
inline const char* const kLayoutFilter = "Text Layouts (*.vsn)|*.vsn";

// The file name Save As offers for a title: never a path (a slash becomes "-"), without control
// characters, without dots or blanks at either end, short enough for the file system. A title that
// leaves nothing gives "unbenannt"; an empty title gives an empty suggestion.
QString suggestedFileName(const QString& title);

// New, Open, Save, Save As and the close query, over a document and the dialogs. Knows no widget:
// the window passes in what it must do on the screen. File errors escape as FileError and reach
// the window's error report; the command stops where the error arose.
class DocumentCommands {
public:
    struct Hooks {
        std::function<void()> updateCaption;    // show captionFor(doc.DocumentName)
        std::function<void()> updateFieldFonts; // UpdateTitelFont, then UpdateInterpretFont
        std::function<void()> focusTitel;       // give TitelEdit the focus; does nothing while hidden
    };

    DocumentCommands(SongDocument& doc, Dialogs& dialogs, Hooks hooks);

    void FormCreate();
    void NeuClick();
    void OeffnenClick();
    // Open without the prompt and the dialog: reads the file at `path`, which becomes DocumentName.
    // A file error escapes and leaves the document as it was.
    void openPath(const QString& path);
    // Open of a file chosen elsewhere (a songbook's list): the save prompt as Open asks it, then
    // openPath.
    void openAsked(const QString& path);
    // Both return false when the user cancelled the save dialog (nothing was saved).
    bool SpeichernClick();
    bool SpeichernAlsClick();
    // Writes the song as a ChordPro file; changes neither DocumentName nor Modified.
    void ExportChordProClick();
    // True when the window may close. A file error in the save it starts escapes (and so refuses).
    bool FormCloseQuery();

    // The full path a Save writes to: DocumentName when it holds a folder, otherwise the name in
    // the folder chosen in the last Save As (or the current folder when there was none).
    QString saveTarget() const;

private:
    // The save prompt; returns false when the asking command must stop.
    bool askToSave(bool withCancel);
    void openChordPro(const QString& path);

    SongDocument& doc_;
    Dialogs& dialogs_;
    Hooks hooks_;
    QString saveFolder_;
    // A song imported from ChordPro carries a suggested name but has never been saved as a layout
    // file: its first Save asks for a name, so the ChordPro file is never overwritten.
    bool imported_ = false;
};

} // namespace versino
