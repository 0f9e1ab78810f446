#include "ui/FieldAdapters.h"

#include "document/Cp1252.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <climits>

namespace versino::ui {
namespace {

constexpr QChar kParagraph = QChar::ParagraphSeparator;
constexpr QChar kLineSeparator = QChar::LineSeparator;

// The document's text of a widget string, in one pass: block separators become CR LF, every other
// character one byte (Latin-1 directly, the rest through the code page table).
std::string toDocumentText(const QString& text) {
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()) + static_cast<std::size_t>(text.size()) / 16);
    const QChar* p = text.constData();
    const QChar* const end = p + text.size();
    while (p != end) {
        const char16_t c = p->unicode();
        if (c == kParagraph.unicode() || c == kLineSeparator.unicode()) {
            out.append("\r\n", 2);
            ++p;
        } else if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            out.push_back(static_cast<char>(c));
            ++p;
        } else {
            const QChar* q = p + 1;
            if (p->isHighSurrogate() && q != end && q->isLowSurrogate())
                ++q;
            out.append(cp1252::fromUnicode(QString(p, q - p)));
            p = q;
        }
    }
    return out;
}

// Whether `bytes` can be the document text of a widget holding `characters` characters: each
// byte is one character, except that CR LF is one block separator.
bool sameLength(const std::string& bytes, int characters) {
    std::size_t breaks = 0;
    for (std::size_t pos = bytes.find("\r\n"); pos != std::string::npos; pos = bytes.find("\r\n", pos + 2))
        ++breaks;
    return bytes.size() - breaks == static_cast<std::size_t>(characters);
}

// Control characters (bytes 0-31 but tab, and 127) have no place in a song: byte 26 would even cut
// the value when the file is read again.
bool isControl(char16_t c) { return (c < 0x20 && c != u'\t') || c == 0x7F; }

bool isLineBreak(char16_t c) {
    return c == u'\n' || c == u'\r' || c == kParagraph.unicode() || c == kLineSeparator.unicode();
}

// Cleans text as it enters a field: a character outside Windows-1252 becomes "?" (a surrogate pair
// counts as one character) and control characters are dropped. In a multi-line field a line
// separator (Shift+Enter) becomes a real line break; in a single-line field every line break (CR LF
// counting as one) becomes a blank. Returns whether anything changed; `pos`, when given, follows
// the text before it.
bool cleanEntry(QString& s, int* pos, bool multiLine) {
    const auto clean = [multiLine](QChar c) {
        const char16_t u = c.unicode();
        if (multiLine && u == kParagraph.unicode())
            return true;
        if (isLineBreak(u) || isControl(u))
            return false;
        return u < 0x80 || cp1252::representable(u);
    };
    if (std::all_of(s.cbegin(), s.cend(), clean))
        return false;
    QString out;
    out.reserve(s.size());
    int newPos = pos ? *pos : 0;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s.at(i);
        const char16_t u = c.unicode();
        qsizetype taken = 1;
        if (isLineBreak(u) && (multiLine ? u != u'\r' : true)) {
            if (!multiLine && u == u'\r' && i + 1 < s.size() && s.at(i + 1) == QLatin1Char('\n'))
                taken = 2;
            out.append(multiLine ? kParagraph : QChar(QLatin1Char(' ')));
        } else if (isControl(u)) {
            taken = 1;
            if (pos && *pos > i)
                --newPos;
            continue;
        } else if (c.isHighSurrogate() && i + 1 < s.size() && s.at(i + 1).isLowSurrogate()) {
            out.append(QLatin1Char('?'));
            taken = 2;
        } else {
            out.append(cp1252::representable(u) ? c : QChar(QLatin1Char('?')));
        }
        // Two characters that became one move the cursor one place to the left.
        if (taken == 2 && pos && *pos > i + 1)
            --newPos;
        i += taken - 1;
    }
    s = out;
    if (pos)
        *pos = newPos;
    return true;
}

} // namespace

QValidator::State Cp1252Validator::validate(QString& input, int& pos) const {
    int p = pos;
    if (cleanEntry(input, &p, false))
        pos = p;
    return Acceptable;
}

LineEditField::LineEditField(QLineEdit* edit) : QObject(edit), edit_(edit) {
    // The program sets no length limit of its own; a long line from a file must not be cut.
    edit_->setMaxLength(INT_MAX);
    edit_->setValidator(new Cp1252Validator(edit_));
    connect(edit_, &QLineEdit::textChanged, this, [this] { changed(); });
}

std::string LineEditField::text() const {
    return cp1252::fromUnicode(edit_->text());
}

void LineEditField::setText(const std::string& text) {
    const QString t = cp1252::toUnicode(text);
    if (t != edit_->text())
        edit_->setText(t);
}

PlainTextField::PlainTextField(QPlainTextEdit* edit) : QObject(edit), edit_(edit) {
    connect(edit_->document(), &QTextDocument::contentsChange, this, &PlainTextField::onContentsChange);
}

void PlainTextField::onContentsChange(int position, int charsRemoved, int charsAdded) {
    if (silent_ || (charsRemoved == 0 && charsAdded == 0))
        return;
    if (!programmatic_ && charsAdded > 0)
        sanitize(position, charsAdded);
    changed();
}

void PlainTextField::sanitize(int position, int length) {
    QTextDocument* doc = edit_->document();
    QTextCursor c(doc);
    c.setPosition(position);
    c.setPosition(std::min(position + length, doc->characterCount() - 1), QTextCursor::KeepAnchor);
    QString s = c.selectedText();
    if (!cleanEntry(s, nullptr, true))
        return;
    // The replacement is part of the same change: it fires no notification of its own.
    programmatic_ = true;
    c.insertText(s);
    programmatic_ = false;
}

std::string PlainTextField::text() const {
    return toDocumentText(edit_->document()->toRawText());
}

void PlainTextField::setText(const std::string& text) {
    // Comparing lengths first spares converting the whole field when a new text arrives.
    if (sameLength(text, edit_->document()->characterCount() - 1) && text == this->text())
        return;
    // Replacing the whole text is one change, though the widget reports clearing and inserting.
    silent_ = true;
    edit_->setPlainText(cp1252::toUnicode(text));
    silent_ = false;
    changed();
}

void PlainTextField::editText(const std::string& text) {
    QTextDocument* doc = edit_->document();
    const QString before = doc->toRawText();
    // In the widget's terms: every line break is one block separator, as the cursor inserts it.
    QString after = cp1252::toUnicode(text);
    after.replace(QLatin1String("\r\n"), QString(kParagraph));
    after.replace(QLatin1Char('\r'), kParagraph);
    after.replace(QLatin1Char('\n'), kParagraph);
    const qsizetype shortest = std::min(before.size(), after.size());
    qsizetype head = 0;
    while (head < shortest && before.at(head) == after.at(head))
        ++head;
    if (head == before.size() && head == after.size())
        return;
    qsizetype tail = 0;
    while (tail < shortest - head && before.at(before.size() - 1 - tail) == after.at(after.size() - 1 - tail))
        ++tail;
    QTextCursor c(doc);
    c.setPosition(int(head));
    c.setPosition(int(before.size() - tail), QTextCursor::KeepAnchor);
    // The widget reports removing and inserting; for the song it is one change.
    silent_ = true;
    c.beginEditBlock();
    c.insertText(after.mid(head, after.size() - tail - head));
    c.endEditBlock();
    silent_ = false;
    changed();
}

int PlainTextField::lineCount() const {
    const QTextDocument* doc = edit_->document();
    const int blocks = doc->blockCount();
    return doc->lastBlock().length() <= 1 ? blocks - 1 : blocks;
}

std::vector<std::string> PlainTextField::lineList() const {
    std::vector<std::string> out;
    const int n = lineCount();
    out.reserve(static_cast<std::size_t>(n));
    QTextBlock b = edit_->document()->begin();
    for (int i = 0; i < n && b.isValid(); ++i, b = b.next())
        out.push_back(cp1252::fromUnicode(b.text()));
    return out;
}

void PlainTextField::insertAt(int position, const QString& piece) {
    QTextCursor c(edit_->document());
    c.setPosition(position);
    programmatic_ = true;
    c.insertText(piece);
    programmatic_ = false;
}

void PlainTextField::insertLine(int i, const std::string& s) {
    const QTextDocument* doc = edit_->document();
    const QString line = cp1252::toUnicode(s) + QLatin1Char('\n');
    if (i < 0)
        i = 0;
    if (i < doc->blockCount()) {
        insertAt(doc->findBlockByNumber(i).position(), line);
        return;
    }
    // Past the last line of a text without a final break, the new line still has to start a line.
    const QTextBlock last = doc->lastBlock();
    if (last.length() <= 1)
        insertAt(last.position(), line);
    else
        insertAt(last.position() + last.length() - 1, QLatin1Char('\n') + line);
}

} // namespace versino::ui
