#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace versino {

// Multi-line texts whose lines are separated by CR LF. A text that ends with a line break has no
// empty line counted after it, so "" has no lines, "a" and "a\r\n" have one, "a\r\n\r\n" has two.
namespace lines {

std::vector<std::string> split(std::string_view text);
// Adds a line at the end: after a final line break (or into an empty text) as S CR LF,
// otherwise as CR LF S.
void add(std::string& text, std::string_view line);
// Deletes the last line if it is empty; returns whether it did.
bool dropEmptyLastLine(std::string& text);

} // namespace lines

// One text field of the song. The text is Windows-1252 bytes. Every change of the text, whether
// typed by the user or made by the program, fires the change notification once; setting the text
// that is already there fires nothing.
class Field {
public:
    virtual ~Field() = default;

    virtual std::string text() const = 0;
    virtual void setText(const std::string& text) = 0;
    // Like setText, for a text the caller gives away; saves a copy of a large text where the
    // field can keep the string itself.
    virtual void takeText(std::string&& text) { setText(text); }
    // Like setText, but as an edit of the text the user can take back: a field with an undo history
    // of its own (a widget) keeps that history and holds this change as one step of it.
    virtual void editText(const std::string& text) { setText(text); }

    void setChangeHandler(std::function<void()> handler) { onChange_ = std::move(handler); }

protected:
    void changed() {
        if (onChange_)
            onChange_();
    }

private:
    std::function<void()> onChange_;
};

// A field with several lines, separated by CR LF.
class MultiLineField : public Field {
public:
    // The lines, read in one pass: the composer and the ChordPro writer walk them.
    virtual std::vector<std::string> lineList() const { return lines::split(text()); }
};

// A field held in memory: used by tests, the command-line tools and as the staging area of Open.
// It serves single-line and multi-line fields alike.
class MemoryField final : public MultiLineField {
public:
    std::string text() const override { return text_; }
    void setText(const std::string& text) override;
    void takeText(std::string&& text) override;
    std::vector<std::string> lineList() const override { return lines::split(text_); }

private:
    std::string text_;
};

} // namespace versino
