#pragma once

#include "UiTestSupport.h"
#include "support/ScriptedDialogs.h"

#include "ui/Arbeitsblatt.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace versino::testing {

using ui::TWorkingForm;

// A main window over scripted dialogs: no test ever waits on a real modal dialog.
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

    SongDocument& doc() { return form->document(); }

    ScriptedDialogs dialogs;
    std::unique_ptr<TWorkingForm> form;
};

} // namespace versino::testing
