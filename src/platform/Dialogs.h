#pragma once

#include "document/SongDocument.h"
#include "music/Transpose.h"
#include "platform/YesNoQuestion.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace versino {

// The buttons a message box can answer with.
enum class MsgButton { Ok, Yes, No, Cancel };

// What a file dialog is given before it is shown.
struct FileDialogOptions {
    QString defaultExtension; // without the dot: "vsn", "bmp"
    QString filter;           // description|patterns pairs: "Text Layouts (*.vsn)|*.vsn"
    // The file name shown first; unset means the name last chosen in the same dialog.
    std::optional<QString> initialName;
};

// Everything modal the program shows the user, in small pieces: a caller asks for the piece it
// uses, and a program implements only the pieces it can show (versino-print writes reports to
// standard error and asks nothing). The window uses the Qt implementation of all of them; tests
// queue the answers in a scripted one, so no test ever blocks on a real dialog.

// Telling the user something; nothing is asked.
class Reports {
public:
    virtual ~Reports() = default;
    // A plain message: the program's title as caption, one OK button.
    virtual void message(const QString& text) = 0;
    // The general error report: error icon, the program's title as caption, one OK button.
    virtual void error(const QString& text) = 0;
};

// Questions the user answers with a button.
class Questions {
public:
    virtual ~Questions() = default;
    // The save prompt: caption "Confirm", question icon, "&Yes", "&No" and, when withCancel, "Cancel".
    // Default button Yes; Esc and the close box answer Cancel where there is one, else No.
    virtual MsgButton confirm(const QString& text, bool withCancel) = 0;
};

// The shared open dialog (layout files and pictures) and the save dialog. Each returns the chosen
// file's full path, or nothing when cancelled; a confirmed dialog remembers the name for its next
// showing.
class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    virtual std::optional<QString> openFile(const FileDialogOptions& options) = 0;
    virtual std::optional<QString> saveFile(const FileDialogOptions& options) = 0;
    // An open dialog in which several existing files can be chosen at once; their full paths in
    // the order given, or nothing when cancelled. Without a dialog of its own, the single one.
    virtual std::optional<QStringList> openFiles(const FileDialogOptions& options) {
        if (std::optional<QString> one = openFile(options))
            return QStringList{*one};
        return std::nullopt;
    }
};

// The font dialog, preset with a setting; returns the chosen face, size, style and colour.
class FontDialogs {
public:
    virtual ~FontDialogs() = default;
    virtual std::optional<FontSetting> chooseFont(const FontSetting& preset) = 0;
};

// The transposition dialog, preset with a notation and spelling (the semitones are chosen afresh);
// the `unrecognised` chords of the song will stay as they are, which the dialog says, naming them.
// Returns the chosen steps (never 0), notation and spelling, or nothing when cancelled.
class TransposeDialogs {
public:
    virtual ~TransposeDialogs() = default;
    virtual std::optional<transpose::Options> askTranspose(const transpose::Options& preset,
                                                           const transpose::Count& unrecognised) = 0;
};

// All of them: what the window and its commands show.
class Dialogs : public Reports,
                public Questions,
                public YesNoQuestion,
                public FileDialogs,
                public FontDialogs,
                public TransposeDialogs {};

} // namespace versino
