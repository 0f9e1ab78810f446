#include "document/ImportedText.h"

#include "document/Cp1252.h"

#include <QStringDecoder>
#include <QStringList>
#include <algorithm>
#include <vector>

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

// Cyrillic and Greek letters drawn like Latin ones ("mothеr" with a Cyrillic "е"), and the
// triangle of a major seventh ("CΔ7"), as the Latin letter a Latin word means by them.
char latinLookAlike(char32_t c) {
    switch (c) {
    case U'а': return 'a'; case U'е': return 'e'; case U'о': return 'o'; case U'р': return 'p';
    case U'с': return 'c'; case U'у': return 'y'; case U'х': return 'x'; case U'і': return 'i';
    case U'ј': return 'j'; case U'ѕ': return 's'; case U'ԁ': return 'd'; case U'ԛ': return 'q';
    case U'ԝ': return 'w'; case U'һ': return 'h';
    case U'А': return 'A'; case U'В': return 'B'; case U'Е': return 'E'; case U'К': return 'K';
    case U'М': return 'M'; case U'Н': return 'H'; case U'О': return 'O'; case U'Р': return 'P';
    case U'С': return 'C'; case U'Т': return 'T'; case U'Х': return 'X'; case U'І': return 'I';
    case U'Ј': return 'J'; case U'Ѕ': return 'S';
    case U'ο': return 'o'; case U'α': return 'a'; case U'ν': return 'v'; case U'ρ': return 'p';
    case U'ι': return 'i'; case U'κ': return 'k'; case U'τ': return 't'; case U'υ': return 'u';
    case U'Α': return 'A'; case U'Β': return 'B'; case U'Ε': return 'E'; case U'Ζ': return 'Z';
    case U'Η': return 'H'; case U'Ι': return 'I'; case U'Κ': return 'K'; case U'Μ': return 'M';
    case U'Ν': return 'N'; case U'Ο': return 'O'; case U'Ρ': return 'P'; case U'Τ': return 'T';
    case U'Υ': return 'Y'; case U'Χ': return 'X';
    case U'Δ': case U'\u2206': return 'j'; // "Cj7" is the major seventh the triangle means
    default: return 0;
    }
}

bool isLatinLetter(char32_t c) {
    return (c < 0x80 && ((c | 0x20) >= 'a' && (c | 0x20) <= 'z')) || (c >= 0xC0 && c < 0x250 && c != 0xD7 && c != 0xF7);
}

bool isLetterOrLookAlike(char32_t c) {
    return isLatinLetter(c) || latinLookAlike(c) != 0 || QChar::isLetter(c);
}

// For each character, whether it stands in a word (a run of letters) that has a Latin letter.
std::vector<bool> inLatinWords(const QList<uint>& chars) {
    std::vector<bool> latin(std::size_t(chars.size()), false);
    qsizetype i = 0;
    while (i < chars.size()) {
        if (!isLetterOrLookAlike(chars[i])) {
            ++i;
            continue;
        }
        qsizetype end = i;
        bool any = false;
        for (; end < chars.size() && isLetterOrLookAlike(chars[end]); ++end)
            any = any || isLatinLetter(chars[end]);
        for (qsizetype k = i; k < end; ++k)
            latin[std::size_t(k)] = any;
        i = end;
    }
    return latin;
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
    std::vector<bool> latinWords;
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
        // Every kind of blank (no-break, thin, hair space) is a blank.
        const bool space = QChar::category(c) == QChar::Separator_Space;
        if (representable(c) && !space) {
            out.text += nearestCharacter(c);
            continue;
        }
        char to = space ? ' ' : 0;
        if (!to && latinLookAlike(c)) {
            if (latinWords.empty())
                latinWords = inLatinWords(chars);
            if (latinWords[std::size_t(i)])
                to = latinLookAlike(c);
        }
        if (!to)
            to = nearestCharacter(c);
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
