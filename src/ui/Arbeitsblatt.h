#pragma once

// TWorkingForm, the main window. The file keeps the window's German unit name, Arbeitsblatt
// ("worksheet"), which its form file and its handlers' names share.

#include "commands/DocumentCommands.h"
#include "commands/SongHistory.h"
#include "document/Notation.h"
#include "document/SongDocument.h"
#include "platform/Dialogs.h"
#include "ui/ErrorGuard.h"
#include "ui/PreviewPlacement.h"

#include <QMainWindow>
#include <QStringList>
#include <QTimer>
#include <memory>

namespace Ui {
class TWorkingForm;
}

namespace versino {
class PageMetrics;
class RecoveryKeeper;
class RecoveryStore;
class TimerSchedule;
}

namespace versino::ui {

class LineEditField;
class PagePreview;
class PlainTextField;
class TAboutBox;
class TBedienungForm;
class TLiederbuchForm;

// The main window: the nine fields are the song's storage, the menu starts the document commands and
// the print command, the buttons the editing aids. Every handler runs inside the error guard.
class TWorkingForm : public QMainWindow {
    Q_OBJECT
public:
    // Without `dialogs` the window shows Qt's dialogs and its own font dialog; tests pass scripted ones.
    explicit TWorkingForm(versino::Dialogs* dialogs = nullptr, QWidget* parent = nullptr);
    ~TWorkingForm() override;

    void setHelpWindows(TBedienungForm* bedienung, TAboutBox* about);

    // The songs named when the program was started: the first is opened as Open opens a file, but
    // without the save prompt and the dialog; a file that cannot be read is reported and the song
    // stays new and untitled. More than one name is answered with a message.
    void openAtStart(const QStringList& paths);
    static constexpr const char* kOneSongAtATime =
        "Versino öffnet immer nur einen Song. Von den %1 angegebenen Dateien wird nur die erste geöffnet.";

    // The File menu (the document commands and the print command).
    void NeuClick();
    void OeffnenClick();
    void SpeichernClick();
    void SpeichernAlsClick();
    void DruckenClick();
    void SeitenvorschauClick();
    void ExportPdfClick();
    void BeendenClick();
    void ExportChordProClick();
    // Datei > Bühnenansicht: the current song full screen, as it prints.
    void BuehnenansichtClick();
    // Datei > Liederbuch: the songbook window beside this one.
    void LiederbuchClick();
    bool FormCloseQuery();

    // The editing aids.
    // The five directive buttons insert the notation's directive lines.
    void RBtnClick() { insertDirective(versino::notation::Directive::Refrain); }
    void R2BtnClick() { insertDirective(versino::notation::Directive::Refrain2); }
    void BBtnClick() { insertDirective(versino::notation::Directive::Bridge); }
    void RefBtnClick() { insertDirective(versino::notation::Directive::RefrainWord); }
    void SpaltenBtnClick() { insertDirective(versino::notation::Directive::NewColumn); }
    void Font1BtnClick();
    void Font2BtnClick();
    void Font3BtnClick();
    void Font4BtnClick();
    void EinpassenClick();
    // Lets the song continue on a second page, or keeps it to one page again.
    void ZweiSeitenClick();
    void GraphikBtnClick();
    void TransponierenClick();
    void UpdateTitelFont();
    void UpdateInterpretFont();
    void UpdateCaption();

    // Taking back and redoing the whole-song commands (transposing, fitting to one page).
    void RueckgaengigClick();
    void WiederherstellenClick();
    static constexpr const char* kUndoCaption = "&Rückgängig";
    static constexpr const char* kRedoCaption = "&Wiederherstellen";
    static constexpr const char* kTransposeName = "Transponieren";

    // The Help menu.
    void BedienungshinweiseClick();
    void InfoClick();

    // Puts the caret on line `line` (1-based) of a multi-line field, brings the window up (also
    // from minimised) and makes it the active window with the keyboard focus in that field (which
    // may be a single-line one).
    void showLine(versino::FieldId field, int line);
    // Brings the window up and makes it active; the focus returns to the control that had it.
    void bringUp();

    // Runs a handler inside the error guard.
    bool guarded(const std::function<void()>& handler) { return guard_->run(handler); }

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void setupWindow();
    void setupLabels();
    void setupGlyphs();
    void setupFields();
    void setupDocument();
    void setupMenu();
    void setupButtons();
    void insertDirective(versino::notation::Directive directive);
    // Puts the preview or the songbook window beside this window and the `other` one when it is
    // open, moving this window to make room where that helps (see placeWindow).
    void placeSideWindow(QWidget* window, const versino::ui::WindowWish& wish, const QWidget* other);
    // The lyric field in screen coordinates.
    QRect lyricField() const;
    // The undo and redo items name the step they would take and are enabled only when it can be taken.
    void updateUndoItems();
    // New or Open: no steps to take back, and the fields' own undo starts afresh too.
    void songReplaced();
    void setFitNote(const QString& note);
    // Tells the preview, when there is one, that the song may have changed.
    void songChanged();
    void chooseFont(versino::FontSetting& setting, void (TWorkingForm::*show)());
    template <typename Sender, typename Signal>
    void wire(Sender* sender, Signal signal, void (TWorkingForm::*handler)());

    std::unique_ptr<Ui::TWorkingForm> ui_;
    std::unique_ptr<versino::Dialogs> ownDialogs_;
    versino::Dialogs* dialogs_;
    std::unique_ptr<versino::ui::ErrorGuard> guard_;
    versino::ui::LineEditField* titel_ = nullptr;
    versino::ui::LineEditField* interpret_ = nullptr;
    versino::ui::LineEditField* vorspiel_ = nullptr;
    versino::ui::LineEditField* kapo_ = nullptr;
    versino::ui::PlainTextField* refrain_ = nullptr;
    versino::ui::PlainTextField* bridge_ = nullptr;
    versino::ui::PlainTextField* text_ = nullptr;
    versino::ui::LineEditField* nachspiel_ = nullptr;
    versino::ui::LineEditField* graphik_ = nullptr;
    std::unique_ptr<versino::SongDocument> doc_;
    std::unique_ptr<versino::DocumentCommands> commands_;
    TBedienungForm* bedienung_ = nullptr;
    TAboutBox* about_ = nullptr;
    versino::ui::PagePreview* preview_ = nullptr;     // a window of its own, owned as a child
    versino::ui::TLiederbuchForm* songbook_ = nullptr; // likewise
    std::unique_ptr<versino::PageMetrics> fitMetrics_; // made when first needed
    versino::SongHistory history_;
    // The recovery copy of the song while it has unsaved changes.
    std::unique_ptr<versino::RecoveryStore> recoveryStore_;
    std::unique_ptr<versino::TimerSchedule> recoverySchedule_;
    std::unique_ptr<versino::RecoveryKeeper> recovery_;
    // After typing has paused, whether the steps can still be taken is checked again.
    QTimer undoCheck_;
    QString fitNote_; // what the last fit did, shown in the preview's findings area
    bool placed_ = false;
};

} // namespace versino::ui
