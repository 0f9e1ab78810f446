#pragma once

// TLiederbuchForm, the songbook window: shows the list, the options and the caption that its
// SongbookCommands hold, and hands every user action to them. The file keeps the German name the
// window goes by.

#include "commands/SongbookCommands.h"
#include "platform/Dialogs.h"
#include "ui/ErrorGuard.h"

#include <QWidget>
#include <functional>
#include <vector>

class QCheckBox;
class QComboBox;
class QFileSystemWatcher;
class QLineEdit;
class QTreeWidget;

namespace versino::ui {

class TLiederbuchForm : public QWidget {
    Q_OBJECT
public:
    inline static const char* const kSavePrompt = kSongbookSavePrompt;
    inline static const char* const kNotReadable = kSongbookNotReadable;

    // Columns of the song list.
    enum Column { TitleColumn, PerformerColumn, FileColumn, FitsColumn, KeyColumn, NoteColumn };

    // `openSong` opens a song in the main window (with its save prompt).
    TLiederbuchForm(Dialogs& dialogs, std::function<void(const QString&)> openSong,
                    QWidget* parent = nullptr);
    ~TLiederbuchForm() override;

    // Reads the list at `path` into the window; false after a reported file error.
    bool openList(const QString& path);
    // The songs' files in the list's order.
    QStringList songFiles() const { return commands_.songFiles(); }
    bool isModified() const { return commands_.isModified(); }
    // True when the window may close: asks to save unsaved changes of the list.
    bool closeQuery();

signals:
    // Before each page of an export or print: what is done and what there is to do.
    void bookProgress(int done, int total);
    // The user asked for the main window (F6).
    void returnFocus();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void setupWidgets();
    void setupShortcuts();
    void fitColumns();
    // Shows what the commands hold: rows, options, caption; and watches the songs' files.
    void showCommands();
    void moveCurrent(int by);
    void removeSelected();
    // After a drag: hands the rows' new order to the commands.
    void takeDraggedOrder();
    void exportPdf();
    // The stage view of the list from the current song on.
    void showStage();
    void print();
    bool progress(int done, int total);

    Dialogs& dialogs_;
    ErrorGuard guard_;
    std::function<void(const QString&)> openSong_;
    SongbookCommands commands_;
    QTreeWidget* list_ = nullptr;
    QLineEdit* title_ = nullptr;
    std::vector<QCheckBox*> switches_; // one per bookSwitches() entry, in its order
    QComboBox* diagrams_ = nullptr;    // every song's chord diagrams, or each song's own
    QFileSystemWatcher* watcher_ = nullptr;
    bool showing_ = false; // the program is filling the widgets, the user changes nothing
    bool dragPending_ = false;
};

} // namespace versino::ui
