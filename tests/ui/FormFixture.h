#pragma once

#include "UiTestSupport.h"
#include "support/ScriptedDialogs.h"

#include "commands/SongOpener.h"
#include "ui/Arbeitsblatt.h"

#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace versino::testing {

using ui::TWorkingForm;

// Whether the window's song has unsaved changes: Open asks to save it first. The question is
// cancelled, and so is the open dialog when there is no question; the dialogs keep no trace of
// either, and answers a test queued stay for it.
inline bool asksToSave(TWorkingForm& form, ScriptedDialogs& dialogs) {
    const std::size_t confirms = dialogs.confirms.size();
    const std::size_t opens = dialogs.openRequests.size();
    dialogs.confirmAnswers.push_front(MsgButton::Cancel);
    dialogs.openAnswers.push_front(std::nullopt);
    form.findChild<QAction*>(QStringLiteral("Oeffnen"))->trigger();
    const bool asked = dialogs.confirms.size() > confirms;
    if (asked)
        dialogs.openAnswers.pop_front();
    else
        dialogs.confirmAnswers.pop_front();
    dialogs.confirms.erase(dialogs.confirms.begin() + std::ptrdiff_t(confirms), dialogs.confirms.end());
    dialogs.openRequests.erase(dialogs.openRequests.begin() + std::ptrdiff_t(opens),
                               dialogs.openRequests.end());
    return asked;
}

// A main window over scripted dialogs: no test ever waits on a real modal dialog. Tests arrange and
// observe the song as a user does, through the fields, the menu and the dialogs' presets.
class FormFixture : public ::testing::Test {
protected:
    FormFixture() {
        uiApp();
        form = std::make_unique<TWorkingForm>(&dialogs);
    }
    ~FormFixture() override {
        // Whatever a test left queued or unanswered is no concern of the next one.
        form.reset();
    }

    template <typename T = QWidget> T* child(const char* name) {
        T* w = form->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QAction* action(const char* name) { return child<QAction>(name); }
    QPlainTextEdit* textEdit() { return child<QPlainTextEdit>("TextEdit"); }
    QLineEdit* lineEdit(const char* name) { return child<QLineEdit>(name); }

    // Shows the window and makes it the active one, so that shortcuts and the focus chain work.
    void showActive() {
        form->show();
        QApplication::setActiveWindow(form.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }

    void click(const char* button) { QTest::mouseClick(child<QPushButton>(button), Qt::LeftButton); }

    // What a field shows; the lines of a multi-line field end in "\n".
    QString text(const char* field) {
        if (auto* lines = form->findChild<QPlainTextEdit*>(QString::fromLatin1(field)))
            return lines->toPlainText();
        return lineEdit(field)->text();
    }
    void setText(const char* field, const QString& text) {
        if (auto* lines = form->findChild<QPlainTextEdit*>(QString::fromLatin1(field)))
            lines->setPlainText(text);
        else
            lineEdit(field)->setText(text);
    }

    // The song's font setting that the font command `fontAction` ("TitelFont", "TextFont", ...)
    // edits: its dialog opens with it. The dialog is cancelled and leaves no trace.
    FontSetting fontOf(const char* fontAction) {
        const std::size_t asked = dialogs.fontRequests.size();
        dialogs.fontAnswers.push_front(std::nullopt);
        action(fontAction)->trigger();
        if (dialogs.fontRequests.size() == asked) {
            dialogs.fontAnswers.pop_front();
            ADD_FAILURE() << fontAction << " showed no font dialog";
            return {};
        }
        const FontSetting preset = dialogs.fontRequests.back();
        dialogs.fontRequests.pop_back();
        return preset;
    }
    // Chooses `font` in that command's dialog, which marks the song modified.
    void chooseFont(const char* fontAction, const FontSetting& font) {
        dialogs.fontAnswers.push_back(font);
        action(fontAction)->trigger();
    }

    bool asksToSave() { return testing::asksToSave(*form, dialogs); }

    // Whether the song belongs to no file: Save asks where to write it. The dialog is cancelled (a
    // song that has a file is saved, as Save does).
    bool untitled() { return saving("Speichern", std::nullopt); }
    // Saves the song, into a new file of the fixture's when it has none yet: it has no unsaved
    // changes then.
    void save() { saving("Speichern", nextFile()); }
    // The song as Save As writes it into a new file of the fixture's, read back; the song belongs to
    // that file from then on.
    std::unique_ptr<SongDocument> savedSong() {
        const QString path = nextFile();
        saving("SpeichernAls", path);
        return std::move(openSongFile(path).songs.front().doc);
    }

    ScriptedDialogs dialogs;
    std::unique_ptr<TWorkingForm> form;

private:
    // Triggers `fileAction` with `answer` ready for a save dialog; whether the dialog was shown. The
    // dialog leaves no trace, and an answer it did not take is dropped.
    bool saving(const char* fileAction, const std::optional<QString>& answer) {
        const std::size_t asked = dialogs.saveRequests.size();
        dialogs.saveAnswers.push_front(answer);
        action(fileAction)->trigger();
        if (dialogs.saveRequests.size() == asked) {
            dialogs.saveAnswers.pop_front();
            return false;
        }
        dialogs.saveRequests.pop_back();
        return true;
    }
    QString nextFile() { return files_.filePath(QStringLiteral("gesichert%1.vsn").arg(++saves_)); }

    QTemporaryDir files_;
    int saves_ = 0;
};

} // namespace versino::testing
