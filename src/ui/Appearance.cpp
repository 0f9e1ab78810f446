#include "ui/Appearance.h"

#include <QApplication>
#include <QFont>
#include <QLabel>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QStringList>

namespace versino::ui {

void setupAppearance() {
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Arial"),
                                QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                                QStringLiteral("Nimbus Sans"), QStringLiteral("DejaVu Sans")});
    QApplication::setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
}

namespace {

// Qt's German catalogue, except the names of keys: the menus show their shortcuts as "Ctrl+N",
// not "Strg+N", as the window has always shown them.
class GermanQtTexts final : public QTranslator {
public:
    using QTranslator::QTranslator;
    QString translate(const char* context, const char* sourceText, const char* disambiguation,
                      int n) const override {
        if (qstrcmp(context, "QShortcut") == 0)
            return QString();
        return QTranslator::translate(context, sourceText, disambiguation, n);
    }
};

} // namespace

QTranslator* installGermanQtTranslations() {
    auto* translator = new GermanQtTexts(QCoreApplication::instance());
    if (!translator->load(QLocale(QLocale::German, QLocale::Germany), QStringLiteral("qtbase"),
                          QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return nullptr;
    }
    QCoreApplication::installTranslator(translator);
    return translator;
}

void fitLabel(QLabel* label, int right) {
    label->adjustSize();
    const int available = right - label->x();
    const int needed = label->width();
    if (needed <= available || available <= 0)
        return;
    QFont font = label->font();
    for (int stretch = 100 * available / needed; stretch >= 50; --stretch) {
        font.setStretch(stretch);
        label->setFont(font);
        label->adjustSize();
        if (label->width() <= available)
            return;
    }
}

} // namespace versino::ui
