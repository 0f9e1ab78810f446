#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace versino {

// The line view of a multi-line text whose lines are separated by CR LF. A text that ends with a
// line break has no empty line counted after it, so "" has 0 lines, "a" and "a\r\n" have 1 line,
// "a\r\n\r\n" has 2. Indexes out of range are tolerated: reads give "", deletes do nothing,
// inserts clamp to the end.
namespace lines {

int count(std::string_view text);
std::string at(std::string_view text, int i);
std::vector<std::string> split(std::string_view text);
// Byte offset where line i starts; text.size() when i is at or past the line count.
std::size_t startOf(std::string_view text, int i);
// Adds a line at the end: after a final line break (or into an empty text) as S CR LF,
// otherwise as CR LF S.
void add(std::string& text, std::string_view line);
// Inserts S CR LF at the start of line i.
void insertBefore(std::string& text, int i, std::string_view line);
// Removes line i with the line break after it; a last line without a break loses only its characters.
void remove(std::string& text, int i);
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

// A field with several lines, separated by CR LF. The line operations have default implementations
// on the whole text; a field that can do better (a widget, for instance) overrides them.
class MultiLineField : public Field {
public:
    virtual int lineCount() const { return lines::count(text()); }
    virtual std::string line(int i) const { return lines::at(text(), i); }
    virtual std::vector<std::string> lineList() const { return lines::split(text()); }
    virtual void addLine(const std::string& s);
    virtual void insertLine(int i, const std::string& s);
    virtual void deleteLine(int i);
    virtual void clear() { setText(std::string()); }
};

// A field held in memory: used by tests, the command-line tools and as the staging area of Open.
// It serves single-line and multi-line fields alike.
class MemoryField final : public MultiLineField {
public:
    std::string text() const override { return text_; }
    void setText(const std::string& text) override;
    void takeText(std::string&& text) override;
    int lineCount() const override { return lines::count(text_); }
    std::string line(int i) const override { return lines::at(text_, i); }
    std::vector<std::string> lineList() const override { return lines::split(text_); }
    void addLine(const std::string& s) override;
    void insertLine(int i, const std::string& s) override;
    void deleteLine(int i) override;

    const std::string& view() const { return text_; }

private:
    std::string text_;
};

} // namespace versino
