#include "ui/FontDialog.h"

#include "document/Cp1252.h"
#include "platform/QtFont.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace versino::ui {
namespace {

// The style list: names as the German dialog shows them, and the bold and italic flags they stand for.
struct StyleEntry {
    const char* name;
    std::uint8_t flags;
};
constexpr StyleEntry kStyles[] = {
    {"Standard", 0},
    {"Kursiv", FontStyle::Italic},
    {"Fett", FontStyle::Bold},
    {"Fett Kursiv", FontStyle::Bold | FontStyle::Italic},
};

constexpr int kSizes[] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};

const char* const kColorNames[16] = {
    "Schwarz", "Kastanienbraun", "Grün", "Olivgrün", "Marineblau", "Violett",   "Petrol", "Grau", "Silber",
    "Rot",     "Hellgrün",       "Gelb", "Blau",     "Fuchsie",    "Aquamarin", "Weiß",
};

QIcon swatch(std::int32_t c) {
    QPixmap pm(24, 12);
    pm.fill(toQColor(c));
    QPainter p(&pm);
    p.setPen(Qt::black);
    p.drawRect(0, 0, pm.width() - 1, pm.height() - 1);
    return QIcon(pm);
}

QWidget* labelled(const QString& caption, QWidget* edit, QWidget* list) {
    auto* box = new QWidget;
    auto* v = new QVBoxLayout(box);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(2);
    auto* label = new QLabel(caption);
    label->setBuddy(edit);
    v->addWidget(label);
    v->addWidget(edit);
    v->addWidget(list);
    return box;
}

} // namespace

const std::array<std::int32_t, 16>& FontDialog::standardColors() {
    static const std::array<std::int32_t, 16> colors = {
        0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0x808080,
        0xC0C0C0, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF,
    };
    return colors;
}

bool FontDialog::isGenericAlias(const QString& family) {
    // fontconfig's generic names, which Qt lists as if they were families ("Sans Serif", "Serif",
    // "Monospace"): each stands for some real face chosen by the system's configuration, so a song
    // set in one would print differently elsewhere.
    static const QStringList aliases = {
        QStringLiteral("Sans Serif"), QStringLiteral("Sans-Serif"), QStringLiteral("Sans"),
        QStringLiteral("Serif"),      QStringLiteral("Monospace"),  QStringLiteral("Mono"),
        QStringLiteral("Cursive"),    QStringLiteral("Fantasy"),    QStringLiteral("System-UI"),
        QStringLiteral("Emoji"),      QStringLiteral("Math"),
    };
    return aliases.contains(family.trimmed(), Qt::CaseInsensitive);
}

QStringList FontDialog::listedFaces() {
    QStringList faces;
    for (const QString& family : QFontDatabase::families()) {
        if (QFontDatabase::isPrivateFamily(family) || !QFontDatabase::isSmoothlyScalable(family) ||
            isGenericAlias(family))
            continue;
        // Symbol and dingbat fonts carry no Latin letters: song text cannot be set in them.
        const auto systems = QFontDatabase::writingSystems(family);
        if (systems.contains(QFontDatabase::Symbol) || !systems.contains(QFontDatabase::Latin))
            continue;
        // A family that several foundries supply is listed once, under its plain face name.
        const qsizetype foundry = family.indexOf(QLatin1String(" ["));
        const QString face = foundry > 0 ? family.left(foundry) : family;
        if (!faces.contains(face))
            faces.append(face);
    }
    faces.sort(Qt::CaseInsensitive);
    return faces;
}

FontDialog::FontDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FontDialog"));
    setWindowTitle(QStringLiteral("Schriftart"));
    // A dialog is a window of its own and does not inherit the font of the window it belongs to.
    if (parent)
        setFont(parent->font());
    setupControls();
    setupLists();
    setupConnections();
}

void FontDialog::setupControls() {
    faceEdit_ = new QLineEdit;
    faceEdit_->setObjectName(QStringLiteral("FaceEdit"));
    faceList_ = new QListWidget;
    faceList_->setObjectName(QStringLiteral("FaceList"));
    styleEdit_ = new QLineEdit;
    styleEdit_->setObjectName(QStringLiteral("StyleEdit"));
    styleEdit_->setReadOnly(true);
    styleList_ = new QListWidget;
    styleList_->setObjectName(QStringLiteral("StyleList"));
    sizeEdit_ = new QLineEdit;
    sizeEdit_->setObjectName(QStringLiteral("SizeEdit"));
    // No minimum and no maximum: any whole number of points.
    sizeEdit_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("-?[0-9]{0,5}")), sizeEdit_));
    sizeList_ = new QListWidget;
    sizeList_->setObjectName(QStringLiteral("SizeList"));

    strikeOut_ = new QCheckBox(QStringLiteral("Durch&gestrichen"));
    strikeOut_->setObjectName(QStringLiteral("StrikeOutCheck"));
    underline_ = new QCheckBox(QStringLiteral("&Unterstrichen"));
    underline_->setObjectName(QStringLiteral("UnderlineCheck"));
    colorBox_ = new QComboBox;
    colorBox_->setObjectName(QStringLiteral("ColorBox"));
    auto* colorLabel = new QLabel(QStringLiteral("&Farbe:"));
    colorLabel->setBuddy(colorBox_);

    auto* effects = new QGroupBox(QStringLiteral("Darstellung"));
    auto* ev = new QVBoxLayout(effects);
    ev->addWidget(strikeOut_);
    ev->addWidget(underline_);
    ev->addWidget(colorLabel);
    ev->addWidget(colorBox_);
    ev->addStretch();

    sample_ = new QLabel(QStringLiteral("AaBbYyZz"));
    sample_->setObjectName(QStringLiteral("Sample"));
    sample_->setAlignment(Qt::AlignCenter);
    sample_->setMinimumSize(180, 60);
    auto* sampleBox = new QGroupBox(QStringLiteral("Beispiel"));
    auto* sv = new QVBoxLayout(sampleBox);
    sv->addWidget(sample_);

    auto* buttons = new QDialogButtonBox(Qt::Vertical);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("OkButton"));
    ok->setDefault(true);
    buttons->addButton(QStringLiteral("Abbrechen"), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("CancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* grid = new QGridLayout(this);
    grid->addWidget(labelled(QStringLiteral("Schrift&art:"), faceEdit_, faceList_), 0, 0);
    grid->addWidget(labelled(QStringLiteral("Schrifts&chnitt:"), styleEdit_, styleList_), 0, 1);
    grid->addWidget(labelled(QStringLiteral("&Schriftgrad:"), sizeEdit_, sizeList_), 0, 2);
    grid->addWidget(buttons, 0, 3, Qt::AlignTop);
    grid->addWidget(effects, 1, 0);
    grid->addWidget(sampleBox, 1, 1, 1, 2);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);
    grid->setColumnStretch(2, 1);
    faceList_->setMinimumWidth(160);
    sizeList_->setMaximumWidth(70);
    sizeEdit_->setMaximumWidth(70);
}

void FontDialog::setupLists() {
    faceList_->addItems(listedFaces());
    for (const StyleEntry& s : kStyles)
        styleList_->addItem(QString::fromUtf8(s.name));
    for (int size : kSizes)
        sizeList_->addItem(QString::number(size));
    for (int i = 0; i < 16; ++i)
        colorBox_->addItem(swatch(standardColors()[i]), QString::fromUtf8(kColorNames[i]),
                           standardColors()[i]);
}

void FontDialog::setupConnections() {
    connect(faceList_, &QListWidget::currentTextChanged, this, [this](const QString& face) {
        if (!face.isEmpty() && faceEdit_->text() != face)
            faceEdit_->setText(face);
    });
    connect(faceEdit_, &QLineEdit::textEdited, this, [this](const QString& text) {
        const auto found = faceList_->findItems(text, Qt::MatchStartsWith);
        if (!found.isEmpty()) {
            QSignalBlocker block(faceList_);
            faceList_->setCurrentItem(found.front());
            faceList_->scrollToItem(found.front());
        }
    });
    connect(faceEdit_, &QLineEdit::textChanged, this, &FontDialog::updateSample);
    connect(styleList_, &QListWidget::currentTextChanged, this, [this](const QString& style) {
        styleEdit_->setText(style);
        updateSample();
    });
    connect(sizeList_, &QListWidget::currentTextChanged, this, [this](const QString& size) {
        if (!size.isEmpty() && sizeEdit_->text() != size)
            sizeEdit_->setText(size);
    });
    connect(sizeEdit_, &QLineEdit::textChanged, this, [this](const QString& text) {
        const auto found = sizeList_->findItems(text, Qt::MatchExactly);
        QSignalBlocker block(sizeList_);
        sizeList_->setCurrentItem(found.isEmpty() ? nullptr : found.front());
        updateSample();
    });
    connect(strikeOut_, &QCheckBox::toggled, this, &FontDialog::updateSample);
    connect(underline_, &QCheckBox::toggled, this, &FontDialog::updateSample);
    connect(colorBox_, &QComboBox::currentIndexChanged, this, &FontDialog::updateSample);
}

void FontDialog::selectFace(const QString& face) {
    const auto found = faceList_->findItems(face, Qt::MatchFixedString);
    {
        QSignalBlocker block(faceList_);
        faceList_->setCurrentItem(found.isEmpty() ? nullptr : found.front());
        if (!found.isEmpty())
            faceList_->scrollToItem(found.front());
    }
    faceEdit_->setText(face);
}

void FontDialog::selectColor(std::int32_t color) {
    int index = colorBox_->findData(color);
    if (index < 0) {
        // A colour outside the sixteen (from a layout file) is kept as it is.
        colorBox_->addItem(swatch(color), QStringLiteral("Benutzerdefiniert"), color);
        index = colorBox_->count() - 1;
    }
    colorBox_->setCurrentIndex(index);
}

void FontDialog::setSetting(const FontSetting& s) {
    selectColor(s.color);
    strikeOut_->setChecked(s.style & FontStyle::StrikeOut);
    underline_->setChecked(s.style & FontStyle::Underline);
    const std::uint8_t boldItalic = s.style & (FontStyle::Bold | FontStyle::Italic);
    for (int i = 0; i < styleList_->count(); ++i)
        if (kStyles[i].flags == boldItalic)
            styleList_->setCurrentRow(i);
    selectFace(cp1252::toUnicode(s.name));
    presetSize_ = s.size;
    sizeEdit_->setText(QString::number(s.size));
    updateSample();
}

FontSetting FontDialog::setting() const {
    FontSetting s;
    s.name = cp1252::fromUnicode(faceEdit_->text());
    const int row = styleList_->currentRow();
    s.style = row >= 0 ? kStyles[row].flags : 0;
    if (underline_->isChecked())
        s.style |= FontStyle::Underline;
    if (strikeOut_->isChecked())
        s.style |= FontStyle::StrikeOut;
    s.color = colorBox_->currentData().toInt();
    bool ok = false;
    const int size = sizeEdit_->text().toInt(&ok);
    s.size = ok ? size : presetSize_;
    return s;
}

void FontDialog::updateSample() {
    const FontSetting s = setting();
    QFont f = withFaceAndStyle(QFont(), s.name, s.style);
    if (s.size > 0)
        f.setPointSize(s.size);
    sample_->setFont(f);
    QPalette p = sample_->palette();
    p.setColor(QPalette::WindowText, toQColor(s.color));
    sample_->setPalette(p);
}

std::optional<FontSetting> FontDialog::getFont(const FontSetting& preset, QWidget* parent) {
    FontDialog dialog(parent);
    dialog.setSetting(preset);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.setting();
}

} // namespace versino::ui
