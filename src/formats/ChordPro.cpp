#include "formats/ChordPro.h"

#include <QFileInfo>
#include <QStringList>

namespace versino::chordpro {

QString layoutNameFor(const QString& path) {
    const QFileInfo info(path);
    const QString base = info.completeBaseName().isEmpty() ? info.fileName() : info.completeBaseName();
    return base + QStringLiteral(".vsn");
}

QString droppedMessage(const Dropped& dropped) {
    QStringList left, changed;
    for (const auto& [kind, count] : dropped) {
        if (count > 0)
            left << QStringLiteral("%1 \u00D7 %2").arg(count).arg(kind);
        else
            changed << kind;
    }
    QString text;
    if (!left.isEmpty())
        text = QStringLiteral("Nicht alles aus der ChordPro-Datei hat in einem Versino-Song Platz. "
                              "Ausgelassen wurden:\n") +
               left.join(QLatin1Char('\n'));
    if (!changed.isEmpty()) {
        if (!text.isEmpty())
            text += QStringLiteral("\n\n");
        text += QStringLiteral("Ge\u00E4ndert wurde:\n") + changed.join(QLatin1Char('\n'));
    }
    return text;
}

} // namespace versino::chordpro
