#include "ui/Buehne.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QSettings>
#include <QTime>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <cstdio>

namespace versino::ui {

namespace {

QSettings settings() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Versino"), QStringLiteral("Versino"));
}

// The page's size in pixels when it fills `box` at most, keeping its proportions.
QSize fitted(QSize page, QSize box) {
    if (page.isEmpty() || box.isEmpty())
        return {};
    return page.scaled(box, Qt::KeepAspectRatio);
}

} // namespace

// The part above the bar: the pages on black.
class StagePageArea : public QWidget {
public:
    explicit StagePageArea(TBuehneForm& stage) : QWidget(&stage), stage_(stage) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::black);
        StageModel& model = *stage_.model_;
        if (model.count() == 0)
            return;
        const ComposedPage& first = model.page(model.current()).page;
        const QSize page(first.width, first.height);
        const bool night = stage_.night_;
        switch (model.mode()) {
        case StageModel::Mode::WholePage: {
            const QSize size = fitted(page, this->size());
            const QImage& image = model.image(model.current(), size, night);
            painter.drawImage((width() - size.width()) / 2, (height() - size.height()) / 2, image);
            break;
        }
        case StageModel::Mode::PageWidth: {
            // As wide as the screen, as long as half the page still fits its height.
            const QSize size = fitted(page, QSize(width(), 2 * height()));
            const QImage& image = model.image(model.current(), size, night);
            const int shown = std::min(height(), size.height());
            const int top = model.half() == 0 ? 0 : size.height() - shown;
            painter.drawImage(QPoint((width() - size.width()) / 2, 0), image, QRect(0, top, size.width(), shown));
            break;
        }
        case StageModel::Mode::TwoSongs: {
            const QSize slot(width() / 2, height());
            const QSize size = fitted(page, slot);
            for (int k = 0; k < 2 && model.current() + k < model.count(); ++k) {
                const QImage& image = model.image(model.current() + k, size, night);
                painter.drawImage(k * slot.width() + (slot.width() - size.width()) / 2,
                                  (height() - size.height()) / 2, image);
            }
            break;
        }
        }
    }

    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton)
            stage_.tapped(int(event->position().x()), width());
    }

private:
    TBuehneForm& stage_;
};

TBuehneForm::TBuehneForm(std::vector<StageSong> songs, QWidget* parent)
    : QWidget(parent, Qt::Window), model_(std::make_unique<StageModel>(std::move(songs), metrics_.surface())) {
    setAttribute(Qt::WA_DeleteOnClose);
    setFocusPolicy(Qt::StrongFocus);
    night_ = settings().value(QLatin1String(kNightSetting), false).toBool();
    setupWidgets();
    ahead_.setSingleShot(true);
    ahead_.setInterval(0);
    connect(&ahead_, &QTimer::timeout, this, [this] { model_->composeAhead(); });
    clockTimer_.setInterval(10 * 1000);
    connect(&clockTimer_, &QTimer::timeout, this, &TBuehneForm::showClock);
    clockTimer_.start();
    showClock();
    showBar();
    ahead_.start();
}

TBuehneForm::~TBuehneForm() = default;

void TBuehneForm::setupWidgets() {
    setObjectName(QStringLiteral("Buehne"));
    QPalette dark = palette();
    dark.setColor(QPalette::Window, Qt::black);
    dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
    dark.setColor(QPalette::Button, QColor(40, 40, 40));
    dark.setColor(QPalette::ButtonText, QColor(230, 230, 230));
    setPalette(dark);
    setAutoFillBackground(true);

    area_ = new StagePageArea(*this);
    bar_ = new QWidget(this);
    bar_->setObjectName(QStringLiteral("Leiste"));
    bar_->setAutoFillBackground(true);
    QPalette barPalette = dark;
    barPalette.setColor(QPalette::Window, QColor(28, 28, 28));
    bar_->setPalette(barPalette);

    info_ = new QLabel(bar_);
    info_->setObjectName(QStringLiteral("Info"));
    note_ = new QLabel(bar_);
    note_->setObjectName(QStringLiteral("Notiz"));
    QPalette notePalette = dark;
    notePalette.setColor(QPalette::WindowText, QColor(255, 191, 0));
    note_->setPalette(notePalette);
    check_ = new QLabel(bar_);
    check_->setObjectName(QStringLiteral("Seitenpruefung"));
    QPalette checkPalette = dark;
    checkPalette.setColor(QPalette::WindowText, QColor(255, 110, 90));
    check_->setPalette(checkPalette);
    clock_ = new QLabel(bar_);
    clock_->setObjectName(QStringLiteral("Uhrzeit"));

    const auto toggle = [this](const char* caption, const char* name) {
        auto* button = new QToolButton(bar_);
        button->setText(QString::fromUtf8(caption));
        button->setObjectName(QLatin1String(name));
        button->setCheckable(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoRaise(true);
        return button;
    };
    pageWidth_ = toggle("Seitenbreite (B)", "Seitenbreite");
    twoSongs_ = toggle("Zwei Songs (Z)", "ZweiSongs");
    nightButton_ = toggle("Nachtmodus (N)", "Nachtmodus");
    nightButton_->setChecked(night_);
    connect(pageWidth_, &QToolButton::clicked, this, [this](bool on) {
        setMode(on ? StageModel::Mode::PageWidth : StageModel::Mode::WholePage);
    });
    connect(twoSongs_, &QToolButton::clicked, this, [this](bool on) {
        setMode(on ? StageModel::Mode::TwoSongs : StageModel::Mode::WholePage);
    });
    connect(nightButton_, &QToolButton::clicked, this, &TBuehneForm::setNight);

    auto* row = new QHBoxLayout(bar_);
    row->setContentsMargins(12, 2, 12, 2);
    row->setSpacing(24);
    row->addWidget(info_);
    row->addWidget(note_);
    row->addWidget(check_);
    row->addStretch(1);
    for (QWidget* w : {static_cast<QWidget*>(pageWidth_), static_cast<QWidget*>(twoSongs_),
                       static_cast<QWidget*>(nightButton_), static_cast<QWidget*>(clock_)})
        row->addWidget(w);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(area_, 1);
    column->addWidget(bar_);
}

void TBuehneForm::showOnStage(const QWidget* from) {
    QScreen* screen = from && from->screen() ? from->screen() : QGuiApplication::primaryScreen();
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (screens.size() > 1)
        for (QScreen* other : screens)
            if (other != screen) {
                screen = other;
                break;
            }
    if (screen) {
        setScreen(screen);
        setGeometry(screen->geometry());
    }
    showFullScreen();
    raise();
    activateWindow();
    setFocus();
}

void TBuehneForm::resizeEvent(QResizeEvent* event) {
    // The bar's type grows with the screen, so that it can be read from a few steps away.
    QFont font = this->font();
    font.setPixelSize(std::max(14, height() / 42));
    bar_->setFont(font);
    for (QWidget* w : bar_->findChildren<QWidget*>())
        w->setFont(font);
    if (model_->mode() == StageModel::Mode::TwoSongs && !twoSongsFit())
        setMode(StageModel::Mode::WholePage);
    twoSongs_->setEnabled(twoSongsFit());
    QWidget::resizeEvent(event);
    ahead_.start();
}

bool TBuehneForm::twoSongsFit() const {
    if (model_->count() == 0)
        return false;
    const ComposedPage& page = model_->page(model_->current()).page;
    const int height = area_->height();
    return page.height > 0 && 2 * std::lround(double(height) * page.width / page.height) <= area_->width();
}

void TBuehneForm::setNight(bool night) {
    night_ = night;
    nightButton_->setChecked(night);
    settings().setValue(QLatin1String(kNightSetting), night);
    area_->update();
    ahead_.start();
}

void TBuehneForm::setMode(StageModel::Mode mode) {
    if (mode == StageModel::Mode::TwoSongs && !twoSongsFit())
        mode = StageModel::Mode::WholePage;
    model_->setMode(mode);
    pageWidth_->setChecked(mode == StageModel::Mode::PageWidth);
    twoSongs_->setChecked(mode == StageModel::Mode::TwoSongs);
    turned();
}

void TBuehneForm::keyPressEvent(QKeyEvent* event) {
    if (!event->isAutoRepeat() && event->modifiers() == Qt::NoModifier) {
        switch (event->key()) {
        case Qt::Key_N:
            setNight(!night_);
            return;
        case Qt::Key_B:
            setMode(model_->mode() == StageModel::Mode::PageWidth ? StageModel::Mode::WholePage
                                                                  : StageModel::Mode::PageWidth);
            return;
        case Qt::Key_Z:
            setMode(model_->mode() == StageModel::Mode::TwoSongs ? StageModel::Mode::WholePage
                                                                 : StageModel::Mode::TwoSongs);
            return;
        default:
            break;
        }
    }
    switch (model_->keyPress(event->key(), event->isAutoRepeat(), event->timestamp())) {
    case StageModel::Outcome::Turned:
        turned();
        break;
    case StageModel::Outcome::Typing:
        showBar();
        break;
    case StageModel::Outcome::Leave:
        close();
        break;
    case StageModel::Outcome::Ignored:
        break;
    }
    event->accept();
}

void TBuehneForm::keyReleaseEvent(QKeyEvent* event) {
    model_->keyRelease(event->key(), event->isAutoRepeat(), event->timestamp());
    event->accept();
}

void TBuehneForm::focusOutEvent(QFocusEvent* event) {
    // A key released while another window had the keyboard would otherwise count as held.
    model_->forgetHeldKeys();
    QWidget::focusOutEvent(event);
}

void TBuehneForm::tapped(int x, int width) {
    const bool moved = x * 3 >= width * 2 ? model_->forward() : x * 3 < width ? model_->back() : false;
    if (moved)
        turned();
}

void TBuehneForm::turned() {
    showBar();
    // Drawn now, before anything else runs: the turn must show at once; the neighbours follow.
    area_->repaint();
    ahead_.start();
}

void TBuehneForm::showBar() {
    setWindowTitle(model_->windowTitle());
    if (model_->count() == 0) {
        info_->setText(QStringLiteral("Keine Songs"));
        return;
    }
    QString info = model_->barText();
    if (!model_->typedNumber().isEmpty())
        info = QStringLiteral("Nr. %1 \u21B5").arg(model_->typedNumber());
    info_->setText(info);
    note_->setText(model_->song(model_->current()).note);
    const std::vector<PageFinding>& findings = model_->page(model_->current()).findings;
    QString check;
    if (!findings.empty()) {
        check = QStringLiteral("\u26A0 ") + findings.front().text;
        if (findings.size() > 1)
            check += QStringLiteral(" (+%1)").arg(findings.size() - 1);
    }
    check_->setText(check);
    check_->setVisible(!check.isEmpty());
}

void TBuehneForm::showClock() {
    clock_->setText(QTime::currentTime().toString(QStringLiteral("HH:mm")));
}

int runStageView(const QStringList& files) {
    std::vector<QString> problems;
    std::vector<StageSong> songs = loadStageSongs(files, problems);
    for (const QString& problem : problems)
        std::fprintf(stderr, "versino: %s\n", problem.toLocal8Bit().constData());
    if (songs.empty()) {
        std::fprintf(stderr, "versino: %s\n", kNoStageSongs);
        return 1;
    }
    auto* stage = new TBuehneForm(std::move(songs));
    stage->showOnStage(nullptr);
    return QApplication::exec();
}

QImage TBuehneForm::grabPageArea() {
    return area_->grab().toImage();
}

} // namespace versino::ui
