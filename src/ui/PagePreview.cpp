#include "ui/PagePreview.h"
#include "ui/PreviewPlacement.h"

#include "print/PagePainting.h"
#include "print/SongPages.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace versino::ui {

namespace {

constexpr int kMargin = 16;       // grey ground around the sheet, in screen pixels
constexpr int kMarkSpace = 22;    // room below the sheet for the note on lines that do not fit
constexpr double kZoomStep = 1.25;
constexpr double kMinScale = 0.02; // screen pixels per device unit
constexpr double kMaxScale = 1.0;

} // namespace

// The sheet on its grey ground, at a scale of screen pixels per device unit.
class PageView : public QWidget {
public:
    explicit PageView(QWidget* parent) : QWidget(parent) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setBackgroundRole(QPalette::Dark);
    }

    void show(const ComposedPage* page, const ComposedPage* second, const std::vector<PageFinding>* findings) {
        page_ = page;
        second_ = second;
        pageSize_ = QSize(page->width, page->height);
        findings_ = findings;
        resize(sizeHint());
        update();
    }

    double scale() const { return scale_; }
    void setScale(double scale) {
        scale_ = std::clamp(scale, kMinScale, kMaxScale);
        resize(sizeHint());
        update();
    }

    QSize sizeHint() const override {
        const int sheets = second_ ? 2 : 1;
        return {sheets * int(std::ceil(pageSize_.width() * scale_)) + (sheets + 1) * kMargin,
                int(std::ceil(pageSize_.height() * scale_)) + 2 * kMargin + kMarkSpace};
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), palette().dark());
        if (!page_)
            return;
        const QRectF sheet(kMargin, kMargin, pageSize_.width() * scale_, pageSize_.height() * scale_);
        paintSheet(p, sheet, *page_);
        if (second_)
            paintSheet(p, sheet.translated(sheet.width() + kMargin, 0), *second_);
        paintMarks(p, second_ ? sheet.translated(sheet.width() + kMargin, 0) : sheet);
    }

private:
    void paintSheet(QPainter& p, const QRectF& sheet, const ComposedPage& page) {
        p.fillRect(sheet.translated(3, 3), palette().shadow());
        p.save();
        p.translate(sheet.topLeft());
        p.scale(scale_, scale_);
        p.setClipRect(QRect(QPoint(0, 0), pageSize_));
        paintPage(p, page);
        p.restore();
    }

    // What the paper cannot hold is marked in red: a rule at the printable bottom with the note of
    // the lines below it, and a rule at the right edge where text runs past it.
    void paintMarks(QPainter& p, const QRectF& sheet) {
        QStringList below;
        bool pastRight = false;
        for (const PageFinding& f : *findings_) {
            if (f.kind == PageFindingKind::BelowPage)
                below << f.text;
            pastRight = pastRight || f.kind == PageFindingKind::PastRightEdge;
        }
        p.setPen(QPen(Qt::red, 2));
        if (pastRight)
            p.drawLine(sheet.topRight(), sheet.bottomRight());
        if (below.isEmpty())
            return;
        p.drawLine(sheet.bottomLeft(), sheet.bottomRight());
        p.setPen(Qt::red);
        p.setBackgroundMode(Qt::TransparentMode);
        p.drawText(QRectF(sheet.left(), sheet.bottom() + 4, sheet.width(), kMarkSpace - 4),
                   Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, below.join(QLatin1Char(' ')));
    }

    const ComposedPage* page_ = nullptr;
    const ComposedPage* second_ = nullptr;
    QSize pageSize_;
    const std::vector<PageFinding>* findings_ = nullptr;
    double scale_ = 0.15;
};

PagePreview::PagePreview(QWidget* parent)
    : QWidget(parent, Qt::Window), metrics_(QPageSize::A4),
      sheet_(metrics_.surface().pageWidth(), metrics_.surface().pageHeight()) {
    setupWidgets();
    pause_.setSingleShot(true);
    pause_.setInterval(kPauseMs);
    connect(&pause_, &QTimer::timeout, this, &PagePreview::refresh);
    resize(620, 860);
}

PagePreview::~PagePreview() = default;

void PagePreview::setupWidgets() {
    wholePage_ = new QPushButton(QStringLiteral("Ganze Seite"), this);
    pageWidth_ = new QPushButton(QStringLiteral("Seitenbreite"), this);
    wholePage_->setObjectName(QStringLiteral("GanzeSeite"));
    pageWidth_->setObjectName(QStringLiteral("Seitenbreite"));
    connect(wholePage_, &QPushButton::clicked, this, &PagePreview::showWholePage);
    connect(pageWidth_, &QPushButton::clicked, this, &PagePreview::showPageWidth);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(wholePage_);
    buttons->addWidget(pageWidth_);
    buttons->addStretch();

    view_ = new PageView(this);
    scroll_ = new QScrollArea(this);
    scroll_->setWidget(view_);
    scroll_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    scroll_->setBackgroundRole(QPalette::Dark);
    scroll_->viewport()->installEventFilter(this);

    findingsList_ = new QListWidget(this);
    findingsList_->setObjectName(QStringLiteral("Befunde"));
    findingsList_->setMaximumHeight(110);
    // Return and, on some styles, a single click emit itemActivated; a click always counts.
    connect(findingsList_, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { activateFinding(findingsList_->row(item)); });
    connect(findingsList_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { activateFinding(findingsList_->row(item)); });

    note_ = new QLabel(this);
    note_->setObjectName(QStringLiteral("Hinweis"));
    note_->setWordWrap(true);
    note_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    note_->hide();

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(scroll_, 1);
    layout->addWidget(note_);
    layout->addWidget(findingsList_);

    auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    close->setContext(Qt::WindowShortcut);
    connect(close, &QShortcut::activated, this, &QWidget::close);
    // On a small screen the windows overlap: one key brings the main window to the front.
    auto* main = new QShortcut(QKeySequence(Qt::Key_F6), this);
    main->setContext(Qt::WindowShortcut);
    connect(main, &QShortcut::activated, this, &PagePreview::returnFocus);
}

void PagePreview::activateFinding(int index) {
    if (index < 0 || index >= int(findings_.size()))
        return;
    const PageFinding& f = findings_[std::size_t(index)];
    handingOver_.start();
    emit showLine(f.field, f.line);
}

void PagePreview::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && handingOver_.isValid() &&
        handingOver_.elapsed() < kHandOverMs)
        emit returnFocus();
}

void PagePreview::setNote(const QString& note) {
    note_->setText(note);
    note_->setVisible(!note.isEmpty());
}

void PagePreview::songChanged() {
    // A hidden preview composes again only when it is shown.
    if (isVisible())
        pause_.start();
    else
        stale_ = true;
}

void PagePreview::showEvent(QShowEvent* event) {
    if (stale_)
        refresh();
    QWidget::showEvent(event);
    // The first showing fits the whole page into the window, once the window has its size; where
    // the whole page would be too small to read (a low screen), the page's width fills the window.
    if (!shown_) {
        shown_ = true;
        QTimer::singleShot(0, this, [this] {
            showWholePage();
            if (pageSize().width() * view_->scale() < kReadablePageWidth)
                showPageWidth();
        });
    }
}

void PagePreview::showSong(const SongDocument& song) {
    pause_.stop();
    stale_ = false;
    std::vector<ComposedPage> pages = composeSong(song, metrics_.surface());
    findings_ = CheckPages(pages);
    page_ = std::move(pages.front());
    if (pages.size() > 1)
        secondPage_ = std::move(pages[1]);
    else
        secondPage_.reset();
    view_->show(&page_, secondPage(), &findings_);
    showFindings();
}

void PagePreview::showFindings() {
    findingsList_->clear();
    for (const PageFinding& f : findings_) {
        const QString where = isMultiLine(f.field)
                                  ? QStringLiteral("%1, Zeile %2").arg(fieldLabel(f.field)).arg(f.line)
                                  : fieldLabel(f.field);
        findingsList_->addItem(QStringLiteral("%1: %2").arg(where, f.text));
    }
    findingsList_->setVisible(!findings_.empty());
}

void PagePreview::setDocumentName(const QString& name) {
    setWindowTitle(QStringLiteral("Seitenvorschau - [%1]").arg(name));
}

QSize PagePreview::pageSize() const {
    if (!secondPage_)
        return sheet_;
    // Two sheets and the ground between them, which is about a twentieth of a sheet at any zoom
    // that shows both.
    return {2 * sheet_.width() + sheet_.width() / 20, sheet_.height()};
}

void PagePreview::showWholePage() {
    zoomMode_ = Zoom::WholePage;
    // One pixel less than the room: the sheet's size is rounded up, and a scroll bar for a pixel
    // would take the room away.
    const QSize room = scroll_->viewport()->size() - QSize(2 * kMargin + 1, 2 * kMargin + kMarkSpace + 1);
    const QSize page = pageSize();
    view_->setScale(std::min(double(room.width()) / page.width(), double(room.height()) / page.height()));
}

void PagePreview::showPageWidth() {
    zoomMode_ = Zoom::PageWidth;
    // Room for the vertical scroll bar the page will need, unless it is already there.
    const QScrollBar* bar = scroll_->verticalScrollBar();
    const int room = scroll_->viewport()->width() - 2 * kMargin - (bar->isVisible() ? 0 : bar->sizeHint().width());
    view_->setScale(double(room) / sheet_.width());
}

void PagePreview::zoomIn() {
    zoomMode_ = Zoom::Free;
    view_->setScale(view_->scale() * kZoomStep);
}

void PagePreview::zoomOut() {
    zoomMode_ = Zoom::Free;
    view_->setScale(view_->scale() / kZoomStep);
}

void PagePreview::followSize() {
    if (zoomMode_ == Zoom::WholePage)
        showWholePage();
    else if (zoomMode_ == Zoom::PageWidth)
        showPageWidth();
}

bool PagePreview::eventFilter(QObject* watched, QEvent* event) {
    if (watched == scroll_->viewport() && event->type() == QEvent::Resize)
        followSize();
    if (watched == scroll_->viewport() && event->type() == QEvent::Wheel) {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        if (wheel->modifiers() & Qt::ControlModifier) {
            if (wheel->angleDelta().y() > 0)
                zoomIn();
            else if (wheel->angleDelta().y() < 0)
                zoomOut();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void PagePreview::keyPressEvent(QKeyEvent* event) {
    if (event->modifiers() & Qt::ControlModifier) {
        if (event->key() == Qt::Key_Plus || event->key() == Qt::Key_Equal) {
            zoomIn();
            return;
        }
        if (event->key() == Qt::Key_Minus) {
            zoomOut();
            return;
        }
    }
    QWidget::keyPressEvent(event);
}

} // namespace versino::ui
