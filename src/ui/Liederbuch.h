#pragma once

// TLiederbuchForm, the songbook window: the songs of a book in order, their options, the export
// as one PDF and the print as one job. The file keeps the German name the window goes by.

#include "commands/Songbook.h"
#include "platform/Dialogs.h"

#include <QWidget>
#include <functional>
#include <memory>

class QCheckBox;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace versino {
class PageMetrics;
}

namespace versino::ui {

class TLiederbuchForm : public QWidget {
    Q_OBJECT
public:
    inline static const char* const kSavePrompt = "Wollen Sie das Liederbuch vor dem Schlie\u00DFen speichern?";
    inline static const char* const kNotReadable = "Nicht alle Songs des Liederbuchs konnten gelesen werden:";

    // Columns of the song list.
    enum Column { TitleColumn, PerformerColumn, FileColumn, FitsColumn };

    // `openSong` opens a song in the main window (with its save prompt).
    TLiederbuchForm(Dialogs& dialogs, std::function<void(const QString&)> openSong, QWidget* parent = nullptr);
    ~TLiederbuchForm() override;

    // The list's commands.
    void OeffnenClick();
    bool SpeichernClick(); // false when the save dialog was cancelled or writing failed
    void HinzufuegenClick();
    void EntfernenClick();
    void moveCurrent(int by);
    void SortierenClick();
    void ExportPdfClick();
    void DruckenClick();

    // Reads the list at `path` into the window; false after a reported file error.
    bool openList(const QString& path);
    void addSongs(const QStringList& paths);
    // The songs' files in the list's order, and the list's own file (empty while untitled).
    QStringList songFiles() const;
    const QString& listFile() const { return listFile_; }
    bool isModified() const { return modified_; }
    BookOptions options() const;
    // True when the window may close: asks to save unsaved changes of the list.
    bool closeQuery();

signals:
    // Before each page of an export or print: what is done and what there is to do.
    void bookProgress(int done, int total);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void setupWidgets();
    void setupShortcuts();
    void updateCaption();
    void setModified(bool modified);
    QTreeWidgetItem* makeRow(const QString& path, QStringList& problems);
    bool writeList(const QString& path);
    // The songs read afresh with the options applied; problems are reported.
    std::vector<BookSong> readBook();
    void guarded(const std::function<void()>& handler);

    Dialogs& dialogs_;
    std::function<void(const QString&)> openSong_;
    std::unique_ptr<PageMetrics> metrics_;
    QTreeWidget* list_ = nullptr;
    QLineEdit* title_ = nullptr;
    QCheckBox* contents_ = nullptr;
    QCheckBox* firstLines_ = nullptr;
    QCheckBox* lyricsOnly_ = nullptr;
    QCheckBox* fit_ = nullptr;
    QString listFile_;
    bool modified_ = false;
    bool filling_ = false; // rows are being put in by the program, not moved by the user
};

} // namespace versino::ui
