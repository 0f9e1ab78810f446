#include "platform/TransposeDialog.h"

#include "document/Cp1252.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QStringList>
#include <QVBoxLayout>

namespace versino {

TransposeDialog::TransposeDialog(const transpose::Options& preset, const transpose::Count& unrecognised,
                                 QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Transponieren"));
    steps_ = new QSpinBox(this);
    steps_->setRange(-11, 11);
    steps_->setValue(preset.semitones);
    updateSuffix();
    steps_->setObjectName(QStringLiteral("StepsBox"));

    notation_ = new QComboBox(this);
    notation_->addItems({QStringLiteral("deutsch: H und B"), QStringLiteral("international: B und Bb")});
    notation_->setCurrentIndex(preset.notation == transpose::Notation::German ? 0 : 1);
    notation_->setObjectName(QStringLiteral("NotationBox"));

    spelling_ = new QComboBox(this);
    spelling_->addItems({QStringLiteral("automatisch"), QStringLiteral("\u266F"), QStringLiteral("\u266D")});
    spelling_->setCurrentIndex(static_cast<int>(preset.spelling));
    spelling_->setObjectName(QStringLiteral("SpellingBox"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Halbtöne:"), steps_);
    form->addRow(QStringLiteral("&Notation:"), notation_);
    form->addRow(QStringLiteral("&Vorzeichen:"), spelling_);

    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons_->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Abbrechen"));
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(steps_, &QSpinBox::valueChanged, this, [this] {
        updateSuffix();
        updateOk();
    });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    if (unrecognised.unrecognised > 0) {
        auto* note = new QLabel(unrecognisedText(unrecognised), this);
        note->setObjectName(QStringLiteral("UnrecognisedLabel"));
        note->setWordWrap(true);
        layout->addWidget(note);
    }
    layout->addWidget(buttons_);
    updateOk();
}

transpose::Options TransposeDialog::choice() const {
    return {steps_->value(),
            notation_->currentIndex() == 0 ? transpose::Notation::German : transpose::Notation::International,
            static_cast<transpose::Spelling>(spelling_->currentIndex())};
}

QString TransposeDialog::unrecognisedText(const transpose::Count& unrecognised) {
    const int n = unrecognised.unrecognised;
    QStringList names;
    for (const std::string& name : unrecognised.unrecognisedNames)
        names << QStringLiteral("\u201E%1\u201C").arg(cp1252::toUnicode(name));
    // The names are those of different chords; a chord written twice is named once.
    QString list = names.join(QStringLiteral(", "));
    if (unrecognised.unrecognisedNames.size() >= 10)
        list += QStringLiteral(", \u2026");
    return n == 1 ? QStringLiteral("1 Akkord wird nicht erkannt und bleibt, wie er ist: %1").arg(list)
                  : QStringLiteral("%1 Akkorde werden nicht erkannt und bleiben, wie sie sind: %2").arg(n).arg(list);
}

void TransposeDialog::updateSuffix() {
    // "1 Halbton", "-1 Halbton", but "2 Halbtöne" and "0 Halbtöne".
    const bool one = steps_->value() == 1 || steps_->value() == -1;
    steps_->setSuffix(one ? QStringLiteral(" Halbton") : QStringLiteral(" Halbtöne"));
}

void TransposeDialog::updateOk() {
    buttons_->button(QDialogButtonBox::Ok)->setEnabled(steps_->value() != 0);
}

} // namespace versino
