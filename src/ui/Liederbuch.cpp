#include "ui/Liederbuch.h"

#include "commands/DocumentCommands.h"
#include "commands/FileQuestions.h"
#include "commands/PrintCommand.h"
#include "document/Cp1252.h"
#include "formats/ChordPro.h"
#include "formats/LayoutFile.h"
#include "formats/SongList.h"
#include "io/FileError.h"
#include "platform/PageMetrics.h"
#include "platform/QtBookPrinter.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCollator>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QShortcut>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace versino::ui {

namespace {

constexpr int kPathRole = Qt::UserRole;

QPushButton* button(const QString& text, const char* name, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

} // namespace

TLiederbuchForm::TLiederbuchForm(Dialogs& dialogs, std::function<void(const QString&)> openSong, QWidget* parent)
    : QWidget(parent, Qt::Window), dialogs_(dialogs), openSong_(std::move(openSong)) {
    setObjectName(QStringLiteral("LiederbuchForm"));
    setupWidgets();
    setupShortcuts();
    updateCaption();
}

TLiederbuchForm::~TLiederbuchForm() = default;

void TLiederbuchForm::setupWidgets() {
    auto* top = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    title_ = new QLineEdit(this);
    title_->setObjectName(QStringLiteral("BuchTitelEdit"));
    form->addRow(QStringLiteral("&Titel des Buchs:"), title_);
    top->addLayout(form);
    connect(title_, &QLineEdit::textEdited, this, [this] { setModified(true); });

    auto* middle = new QHBoxLayout;
    list_ = new QTreeWidget(this);
    list_->setObjectName(QStringLiteral("SongList"));
    list_->setHeaderLabels({QStringLiteral("Titel"), QStringLiteral("Interpret"), QStringLiteral("Datei"),
                            QStringLiteral("Passt auf die Seite")});
    list_->setRootIsDecorated(false);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setDragDropMode(QAbstractItemView::InternalMove);
    list_->setDefaultDropAction(Qt::MoveAction);
    list_->header()->setStretchLastSection(false);
    list_->header()->setSectionResizeMode(TitleColumn, QHeaderView::Stretch);
    list_->setColumnWidth(PerformerColumn, 130);
    list_->setColumnWidth(FileColumn, 110);
    // A drag moves rows; the program's own filling is no change of the list.
    connect(list_->model(), &QAbstractItemModel::rowsInserted, this, [this] {
        if (!filling_)
            setModified(true);
    });
    connect(list_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        const QString path = item->data(TitleColumn, kPathRole).toString();
        if (openSong_)
            openSong_(path);
    });
    middle->addWidget(list_, 1);

    auto* side = new QVBoxLayout;
    QBoxLayout* row = side; // where add() puts the next button
    const auto add = [&](QPushButton* b, auto handler) {
        row->addWidget(b);
        connect(b, &QPushButton::clicked, this, [this, handler] { guarded([this, handler] { handler(this); }); });
    };
    add(button(QStringLiteral("&Hinzuf\u00FCgen . . ."), "AddBtn", this), std::mem_fn(&TLiederbuchForm::HinzufuegenClick));
    add(button(QStringLiteral("&Entfernen"), "RemoveBtn", this), std::mem_fn(&TLiederbuchForm::EntfernenClick));
    add(button(QStringLiteral("Nach &oben"), "UpBtn", this), [](TLiederbuchForm* w) { w->moveCurrent(-1); });
    add(button(QStringLiteral("Nach &unten"), "DownBtn", this), [](TLiederbuchForm* w) { w->moveCurrent(1); });
    add(button(QStringLiteral("Nach Titel &sortieren"), "SortBtn", this), std::mem_fn(&TLiederbuchForm::SortierenClick));
    side->addSpacing(12);
    contents_ = new QCheckBox(QStringLiteral("&Inhaltsverzeichnis"), this);
    contents_->setObjectName(QStringLiteral("ContentsBox"));
    contents_->setChecked(true);
    firstLines_ = new QCheckBox(QStringLiteral("&Liedanf\u00E4nge"), this);
    firstLines_->setObjectName(QStringLiteral("FirstLinesBox"));
    lyricsOnly_ = new QCheckBox(QStringLiteral("&Nur Text"), this);
    lyricsOnly_->setObjectName(QStringLiteral("LyricsOnlyBox"));
    fit_ = new QCheckBox(QStringLiteral("Jeden Song &einpassen"), this);
    fit_->setObjectName(QStringLiteral("FitBox"));
    for (QCheckBox* box : {contents_, firstLines_, lyricsOnly_, fit_})
        side->addWidget(box);
    side->addStretch(1);
    middle->addLayout(side);
    top->addLayout(middle, 1);

    auto* bottom = new QHBoxLayout;
    row = bottom;
    add(button(QStringLiteral("\u00D6&ffnen . . ."), "OpenBtn", this), std::mem_fn(&TLiederbuchForm::OeffnenClick));
    add(button(QStringLiteral("S&peichern"), "SaveBtn", this), [](TLiederbuchForm* w) { w->SpeichernClick(); });
    bottom->addStretch(1);
    add(button(QStringLiteral("Als PDF e&xportieren . . ."), "ExportBtn", this),
        std::mem_fn(&TLiederbuchForm::ExportPdfClick));
    add(button(QStringLiteral("&Drucken"), "PrintBtn", this), std::mem_fn(&TLiederbuchForm::DruckenClick));
    top->addLayout(bottom);
    resize(600, 480);
}

void TLiederbuchForm::setupShortcuts() {
    auto* up = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Up), this);
    auto* down = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Down), this);
    up->setContext(Qt::WindowShortcut);
    down->setContext(Qt::WindowShortcut);
    connect(up, &QShortcut::activated, this, [this] { moveCurrent(-1); });
    connect(down, &QShortcut::activated, this, [this] { moveCurrent(1); });
}

void TLiederbuchForm::guarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        QString text = QString::fromUtf8(e.what());
        if (!text.endsWith(QLatin1Char('.')))
            text += QLatin1Char('.');
        dialogs_.error(text);
    }
}

void TLiederbuchForm::updateCaption() {
    const QString name = listFile_.isEmpty() ? QString::fromLatin1(kUntitled) : QFileInfo(listFile_).fileName();
    setWindowTitle(QStringLiteral("Liederbuch - [%1]").arg(name));
}

void TLiederbuchForm::setModified(bool modified) {
    modified_ = modified;
}

QTreeWidgetItem* TLiederbuchForm::makeRow(const QString& path, QStringList& problems) {
    auto* item = new QTreeWidgetItem;
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled);
    item->setData(TitleColumn, kPathRole, path);
    item->setText(FileColumn, QFileInfo(path).fileName());
    item->setToolTip(FileColumn, path);
    BookSource source;
    addSongFile(source, path);
    if (source.songs.empty()) {
        item->setText(TitleColumn, QStringLiteral("(nicht lesbar)"));
        item->setText(FitsColumn, QStringLiteral("\u2013"));
        for (const QString& e : source.problems) {
            item->setToolTip(TitleColumn, e);
            problems << e;
        }
        return item;
    }
    if (!metrics_)
        metrics_ = std::make_unique<PageMetrics>();
    QStringList titles, performers;
    bool fits = true;
    for (const BookSong& song : source.songs) {
        fits = fits && song.printable() && !runsOffPage(CheckPage(*song.doc, metrics_->surface()));
        titles << song.listTitle();
        if (!song.performer().isEmpty())
            performers << song.performer();
    }
    item->setText(TitleColumn, titles.join(QStringLiteral(" / ")));
    item->setText(PerformerColumn, performers.join(QStringLiteral(" / ")));
    item->setText(FitsColumn, fits ? QStringLiteral("ja") : QStringLiteral("nein"));
    return item;
}

void TLiederbuchForm::addSongs(const QStringList& paths) {
    QStringList problems;
    filling_ = true;
    for (const QString& path : paths)
        list_->addTopLevelItem(makeRow(QFileInfo(path).absoluteFilePath(), problems));
    filling_ = false;
    if (!paths.isEmpty())
        setModified(true);
    if (!problems.isEmpty())
        dialogs_.error(QString::fromUtf8(kNotReadable) + QLatin1Char('\n') + problems.join(QLatin1Char('\n')));
}

QStringList TLiederbuchForm::songFiles() const {
    QStringList files;
    for (int i = 0; i < list_->topLevelItemCount(); ++i)
        files << list_->topLevelItem(i)->data(TitleColumn, kPathRole).toString();
    return files;
}

BookOptions TLiederbuchForm::options() const {
    BookOptions o;
    o.title = title_->text().trimmed();
    o.contents = contents_->isChecked();
    o.firstLines = firstLines_->isChecked();
    o.lyricsOnly = lyricsOnly_->isChecked();
    o.fit = fit_->isChecked();
    return o;
}

bool TLiederbuchForm::openList(const QString& path) {
    songlist::SongList list;
    try {
        list = songlist::ReadSongListFile(path);
    } catch (const FileError& e) {
        dialogs_.error(path + QStringLiteral(": ") + QString::fromStdString(e.what()));
        return false;
    }
    filling_ = true;
    list_->clear();
    QStringList problems;
    for (const songlist::Entry& e : list.entries) {
        const qsizetype before = problems.size();
        list_->addTopLevelItem(makeRow(e.path, problems));
        // Named by the list's line, as versino-print names it.
        for (qsizetype i = before; i < problems.size(); ++i)
            problems[i] = QStringLiteral("%1:%2: %3").arg(QFileInfo(path).fileName()).arg(e.line).arg(problems[i]);
    }
    filling_ = false;
    title_->setText(list.title);
    listFile_ = QFileInfo(path).absoluteFilePath();
    setModified(false);
    updateCaption();
    if (!problems.isEmpty())
        dialogs_.error(QString::fromUtf8(kNotReadable) + QLatin1Char('\n') + problems.join(QLatin1Char('\n')));
    return true;
}

void TLiederbuchForm::OeffnenClick() {
    if (modified_ && !closeQuery())
        return;
    const std::optional<QString> path =
        dialogs_.openFile({QString::fromLatin1(songlist::kExtension), QString::fromUtf8(songlist::kFilter), QString()});
    if (path)
        openList(*path);
}

bool TLiederbuchForm::writeList(const QString& path) {
    songlist::SongList list;
    list.title = title_->text().trimmed();
    for (const QString& file : songFiles())
        list.entries.push_back({file, 0});
    try {
        songlist::WriteSongListFile(list, path);
    } catch (const FileError& e) {
        dialogs_.error(path + QStringLiteral(": ") + QString::fromStdString(e.what()));
        return false;
    }
    listFile_ = QFileInfo(path).absoluteFilePath();
    setModified(false);
    updateCaption();
    return true;
}

bool TLiederbuchForm::SpeichernClick() {
    if (!listFile_.isEmpty())
        return writeList(listFile_);
    QString name = suggestedFileName(title_->text());
    const std::optional<QString> path = dialogs_.saveFile(
        {QString::fromLatin1(songlist::kExtension), QString::fromUtf8(songlist::kFilter),
         (name.isEmpty() ? QString::fromLatin1(kUntitled) : name) + QStringLiteral(".vsl")});
    return path && mayReplace(dialogs_, *path) && writeList(*path);
}

void TLiederbuchForm::HinzufuegenClick() {
    if (const std::optional<QStringList> paths =
            dialogs_.openFiles({QString::fromLatin1(kLayoutExtension), songFileFilter(), QString()}))
        addSongs(*paths);
}

void TLiederbuchForm::EntfernenClick() {
    const QList<QTreeWidgetItem*> selected = list_->selectedItems();
    for (QTreeWidgetItem* item : selected)
        delete item;
    if (!selected.isEmpty())
        setModified(true);
}

void TLiederbuchForm::moveCurrent(int by) {
    QTreeWidgetItem* item = list_->currentItem();
    if (!item)
        return;
    const int from = list_->indexOfTopLevelItem(item);
    const int to = from + by;
    if (to < 0 || to >= list_->topLevelItemCount())
        return;
    filling_ = true;
    list_->takeTopLevelItem(from);
    list_->insertTopLevelItem(to, item);
    filling_ = false;
    list_->clearSelection();
    list_->setCurrentItem(item);
    setModified(true);
}

void TLiederbuchForm::SortierenClick() {
    QCollator collator{QLocale(QLocale::German, QLocale::Germany)};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    filling_ = true;
    QList<QTreeWidgetItem*> items;
    while (list_->topLevelItemCount() > 0)
        items << list_->takeTopLevelItem(0);
    std::stable_sort(items.begin(), items.end(), [&](QTreeWidgetItem* a, QTreeWidgetItem* b) {
        return collator.compare(a->text(TitleColumn), b->text(TitleColumn)) < 0;
    });
    list_->addTopLevelItems(items);
    filling_ = false;
    if (items.size() > 1)
        setModified(true);
}

std::vector<BookSong> TLiederbuchForm::readBook() {
    BookSource source = loadBookSources(songFiles());
    if (!metrics_)
        metrics_ = std::make_unique<PageMetrics>();
    const BookOptions o = options();
    for (BookSong& song : source.songs)
        prepareBookSong(song, o, metrics_->surface());
    if (!source.problems.empty()) {
        QStringList lines;
        for (const QString& p : source.problems)
            lines << p;
        dialogs_.error(QString::fromUtf8(kNotReadable) + QLatin1Char('\n') + lines.join(QLatin1Char('\n')));
    }
    return std::move(source.songs);
}

void TLiederbuchForm::ExportPdfClick() {
    const QString extension = QString::fromLatin1(kPdfExtension);
    QString name = suggestedFileName(title_->text());
    if (name.isEmpty())
        name = listFile_.isEmpty() ? QString::fromLatin1(kUntitled) : QFileInfo(listFile_).completeBaseName();
    const std::optional<QString> path =
        dialogs_.saveFile({extension, QString::fromLatin1(kPdfFilter), name + QLatin1Char('.') + extension});
    if (!path || !mayReplace(dialogs_, *path))
        return;
    const std::vector<BookSong> songs = readBook();
    QProgressDialog progress(QStringLiteral("Das Liederbuch wird erstellt \u2026"), QStringLiteral("Abbrechen"), 0,
                             100, this);
    progress.setWindowTitle(QStringLiteral("Liederbuch"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(300);
    BookResult result;
    const std::optional<QString> error =
        writeBookPdf(songs, options(), *path, result, [this, &progress](int done, int total) {
            progress.setMaximum(total);
            progress.setValue(done);
            emit bookProgress(done, total);
            return !progress.wasCanceled();
        });
    progress.reset();
    if (error)
        dialogs_.error(*error);
    else if (!result.cancelled && !result.pictureErrors.empty())
        dialogs_.error(result.pictureErrors.front());
}

void TLiederbuchForm::DruckenClick() {
    const std::vector<BookSong> songs = readBook();
    const BookOptions o = options();
    QtBookPrinter printer(o.title.isEmpty() ? windowTitle() : o.title);
    try {
        printBook(songs, o, printer, [this](int done, int total) {
            emit bookProgress(done, total);
            return true;
        });
        printer.finish();
    } catch (const PrinterError& e) {
        const bool noPrinter = std::string_view(e.what()) == kNoDefaultPrinter;
        dialogs_.error(noPrinter ? QString::fromUtf8(kNoPrinterMessage) : QString::fromStdString(e.what()));
    }
}

bool TLiederbuchForm::closeQuery() {
    if (!modified_)
        return true;
    switch (dialogs_.confirm(QString::fromUtf8(kSavePrompt), true)) {
    case MsgButton::Yes:
        return SpeichernClick();
    case MsgButton::No:
        setModified(false);
        return true;
    default:
        return false;
    }
}

void TLiederbuchForm::closeEvent(QCloseEvent* event) {
    if (closeQuery())
        event->accept();
    else
        event->ignore();
}

} // namespace versino::ui
