// The real message boxes and file dialogs, driven from a timer while they run modally.
#include "UiTestSupport.h"

#include "platform/QtDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

using namespace versino;
using versino::testing::uiApp;

namespace {

// Runs `inspect` on the modal dialog as soon as it is up.
void whenModal(std::function<void(QWidget*)> inspect) {
    QTimer::singleShot(0, [inspect] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) {
            ADD_FAILURE() << "no modal dialog";
            return;
        }
        inspect(modal);
    });
}

QStringList buttonTexts(QMessageBox* box) {
    QStringList out;
    for (QAbstractButton* b : box->buttons())
        out << b->text();
    out.sort();
    return out;
}

TEST(QtNameFilters, convertsDescriptionBarPatterns) {
    EXPECT_EQ(toQtNameFilters(QStringLiteral("Text Layouts (*.vsn)|*.vsn")),
              QStringList{"Text Layouts (*.vsn)"});
    EXPECT_EQ(toQtNameFilters(QStringLiteral("Bilder|*.bmp;*.jpg;*.gif")),
              QStringList{"Bilder (*.bmp *.jpg *.gif)"});
    EXPECT_EQ(toQtNameFilters(QStringLiteral("A|*.a|B|*.b")), QStringList({"A (*.a)", "B (*.b)"}));
}

TEST(QtDialogs, savePromptWithCancel) {
    uiApp();
    QtDialogs dialogs(nullptr, nullptr);
    whenModal([](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->windowTitle(), QStringLiteral("Confirm"));
        EXPECT_EQ(box->icon(), QMessageBox::Question);
        EXPECT_EQ(box->text(), QStringLiteral("Speichern?"));
        EXPECT_EQ(buttonTexts(box), QStringList({"&No", "&Yes", "Cancel"}));
        EXPECT_EQ(box->defaultButton()->text(), QStringLiteral("&Yes"));
        QTest::keyClick(box, Qt::Key_Escape);
    });
    EXPECT_EQ(dialogs.confirm(QStringLiteral("Speichern?"), true), MsgButton::Cancel);

    whenModal([](QWidget* w) { qobject_cast<QMessageBox*>(w)->defaultButton()->click(); });
    EXPECT_EQ(dialogs.confirm(QStringLiteral("Speichern?"), true), MsgButton::Yes);

    whenModal([](QWidget* w) { w->close(); });
    EXPECT_EQ(dialogs.confirm(QStringLiteral("Speichern?"), true), MsgButton::Cancel);
}

TEST(QtDialogs, savePromptWithoutCancelAnswersNoOnEscape) {
    uiApp();
    QtDialogs dialogs(nullptr, nullptr);
    whenModal([](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(buttonTexts(box), QStringList({"&No", "&Yes"}));
        QTest::keyClick(box, Qt::Key_Escape);
    });
    EXPECT_EQ(dialogs.confirm(QStringLiteral("Speichern?"), false), MsgButton::No);
}

// A question about a file answers Nein unless Ja is chosen.
TEST(QtDialogs, yesNoQuestionDefaultsToNein) {
    uiApp();
    QtDialogs dialogs(nullptr, nullptr);
    const QString text = QStringLiteral("Ersetzen?");
    const std::vector<std::pair<std::function<void(QMessageBox*)>, bool>> answers = {
        {[](QMessageBox* box) { box->defaultButton()->click(); }, false},
        {[](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); }, false},
        {[](QMessageBox* box) {
             for (QAbstractButton* b : box->buttons())
                 if (b->text() == "&Ja")
                     b->click();
         },
         true},
    };
    for (const auto& [answer, expected] : answers) {
        whenModal([&, answer = answer](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->windowTitle(), QStringLiteral("Versino"));
            EXPECT_EQ(box->text(), text);
            EXPECT_EQ(buttonTexts(box), QStringList({"&Ja", "&Nein"}));
            answer(box);
        });
        EXPECT_EQ(dialogs.askYesNo(text), expected);
    }
}

TEST(QtDialogs, errorReportAndMessageCarryTheProgramTitleAndOneOk) {
    uiApp();
    QtDialogs dialogs(nullptr, nullptr);
    whenModal([](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->windowTitle(), QStringLiteral("Versino"));
        EXPECT_EQ(box->icon(), QMessageBox::Critical);
        EXPECT_EQ(box->text(), QStringLiteral("File not found."));
        EXPECT_EQ(buttonTexts(box), QStringList{"OK"});
        QTest::keyClick(box, Qt::Key_Return);
    });
    dialogs.error(QStringLiteral("File not found"));
    whenModal([](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->windowTitle(), QStringLiteral("Versino"));
        EXPECT_EQ(buttonTexts(box), QStringList{"OK"});
        QTest::keyClick(box, Qt::Key_Escape);
    });
    dialogs.message(QStringLiteral("Hinweis"));
}

// The process's current folder stays where it was: the next dialog opens where the last one chose.
TEST(QtDialogs, saveDialogAddsExtensionKeepsCurrentFolderAndRemembersTheName) {
    uiApp();
    QTemporaryDir dir;
    const QString before = QDir::currentPath();
    QtDialogs dialogs(nullptr, nullptr);
    FileDialogOptions options{QStringLiteral("vsn"), QStringLiteral("Text Layouts (*.vsn)|*.vsn"), QString()};
    whenModal([&](QWidget* w) {
        auto* d = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->nameFilters(), QStringList{"Text Layouts (*.vsn)"});
        EXPECT_TRUE(d->testOption(QFileDialog::DontConfirmOverwrite));
        d->selectFile(dir.filePath(QStringLiteral("lied")));
        static_cast<QDialog*>(d)->accept();
    });
    const std::optional<QString> chosen = dialogs.saveFile(options);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(*chosen, dir.filePath(QStringLiteral("lied.vsn")));
    EXPECT_EQ(QDir::currentPath(), before);

    // Shown again without an initial name, it offers the last chosen file.
    options.initialName.reset();
    whenModal([&](QWidget* w) {
        auto* d = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->selectedFiles().value(0), dir.filePath(QStringLiteral("lied.vsn")));
        d->reject();
    });
    EXPECT_FALSE(dialogs.saveFile(options).has_value());
    QDir::setCurrent(before);
}

TEST(QtDialogs, openDialogAcceptsAFileThatDoesNotExist) {
    uiApp();
    QTemporaryDir dir;
    const QString before = QDir::currentPath();
    QtDialogs dialogs(nullptr, nullptr);
    whenModal([&](QWidget* w) {
        auto* d = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(d, nullptr);
        d->selectFile(dir.filePath(QStringLiteral("fehlt.vsn")));
        static_cast<QDialog*>(d)->accept();
    });
    const auto chosen =
        dialogs.openFile({QStringLiteral("vsn"), QStringLiteral("Text Layouts (*.vsn)|*.vsn"), {}});
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(*chosen, dir.filePath(QStringLiteral("fehlt.vsn")));
    QDir::setCurrent(before);
}

} // namespace
