#include "ui/Liederbuch.h"

#include "platform/QtBookPrinter.h"
#include "ui/Buehne.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>

namespace versino::ui {

namespace {

// Each item carries its row's index in the commands, so that a drag's new order can be read back.
constexpr int kRowRole = Qt::UserRole;

QPushButton* button(const QString& text, const char* name, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

// Edits the two set-list columns in place: the transposition with a spin box (the column shows the
// key it gives), the note as text; the other columns are not edited. The commands take the value.
class EntryDelegate : public QStyledItemDelegate {
public:
    using Commit = std::function<void(int row, int column, const QVariant& value)>;
    EntryDelegate(Commit commit, QObject* parent) : QStyledItemDelegate(parent), commit_(std::move(commit)) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        if (index.column() == TLiederbuchForm::KeyColumn) {
            auto* spin = new QSpinBox(parent);
            spin->setRange(-songlist::kMaxTranspose, songlist::kMaxTranspose);
            spin->setSuffix(QStringLiteral(" Halbt\u00F6ne"));
            return spin;
        }
        if (index.column() == TLiederbuchForm::NoteColumn)
            return QStyledItemDelegate::createEditor(parent, option, index);
        return nullptr;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        if (auto* spin = qobject_cast<QSpinBox*>(editor))
            spin->setValue(index.data(kTransposeRole).toInt());
        else
            QStyledItemDelegate::setEditorData(editor, index);
    }
    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override {
        const int row = index.siblingAtColumn(TLiederbuchForm::TitleColumn).data(kRowRole).toInt();
        if (auto* spin = qobject_cast<QSpinBox*>(editor))
            commit_(row, index.column(), spin->value());
        else if (auto* line = qobject_cast<QLineEdit*>(editor))
            commit_(row, index.column(), line->text());
    }

    static constexpr int kTransposeRole = Qt::UserRole + 1;

private:
    Commit commit_;
};

} // namespace

TLiederbuchForm::TLiederbuchForm(Dialogs& dialogs, std::function<void(const QString&)> openSong,
                                 QWidget* parent)
    : QWidget(parent, Qt::Window), dialogs_(dialogs), guard_(dialogs), openSong_(std::move(openSong)),
      commands_(dialogs, {[this] { showCommands(); }}) {
    setObjectName(QStringLiteral("LiederbuchForm"));
    setupWidgets();
    setupShortcuts();
    showCommands();
}

TLiederbuchForm::~TLiederbuchForm() = default;

void TLiederbuchForm::setupWidgets() {
    auto* top = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    title_ = new QLineEdit(this);
    title_->setObjectName(QStringLiteral("BuchTitelEdit"));
    form->addRow(QStringLiteral("&Titel des Buchs:"), title_);
    top->addLayout(form);
    connect(title_, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (showing_)
            return;
        BookOptions o = commands_.options();
        o.title = text.trimmed();
        commands_.setOptions(o);
    });

    auto* middle = new QHBoxLayout;
    list_ = new QTreeWidget(this);
    list_->setObjectName(QStringLiteral("SongList"));
    list_->setHeaderLabels({QStringLiteral("Titel"), QStringLiteral("Interpret"), QStringLiteral("Datei"),
                            QStringLiteral("Passt auf die Seite"), QStringLiteral("Tonart"),
                            QStringLiteral("Notiz")});
    // The set list's columns are edited in place (F2, or a click on a selected row).
    list_->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    list_->setItemDelegate(new EntryDelegate(
        [this](int row, int column, const QVariant& value) {
            guard_.run([&] {
                if (row < 0 || row >= int(commands_.rows().size()))
                    return;
                const SongbookRow& r = commands_.rows()[std::size_t(row)];
                if (column == KeyColumn)
                    commands_.setEntry(row, value.toInt(), r.note);
                else
                    commands_.setEntry(row, r.transpose, value.toString());
            });
            // Shown once the editor is closed, not while it hands its value over.
            QTimer::singleShot(0, this, [this] { showCommands(); });
        },
        list_));
    list_->setRootIsDecorated(false);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setDragDropMode(QAbstractItemView::InternalMove);
    list_->setDefaultDropAction(Qt::MoveAction);
    list_->header()->setStretchLastSection(false);
    list_->header()->setSectionResizeMode(TitleColumn, QHeaderView::Stretch);
    list_->header()->setSectionResizeMode(FitsColumn, QHeaderView::ResizeToContents);
    list_->setColumnWidth(KeyColumn, 70);
    list_->setColumnWidth(NoteColumn, 120);
    fitColumns();
    // A drop inserts the moved rows; their new order is read once the drop is over.
    connect(list_->model(), &QAbstractItemModel::rowsInserted, this, [this] {
        if (showing_ || dragPending_)
            return;
        dragPending_ = true;
        QTimer::singleShot(0, this, [this] { guard_.run([this] { takeDraggedOrder(); }); });
    });
    connect(list_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        const int row = item->data(TitleColumn, kRowRole).toInt();
        if (openSong_ && row >= 0 && row < int(commands_.rows().size()))
            openSong_(commands_.rows()[std::size_t(row)].path);
    });
    middle->addWidget(list_, 1);

    auto* side = new QVBoxLayout;
    QBoxLayout* row = side; // where add() puts the next button
    const auto add = [&](QPushButton* b, std::function<void()> handler) {
        row->addWidget(b);
        connect(b, &QPushButton::clicked, this, [this, handler] { guard_.run(handler); });
    };
    add(button(QStringLiteral("&Hinzuf\u00FCgen . . ."), "AddBtn", this),
        [this] { commands_.HinzufuegenClick(); });
    add(button(QStringLiteral("&Entfernen"), "RemoveBtn", this), [this] { removeSelected(); });
    add(button(QStringLiteral("Nach &oben"), "UpBtn", this), [this] { moveCurrent(-1); });
    add(button(QStringLiteral("Nach &unten"), "DownBtn", this), [this] { moveCurrent(1); });
    add(button(QStringLiteral("Nach Titel &sortieren"), "SortBtn", this),
        [this] { commands_.sortByTitle(); });
    side->addSpacing(12);
    // One check box per book option, in the order the commands list them.
    for (const BookSwitch& s : bookSwitches()) {
        auto* box = new QCheckBox(QString::fromUtf8(s.caption), this);
        box->setObjectName(QString::fromLatin1(s.objectName));
        side->addWidget(box);
        switches_.push_back(box);
        connect(box, &QCheckBox::toggled, this, [this, member = s.member](bool on) {
            if (showing_)
                return;
            BookOptions o = commands_.options();
            o.*member = on;
            commands_.setOptions(o);
        });
    }
    // The chord diagrams of every song of the book; the first item leaves each song its own.
    auto* diagramsLabel = new QLabel(QStringLiteral("&Griffbilder:"), this);
    diagrams_ = new QComboBox(this);
    diagrams_->setObjectName(QStringLiteral("DiagramsBox"));
    diagramsLabel->setBuddy(diagrams_);
    for (const auto& [caption, value] : std::initializer_list<std::pair<const char*, const char*>>{
             {"wie im Song", nullptr}, {"keine", ""}, {"Gitarre", "gitarre"}, {"Ukulele", "ukulele"}, {"Klavier", "klavier"}})
        diagrams_->addItem(QString::fromUtf8(caption), value ? QVariant(QString::fromLatin1(value)) : QVariant());
    side->addWidget(diagramsLabel);
    side->addWidget(diagrams_);
    connect(diagrams_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (showing_)
            return;
        BookOptions o = commands_.options();
        const QVariant value = diagrams_->itemData(index);
        o.diagrams = value.isValid() ? std::optional<std::string>(value.toString().toStdString()) : std::nullopt;
        commands_.setOptions(o);
    });
    side->addStretch(1);
    middle->addLayout(side);
    top->addLayout(middle, 1);

    auto* bottom = new QHBoxLayout;
    row = bottom;
    add(button(QStringLiteral("\u00D6&ffnen . . ."), "OpenBtn", this), [this] { commands_.OeffnenClick(); });
    add(button(QStringLiteral("S&peichern"), "SaveBtn", this), [this] { commands_.SpeichernClick(); });
    bottom->addStretch(1);
    add(button(QStringLiteral("Als PDF e&xportieren . . ."), "ExportBtn", this), [this] { exportPdf(); });
    add(button(QStringLiteral("&Drucken"), "PrintBtn", this), [this] { print(); });
    add(button(QStringLiteral("&B\u00FChnenansicht"), "BuehneBtn", this), [this] { showStage(); });
    top->addLayout(bottom);
    resize(600, 480);

    // A song mended and saved elsewhere may fit its page now: its row is read afresh.
    watcher_ = new QFileSystemWatcher(this);
    connect(watcher_, &QFileSystemWatcher::fileChanged, this, [this](const QString& path) {
        guard_.run([this, &path] { commands_.refresh(path); });
        // A file replaced by a rename is no longer watched; watch the new one.
        if (QFileInfo::exists(path) && !watcher_->files().contains(path))
            watcher_->addPath(path);
    });
}

void TLiederbuchForm::fitColumns() {
    // Performer and file give up room first in a narrow window, so that the title and whether
    // the song fits stay in view.
    const int room = list_->width();
    list_->setColumnWidth(PerformerColumn, std::clamp(room / 4, 60, 130));
    list_->setColumnWidth(FileColumn, std::clamp(room / 5, 50, 110));
}

void TLiederbuchForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    fitColumns();
}

void TLiederbuchForm::setupShortcuts() {
    auto* up = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Up), this);
    auto* down = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Down), this);
    up->setContext(Qt::WindowShortcut);
    down->setContext(Qt::WindowShortcut);
    connect(up, &QShortcut::activated, this, [this] { moveCurrent(-1); });
    connect(down, &QShortcut::activated, this, [this] { moveCurrent(1); });
    // On a small screen the windows overlap: one key brings the main window to the front.
    auto* main = new QShortcut(QKeySequence(Qt::Key_F6), this);
    main->setContext(Qt::WindowShortcut);
    connect(main, &QShortcut::activated, this, &TLiederbuchForm::returnFocus);
}

void TLiederbuchForm::showCommands() {
    showing_ = true;
    setWindowTitle(commands_.caption());
    const BookOptions& o = commands_.options();
    if (title_->text().trimmed() != o.title)
        title_->setText(o.title);
    for (std::size_t i = 0; i < switches_.size(); ++i)
        switches_[i]->setChecked(o.*bookSwitches()[i].member);
    diagrams_->setCurrentIndex(
        o.diagrams ? std::max(0, diagrams_->findData(QString::fromStdString(*o.diagrams))) : 0);

    const std::vector<SongbookRow>& rows = commands_.rows();
    const int current = list_->currentItem() ? list_->indexOfTopLevelItem(list_->currentItem()) : -1;
    while (list_->topLevelItemCount() > int(rows.size()))
        delete list_->takeTopLevelItem(list_->topLevelItemCount() - 1);
    while (list_->topLevelItemCount() < int(rows.size())) {
        auto* item = new QTreeWidgetItem;
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsEditable);
        list_->addTopLevelItem(item);
    }
    QStringList files;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const SongbookRow& r = rows[i];
        QTreeWidgetItem* item = list_->topLevelItem(int(i));
        item->setData(TitleColumn, kRowRole, int(i));
        item->setText(TitleColumn, r.title);
        item->setToolTip(TitleColumn, r.problem);
        item->setText(PerformerColumn, r.performer);
        item->setText(FileColumn, QFileInfo(r.path).fileName());
        item->setToolTip(FileColumn, r.path);
        item->setText(FitsColumn, r.fitText());
        item->setText(KeyColumn, r.key.isEmpty() && r.transpose == 0 ? QString() : r.key);
        item->setData(KeyColumn, EntryDelegate::kTransposeRole, r.transpose);
        item->setText(NoteColumn, r.note);
        if (QFileInfo::exists(r.path))
            files << r.path;
    }
    if (current >= 0 && current < list_->topLevelItemCount() && !list_->currentItem())
        list_->setCurrentItem(list_->topLevelItem(current));

    files.removeDuplicates();
    const QStringList watched = watcher_->files();
    if (!watched.isEmpty())
        watcher_->removePaths(watched);
    if (!files.isEmpty())
        watcher_->addPaths(files);
    showing_ = false;
}

void TLiederbuchForm::takeDraggedOrder() {
    dragPending_ = false;
    std::vector<int> order;
    for (int i = 0; i < list_->topLevelItemCount(); ++i)
        order.push_back(list_->topLevelItem(i)->data(TitleColumn, kRowRole).toInt());
    commands_.reorder(order);
    showCommands();
}

void TLiederbuchForm::moveCurrent(int by) {
    QTreeWidgetItem* item = list_->currentItem();
    if (!item)
        return;
    const int to = commands_.move(list_->indexOfTopLevelItem(item), by);
    list_->clearSelection();
    list_->setCurrentItem(list_->topLevelItem(to));
}

void TLiederbuchForm::removeSelected() {
    std::vector<int> rows;
    for (QTreeWidgetItem* item : list_->selectedItems())
        rows.push_back(list_->indexOfTopLevelItem(item));
    list_->clearSelection();
    commands_.remove(rows);
}

bool TLiederbuchForm::openList(const QString& path) {
    bool opened = false;
    guard_.run([&] { opened = commands_.openList(path); });
    return opened;
}

bool TLiederbuchForm::progress(int done, int total) {
    emit bookProgress(done, total);
    return true;
}

void TLiederbuchForm::exportPdf() {
    // Made at the first page, after the file dialog and the questions have been answered.
    std::unique_ptr<QProgressDialog> progress;
    commands_.ExportPdfClick([this, &progress](int done, int total) {
        if (!progress) {
            progress =
                std::make_unique<QProgressDialog>(QStringLiteral("Das Liederbuch wird erstellt \u2026"),
                                                  QStringLiteral("Abbrechen"), 0, total, this);
            progress->setWindowTitle(QStringLiteral("Liederbuch"));
            progress->setWindowModality(Qt::WindowModal);
            progress->setMinimumDuration(300);
        }
        progress->setMaximum(total);
        progress->setValue(done);
        emit bookProgress(done, total);
        return !progress->wasCanceled();
    });
}

void TLiederbuchForm::showStage() {
    const int from = list_->currentItem() ? list_->indexOfTopLevelItem(list_->currentItem()) : 0;
    std::vector<QString> problems;
    std::vector<StageSong> songs = loadStageEntries(commands_.entries(std::max(0, from)), commands_.listFile(), problems);
    if (!problems.empty()) {
        QStringList lines;
        for (const QString& p : problems)
            lines << p;
        dialogs_.error(QString::fromUtf8(kNotReadable) + QLatin1Char('\n') + lines.join(QLatin1Char('\n')));
    }
    if (songs.empty())
        return;
    auto* stage = new TBuehneForm(std::move(songs), this);
    stage->showOnStage(this);
}

void TLiederbuchForm::print() {
    QtBookPrinter printer(commands_.jobName());
    commands_.DruckenClick(printer, [this](int done, int total) { return progress(done, total); });
}

bool TLiederbuchForm::closeQuery() {
    bool allowed = false;
    guard_.run([this, &allowed] { allowed = commands_.closeQuery(); });
    return allowed;
}

void TLiederbuchForm::closeEvent(QCloseEvent* event) {
    if (closeQuery())
        event->accept();
    else
        event->ignore();
}

} // namespace versino::ui
