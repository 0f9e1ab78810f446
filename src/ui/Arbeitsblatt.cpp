#include "ui/Arbeitsblatt.h"
#include "ui/DiagramMenu.h"

#include "ui_Arbeitsblatt.h"

#include "commands/TransposeCommand.h"
#include "document/Cp1252.h"
#include "platform/QtDialogs.h"
#include "ui/About.h"
#include "ui/Bedienung.h"
#include "ui/FieldAdapters.h"
#include "ui/FontDialog.h"
#include "ui/FontFitting.h"
#include "ui/Glyphs.h"
#include "ui/LyricsEdit.h"

#include "commands/FitToPage.h"
#include "commands/PrintCommand.h"
#include "commands/RecoveryCopy.h"
#include "platform/PageMetrics.h"
#include "platform/QtPrinter.h"
#include "ui/PagePreview.h"
#include "ui/PreviewPlacement.h"
#include "formats/SongList.h"
#include "ui/Buehne.h"
#include "ui/Liederbuch.h"

#include <QCloseEvent>
#include <algorithm>
#include <QDir>
#include <QFileInfo>
#include <QLayout>
#include <QScreen>
#include <QTextBlock>

namespace versino::ui {

namespace {

constexpr int kClientWidth = 672;
constexpr int kClientHeight = 688;

} // namespace

TWorkingForm::TWorkingForm(Dialogs* dialogs, QWidget* parent)
    : QMainWindow(parent), ui_(std::make_unique<Ui::TWorkingForm>()), dialogs_(dialogs) {
    if (!dialogs_) {
        ownDialogs_ = std::make_unique<QtDialogs>(this, &ui::FontDialog::getFont);
        dialogs_ = ownDialogs_.get();
    }
    guard_ = std::make_unique<ui::ErrorGuard>(*dialogs_);
    ui_->setupUi(this);
    setupWindow();
    setupLabels();
    setupGlyphs();
    setupFields();
    setupDocument();
    setupMenu();
    setupButtons();
    // FormCreate: a fresh, untitled song with the default fonts.
    guarded([this] { commands_->FormCreate(); });
}

TWorkingForm::~TWorkingForm() {
    // The widgets, and with them the field adapters, outlive the document by a moment: no change
    // reported while they are torn down may reach it.
    for (FieldId id : kAllFields)
        doc_->field(id).setChangeHandler(nullptr);
    doc_->onFieldChange = nullptr;
    // A window torn down in order keeps no recovery copy.
    recovery_.reset();
    recoverySchedule_.reset();
    recoveryStore_.reset();
    commands_.reset();
    doc_.reset();
}

void TWorkingForm::setHelpWindows(TBedienungForm* bedienung, TAboutBox* about) {
    bedienung_ = bedienung;
    about_ = about;
}

void TWorkingForm::openAtStart(const QStringList& paths) {
    // What an editor that ended without saving left is offered first.
    guarded([this] {
        offerLeftCopies(*recoveryStore_, *commands_, *dialogs_, [this] { recovery_->keepNow(); });
    });
    songChanged();
    updateUndoItems();
    if (paths.isEmpty())
        return;
    if (paths.size() > 1)
        guarded([&] { dialogs_->message(QString::fromUtf8(kOneSongAtATime).arg(paths.size())); });
    // The full path, as the open dialog gives it: the caption shows it and later saves go there
    // whatever folder becomes current.
    const QString path = paths.front().isEmpty() ? paths.front() : QFileInfo(paths.front()).absoluteFilePath();
    if (songlist::isSongListFile(path)) {
        // A song list opens in the songbook window, beside an empty song.
        LiederbuchClick();
        songbook_->openList(path);
        return;
    }
    guarded([&] { commands_->openPath(path); });
}

void TWorkingForm::setupWindow() {
    // A fixed client area below the menu bar; the title bar offers minimise but no maximise.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    ui_->ClientArea->setFixedSize(kClientWidth, kClientHeight);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    layout()->activate();
    setBackgroundRole(QPalette::Button);
    ui_->ClientArea->setBackgroundRole(QPalette::Button);
    ui_->ClientArea->setAutoFillBackground(true);
}

void TWorkingForm::setupLabels() {
    // Labels without a size of their own take the size of their text.
    for (QLabel* label : {ui_->Label1, ui_->Label2, ui_->Label3, ui_->Label10, ui_->Label8})
        label->adjustSize();
    // The fixed label sizes suit "MS Sans Serif"; where the face that stands in for it
    // runs wider, a label grows rather than cutting its last letters.
    for (QLabel* label : {ui_->Label4, ui_->Label9, ui_->Label5, ui_->Label6, ui_->Label7})
        label->resize(std::max(label->width(), label->sizeHint().width()), label->height());
    ui_->Label10->setBackgroundRole(QPalette::Button);
    ui_->Bevel1->lower();
    ui_->Bevel2->lower();
}

void TWorkingForm::setupGlyphs() {
    const auto set = [](QPushButton* button, const char* resource, bool withDisabled) {
        button->setIcon(ui::loadGlyph(QString::fromLatin1(resource), withDisabled));
    };
    set(ui_->RBtn, ":/glyphs/rline.bmp", false);
    set(ui_->R2Btn, ":/glyphs/r2line.bmp", false);
    set(ui_->BBtn, ":/glyphs/bline.bmp", false);
    set(ui_->RefBtn, ":/glyphs/word.bmp", false);
    set(ui_->SpaltenBtn, ":/glyphs/columns.bmp", false);
    set(ui_->GraphikBtn, ":/glyphs/folder.bmp", true);
    for (QPushButton* b : {ui_->Font1Btn, ui_->Font2Btn, ui_->Font3Btn, ui_->Font4Btn})
        set(b, ":/glyphs/font.bmp", true);
}

void TWorkingForm::setupFields() {
    // The title and performer fields keep their height whatever font they show.
    ui_->TitelEdit->setFixedHeight(25);
    ui_->InterpretEdit->setFixedHeight(25);
    for (QPlainTextEdit* e : {ui_->RefrainEdit, ui_->BridgeEdit, ui_->TextEdit}) {
        e->setLineWrapMode(QPlainTextEdit::NoWrap);
        e->setTabChangesFocus(true);
        e->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        e->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    }
    // A chord sheet pasted into a lyric field is converted; what that changed is said at once.
    for (LyricsEdit* e : {ui_->RefrainEdit, ui_->BridgeEdit, ui_->TextEdit})
        connect(e, &LyricsEdit::pasteReport, this,
                [this](const QString& text) { guarded([&] { dialogs_->message(text); }); });
    titel_ = new ui::LineEditField(ui_->TitelEdit);
    interpret_ = new ui::LineEditField(ui_->InterpretEdit);
    vorspiel_ = new ui::LineEditField(ui_->VorspielEdit);
    kapo_ = new ui::LineEditField(ui_->KapoEdit);
    refrain_ = new ui::PlainTextField(ui_->RefrainEdit);
    bridge_ = new ui::PlainTextField(ui_->BridgeEdit);
    text_ = new ui::PlainTextField(ui_->TextEdit);
    nachspiel_ = new ui::LineEditField(ui_->NachspielEdit);
    graphik_ = new ui::LineEditField(ui_->GraphikEdit);
}

void TWorkingForm::setupDocument() {
    doc_ = std::make_unique<SongDocument>(
        FieldSet{titel_, interpret_, vorspiel_, kapo_, refrain_, bridge_, text_, nachspiel_, graphik_});
    DocumentCommands::Hooks hooks;
    hooks.updateCaption = [this] { UpdateCaption(); };
    hooks.updateFieldFonts = [this] {
        UpdateTitelFont();
        UpdateInterpretFont();
    };
    hooks.songReplaced = [this] { songReplaced(); };
    hooks.focusTitel = [this] {
        // While the window is still hidden the focus cannot move; showing it focuses the title anyway.
        if (isVisible())
            ui_->TitelEdit->setFocus();
    };
    commands_ = std::make_unique<DocumentCommands>(*doc_, *dialogs_, std::move(hooks));
    doc_->onFieldChange = [this] { songChanged(); };
    recoveryStore_ = std::make_unique<RecoveryStore>();
    recoverySchedule_ = std::make_unique<TimerSchedule>([this] { recovery_->due(); });
    recovery_ = std::make_unique<RecoveryKeeper>(*doc_, *recoveryStore_, *recoverySchedule_,
                                                 [this] { return commands_->filePath(); });
    undoCheck_.setSingleShot(true);
    undoCheck_.setInterval(PagePreview::kPauseMs);
    connect(&undoCheck_, &QTimer::timeout, this, &TWorkingForm::updateUndoItems);
}

template <typename Sender, typename Signal>
void TWorkingForm::wire(Sender* sender, Signal signal, void (TWorkingForm::*handler)()) {
    connect(sender, signal, this, [this, handler] {
        guarded([this, handler] { (this->*handler)(); });
        // Font settings, New and Open change what the page shows without a field of their own.
        songChanged();
        updateUndoItems();
    });
}

void TWorkingForm::setupMenu() {
    wire(ui_->Neu, &QAction::triggered, &TWorkingForm::NeuClick);
    wire(ui_->Oeffnen, &QAction::triggered, &TWorkingForm::OeffnenClick);
    wire(ui_->Speichern, &QAction::triggered, &TWorkingForm::SpeichernClick);
    wire(ui_->SpeichernAls, &QAction::triggered, &TWorkingForm::SpeichernAlsClick);
    wire(ui_->Drucken, &QAction::triggered, &TWorkingForm::DruckenClick);
    wire(ui_->Seitenvorschau, &QAction::triggered, &TWorkingForm::SeitenvorschauClick);
    // After the defined items and the preview, before the separator above "Programm beenden".
    auto* liederbuch = new QAction(QStringLiteral("&Liederbuch . . ."), this);
    liederbuch->setObjectName(QStringLiteral("Liederbuch"));
    ui_->Datei->insertAction(ui_->Datei->actions().at(ui_->Datei->actions().indexOf(ui_->Beenden) - 1), liederbuch);
    wire(liederbuch, &QAction::triggered, &TWorkingForm::LiederbuchClick);
    auto* buehne = new QAction(QStringLiteral("B\u00FC&hnenansicht"), this);
    buehne->setObjectName(QStringLiteral("Buehnenansicht"));
    ui_->Datei->insertAction(ui_->Datei->actions().at(ui_->Datei->actions().indexOf(ui_->Beenden) - 1), buehne);
    wire(buehne, &QAction::triggered, &TWorkingForm::BuehnenansichtClick);
    wire(ui_->ExportPdf, &QAction::triggered, &TWorkingForm::ExportPdfClick);
    wire(ui_->Einpassen, &QAction::triggered, &TWorkingForm::EinpassenClick);
    wire(ui_->Beenden, &QAction::triggered, &TWorkingForm::BeendenClick);
    wire(ui_->ExportChordPro, &QAction::triggered, &TWorkingForm::ExportChordProClick);
    wire(ui_->Transponieren, &QAction::triggered, &TWorkingForm::TransponierenClick);
    wire(ui_->TitelFont, &QAction::triggered, &TWorkingForm::Font1BtnClick);
    wire(ui_->InterpretFont, &QAction::triggered, &TWorkingForm::Font2BtnClick);
    wire(ui_->TextFont, &QAction::triggered, &TWorkingForm::Font3BtnClick);
    wire(ui_->AkkordFont, &QAction::triggered, &TWorkingForm::Font4BtnClick);
    wire(ui_->Bedienungshinweise, &QAction::triggered, &TWorkingForm::BedienungshinweiseClick);
    wire(ui_->Info, &QAction::triggered, &TWorkingForm::InfoClick);
    wire(ui_->Rueckgaengig, &QAction::triggered, &TWorkingForm::RueckgaengigClick);
    wire(ui_->Wiederherstellen, &QAction::triggered, &TWorkingForm::WiederherstellenClick);
    wire(ui_->ZweiSeiten, &QAction::triggered, &TWorkingForm::ZweiSeitenClick);
    connect(ui_->Bearbeiten1, &QMenu::aboutToShow, this, &TWorkingForm::updateUndoItems);
    // After the defined items: the song's chord diagrams.
    addDiagramMenu(*ui_->Bearbeiten1, [this]() -> versino::SongDocument& { return *doc_; });
    // Find and replace is not offered: the item stays greyed for the whole run.
    ui_->Ersetzen->setEnabled(false);
}

void TWorkingForm::setupButtons() {
    wire(ui_->RBtn, &QPushButton::clicked, &TWorkingForm::RBtnClick);
    wire(ui_->R2Btn, &QPushButton::clicked, &TWorkingForm::R2BtnClick);
    wire(ui_->BBtn, &QPushButton::clicked, &TWorkingForm::BBtnClick);
    wire(ui_->RefBtn, &QPushButton::clicked, &TWorkingForm::RefBtnClick);
    wire(ui_->SpaltenBtn, &QPushButton::clicked, &TWorkingForm::SpaltenBtnClick);
    wire(ui_->GraphikBtn, &QPushButton::clicked, &TWorkingForm::GraphikBtnClick);
    wire(ui_->Font1Btn, &QPushButton::clicked, &TWorkingForm::Font1BtnClick);
    wire(ui_->Font2Btn, &QPushButton::clicked, &TWorkingForm::Font2BtnClick);
    wire(ui_->Font3Btn, &QPushButton::clicked, &TWorkingForm::Font3BtnClick);
    wire(ui_->Font4Btn, &QPushButton::clicked, &TWorkingForm::Font4BtnClick);
}

void TWorkingForm::NeuClick() {
    commands_->NeuClick();
}
void TWorkingForm::OeffnenClick() {
    commands_->OeffnenClick();
}
void TWorkingForm::SpeichernClick() {
    if (commands_->SpeichernClick())
        history_.markSaved(*doc_);
}
void TWorkingForm::SpeichernAlsClick() {
    if (commands_->SpeichernAlsClick())
        history_.markSaved(*doc_);
}
bool TWorkingForm::FormCloseQuery() {
    return commands_->FormCloseQuery();
}
void TWorkingForm::BeendenClick() {
    close();
}
void TWorkingForm::ExportChordProClick() {
    commands_->ExportChordProClick();
}

void TWorkingForm::DruckenClick() {
    QtPrinter printer;
    versino::DruckenClick(*doc_, *dialogs_, printer, QString::fromUtf8(kNoPrinterMessage));
}

void TWorkingForm::SeitenvorschauClick() {
    const bool fresh = !preview_;
    if (fresh) {
        preview_ = new ui::PagePreview(this);
        preview_->setDocumentName(doc_->DocumentName);
        preview_->setNote(fitNote_);
        connect(preview_, &ui::PagePreview::songWanted, this, [this] { preview_->showSong(*doc_); });
        preview_->showSong(*doc_);
        connect(preview_, &ui::PagePreview::showLine, this, &TWorkingForm::showLine);
        connect(preview_, &ui::PagePreview::returnFocus, this, &TWorkingForm::bringUp);
    }
    // Once placed, the preview opens again where the user has put it, as long as that leaves the
    // beginnings of the lyric lines in view.
    if (fresh || (!preview_->isVisible() && coversLyricStarts(preview_->frameGeometry(), lyricField())))
        if (const QScreen* s = screen())
            placeSideWindow(preview_, ui::previewWish(s->availableGeometry()), songbook_);
    preview_->show();
    preview_->raise();
    preview_->activateWindow();
}

void TWorkingForm::placeSideWindow(QWidget* window, const ui::WindowWish& wish, const QWidget* other) {
    const QScreen* s = screen();
    if (!s)
        return;
    std::vector<QRect> open;
    if (other && other->isVisible())
        open.push_back(other->frameGeometry());
    const ui::Placement p = ui::placeWindow(s->availableGeometry(), frameGeometry(), lyricField(), open, wish);
    // The window manager draws the same frame around the new window as around this one.
    const QMargins decoration(geometry().left() - frameGeometry().left(), geometry().top() - frameGeometry().top(),
                              frameGeometry().right() - geometry().right(),
                              frameGeometry().bottom() - geometry().bottom());
    if (p.mainFrame != frameGeometry().topLeft())
        move(p.mainFrame);
    window->setGeometry(p.frame.marginsRemoved(decoration));
}

QRect TWorkingForm::lyricField() const {
    return {ui_->TextEdit->mapToGlobal(QPoint(0, 0)), ui_->TextEdit->size()};
}

void TWorkingForm::BuehnenansichtClick() {
    std::vector<StageSong> songs;
    songs.push_back(stageSong(*doc_, doc_->DocumentName));
    auto* stage = new ui::TBuehneForm(std::move(songs), this);
    stage->showOnStage(this);
}

void TWorkingForm::LiederbuchClick() {
    if (!songbook_) {
        songbook_ = new ui::TLiederbuchForm(*dialogs_, [this](const QString& path) {
            guarded([this, &path] { commands_->openAsked(path); });
            songChanged();
            raise();
            activateWindow();
        }, this);
        connect(songbook_, &ui::TLiederbuchForm::returnFocus, this, &TWorkingForm::bringUp);
        placeSideWindow(songbook_, ui::songbookWish(), preview_);
    }
    songbook_->show();
    songbook_->raise();
    songbook_->activateWindow();
}

void TWorkingForm::ExportPdfClick() {
    versino::ExportPdfClick(*doc_, *dialogs_, commands_->songFolder());
}

void TWorkingForm::EinpassenClick() {
    if (!fitMetrics_)
        fitMetrics_ = std::make_unique<PageMetrics>();
    const SongState before = SongState::of(*doc_);
    const FitOutcome fit = versino::EinpassenClick(*doc_, *dialogs_, fitMetrics_->surface());
    if (fit.result != FitResult::Fitted) {
        setFitNote(fit.message);
        return;
    }
    const QString note = QStringLiteral("Auf eine Seite eingepasst: %1").arg(fit.message);
    history_.record(*doc_, before, QStringLiteral("%1 (%2)").arg(QString::fromUtf8(kFitCommandName), fit.message),
                    note);
    setFitNote(note);
    // Without the preview in view, nothing would show the new sizes: a short message says them.
    if (!preview_ || !preview_->isVisible())
        dialogs_->message(note);
}

void TWorkingForm::ZweiSeitenClick() {
    SongOptions options = doc_->options();
    options.pages = options.pages == 2 ? 1 : 2;
    doc_->setOptions(std::move(options));
}

void TWorkingForm::RueckgaengigClick() {
    if (const SongHistory::Step* step = history_.undo(*doc_)) {
        // The note told what the fit did; once the fit is taken back it no longer holds.
        if (!step->note.isEmpty())
            setFitNote(QString());
        UpdateTitelFont();
        UpdateInterpretFont();
    }
}

void TWorkingForm::WiederherstellenClick() {
    if (const SongHistory::Step* step = history_.redo(*doc_)) {
        if (!step->note.isEmpty())
            setFitNote(step->note);
        UpdateTitelFont();
        UpdateInterpretFont();
    }
}

void TWorkingForm::updateUndoItems() {
    undoCheck_.stop();
    const auto caption = [](const char* item, const QString& name) {
        return name.isEmpty() ? QString::fromUtf8(item) : QStringLiteral("%1: %2").arg(QString::fromUtf8(item), name);
    };
    ui_->Rueckgaengig->setText(caption(kUndoCaption, history_.undoName()));
    ui_->Rueckgaengig->setEnabled(history_.canUndo(*doc_));
    ui_->Wiederherstellen->setText(caption(kRedoCaption, history_.redoName()));
    ui_->Wiederherstellen->setEnabled(history_.canRedo(*doc_));
}

void TWorkingForm::songReplaced() {
    history_.reset(*doc_);
    setFitNote(QString());
    // Ctrl+Z in a field must not bring back a line of the song that was there before.
    for (QPlainTextEdit* e : {ui_->RefrainEdit, ui_->BridgeEdit, ui_->TextEdit})
        e->document()->clearUndoRedoStacks();
    for (QLineEdit* e : {ui_->TitelEdit, ui_->InterpretEdit, ui_->VorspielEdit, ui_->KapoEdit, ui_->NachspielEdit,
                         ui_->GraphikEdit}) {
        const QSignalBlocker quiet(e);
        e->setText(e->text()); // setting the text starts a line edit's undo afresh
    }
    updateUndoItems();
}

void TWorkingForm::setFitNote(const QString& note) {
    fitNote_ = note;
    if (preview_)
        preview_->setNote(note);
}

void TWorkingForm::songChanged() {
    // The item shows the song's choice, whichever way it changed (the item, New, Open).
    ui_->ZweiSeiten->setChecked(doc_->options().pages == 2);
    if (preview_)
        preview_->songChanged();
    if (recovery_)
        recovery_->songChanged();
    undoCheck_.start();
}

void TWorkingForm::showLine(FieldId field, int line) {
    QPlainTextEdit* edit = field == FieldId::Refrain  ? ui_->RefrainEdit
                           : field == FieldId::Bridge ? ui_->BridgeEdit
                           : field == FieldId::Text   ? ui_->TextEdit
                                                      : nullptr;
    if (edit) {
        const QTextBlock block = edit->document()->findBlockByNumber(std::max(0, line - 1));
        if (block.isValid()) {
            edit->setTextCursor(QTextCursor(block));
            edit->ensureCursorVisible();
        }
        edit->setFocus();
    } else {
        const std::array<QLineEdit*, kFieldCount> lineEdits = {
            ui_->TitelEdit, ui_->InterpretEdit, ui_->VorspielEdit, ui_->KapoEdit,     nullptr,
            nullptr,        nullptr,            ui_->NachspielEdit, ui_->GraphikEdit};
        if (QLineEdit* e = lineEdits[std::size_t(field)])
            e->setFocus();
    }
    bringUp();
}

void TWorkingForm::bringUp() {
    if (isMinimized())
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

void TWorkingForm::closeEvent(QCloseEvent* event) {
    // The songbook's list has its own unsaved changes, asked about first.
    if (songbook_ && !songbook_->closeQuery()) {
        event->ignore();
        return;
    }
    bool allowed = false;
    // An error in the save that the close query started refuses the close and is reported.
    guarded([this, &allowed] { allowed = FormCloseQuery(); });
    if (allowed) {
        recovery_->stop();
        event->accept();
    }
    else
        event->ignore();
}

void TWorkingForm::showEvent(QShowEvent* event) {
    if (!placed_) {
        placed_ = true;
        if (const QScreen* s = screen()) {
            QRect frame = frameGeometry();
            frame.moveCenter(s->availableGeometry().center());
            move(frame.topLeft());
        }
    }
    QMainWindow::showEvent(event);
}

void TWorkingForm::UpdateCaption() {
    setWindowTitle(captionFor(doc_->DocumentName));
    if (preview_)
        preview_->setDocumentName(doc_->DocumentName);
}

void TWorkingForm::UpdateTitelFont() {
    ui::showFittedFont(ui_->TitelEdit, doc_->TitelFont);
}

void TWorkingForm::UpdateInterpretFont() {
    ui::showFittedFont(ui_->InterpretEdit, doc_->InterpretFont);
}

void TWorkingForm::insertDirective(notation::Directive directive) {
    QPlainTextEdit* edit = ui_->TextEdit;
    // The line that holds the end of the selection (the caret's line when nothing is selected).
    const QTextCursor caret = edit->textCursor();
    const int index = edit->document()->findBlock(caret.selectionEnd()).blockNumber();
    text_->insertLine(index, std::string(notation::directiveLine(directive)));
    // The caret stays at the start of the line that held it, now one line lower; a selection is dropped.
    edit->setTextCursor(QTextCursor(edit->document()->findBlockByNumber(index + 1)));
    edit->setFocus();
}

void TWorkingForm::chooseFont(FontSetting& setting, void (TWorkingForm::*show)()) {
    const std::optional<FontSetting> chosen = dialogs_->chooseFont(setting);
    if (!chosen)
        return;
    setting.color = chosen->color;
    setting.style = chosen->style;
    setting.name = chosen->name;
    setting.size = chosen->size;
    // Confirming the dialog counts as a change even when nothing differs.
    doc_->Modified = true;
    if (show)
        (this->*show)();
}

void TWorkingForm::Font1BtnClick() {
    chooseFont(doc_->TitelFont, &TWorkingForm::UpdateTitelFont);
}
void TWorkingForm::Font2BtnClick() {
    chooseFont(doc_->InterpretFont, &TWorkingForm::UpdateInterpretFont);
}
void TWorkingForm::Font3BtnClick() {
    chooseFont(doc_->TextFont, nullptr);
}
void TWorkingForm::Font4BtnClick() {
    chooseFont(doc_->AkkordFont, nullptr);
}

void TWorkingForm::GraphikBtnClick() {
    FileDialogOptions options;
    options.defaultExtension = QStringLiteral("bmp");
    options.filter = QStringLiteral("Bilder|*.bmp;*.jpg;*.gif");
    if (const std::optional<QString> path = dialogs_->openFile(options))
        doc_->GraphikEdit().setText(cp1252::fromUnicode(*path));
}

void TWorkingForm::TransponierenClick() {
    const SongState before = SongState::of(*doc_);
    versino::TransponierenClick(*doc_, *dialogs_);
    history_.record(*doc_, before, QString::fromUtf8(kTransposeName));
}

void TWorkingForm::BedienungshinweiseClick() {
    if (bedienung_)
        bedienung_->showOver(this);
}

void TWorkingForm::InfoClick() {
    if (about_)
        about_->showOver(this);
}

} // namespace versino::ui
