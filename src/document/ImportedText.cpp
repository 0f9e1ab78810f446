#include "document/ImportedText.h"

#include "document/Cp1252.h"

#include <QStringDecoder>
#include <QStringList>
#include <algorithm>

namespace versino::cp1252 {

namespace {

// Letters and signs that have no decomposition into a Windows-1252 letter and a mark.
char special(char32_t c) {
    switch (c) {
    case U'ł': return 'l';
    case U'Ł': return 'L';
    case U'đ': return 'd';
    case U'Đ': return 'D';
    case U'ı': return 'i';
    case U'ħ': return 'h';
    case U'Ħ': return 'H';
    case U'ŧ': return 't';
    case U'Ŧ': return 'T';
    case U'ŀ': return 'l';
    case U'Ŀ': return 'L';
    case U'ő': return '\xF6'; // ö
    case U'Ő': return '\xD6'; // Ö
    case U'ű': return '\xFC'; // ü
    case U'Ű': return '\xDC'; // Ü
    case U'\u2010': case U'\u2011': case U'\u2012': case U'\u2212': return '-';
    case U'\u266F': return '#'; // sharp and flat signs of chord names: "B♭" is "Bb"
    case U'\u266D': return 'b';
    case U'\u2032': return '\'';
    case U'\u2033': return '"';
    case U'\u00A0': return ' ';
    case U'\u2002': case U'\u2003': case U'\u2009': case U'\u202F': return ' ';
    default: return 0;
    }
}

} // namespace

char nearestCharacter(char32_t c) {
    if (representable(c)) {
        const std::string one = fromUnicode(QString::fromUcs4(&c, 1));
        return one.empty() ? '?' : one[0];
    }
    if (const char s = special(c))
        return s;
    // A letter with marks: keep the base letter when the code page has it.
    const QString decomposed = QString::fromUcs4(&c, 1).normalized(QString::NormalizationForm_D);
    if (decomposed.size() > 1 && decomposed[0].unicode() < 0x80 && decomposed[0].isLetter())
        return char(decomposed[0].unicode());
    return '?';
}

int ImportedText::replacedCount() const {
    int n = 0;
    for (const Replacement& r : replaced)
        n += r.count;
    return n;
}

QString ImportedText::summary() const {
    if (replaced.empty())
        return {};
    QStringList pairs;
    for (std::size_t i = 0; i < replaced.size() && i < 10; ++i)
        pairs << QString::fromUcs4(&replaced[i].from, 1) + QChar(0x2192) + toUnicode(std::string_view(&replaced[i].to, 1));
    if (replaced.size() > 10)
        pairs << QStringLiteral("\u2026");
    return QStringLiteral("%1 Zeichen ersetzt: %2").arg(replacedCount()).arg(pairs.join(QStringLiteral(", ")));
}

ImportedText importUnicode(const QString& text) {
    ImportedText out;
    out.text.reserve(std::size_t(text.size()));
    const QList<uint> chars = text.toUcs4();
    for (qsizetype i = 0; i < chars.size(); ++i) {
        const char32_t c = chars[i];
        if (c == U'\r') {
            out.text += '\n';
            if (i + 1 < chars.size() && chars[i + 1] == U'\n')
                ++i;
            continue;
        }
        if (c < 0x80) {
            out.text += char(c);
            continue;
        }
        if (representable(c)) {
            out.text += nearestCharacter(c);
            continue;
        }
        const char to = nearestCharacter(c);
        out.text += to;
        auto it = std::find_if(out.replaced.begin(), out.replaced.end(), [c](const Replacement& r) { return r.from == c; });
        if (it == out.replaced.end())
            out.replaced.push_back({c, to, 1});
        else
            ++it->count;
    }
    return out;
}

ImportedText importBytes(std::string_view bytes) {
    const auto view = [](std::string_view b) { return QByteArrayView(b.data(), qsizetype(b.size())); };
    if (bytes.size() >= 2 && (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF")) {
        QStringDecoder decoder(bytes[0] == '\xFF' ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE,
                               QStringDecoder::Flag::Stateless);
        return importUnicode(decoder.decode(view(bytes.substr(2))));
    }
    bool bom = false;
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        bytes.remove_prefix(3);
        bom = true;
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(view(bytes));
    // A file that declares UTF-8 but is damaged keeps what decodes; anything else that is not
    // UTF-8 is 8-bit text in the Windows code page that extends Latin-1.
    if (!utf8.hasError() || bom)
        return importUnicode(text);
    return importUnicode(toUnicode(bytes));
}

} // namespace versino::cp1252
