#include "document/ShownText.h"

#include <algorithm>

namespace versino {

QString shownTitle(const QString& text, qsizetype maxLength) {
    if (text.size() <= maxLength)
        return text;
    qsizetype cut = std::max<qsizetype>(0, maxLength - 1);
    // Never half a surrogate pair.
    if (cut > 0 && text.at(cut - 1).isHighSurrogate())
        --cut;
    return text.left(cut) + QChar(0x2026);
}

} // namespace versino
