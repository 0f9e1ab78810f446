// The instructions and about windows: modeless, one each, hidden on close, placed once.
#include "FormFixture.h"

#include "ui/About.h"
#include "ui/Bedienung.h"

#include <QLabel>

using versino::ui::TAboutBox;
using versino::ui::TBedienungForm;
using versino::ui::TWorkingForm;

using namespace versino;
using versino::testing::FormFixture;

namespace {

class HelpWindows : public FormFixture {
protected:
    HelpWindows() {
        about = new TAboutBox(form.get());
        bedienung = new TBedienungForm(form.get());
        form->setHelpWindows(bedienung, about);
        form->move(200, 100);
        showActive();
    }

    TAboutBox* about;
    TBedienungForm* bedienung;
};

TEST_F(HelpWindows, startHidden) {
    EXPECT_FALSE(about->isVisible());
    EXPECT_FALSE(bedienung->isVisible());
}

TEST_F(HelpWindows, choosingInstructionsTwiceLeavesOneWindow) {
    action("Bedienungshinweise")->trigger();
    action("Bedienungshinweise")->trigger();
    EXPECT_TRUE(bedienung->isVisible());
    EXPECT_EQ(form->findChildren<TBedienungForm*>().size(), 1);
    int shown = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<TBedienungForm*>(w) && w->isVisible())
            ++shown;
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(bedienung->windowTitle(), QStringLiteral("Bedienungshinweise"));
}

TEST_F(HelpWindows, firstShownCentredOverTheMainWindowThenWhereLeft) {
    action("Info")->trigger();
    ASSERT_TRUE(about->isVisible());
    const QPoint centre = form->frameGeometry().center();
    EXPECT_LE((about->frameGeometry().center() - centre).manhattanLength(), 2)
        << about->frameGeometry().x() << "," << about->frameGeometry().y() << " "
        << about->frameGeometry().width() << "x" << about->frameGeometry().height() << " form "
        << form->frameGeometry().x() << "," << form->frameGeometry().y() << " "
        << form->frameGeometry().width() << "x" << form->frameGeometry().height();

    about->move(31, 47);
    const QPoint left = about->pos();
    about->findChild<QPushButton*>(QStringLiteral("OKButton"))->click();
    EXPECT_FALSE(about->isVisible());
    action("Info")->trigger();
    EXPECT_TRUE(about->isVisible());
    EXPECT_EQ(about->pos(), left);
}

TEST_F(HelpWindows, mainWindowKeepsWorkingWhileTheyAreOpen) {
    action("Info")->trigger();
    action("Bedienungshinweise")->trigger();
    EXPECT_FALSE(about->isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    ASSERT_FALSE(asksToSave());
    QTest::keyClicks(lineEdit("TitelEdit"), QStringLiteral("Weiter"));
    EXPECT_EQ(text("TitelEdit"), QStringLiteral("Weiter"));
    EXPECT_TRUE(asksToSave());
}

TEST_F(HelpWindows, enterClosesTheAboutWindowAndItCanComeBack) {
    action("Info")->trigger();
    QApplication::setActiveWindow(about);
    ASSERT_TRUE(QTest::qWaitForWindowActive(about));
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : about, Qt::Key_Return);
    EXPECT_FALSE(about->isVisible());
    action("Info")->trigger();
    EXPECT_TRUE(about->isVisible());
}

TEST_F(HelpWindows, closeBoxAndOkOnlyHide) {
    action("Bedienungshinweise")->trigger();
    EXPECT_TRUE(bedienung->close());
    EXPECT_FALSE(bedienung->isVisible());
    action("Bedienungshinweise")->trigger();
    bedienung->findChild<QPushButton*>(QStringLiteral("OkBtn"))->click();
    EXPECT_FALSE(bedienung->isVisible());
    EXPECT_TRUE(form->isVisible());
}

TEST_F(HelpWindows, resizingTheInstructionsLeavesPanelAndButtonInPlace) {
    action("Bedienungshinweise")->trigger();
    QWidget* panel = bedienung->findChild<QWidget*>(QStringLiteral("Panel1"));
    QWidget* ok = bedienung->findChild<QWidget*>(QStringLiteral("OkBtn"));
    ASSERT_TRUE(panel && ok);
    EXPECT_EQ(panel->geometry(), QRect(8, 32, 521, 241));
    EXPECT_EQ(ok->geometry(), QRect(216, 280, 97, 25));
    bedienung->resize(900, 600);
    EXPECT_EQ(panel->geometry(), QRect(8, 32, 521, 241));
    EXPECT_EQ(ok->geometry(), QRect(216, 280, 97, 25));
    bedienung->resize(200, 150);
    EXPECT_EQ(panel->geometry(), QRect(8, 32, 521, 241));
    EXPECT_TRUE(bedienung->windowFlags() & Qt::WindowMaximizeButtonHint);
}

TEST_F(HelpWindows, instructionsTableReadsAsWritten) {
    const struct {
        const char* name;
        const char* text;
        QPoint at;
    } rows[] = {
        {"Label14",
         "Um über die reine Ausgabe von Text hinwegzukommen, gibt es einige erweiterte Eingabemöglichkeiten:",
         {8, 8}},
        {"Label7", "Eingabe", {8, 32}},
        {"Label8", "Wirkung", {88, 32}},
        {"Label5", "<am>, <Fis7>", {8, 56}},
        {"Label6",
         "Erscheint Text in eckigen Klammern, wird dieser über der aktuellen Zeile gedruckt.",
         {88, 56}},
        {"Label1", "Refrain", {8, 80}},
        {"Label9",
         "Gibt (hervorgehoben durch Unterstreichung und Kursivdruck) das Word 'Refrain' aus.",
         {88, 80}},
        {"Label2", ">>Refrain", {8, 104}},
        {"Label10", "Fügt den Text des Feldes Refrain/Bridge an dieser Stelle als Refrain ein.", {88, 104}},
        {"Label15", ">>Refrain2", {8, 128}},
        {"Label16", "Fügt den Text des Feldes Bridge/Refrain2 an dieser Stelle als Refrain ein.", {88, 128}},
        {"Label17",
         "Dies ermöglicht es, einen leicht abgeänderten Refrain z.B. am Ende des Liedes einzufügen.",
         {88, 144}},
        {"Label3", ">>Bridge", {8, 168}},
        {"Label11", "Fügt den Text des Feldes Bridge/Refrain2 an dieser Stelle als Bridge ein.", {88, 168}},
        {"Label4", ">>neue Spalte", {8, 192}},
        {"Label12", "Ermöglicht den Spaltenwechsel bei zweispaltigem Ausdruck.", {88, 192}},
        {"Label13",
         "Hinweis: Alle Eingaben mit Ausnahme der ersten müssen eine eigene Zeile einnehmen.",
         {8, 216}},
    };
    for (const auto& r : rows) {
        auto* label = bedienung->findChild<QLabel*>(QString::fromLatin1(r.name));
        ASSERT_NE(label, nullptr) << r.name;
        EXPECT_EQ(label->text(), QString::fromUtf8(r.text)) << r.name;
        EXPECT_EQ(label->pos(), r.at) << r.name;
        EXPECT_GE(label->width(), label->sizeHint().width()) << r.name;
        // Every caption ends inside the panel's frame instead of being cut by it.
        EXPECT_LE(label->geometry().right(), label->parentWidget()->width() - 1) << r.name;
    }
}

TEST_F(HelpWindows, aboutWindowNamesProductAndVersion) {
    EXPECT_EQ(about->windowTitle(), QStringLiteral("About"));
    EXPECT_EQ(about->size(), QSize(298, 213));
    EXPECT_EQ(about->findChild<QLabel*>(QStringLiteral("ProductName"))->text(), QStringLiteral("Versino"));
    EXPECT_EQ(about->findChild<QLabel*>(QStringLiteral("Version"))->text(), QStringLiteral("Version 2.1"));
    auto* icon = about->findChild<QLabel*>(QStringLiteral("ProgramIcon"));
    EXPECT_EQ(icon->geometry(), QRect(8, 8, 65, 57));
    EXPECT_FALSE(icon->pixmap().isNull());
    EXPECT_TRUE(icon->hasScaledContents());
    auto* ok = about->findChild<QPushButton*>(QStringLiteral("OKButton"));
    EXPECT_TRUE(ok->isDefault());
    EXPECT_EQ(ok->geometry(), QRect(111, 180, 75, 25));
}

} // namespace
