// The editor end to end through its real window: keys and menu items in, layout files out and back.
#include "ui/FormFixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace versino;
using versino::testing::FormFixture;

namespace {

class WindowRoundTrip : public FormFixture {
protected:
    WindowRoundTrip() { previousFolder = QDir::currentPath(); }
    ~WindowRoundTrip() override { QDir::setCurrent(previousFolder); }

    void type(const char* field, const QString& text) {
        QWidget* w = child(field);
        w->setFocus();
        versino::testing::typeText(w, text);
    }

    // What a confirmed save dialog does besides answering: it makes the chosen folder current.
    void answerSaveWith(const QString& path) {
        dialogs.saveAnswers.push_back(path);
        QDir::setCurrent(QFileInfo(path).absolutePath());
    }

    QString previousFolder;
    QTemporaryDir dir;
};

TEST_F(WindowRoundTrip, typeSaveWithCtrlSReopenAndCompare) {
    showActive();
    type("TitelEdit", QStringLiteral("Abendlied"));
    type("InterpretEdit", QStringLiteral("Die Band"));
    type("KapoEdit", QStringLiteral("2"));
    type("TextEdit", QStringLiteral("<C>Der Mond ist <G>aufgegangen"));
    QTest::keyClick(textEdit(), Qt::Key_Return);
    click("RBtn");
    type("RefrainEdit", QStringLiteral("<Am>La la"));
    dialogs.fontAnswers.push_back(FontSetting{"Liberation Serif", FontStyle::Bold, 255, 20});
    click("Font1Btn");
    ASSERT_TRUE(asksToSave());

    // Ctrl+S on an untitled song asks for a name, suggesting the title.
    const QString path = dir.filePath(QStringLiteral("Abendlied.vsn"));
    answerSaveWith(path);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(dialogs.errors.empty()) << dialogs.errors.front().toStdString();
    ASSERT_EQ(dialogs.saveRequests.size(), 1u);
    EXPECT_EQ(dialogs.saveRequests[0].initialName, std::optional<QString>(QStringLiteral("Abendlied")));
    EXPECT_TRUE(QFileInfo::exists(path));
    EXPECT_FALSE(asksToSave());
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Versino " VERSINO_VERSION " - [Abendlied.vsn]"));
    const QString savedText = text("TextEdit");
    EXPECT_EQ(savedText, QStringLiteral("<C>Der Mond ist <G>aufgegangen\n>>Refrain\n"));

    // New clears everything; Ctrl+F brings it all back.
    action("Neu")->trigger();
    EXPECT_EQ(text("TitelEdit"), QString());
    EXPECT_EQ(fontOf("TitelFont"), defaultTitelFont());
    dialogs.openAnswers.push_back(path);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(dialogs.errors.empty()) << dialogs.errors.front().toStdString();
    EXPECT_EQ(text("TitelEdit"), QStringLiteral("Abendlied"));
    EXPECT_EQ(text("InterpretEdit"), QStringLiteral("Die Band"));
    EXPECT_EQ(text("KapoEdit"), QStringLiteral("2"));
    // Read back line by line, a multi-line field ends with a line break.
    EXPECT_EQ(text("RefrainEdit"), QStringLiteral("<Am>La la\n"));
    EXPECT_EQ(text("TextEdit"), savedText);
    const FontSetting titelFont = fontOf("TitelFont");
    EXPECT_EQ(titelFont.name, "Liberation Serif");
    EXPECT_EQ(titelFont.size, 20);
    EXPECT_EQ(titelFont.color, 255);
    // Shown fitted into the field, below the 20 points of the setting.
    EXPECT_LT(lineEdit("TitelEdit")->font().pointSize(), 20);
    EXPECT_FALSE(asksToSave());
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Versino " VERSINO_VERSION " - [") + path + QLatin1Char(']'));
}

TEST_F(WindowRoundTrip, fileHoldsTheSectionsInOrderAsWindows1252) {
    type("TitelEdit", QStringLiteral("Gr\u00FC\u00DFe"));
    answerSaveWith(dir.filePath(QStringLiteral("g.vsn")));
    action("Speichern")->trigger();
    QFile f(dir.filePath(QStringLiteral("g.vsn")));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_TRUE(bytes.startsWith("[Titel]\r\nGr\xFC\xDF"
                                 "e\r\n"))
        << bytes.left(40).toStdString();
    EXPECT_LT(bytes.indexOf("[Interpret]"), bytes.indexOf("[Fonts]"));
}

TEST_F(WindowRoundTrip, closingWithChangesAndCancelKeepsTheWindow) {
    showActive();
    type("TextEdit", QStringLiteral("nicht gespeichert"));
    dialogs.confirmAnswers.push_back(MsgButton::Cancel);
    action("Beenden")->trigger();
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(text("TextEdit"), QStringLiteral("nicht gespeichert"));

    // Yes on the untitled song saves it through Save As, then the window closes.
    dialogs.confirmAnswers.push_back(MsgButton::Yes);
    answerSaveWith(dir.filePath(QStringLiteral("rettung.vsn")));
    EXPECT_TRUE(form->close());
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(QFileInfo::exists(dir.filePath(QStringLiteral("rettung.vsn"))));
}

TEST_F(WindowRoundTrip, failingSaveOnCloseIsReportedAndTheWindowStays) {
    showActive();
    type("TitelEdit", QStringLiteral("x"));
    dialogs.confirmAnswers.push_back(MsgButton::Yes);
    dialogs.saveAnswers.push_back(dir.filePath(QStringLiteral("no/such/folder/x.vsn")));
    QDir::setCurrent(dir.filePath(QStringLiteral("no/such/folder")));
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->isVisible());
    ASSERT_EQ(dialogs.errors.size(), 1u);
    EXPECT_TRUE(dialogs.errors[0].endsWith(QLatin1Char('.')));
    EXPECT_TRUE(asksToSave());

    // The program goes on: the next command works.
    dialogs.confirmAnswers.push_back(MsgButton::No);
    action("Neu")->trigger();
    EXPECT_EQ(text("TitelEdit"), QString());
    EXPECT_FALSE(asksToSave());
}

TEST_F(WindowRoundTrip, openingAMissingFileReportsFileNotFoundAndLeavesTheSong) {
    type("TitelEdit", QStringLiteral("bleibt"));
    dialogs.confirmAnswers.push_back(MsgButton::No);
    dialogs.openAnswers.push_back(dir.filePath(QStringLiteral("gibtsnicht.vsn")));
    action("Oeffnen")->trigger();
    ASSERT_EQ(dialogs.errors.size(), 1u);
    EXPECT_EQ(dialogs.errors[0], QStringLiteral("File not found."));
    EXPECT_EQ(text("TitelEdit"), QStringLiteral("bleibt"));
    EXPECT_TRUE(asksToSave());
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Versino " VERSINO_VERSION " - [unbenannt]"));
}

} // namespace
