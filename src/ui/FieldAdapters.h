#pragma once

#include "document/Field.h"

#include <QObject>
#include <QValidator>

class QLineEdit;
class QPlainTextEdit;

namespace versino::ui {

// Keeps a single-line edit inside Windows-1252: a character the code page lacks becomes "?" as it
// enters, so the field shows exactly what will be saved and printed. Control characters are
// dropped and a pasted line break becomes a blank.
class Cp1252Validator : public QValidator {
    Q_OBJECT
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override;
};

// A single-line document field whose storage is a QLineEdit.
class LineEditField : public QObject, public Field {
    Q_OBJECT
public:
    explicit LineEditField(QLineEdit* edit);

    std::string text() const override;
    void setText(const std::string& text) override;

private:
    QLineEdit* edit_;
};

// A multi-line document field whose storage is a QPlainTextEdit. The widget separates lines with
// "\n" (text blocks), the document with CR LF. Lines are read and inserted as text blocks, so
// inserting a line into a long text costs no more than the line itself.
class PlainTextField : public QObject, public MultiLineField {
    Q_OBJECT
public:
    explicit PlainTextField(QPlainTextEdit* edit);

    std::string text() const override;
    void setText(const std::string& text) override;
    // Replaces only the stretch between the parts the old and new text share, as one edit block:
    // the caret outside it stays put and the widget's own undo takes the change back in one step.
    void editText(const std::string& text) override;
    std::vector<std::string> lineList() const override;
    // Inserts S as a line before line i (the directive buttons); past the end it becomes the last
    // line. One change notification.
    void insertLine(int i, const std::string& s);

private:
    int lineCount() const;
    void onContentsChange(int position, int charsRemoved, int charsAdded);
    // Replaces what Windows-1252 cannot hold in a freshly typed or pasted range.
    void sanitize(int position, int length);
    void insertAt(int position, const QString& piece);

    QPlainTextEdit* edit_;
    bool programmatic_ = false;
    bool silent_ = false;
};

} // namespace versino::ui
